// The main window in run mode, driven with QTest events through vestrix and tamro down to the
// emulated adapter and lab circuit.
#include "board_fixture.h"

#include "app/mainwindow.h"
#include "board/runmode.h"
#include "board/virtualcomponentdata.h"
#include "panel/designer.h"
#include "panel/designtoolbox.h"
#include "panel/panelmodel.h"
#include "app/dialogconnnect.h"
#include "panel/brixobutton.h"

#include <QAction>
#include <QComboBox>
#include <QGraphicsScene>
#include <QProgressBar>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

namespace {

QImage iconImage(const QIcon& icon, const QSize& size) { return icon.pixmap(size).toImage(); }

bool showsPicture(QPushButton* b, const char* path)
{
    const QSize size = b->iconSize();
    return !b->icon().isNull() && iconImage(b->icon(), size) == iconImage(QIcon(QLatin1String(path)), size);
}

int popcount(int v)
{
    int n = 0;
    for (; v; v &= v - 1)
        ++n;
    return n;
}

class RunMode : public BoardLink {
protected:
    // A panel as a reader leaves it: every component placed, run-mode dress and wiring.
    void buildPanel(MainWindow& w, int s = 36, int k = 20, int r = 18, int g = 18, int d = 8)
    {
        w.settingCtlNumber(s, k, r, g, d);
        w.createCtl();
        for (auto* list : {&w.panel()->switchButtons(), &w.panel()->keyButtons(), &w.panel()->redLedButtons(),
                           &w.panel()->greenLedButtons(), &w.panel()->digitButtons()})
            for (QPushButton* b : *list)
                b->show();
        w.designUIrecovery();
    }
    void addDataSlots(MainWindow& w, std::initializer_list<int> widths)
    {
        int i = 0;
        for (int width : widths) {
            auto* slot = new BrixoButton(w.panel()->panelView());
            slot->index = i;
            slot->key = i;
            slot->bitWidth = width;
            slot->show();
            w.panel()->addDataSlot(slot);
            ++i;
        }
        w.runMode()->boardData()->setDataSlots(w.panel()->dataSlots());
    }
    static void click(QPushButton* b)
    {
        QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        EXPECT_TRUE(waitIdle(*qobject_cast<MainWindow*>(b->window())));
    }
    // An automatic-refresh tick by hand, and its answer.
    static int tick(MainWindow& w)
    {
        const int r = w.autoRefreshBoard();
        EXPECT_TRUE(waitIdle(w));
        return r;
    }
    static int digitLayers(MainWindow& w, int d) { return w.panel()->digitScenes()[d]->items().size(); }
};

TEST_F(RunMode, StartUpConnectsAdapterZeroSilentlyAndParentsTheLibrary)
{
    disconnect();
    MainWindow w;
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(SetVirtualMode(1), 0); // an adapter is selected without any dialog
    // The library's own windows are owned by the main window.
    w.showAdapterInfo();
    std::vector<hostui::Box> boxes = hostui::takeCollected();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].owner, reinterpret_cast<void*>(w.winId()));
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    w.showFPGAInfo();
    EXPECT_EQ(hostui::takeCollected().size(), 1u);
}

