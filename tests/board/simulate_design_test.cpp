// The Simulate command against a real brixo-labd on loopback: the window asks how to run the
// files, starts the server on them, builds a panel from its ports, drives it, reloads an edited
// file, shows a compile error, keeps the design that ran when the next does not come up, and
// takes the server down with it.
#include "ui/filedialog.h"
#include "app/mainwindow.h"
#include "ui/messagebox.h"
#include "ui/sysconfig.h"
#include "board/boardworker.h"
#include "board/runmode.h"
#include "board/simulate_dialog.h"
#include "board/simulated_board.h"
#include "board/virtualcomponentdata.h"
#include "panel/designer.h"
#include "panel/panelmodel.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QJsonObject>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <arpa/inet.h>
#include <csignal>
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
    // Chooses the files and answers the Simulate dialog with OK after `fill` has set it up.
    void simulateWith(const QStringList& files, const std::function<void(QDialog&)>& fill)
    {
        FileDialog::setNextAnswers(files);
        MessageBox::setNextDialog([fill](QDialog& d) {
            fill(d);
            return int(QDialog::Accepted);
        });
        action("simulateDesignAction")->trigger();
    }
    // The same, ticking active-low keys as asked.
    void simulate(const QStringList& files, bool activeLow, bool* presetSeen = nullptr)
    {
        simulateWith(files, [activeLow, presetSeen](QDialog& d) {
            auto* box = d.findChild<QCheckBox*>(QStringLiteral("keysActiveLow"));
            if (presetSeen)
                *presetSeen = box->isChecked();
            box->setChecked(activeLow);
        });
    }
    // Answers the next messages window, keeping its reason.
    static void collectReason(QString* reason)
    {
        MessageBox::setNextDialog([reason](QDialog& d) {
            if (auto* r = d.findChild<QLabel*>(QStringLiteral("designReason")))
                *reason = r->text();
            return int(QDialog::Accepted);
        });
    }
    void click(QPushButton* b)
    {
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        QTRY_VERIFY(!w->runMode()->boardBusy());
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
    EXPECT_EQ(w->runMode()->worker()->sessionKind(), QStringLiteral("step route")); // one request a step
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
    // The design before answers until the new one is connected.
    EXPECT_TRUE(w->simulatedBoard()->isConnected());
    EXPECT_FALSE(action("reloadDesignAction")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(action("reloadDesignAction")->isEnabled(), kReadyMs);
    EXPECT_TRUE(w->simulatedBoard()->isConnected());
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

TEST_F(SimulateDesign, AChosenTopModuleOfTwoRunsAndTheChoicesAreOfferedAgain)
{
    const QString v = file("two.v");
    write(v, "module alpha(input [1:0] SW, output [1:0] LEDR);\n  assign LEDR = SW;\nendmodule\n"
             "module beta(input [1:0] SW, output [1:0] LEDR);\n  assign LEDR = ~SW;\nendmodule\n");
    QStringList listed;
    MessageBox::setNextAnswer(QMessageBox::Yes); // a panel from the design's ports
    simulateWith({v}, [&listed](QDialog& d) {
        auto* top = d.findChild<QComboBox*>(QStringLiteral("topModule"));
        for (int i = 0; i < top->count(); ++i)
            listed << top->itemText(i);
        top->setCurrentIndex(top->findData(QStringLiteral("beta")));
        auto* clock = d.findChild<QDoubleSpinBox*>(QStringLiteral("clockHz"));
        EXPECT_EQ(clock->value(), 1000); // the server's own rate, for files never simulated
        clock->setValue(50);
    });
    EXPECT_EQ(listed, QStringList({QStringLiteral("alpha"), QStringLiteral("beta")}));
    QTRY_VERIFY_WITH_TIMEOUT(w->simulatedBoard()->isConnected(), kReadyMs);
    EXPECT_EQ(w->simulatedBoard()->ports().top, QStringLiteral("beta"));
    QTRY_VERIFY(showsPicture(w->panel()->redLedButtons()[0], ":/images/led_red"));
    click(w->panel()->switchButtons()[0]);
    QTRY_VERIFY(showsPicture(w->panel()->redLedButtons()[0], ":/images/led_off"));

    // The same files again: the dialog opens with what was chosen; Cancel starts nothing.
    DesignChoices seen;
    FileDialog::setNextAnswers({v});
    MessageBox::setNextDialog([&seen](QDialog& d) {
        seen = static_cast<SimulateDialog&>(d).choices();
        return int(QDialog::Rejected);
    });
    action("simulateDesignAction")->trigger();
    EXPECT_EQ(seen.top, QStringLiteral("beta"));
    EXPECT_EQ(seen.clockHz, 50);
    EXPECT_EQ(seen.simulator, QStringLiteral("iverilog"));
    EXPECT_EQ(w->simulatedBoard()->server()->state(), DesignServer::State::Running);
}

TEST_F(SimulateDesign, KeyClockedSystemVerilogCounterInVerilator)
{
    const QString sv = file("counter.sv");
    write(sv, "module counter(input logic [0:0] KEY, output logic [3:0] LEDR);\n"
              "  logic [3:0] n = 4'd0;\n  always_ff @(posedge KEY[0]) n <= n + 4'd1;\n  assign LEDR = n;\nendmodule\n");
    MessageBox::setNextAnswer(QMessageBox::Yes);
    simulateWith({sv}, [](QDialog& d) {
        auto* simulator = d.findChild<QComboBox*>(QStringLiteral("simulator"));
        ASSERT_GE(simulator->findData(QStringLiteral("verilator")), 0);
        simulator->setCurrentIndex(simulator->findData(QStringLiteral("verilator")));
    });
    QTRY_VERIFY_WITH_TIMEOUT(w->simulatedBoard()->isConnected(), kReadyMs * 4);
    ASSERT_EQ(w->panel()->keyButtons().size(), 1);
    ASSERT_EQ(w->panel()->redLedButtons().size(), 4);
    for (int i = 0; i < 3; ++i)
        click(w->panel()->keyButtons()[0]);
    // Three presses: 0011.
    const char* const lit[] = {":/images/led_red", ":/images/led_red", ":/images/led_off", ":/images/led_off"};
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(showsPicture(w->panel()->redLedButtons()[i], lit[i])) << i;
    EXPECT_EQ(w->simulatedBoard()->server()->choices().simulator, QStringLiteral("verilator"));
}

TEST_F(SimulateDesign, AFailedReloadKeepsTheDesignAndOneThatEndedIsNoBoardToAskFor)
{
    // The server's pid, each start's on a line of its own, to end it from outside.
    const QString pids = file("pids");
    const QString wrapper = file("labd.sh");
    write(wrapper,
          QByteArray("#!/bin/sh\necho $$ >> '" + pids.toUtf8() + "'\nexec '" BRIXO_LABD "' \"$@\"\n").constData());
    QFile::setPermissions(wrapper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    w->simulatedBoard()->server()->program = wrapper;
    const QString v = file("pass.v");
    write(v, "module pass(input [1:0] SW, output [1:0] LEDR);\n  assign LEDR = SW;\nendmodule\n");
    MessageBox::setNextAnswer(QMessageBox::Yes);
    simulate({v}, false);
    QTRY_VERIFY_WITH_TIMEOUT(w->simulatedBoard()->isConnected(), kReadyMs);

    write(v, "module pass(input [1:0] SW, output [1:0] LEDR);\n  assign LEDR = SW\nendmodule\n");
    QString reason;
    collectReason(&reason);
    action("reloadDesignAction")->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!reason.isEmpty(), kReadyMs);
    const QString kept = QStringLiteral("设计 pass.v 没有载入，仍在仿真之前的设计 pass。");
    EXPECT_EQ(w->statusBar()->currentMessage(), kept);
    EXPECT_TRUE(reason.endsWith(kept)) << reason.toStdString();
    EXPECT_TRUE(action("reloadDesignAction")->isEnabled());
    click(w->panel()->switchButtons()[1]);
    EXPECT_TRUE(showsPicture(w->panel()->redLedButtons()[1], ":/images/led_red"));
    EXPECT_TRUE(w->simulatedBoard()->isConnected());

    // The design's server ends: a click says there is no design, not that an adapter is missing.
    QFile f(pids);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const pid_t running = f.readLine().trimmed().toInt();
    ASSERT_GT(running, 0);
    reason.clear();
    collectReason(&reason);
    ::kill(running, SIGTERM);
    QTRY_VERIFY_WITH_TIMEOUT(!w->simulatedBoard()->isConnected(), kReadyMs);
    EXPECT_EQ(reason, QStringLiteral("仿真服务器已经结束。"));
    MessageBox::clearShown();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(w->panel()->switchButtons()[0], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTRY_COMPARE(MessageBox::shown().size(), 1);
    EXPECT_TRUE(MessageBox::shown()[0].text.startsWith(QStringLiteral("没有载入设计")))
        << MessageBox::shown()[0].text.toStdString();
    EXPECT_EQ(w->statusBar()->currentMessage(), QStringLiteral("没有载入设计"));
}

} // namespace
