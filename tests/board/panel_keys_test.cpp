// Keyboard keys, latched keys and the panel picture in run mode, through vestrix and tamro
// down to the emulated adapter and lab circuit.
#include "board_fixture.h"

#include "ui/filedialog.h"
#include "app/mainwindow.h"
#include "board/runmode.h"
#include "board/virtualcomponentdata.h"
#include "panel/panelmodel.h"
#include "board/panel_keys.h"
#include "panel/brixolineedit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

class PanelKeysLink : public BoardLink {
protected:
    void buildPanel(MainWindow& w)
    {
        w.settingCtlNumber(8, 8, 4, 4, 1);
        w.createCtl();
        int row = 0;
        for (const brixo::KindInfo& k : brixo::kComponentKinds) {
            const QVector<QPushButton*>& list = w.panel()->buttons(k.kind);
            for (int i = 0; i < list.size(); ++i) {
                list[i]->move(10 + 60 * i, 10 + 60 * row);
                list[i]->show();
            }
            ++row;
        }
        w.designUIrecovery();
        clear();
    }
    // A key event as the window system delivers it, to whichever widget has the focus.
    static void key(QWidget* to, QEvent::Type type, int code, bool repeat = false,
                    Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent e(type, code, mods, QString(), repeat);
        QApplication::sendEvent(to, &e);
        settle(to);
    }
    // Until the board has answered what the event asked.
    static void settle(QWidget* in) { EXPECT_TRUE(waitIdle(*qobject_cast<MainWindow*>(in->window()))); }
    // A key let go is acted on once no press followed it at once (auto-repeat).
    static void release(QWidget* to, int code)
    {
        key(to, QEvent::KeyRelease, code);
        auto* w = qobject_cast<MainWindow*>(to->window());
        EXPECT_TRUE(QTest::qWaitFor([w] { return !w->runMode()->keys()->releasePending(); }, 2000));
        settle(to);
    }
    static void tap(QWidget* to, int code)
    {
        key(to, QEvent::KeyPress, code);
        release(to, code);
    }
    int keyWrites() const { return circuit.scanCount(emu::LabCircuit::Keys); }
    uint64_t keys() const { return circuit.inputValue(emu::LabCircuit::Keys); }
    uint64_t switches() const { return circuit.inputValue(emu::LabCircuit::Switches); }
    static void latch(QPushButton* b)
    {
        QTest::mouseClick(b, Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
        settle(b);
    }
    static void click(QPushButton* b, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::mouseClick(b, Qt::LeftButton, m, QPoint(3, 3));
        settle(b);
    }
};

TEST_F(PanelKeysLink, HeldKeyboardKeysAreOnePressAndOneReleaseEach)
{
    MainWindow w;
    buildPanel(w);
    // Whatever widget inside the window has the key event, the panel gets it.
    key(w.panel()->switchButtons()[0], QEvent::KeyPress, Qt::Key_4);
    EXPECT_EQ(keyWrites(), 1);
    EXPECT_EQ(keys(), 0x10u);
    EXPECT_TRUE(w.runMode()->keys()->isDown(4));
    // Auto-repeat while held, marked as such or (as some X servers send it) as plain
    // release and press pairs.
    for (bool marked : {true, false}) {
        for (int i = 0; i < 5; ++i) {
            key(w.panel()->panelView(), QEvent::KeyRelease, Qt::Key_4, marked);
            key(w.panel()->panelView(), QEvent::KeyPress, Qt::Key_4, marked);
        }
        QTest::qWait(PanelKeys::releaseDelayMs * 2);
    }
    EXPECT_EQ(keyWrites(), 1);
    EXPECT_EQ(keys(), 0x10u);
    key(w.panel()->panelView(), QEvent::KeyPress, Qt::Key_1); // a second key held together
    EXPECT_EQ(keys(), 0x12u);
    release(w.panel()->panelView(), Qt::Key_4);
    EXPECT_EQ(keys(), 0x02u);
    release(w.panel()->keyButtons()[3], Qt::Key_1);
    EXPECT_EQ(keys(), 0u);
    EXPECT_EQ(keyWrites(), 4);
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    // A key held by the keyboard and the mouse together goes up when both let go.
    key(w.panel()->panelView(), QEvent::KeyPress, Qt::Key_2);
    QTest::mousePress(w.panel()->keyButtons()[2], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    settle(&w);
    release(w.panel()->panelView(), Qt::Key_2);
    EXPECT_EQ(keys(), 0x04u);
    QTest::mouseRelease(w.panel()->keyButtons()[2], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    settle(&w);
    EXPECT_EQ(keys(), 0u);
    EXPECT_EQ(keyWrites(), 6);
}

TEST_F(PanelKeysLink, BoundSwitchTogglesAndTypingOrDesigningIsLeftAlone)
{
    MainWindow w;
    buildPanel(w);
    ASSERT_TRUE(w.runMode()->keys()->bind(panelfile::Kind::Switch, 5, Qt::Key_A));
    EXPECT_TRUE(w.panel()->switchButtons()[5]->toolTip().contains(QLatin1String("A")));
    key(w.panel()->panelView(), QEvent::KeyPress, Qt::Key_A);
    key(w.panel()->panelView(), QEvent::KeyPress, Qt::Key_A, true);
    release(w.panel()->panelView(), Qt::Key_A);
    EXPECT_EQ(switches(), 0x20u);
    EXPECT_TRUE(w.panel()->switchButtons()[5]->isChecked());
    tap(w.panel()->panelView(), Qt::Key_A);
    EXPECT_EQ(switches(), 0u);
    clear();

    // Typed into a text label, or with Ctrl held (a menu shortcut), the key is text or a command.
    auto* label = new BrixoLineedit(w.panel()->panelView());
    label->show();
    w.panel()->addTextLabel(label);
    QApplication::setActiveWindow(&w);
    label->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), label);
    tap(label, Qt::Key_A);
    tap(label, Qt::Key_3);
    label->clearFocus();
    key(w.panel()->panelView(), QEvent::KeyPress, Qt::Key_3, false, Qt::ControlModifier);
    EXPECT_TRUE(circuit.scans().empty());
    // In design mode the keyboard designs.
    w.findChild<QAction*>(QStringLiteral("designAction"))->trigger();
    tap(w.panel()->panelView(), Qt::Key_A);
    tap(w.panel()->panelView(), Qt::Key_3);
    EXPECT_TRUE(circuit.scans().empty());
}

TEST_F(PanelKeysLink, LatchedKeysStayDownUntilClickedOrReleasedWithThePanel)
{
    struct Case {
        const char* name;
        std::function<void(MainWindow&)> end;
        uint64_t keysAfter; // what the board holds afterwards
    };
    const Case cases[] = {
        {"clicked again",
         [](MainWindow& w) {
             click(w.panel()->keyButtons()[0]);
             click(w.panel()->keyButtons()[6]);
         },
         0},
        {"run mode ends",
         [](MainWindow& w) {
             w.findChild<QAction*>(QStringLiteral("designAction"))->trigger();
             settle(&w);
         },
         0},
        {"panel closes",
         [](MainWindow& w) {
             w.deleteAllFace();
             settle(&w);
         },
         0},
        // The failed write is reported once; the board is not asked again, and the next write
        // that gets through carries the keys up.
        {"link fails",
         [this](MainWindow& w) {
             circuit.linkStatus = 0x00;
             MessageBox::setNextAnswer(QMessageBox::Ok);
             click(w.panel()->switchButtons()[1]);
             EXPECT_EQ(MessageBox::shown().size(), 1);
             circuit.linkStatus = 0x01;
             click(w.panel()->switchButtons()[1]);
         },
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MainWindow w;
        buildPanel(w);
        latch(w.panel()->keyButtons()[0]);
        click(w.panel()->keyButtons()[6], Qt::ControlModifier);
        EXPECT_EQ(keys(), 0x41u);
        // Other clicks and keys come and go; the latched ones stay down, drawn down.
        click(w.panel()->keyButtons()[3]);
        tap(w.panel()->panelView(), Qt::Key_2);
        click(w.panel()->switchButtons()[2]);
        EXPECT_EQ(keys(), 0x41u);
        EXPECT_TRUE(w.runMode()->keys()->isLatched(0) && w.runMode()->keys()->isLatched(6));
        const QIcon pressed(QStringLiteral(":/images/KEY0"));
        EXPECT_EQ(w.panel()->keyButtons()[0]->icon().pixmap(40).toImage(), pressed.pixmap(40).toImage());
        c.end(w);
        EXPECT_EQ(keys(), c.keysAfter);
        EXPECT_FALSE(w.runMode()->keys()->isDown(0) || w.runMode()->keys()->isDown(6));
        if (!w.panel()->keyButtons().isEmpty()) {
            EXPECT_NE(w.panel()->keyButtons()[0]->icon().pixmap(40).toImage(), pressed.pixmap(40).toImage());
        }
        MessageBox::clearShown();
        clear();
    }
}

TEST_F(PanelKeysLink, ExportedPictureShowsTheLitLedWhereThePanelShowsIt)
{
    MainWindow w;
    buildPanel(w);
    circuit.setLeds({0x04, 0, 0, 0, 0}); // red LED 2 lit, the others dark
    click(w.panel()->switchButtons()[0]);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("panel"));
    FileDialog::setNextAnswer(file);
    w.findChild<QAction*>(QStringLiteral("exportPictureAction"))->trigger();
    const QImage picture(file + QStringLiteral(".png"));
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    const auto centre = [](QWidget* b) { return b->geometry().center(); };
    const auto reddish = [](QColor c) { return c.red() > 150 && c.green() < 120 && c.blue() < 120; };
    EXPECT_TRUE(reddish(picture.pixelColor(centre(w.panel()->redLedButtons()[2]))));
    EXPECT_FALSE(reddish(picture.pixelColor(centre(w.panel()->redLedButtons()[1]))));
    EXPECT_FALSE(reddish(picture.pixelColor(centre(w.panel()->redLedButtons()[3]))));
    // The picture reaches the farthest component and no further than the panel needs.
    const QRect last = w.panel()->keyButtons()[7]->geometry() | w.panel()->switchButtons()[7]->geometry();
    EXPECT_EQ(picture.width(), last.right() + 1);
    w.findChild<QAction*>(QStringLiteral("copyPictureAction"))->trigger();
    EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(picture.format()), picture);
}

} // namespace