TEST_F(RunMode, SwitchClickReachesTheCircuitAndItsOutputsAppearOnThePanel)
{
    MainWindow w;
    buildPanel(w);
    addDataSlots(w, {4, 12, 1});
    circuit.setLeds({0, 0, 0x06, 0, 0}); // red LED 17 and green LED 0
    circuit.setDigits({0xC0, 0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00});
    circuit.setCpuData({0xCD, 0xAB, 0x01});
    clear();

    click(w.panel()->switchButtons()[35]);
    EXPECT_EQ(circuit.input(emu::LabCircuit::VirtualMode).data, (emu::Bytes{0x0F}));
    EXPECT_EQ(circuit.input(emu::LabCircuit::Switches).data, (emu::Bytes{0, 0, 0, 0, 0x08}));
    EXPECT_EQ(selectors(), (std::vector<int>{2, 9, 7, 8, 3, 1}));
    EXPECT_TRUE(showsPicture(w.panel()->switchButtons()[35], ":/images/switch_1"));

    EXPECT_TRUE(showsPicture(w.panel()->redLedButtons()[17], ":/images/led_red"));
    EXPECT_FALSE(showsPicture(w.panel()->redLedButtons()[17], ":/images/led_off"));
    EXPECT_TRUE(showsPicture(w.panel()->greenLedButtons()[0], ":/images/led_green"));
    for (int i = 0; i < 17; ++i)
        EXPECT_TRUE(showsPicture(w.panel()->redLedButtons()[i], ":/images/led_off")) << i;
    for (int i = 1; i < 18; ++i)
        EXPECT_TRUE(showsPicture(w.panel()->greenLedButtons()[i], ":/images/led_off")) << i;
    // 0xC0 from the board is pattern 0x3F: the background and six segments.
    EXPECT_EQ(digitLayers(w, 0), 1 + 6);
    EXPECT_EQ(digitLayers(w, 1), 1 + 1); // 0x80: the point only
    EXPECT_EQ(digitLayers(w, 2), 1);     // dark
    EXPECT_EQ(digitLayers(w, 7), 1 + 8); // everything
    EXPECT_EQ(w.panel()->dataSlots()[0]->text(), QStringLiteral("D"));
    EXPECT_EQ(w.panel()->dataSlots()[1]->text(), QStringLiteral("ABC"));
    EXPECT_EQ(w.panel()->dataSlots()[2]->text(), QStringLiteral("1"));
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    // A slot turned to vertical writing keeps it for new values.
    w.panel()->dataSlots()[1]->setDataText(w.panel()->dataSlots()[1]->text(), true);
    ASSERT_TRUE(w.panel()->dataSlots()[1]->isVertical);
    circuit.setCpuData({0xED, 0x0F, 0x00});
    tick(w);
    EXPECT_EQ(w.panel()->dataSlots()[1]->text(), QStringLiteral("0\nF\nE"));
    EXPECT_EQ(w.panel()->dataSlots()[0]->text(), QStringLiteral("D"));

    // A slot given an index past the panel's slots is not read and keeps its text.
    ASSERT_EQ(w.panel()->dataSlots()[2]->text(), QStringLiteral("0"));
    w.panel()->dataSlots()[2]->index = 7;
    w.runMode()->boardData()->setDataSlots(w.panel()->dataSlots());
    circuit.setCpuData({0xED, 0x0F, 0x01});
    tick(w);
    EXPECT_EQ(w.panel()->dataSlots()[2]->text(), QStringLiteral("0"));

    // Off again, and the LEDs follow the next read.
    circuit.setLeds({0, 0, 0, 0, 0});
    click(w.panel()->switchButtons()[35]);
    EXPECT_EQ(circuit.inputValue(emu::LabCircuit::Switches), 0u);
    EXPECT_TRUE(showsPicture(w.panel()->switchButtons()[35], ":/images/switch_0"));
    EXPECT_TRUE(showsPicture(w.panel()->redLedButtons()[17], ":/images/led_off"));
    EXPECT_TRUE(showsPicture(w.panel()->greenLedButtons()[0], ":/images/led_off"));
}

TEST_F(RunMode, LyingSwitchShowsTheLyingPictures)
{
    MainWindow w;
    buildPanel(w, 4, 1, 1, 1, 1);
    w.panel()->setSwitchUpright(w.panel()->switchButtons()[2], false);
    click(w.panel()->switchButtons()[2]);
    EXPECT_TRUE(showsPicture(w.panel()->switchButtons()[2], ":/images/switch_1_lay"));
    click(w.panel()->switchButtons()[2]);
    EXPECT_TRUE(showsPicture(w.panel()->switchButtons()[2], ":/images/switch_0_lay"));
}

