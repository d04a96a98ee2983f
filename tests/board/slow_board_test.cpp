// The window while the board takes its time or fails: a remote-lab server on loopback that
// answers every request late, clicks made while a step is under way, and failed reads.
#include "board_fixture.h"

#include "board/boardworker.h"
#include "board/panel_keys.h"
#include "panel/brixobutton.h"
#include "panel/panelmodel.h"
#include "support/emu_lab_server.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

bool showsPicture(QPushButton* b, const char* path)
{
    const QSize size = b->iconSize();
    return b->icon().pixmap(size).toImage() == QIcon(QLatin1String(path)).pixmap(size).toImage();
}

class SlowBoard : public BoardLink {
protected:
    void SetUp() override
    {
        BoardLink::SetUp();
        w = std::make_unique<MainWindow>();
        w->settingCtlNumber(4, 2, 4, 0, 1);
        w->createCtl();
        for (const brixo::KindInfo& k : brixo::kComponentKinds)
            for (QPushButton* b : w->panel()->buttons(k.kind))
                b->show();
        w->designUIrecovery();
    }
    // The panel's board becomes the remote server, which then answers each request late.
    void useServer(int delayMs)
    {
        TamroAdpter link;
        ASSERT_EQ(link.scan(true, QStringLiteral("127.0.0.1"), server.port()), 0);
        ASSERT_EQ(link.connect(link.indexOf(TamroAdpter::serverEntryName())), 0);
        server.setAnswerDelay(delayMs);
        remote.clearRecords();
    }
    void press(QPushButton* b, bool down)
    {
        if (down)
            QTest::mousePress(b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        else
            QTest::mouseRelease(b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    }
    QPushButton* sw(int i) const { return w->panel()->switchButtons()[i]; }
    // The key register's values as the remote circuit received them.
    std::vector<int> keyWrites() const
    {
        std::vector<int> out;
        for (const auto& s : remote.scans())
            if (s.instruction == emu::LabCircuit::Keys)
                out.push_back(s.in.empty() ? 0 : s.in[0]);
        return out;
    }

    emu::LabCircuit remote;
    emu::LabServer server{&remote};
    std::unique_ptr<MainWindow> w;
};

TEST_F(SlowBoard, WindowStaysLiveAndInputDuringAStepGoesOutOnceInTheNext)
{
    useServer(150);
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&ticks] { ++ticks; });
    tick.start(10);
    QTest::mouseClick(sw(0), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_TRUE(w->runMode()->boardBusy());
    // While the first step is answered: two more switches, a key pressed and let go.
    QTest::mouseClick(sw(1), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTest::mouseClick(sw(2), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    press(w->panel()->keyButtons()[0], true);
    press(w->panel()->keyButtons()[0], false);
    const int ticksBefore = ticks;
    ASSERT_TRUE(waitIdle([this] { return w->runMode()->boardBusy(); }));
    // The timer kept firing while six requests took their time, each late.
    EXPECT_GT(ticks - ticksBefore, 20);
    // One step for the first click, one for everything after it.
    EXPECT_EQ(remote.scanCount(emu::LabCircuit::Switches), 2);
    EXPECT_EQ(remote.inputValue(emu::LabCircuit::Switches), 0x7u);
    // The key was neither lost nor sent twice: up, then once down and up again.
    EXPECT_EQ(keyWrites(), (std::vector<int>{0, 0, 1, 0}));
    EXPECT_FALSE(w->runMode()->keys()->isDown(0));
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    // A server without the step route is driven by its register scans.
    EXPECT_EQ(w->runMode()->worker()->sessionKind(), QStringLiteral("board"));
}

TEST_F(SlowBoard, AFailureUnderWayIsShownOnceAndWhatWaitedIsDropped)
{
    useServer(100);
    server.setMisbehaviour(emu::LabServer::BadStatus);
    QSignalSpy failed(w->runMode()->boardData(), &VirtualComponentData::linkFailed);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    MessageBox::setNextAnswer(QMessageBox::Ok); // a second box would take this one
    QTest::mouseClick(sw(0), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTest::mouseClick(sw(1), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_TRUE(waitIdle(*w));
    EXPECT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(failed.count(), 1);
    EXPECT_EQ(remote.scanCount(emu::LabCircuit::VirtualMode), 1);
    // The next click carries the whole state again.
    server.setMisbehaviour(emu::LabServer::Normal);
    QTest::mouseClick(sw(2), Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_TRUE(waitIdle(*w));
    EXPECT_EQ(remote.inputValue(emu::LabCircuit::Switches), 0x7u);
    MessageBox::clearShown();
}

TEST_F(SlowBoard, AFailedCpuDataReadEndsAutoRefreshWithOneBox)
{
    auto* slot = new BrixoButton(w->panel()->panelView());
    slot->index = slot->key = 0;
    slot->bitWidth = 8;
    w->panel()->addDataSlot(slot);
    w->runMode()->boardData()->setDataSlots(w->panel()->dataSlots());
    auto* autoRefresh = w->findChild<QAction*>(QStringLiteral("autoRefreshAction"));
    autoRefresh->trigger();
    const QSignalBlocker byHand(w->runMode()->autoRefreshTimer());
    circuit.setLeds({0x01, 0, 0, 0, 0});
    clear();
    circuit.failScan = 2; // the LEDs and the digits are read, the CPU data is not
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w->autoRefreshBoard();
    ASSERT_TRUE(waitIdle(*w));
    EXPECT_EQ(MessageBox::shown().size(), 1);
    EXPECT_FALSE(autoRefresh->isChecked());
    EXPECT_FALSE(w->runMode()->autoRefreshTimer()->isActive());
    // What was read before the failure is drawn.
    EXPECT_TRUE(showsPicture(w->panel()->redLedButtons()[0], ":/images/led_red"));
}

} // namespace
