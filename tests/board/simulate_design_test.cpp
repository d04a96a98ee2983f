// The Simulate command against a real brixo-labd on loopback: the window starts the server on
// a Verilog file, builds a panel from its ports, drives it, reloads an edited file, shows a
// compile error, and takes the server down with it.
#include "ui/filedialog.h"
#include "app/mainwindow.h"
#include "ui/messagebox.h"
#include "ui/sysconfig.h"
#include "board/runmode.h"
#include "board/simulated_board.h"
#include "board/virtualcomponentdata.h"
#include "panel/designer.h"
#include "panel/panelmodel.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QCheckBox>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kReadyMs = 30000;

bool showsPicture(QPushButton* b, const char* path)
{
    const QSize size = b->iconSize();
    return b->icon().pixmap(size).toImage() == QIcon(QLatin1String(path)).pixmap(size).toImage();
}

// Something listens on the loopback port.
bool accepts(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

void write(const QString& file, const char* text)
{
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

class SimulateDesign : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageBox::clearShown();
        // A box nobody answered would wait forever offscreen: close it and fail instead.
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "unexpected dialog: " << modal->windowTitle().toStdString() << " "
                              << (qobject_cast<QMessageBox*>(modal)
                                      ? qobject_cast<QMessageBox*>(modal)->text().toStdString()
                                      : "");
                modal->close();
            }
        });
        watchdog.start(500);
        w = std::make_unique<MainWindow>();
        w->configDirectory = dir.path();
        w->simulatedBoard()->server()->program = QStringLiteral(BRIXO_LABD);
    }
    // Chooses the files and answers the Simulate box with OK, ticking active-low keys if asked.
    void simulate(const QStringList& files, bool activeLow, bool* presetSeen = nullptr)
    {
        FileDialog::setNextAnswers(files);
        MessageBox::setNextDialog([activeLow, presetSeen](QDialog& d) {
            auto* box = d.findChild<QCheckBox*>(QStringLiteral("keysActiveLow"));
            if (presetSeen)
                *presetSeen = box->isChecked();
            box->setChecked(activeLow);
            return int(QMessageBox::Ok);
        });
        action("simulateDesignAction")->trigger();
    }
    QAction* action(const char* name) const { return w->findChild<QAction*>(QLatin1String(name)); }
    QString file(const char* name) const { return dir.filePath(QLatin1String(name)); }

    QTemporaryDir dir;
    QTimer watchdog;
    std::unique_ptr<MainWindow> w;
};

TEST_F(SimulateDesign, DrivesTheDesignAndReloadsItAfterAnEdit)
{
    const QString v = file("part2.v");
    write(v, "// 加法器\r\nmodule part2(input [3:0] SW, input [1:0] KEY, output [3:0] LEDR, output [6:0] HEX0);\r\n"
             "  assign LEDR = SW;\r\n  assign HEX0 = KEY[0] ? 7'b1111001 : 7'b1000000;\r\nendmodule\r\n");
    MessageBox::setNextAnswer(QMessageBox::Yes); // no panel open: build one from the design
    simulate({v}, true);
    QTRY_VERIFY_WITH_TIMEOUT(w->simulatedBoard()->isConnected(), kReadyMs);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Brixo - part2"));
    ASSERT_EQ(w->panel()->switchButtons().size(), 4);
    ASSERT_EQ(w->panel()->keyButtons().size(), 2);
    ASSERT_EQ(w->panel()->redLedButtons().size(), 4);
    ASSERT_EQ(w->panel()->digitButtons().size(), 1);
    EXPECT_FALSE(w->designer()->isDesigning());

    QTest::mouseClick(w->panel()->switchButtons()[1], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTRY_VERIFY(showsPicture(w->panel()->redLedButtons()[1], ":/images/led_red"));
    EXPECT_TRUE(showsPicture(w->panel()->redLedButtons()[0], ":/images/led_off"));
    // Digits read from the design: 0 lit segments a-f; a pressed key reads 0 to the design, so
    // its "1" shows only when nothing is pressed.
    EXPECT_EQ(w->runMode()->boardData()->digit(0) & 0x7F, 0x06);
    QTest::mousePress(w->panel()->keyButtons()[0], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTRY_COMPARE(w->runMode()->boardData()->digit(0) & 0x7F, 0x3F);
    QTest::mouseRelease(w->panel()->keyButtons()[0], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    const QJsonObject designs = sysconfig::readObject(file("config.json")).value(QStringLiteral("designs")).toObject();
    EXPECT_TRUE(designs.value(v).toObject().value(QStringLiteral("keysActiveLow")).toBool());

    // Edit and reload: the panel stays, the new logic answers.
    QPushButton* led0 = w->panel()->redLedButtons()[0];
    const int oldPort = w->simulatedBoard()->server()->port();
    write(v, "module part2(input [3:0] SW, output [3:0] LEDR);\n  assign LEDR = ~SW;\nendmodule\n");
    action("reloadDesignAction")->trigger();
    EXPECT_FALSE(w->simulatedBoard()->isConnected());
    QTRY_VERIFY_WITH_TIMEOUT(w->simulatedBoard()->isConnected(), kReadyMs);
    EXPECT_EQ(w->panel()->redLedButtons()[0], led0);
    QTRY_VERIFY(showsPicture(w->panel()->redLedButtons()[0], ":/images/led_red"));
    EXPECT_TRUE(showsPicture(w->panel()->redLedButtons()[1], ":/images/led_off"));
    EXPECT_EQ(MessageBox::shown().size(), 1); // the new-panel question, no error box

    const int port = w->simulatedBoard()->server()->port();
    EXPECT_NE(port, 0);
    EXPECT_NE(port, oldPort);
    // The server ends with the window.
    w.reset();
    EXPECT_FALSE(accepts(port));
}

TEST_F(SimulateDesign, CompileErrorShowsTheSimulatorsMessages)
{
    const QString v = file("broken.v");
    write(v, "module broken(input [3:0] SW, output [3:0] LEDR);\n  assign LEDR = SW\nendmodule\n");
    bool preset = true;
    simulate({v}, false, &preset);
    EXPECT_FALSE(preset); // a design never simulated before: keys active high
    QString reason, messages;
    MessageBox::setNextDialog([&](QDialog& d) {
        if (auto* r = d.findChild<QLabel*>(QStringLiteral("designReason")))
            reason = r->text();
        if (auto* m = d.findChild<QPlainTextEdit*>(QStringLiteral("designMessages")))
            messages = m->toPlainText();
        return int(QDialog::Accepted);
    });
    QTRY_VERIFY_WITH_TIMEOUT(!reason.isEmpty(), kReadyMs);
    EXPECT_TRUE(messages.contains(QStringLiteral("broken.v"))) << messages.toStdString();
    EXPECT_FALSE(w->simulatedBoard()->isConnected());
    EXPECT_FALSE(w->panel()->hasPanel());
    EXPECT_TRUE(action("simulateDesignAction")->isEnabled());
}

} // namespace