TEST_F(RunMode, KeyPressAndReleaseAndNoReleaseAfterAFailedPress)
{
    MainWindow w;
    buildPanel(w);
    clear();
    QTest::mousePress(w.panel()->keyButtons()[4], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_TRUE(waitIdle(w));
    EXPECT_EQ(circuit.inputValue(emu::LabCircuit::Keys), 0x10u);
    EXPECT_EQ(w.runMode()->keyPressPending(), 0);
    EXPECT_TRUE(showsPicture(w.panel()->keyButtons()[4], ":/images/KEY0"));
    QTest::mouseRelease(w.panel()->keyButtons()[4], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_TRUE(waitIdle(w));
    EXPECT_EQ(circuit.inputValue(emu::LabCircuit::Keys), 0u);
    EXPECT_EQ(w.runMode()->keyPressPending(), 1);
    EXPECT_TRUE(showsPicture(w.panel()->keyButtons()[4], ":/images/KEY1"));

    circuit.linkStatus = 0x00;
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mousePress(w.panel()->keyButtons()[4], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_TRUE(waitIdle(w));
    EXPECT_NE(w.runMode()->keyPressPending(), 0);
    EXPECT_EQ(MessageBox::shown().size(), 1);
    // The box took the release: the key is drawn up at once, not left pressed.
    EXPECT_TRUE(showsPicture(w.panel()->keyButtons()[4], ":/images/KEY1"));
    EXPECT_FALSE(w.panel()->keyButtons()[4]->isDown());
    circuit.linkStatus = 0x01;
    clear();
    QTest::mouseRelease(w.panel()->keyButtons()[4], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    ASSERT_TRUE(waitIdle(w));
    EXPECT_TRUE(circuit.scans().empty());
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_TRUE(showsPicture(w.panel()->keyButtons()[4], ":/images/KEY1"));
}

TEST_F(RunMode, AutoRefreshWithoutAPanelWarnsAndUnchecks)
{
    MainWindow w;
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.findChild<QAction*>(QStringLiteral("autoRefreshAction"))->trigger();
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].title, QStringLiteral("警告"));
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("没有打开虚拟面板，无法自动刷新"));
    EXPECT_FALSE(w.findChild<QAction*>(QStringLiteral("autoRefreshAction"))->isChecked());
    EXPECT_FALSE(w.runMode()->autoRefreshTimer()->isActive());
    EXPECT_TRUE(circuit.scans().empty());
}

TEST_F(RunMode, AutoRefreshReadsTheBoard91TimesWithACountdown)
{
    MainWindow w;
    buildPanel(w);
    w.findChild<QAction*>(QStringLiteral("autoRefreshAction"))->trigger();
    ASSERT_TRUE(w.findChild<QAction*>(QStringLiteral("autoRefreshAction"))->isChecked());
    EXPECT_TRUE(w.runMode()->autoRefreshTimer()->isActive());
    EXPECT_EQ(w.runMode()->autoRefreshTimer()->interval(), 100);
    EXPECT_FALSE(w.runMode()->countdownLabel()->isHidden());
    clear();
    // The ticks are delivered by hand so the test does not wait 9 seconds; the timer's own
    // ticks, which would come while each answer is awaited, are held back.
    const QSignalBlocker byHand(w.runMode()->autoRefreshTimer());
    for (int n = 1; n <= 10; ++n)
        EXPECT_EQ(tick(w), 0);
    EXPECT_EQ(w.runMode()->countdownLabel()->text(), QStringLiteral("自动刷新剩余时间：9s      "));
    for (int n = 11; n <= 90; ++n)
        tick(w);
    EXPECT_EQ(w.runMode()->countdownLabel()->text(), QStringLiteral("自动刷新剩余时间：1s      "));
    EXPECT_TRUE(w.runMode()->autoRefreshTimer()->isActive());
    EXPECT_TRUE(w.findChild<QAction*>(QStringLiteral("autoRefreshAction"))->isChecked());
    tick(w);
    EXPECT_FALSE(w.runMode()->autoRefreshTimer()->isActive());
    EXPECT_FALSE(w.findChild<QAction*>(QStringLiteral("autoRefreshAction"))->isChecked());
    EXPECT_TRUE(w.runMode()->countdownLabel()->isHidden());
    EXPECT_EQ(w.runMode()->countdownLabel()->text(), QStringLiteral("自动刷新剩余时间：10s      "));
    EXPECT_EQ(circuit.scanCount(emu::LabCircuit::Leds), 91);
    EXPECT_EQ(circuit.scanCount(emu::LabCircuit::Switches), 0);

    // Turning it off by hand stops it at once.
    w.findChild<QAction*>(QStringLiteral("autoRefreshAction"))->trigger();
    EXPECT_TRUE(w.runMode()->autoRefreshTimer()->isActive());
    w.findChild<QAction*>(QStringLiteral("autoRefreshAction"))->trigger();
    EXPECT_FALSE(w.runMode()->autoRefreshTimer()->isActive());
    EXPECT_TRUE(w.runMode()->countdownLabel()->isHidden());
}

TEST_F(RunMode, AutoRefreshRunsOnTheRealTimer)
{
    MainWindow w;
    buildPanel(w);
    w.findChild<QAction*>(QStringLiteral("autoRefreshAction"))->trigger();
    clear();
    QTest::qWait(350);
    EXPECT_GE(circuit.scanCount(emu::LabCircuit::Leds), 2);
    w.findChild<QAction*>(QStringLiteral("autoRefreshAction"))->trigger();
}

class FpgaCommand : public RunMode {
protected:
    void SetUp() override
    {
        RunMode::SetUp();
        ASSERT_TRUE(file.open());
        for (int i = 0; i < 1234; ++i)
            content.push_back(static_cast<std::uint8_t>(i * 7));
        file.write(reinterpret_cast<const char*>(content.data()), static_cast<int>(content.size()));
        file.flush();
    }
    void choose(MainWindow& w, const QString& path)
    {
        w.runMode()->setFpgaFileChooser([this, path](QWidget*, const QString& caption, const QString& filter) {
            caption_ = caption;
            filter_ = filter;
            return path;
        });
    }
    QTemporaryFile file{QStringLiteral("XXXXXX.rbf")};
    std::vector<std::uint8_t> content;
    QString caption_, filter_;
};

TEST_F(FpgaCommand, DownloadsTheChosenFileAndSaysSo)
{
    MainWindow w;
    choose(w, file.fileName());
    clear();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.findChild<QAction*>(QStringLiteral("configureFpgaAction"))->trigger();
    // The window stays live meanwhile; the commands that would wait on the board are not offered.
    EXPECT_TRUE(w.runMode()->downloading());
    EXPECT_FALSE(w.findChild<QAction*>(QStringLiteral("connectAction"))->isEnabled());
    ASSERT_TRUE(waitIdle(w));
    EXPECT_TRUE(w.findChild<QAction*>(QStringLiteral("connectAction"))->isEnabled());
    EXPECT_EQ(caption_, QStringLiteral("指定FPGA配置文件"));
    EXPECT_EQ(filter_, QStringLiteral("FPGA配置文件 (*.rbf)"));
    EXPECT_EQ(adapter.fpgaData, content);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].title, QStringLiteral("信息"));
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("配置FPGA成功！"));
    EXPECT_EQ(MessageBox::shown()[0].icon, QMessageBox::Information);
    // The library's bar across the top of the window, made and removed on the window's thread.
    const std::vector<hostui::ProgressEvent> bar = hostui::takeProgressEvents();
    ASSERT_GE(bar.size(), 3u);
    EXPECT_EQ(bar.front().kind, hostui::ProgressEvent::Created);
    EXPECT_TRUE(bar.front().shown);
    EXPECT_EQ(bar.back().kind, hostui::ProgressEvent::Destroyed);
    EXPECT_EQ(w.findChild<QProgressBar*>(), nullptr);

    // No file chosen: nothing happens.
    clear();
    choose(w, QString());
    w.fpgaProgram();
    EXPECT_FALSE(w.runMode()->boardBusy());
    EXPECT_TRUE(adapter.frames.empty());
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST_F(FpgaCommand, RepeatsOnceAfterReconnectAndASecondFailureIsSilent)
{
    MainWindow w;
    choose(w, file.fileName());
    disconnect();
    clear();
    DialogSeen seen;
    answerConnectDialog(&seen, "button2");
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.fpgaProgram();
    ASSERT_TRUE(waitIdle(w));
    EXPECT_TRUE(seen.opened);
    EXPECT_EQ(adapter.fpgaData, content);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("配置FPGA成功！"));

    // Reconnected, but the board refuses the download: no further word.
    disconnect();
    clear();
    MessageBox::setNextDialog([this](QDialog& d) {
        d.findChild<QPushButton*>(QStringLiteral("button2"))->click();
        adapter.fpgaSizeStatus = 1;
        return d.result();
    });
    w.fpgaProgram();
    ASSERT_TRUE(waitIdle(w));
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_TRUE(adapter.fpgaData.empty());

    // A plain failure is reported.
    clear();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.fpgaProgram();
    ASSERT_TRUE(waitIdle(w));
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_NE(MessageBox::shown()[0].text, QStringLiteral("配置FPGA成功！"));
}

