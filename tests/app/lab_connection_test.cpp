// Lab server… in the connect dialog against a real `brixo-labd lab` on loopback, whose board is
// this test's emulated adapter with the adder circuit: signing in, the place in the queue while
// another student holds the board, the board's panel opened in run mode, a click that reaches the
// circuit, the time left in the status bar, an FPGA download, and the board given back when the window closes.
#include "app/mainwindow.h"
#include "board/lab_connection.h"
#include "board/runmode.h"
#include "panel/panelmodel.h"
#include "ui/messagebox.h"

#include "lab_server_process.h"
#include "support/adder_circuit.h"
#include "support/emu_hid_service.h"

#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using nlohmann::json;

TEST(LabServerConnection, SignsInWaitsInTheQueueOpensTheBoardsPanelAndAClickReachesTheBoard)
{
    emu::AdderCircuit circuit;
    emu::Adapter adapter(emu::Adapter::Kind::Hid, &circuit);
    emu::HidService hid;
    hid.add(&adapter);
    labtest::LabServer server;
    labtest::addUsers(server.databaseFile(), {{"alice", "student"}, {"bob", "student"}});
    labtest::LabSetup setup;
    setup.boards = {{"b1", "adder", 0}};
    setup.hidSocket = hid.socketPath();
    QFile panel(QStringLiteral(BRIXO_EXAMPLES_DIR "/adder_a.jvp"));
    ASSERT_TRUE(panel.open(QIODevice::ReadOnly));
    setup.panel = panel.readAll().toStdString();
    const QString panelName = QString::fromStdString(json::parse(setup.panel).value("name", ""));
    ASSERT_FALSE(panelName.isEmpty());
    ASSERT_TRUE(server.start(setup)) << server.errors();
    // Bob holds the board, so alice waits first.
    const std::string bob = labtest::signIn(server.port, "bob", "bob-pw");
    ASSERT_EQ(labtest::request(server.port, "POST", "/api/v1/queue", json{{"kind", "adder"}}.dump(), bob).status, 200);

    QTemporaryDir config;
    MainWindow w;
    w.configDirectory = config.path();
    QString queued;
    MessageBox::setNextDialog([&](QDialog& connect) {
        MessageBox::setNextDialog([&](QDialog& d) {
            d.findChild<QLineEdit*>(QStringLiteral("labAddressEdit"))
                ->setText(QStringLiteral("http://127.0.0.1:%1").arg(server.port));
            d.findChild<QLineEdit*>(QStringLiteral("labUserEdit"))->setText(QStringLiteral("alice"));
            d.findChild<QLineEdit*>(QStringLiteral("labPasswordEdit"))->setText(QStringLiteral("alice-pw"));
            d.findChild<QPushButton*>(QStringLiteral("labSignInButton"))->click();
            auto* status = d.findChild<QLabel*>(QStringLiteral("labStatusLabel"));
            EXPECT_TRUE(QTest::qWaitFor([&] { return status->text().contains(QStringLiteral("第")); }, 15000));
            queued = status->text();
            if (const char* shot = std::getenv("BRIXO_LAB_DIALOG_SHOT"))
                d.grab().save(QString::fromLocal8Bit(shot));
            labtest::request(server.port, "DELETE", "/api/v1/me", "", bob);
            EXPECT_TRUE(QTest::qWaitFor([&] { return d.result() == QDialog::Accepted; }, 20000));
            return d.result();
        });
        connect.findChild<QPushButton*>(QStringLiteral("labServerButton"))->click();
        return connect.result();
    });
    w.showlinkDlg();
    EXPECT_EQ(queued, QStringLiteral("排队中：第 1 位"));
    ASSERT_TRUE(w.labConnection()->holding());

    // The board's own panel, in run mode: a click on S0 turns the switch on on the board.
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.panel()->hasPanel(); }, 5000));
    EXPECT_EQ(w.panel()->name(), panelName);
    EXPECT_TRUE(w.labConnection()->timeLabel()->isVisibleTo(&w));
    EXPECT_TRUE(w.labConnection()->timeLabel()->text().startsWith(QStringLiteral("剩余时间 1")))
        << w.labConnection()->timeLabel()->text().toStdString();
    w.panel()->switchButtons()[0]->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return (circuit.inputValue(emu::LabCircuit::Switches) & 1) == 1; }, 10000));

    // Download FPGA goes through the server's configure route, with the usual success box.
    const QString rbf = config.filePath(QStringLiteral("design.rbf"));
    QFile design(rbf);
    ASSERT_TRUE(design.open(QIODevice::WriteOnly));
    design.write(QByteArray(3000, '\x33'));
    design.close();
    w.runMode()->setFpgaFileChooser([&](QWidget*, const QString&, const QString&) { return rbf; });
    MessageBox::clearShown();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.runMode()->fpgaProgram();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.runMode()->downloading(); }, 20000));
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("配置FPGA成功！"));

    // Closed: the hold ends, and the board is free for the next student.
    w.close();
    const std::string alice = labtest::signIn(server.port, "alice", "alice-pw");
    EXPECT_EQ(labtest::request(server.port, "GET", "/api/v1/me", "", alice).body.value("state", ""), "none");
}

TEST(LabServerConnection, TimeLeftIsMinutesAndSeconds)
{
    EXPECT_EQ(LabConnection::timeLeftText(905), QStringLiteral("剩余时间 15:05"));
    EXPECT_EQ(LabConnection::timeLeftText(-3), QStringLiteral("剩余时间 00:00"));
}

} // namespace