TEST_F(RunMode, SimulationRunsWithNoBoard)
{
    emu::detach(&adapter);
    disconnect();
    MainWindow w;
    buildPanel(w);
    w.findChild<QAction*>(QStringLiteral("simulationAction"))->trigger();
    ASSERT_TRUE(w.runMode()->boardData()->simulationMode);
    w.runMode()->boardData()->selectExperiment(QStringLiteral("KVTRM1502"));
    // S8 = S17 = 1 selects X AND Y; X = 6 (S5, S6), Y = 12 (S15, S16): the bus shows 4.
    for (int s : {8, 17, 5, 6, 15, 16})
        click(w.panel()->switchButtons()[s]);
    for (int g : {4, 5, 7})
        EXPECT_TRUE(showsPicture(w.panel()->greenLedButtons()[g], ":/images/led_off")) << g;
    EXPECT_TRUE(showsPicture(w.panel()->greenLedButtons()[6], ":/images/led_green"));
    EXPECT_EQ(digitLayers(w, 0), 1 + popcount(230));
    EXPECT_TRUE(showsPicture(w.panel()->redLedButtons()[8], ":/images/led_red"));
    EXPECT_TRUE(showsPicture(w.panel()->redLedButtons()[17], ":/images/led_red"));
    EXPECT_EQ(digitLayers(w, 1), 1 + popcount(241));
    // Key 0 lights green LED 0 while held.
    QTest::mousePress(w.panel()->keyButtons()[0], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_TRUE(showsPicture(w.panel()->greenLedButtons()[0], ":/images/led_green"));
    QTest::mouseRelease(w.panel()->keyButtons()[0], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_TRUE(showsPicture(w.panel()->greenLedButtons()[0], ":/images/led_off"));
    EXPECT_TRUE(adapter.frames.empty());
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    // Switching simulation off sends the next input to the board again.
    w.findChild<QAction*>(QStringLiteral("simulationAction"))->trigger();
    EXPECT_FALSE(w.runMode()->boardData()->simulationMode);
}

TEST_F(RunMode, DialogsOfTheHelpAndBoardMenus)
{
    MainWindow w;
    QWidget* parent = nullptr;
    QString title;
    MessageBox::setNextDialog([&](QDialog& d) {
        parent = d.parentWidget();
        title = d.windowTitle();
        return int(QDialog::Rejected);
    });
    w.findChild<QAction*>(QStringLiteral("connectAction"))->trigger();
    EXPECT_EQ(parent, &w);
    EXPECT_EQ(title, QStringLiteral("连接调试适配器"));
    MessageBox::setNextDialog([&](QDialog& d) {
        parent = d.parentWidget();
        title = d.windowTitle();
        return int(QDialog::Accepted);
    });
    w.findChild<QAction*>(QStringLiteral("aboutAction"))->trigger();
    EXPECT_EQ(parent, &w);
    EXPECT_EQ(title, QStringLiteral("About Brixo"));

    // A library failure behind the information commands is reported in the program's words.
    circuit.linkStatus = 0x00;
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.findChild<QAction*>(QStringLiteral("chipInfoAction"))->trigger();
    EXPECT_EQ(MessageBox::shown().size(), 1);
    EXPECT_TRUE(hostui::takeCollected().empty());
}

TEST_F(RunMode, ItemColoursFollowPlacedAndRemovedComponents)
{
    MainWindow w;
    w.changeItemColor1(); // no panel: nothing to colour, nothing breaks
    buildPanel(w, 4, 2, 2, 2, 2);
    w.removeCombo();
    w.addCombo();
    for (QComboBox* c : {w.designer()->toolbox()->switchCombo(), w.designer()->toolbox()->keyCombo(),
                         w.designer()->toolbox()->redLedCombo(), w.designer()->toolbox()->greenLedCombo(),
                         w.designer()->toolbox()->digitCombo()})
        for (int i = 0; i < c->count(); ++i)
            c->setItemData(i, QVariant(), Qt::BackgroundRole);
    w.panel()->switchButtons()[2]->hide();
    w.changeItemColor1();
    EXPECT_EQ(w.designer()->toolbox()->switchCombo()->itemData(1, Qt::BackgroundRole).value<QColor>(), QColor("gray"));
    EXPECT_FALSE(w.designer()->toolbox()->switchCombo()->itemData(3, Qt::BackgroundRole).isValid());
    EXPECT_EQ(w.designer()->toolbox()->digitCombo()->itemData(2, Qt::BackgroundRole).value<QColor>(), QColor("gray"));
    w.changeItemColor2();
    EXPECT_EQ(w.designer()->toolbox()->switchCombo()->itemData(3, Qt::BackgroundRole).value<QColor>(), QColor("white"));
    EXPECT_EQ(w.designer()->toolbox()->switchCombo()->itemData(1, Qt::BackgroundRole).value<QColor>(), QColor("gray"));
}

} // namespace

namespace {

TEST_F(RunMode, UnchangedDigitsAreKeptAndRedrawnAfterAModeChange)
{
    MainWindow w;
    buildPanel(w, 1, 1, 1, 1, 2);
    circuit.setDigits({0xC0, 0xF9, 0, 0, 0, 0, 0, 0});
    click(w.panel()->switchButtons()[0]);
    ASSERT_EQ(digitLayers(w, 0), 1 + 6);
    const QList<QGraphicsItem*> before = w.panel()->digitScenes()[0]->items();
    w.refreshVirtualPanel();
    EXPECT_EQ(w.panel()->digitScenes()[0]->items(), before); // nothing redrawn for an unchanged digit
    // Back from design mode the digits show their background alone; the next refresh draws them.
    w.turnDesign(true);
    w.turnDesign(false);
    ASSERT_EQ(digitLayers(w, 0), 1);
    w.refreshVirtualPanel();
    EXPECT_EQ(digitLayers(w, 0), 1 + 6);
    EXPECT_EQ(digitLayers(w, 1), 1 + 2);
    // A new pattern replaces the old one.
    circuit.setDigits({0x00, 0xF9, 0, 0, 0, 0, 0, 0});
    tick(w);
    EXPECT_EQ(digitLayers(w, 0), 1 + 8);
}

} // namespace

namespace {

TEST_F(RunMode, EverySwitchPictureFillsItsButton)
{
    MainWindow w;
    w.panel()->setSwitchSize(QSize(24, 42)); // larger than the pictures' own size
    buildPanel(w, 2, 0, 0, 0, 0);
    w.panel()->setSwitchUpright(w.panel()->switchButtons()[1], false);
    w.designUIrecovery();
    for (QPushButton* sw : {w.panel()->switchButtons()[0], w.panel()->switchButtons()[1]}) {
        for (int clicks = 0; clicks < 3; ++clicks) {
            SCOPED_TRACE(sw->objectName().toStdString() + " click " + std::to_string(clicks));
            EXPECT_EQ(sw->icon().actualSize(sw->iconSize()), sw->iconSize());
            click(sw);
        }
    }
}

TEST_F(RunMode, ABrokenLinkEndsAutoRefreshWithOneBox)
{
    // The link goes down, then the adapter goes away; the real timer ticks meanwhile.
    for (const bool unplugged : {false, true}) {
        SCOPED_TRACE(unplugged ? "unplugged" : "link down");
        MainWindow w;
        buildPanel(w, 1, 1, 1, 1, 1);
        auto* autoRefresh = w.findChild<QAction*>(QStringLiteral("autoRefreshAction"));
        autoRefresh->trigger();
        clear();
        if (unplugged) {
            disconnect();
        } else {
            std::lock_guard<std::recursive_mutex> lock(brixo::vestrixMutex()); // a read may be under way
            circuit.linkStatus = 0x00;
        }
        int dialogs = 0;
        bool draining = false;
        constexpr int spare = 3;
        for (int i = 0; i < spare; ++i) {
            // Ticks arriving while the first box is open must not open more.
            MessageBox::setNextDialog([&](QDialog&) {
                if (!draining) {
                    ++dialogs;
                    QTest::qWait(250);
                }
                return int(QDialog::Rejected);
            });
            MessageBox::setNextAnswer(QMessageBox::Ok);
        }
        QTest::qWait(600);
        const int boxes = MessageBox::shown().size();
        EXPECT_EQ(dialogs + boxes, 1);
        EXPECT_FALSE(autoRefresh->isChecked());
        EXPECT_FALSE(w.runMode()->autoRefreshTimer()->isActive());
        EXPECT_TRUE(w.runMode()->countdownLabel()->isHidden());
        draining = true;
        for (int i = dialogs; i < spare; ++i) {
            QDialog d;
            MessageBox::execDialog(d);
        }
        for (int i = boxes; i < spare; ++i) {
            QMessageBox b;
            MessageBox::exec(b);
        }
        circuit.linkStatus = 0x01;
    }
}

} // namespace
