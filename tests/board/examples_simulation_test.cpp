// The shipped example panels simulate with no board: opened as from a double-click, with
// simulation switched on, clicks on the labelled switches and keys give the experiment's outputs.
#include "app/mainwindow.h"
#include "board/panel_keys.h"
#include "board/runmode.h"
#include "board/virtualcomponentdata.h"
#include "panel/panelmodel.h"
#include "ui/messagebox.h"
#include "board/virtualcomponentdata.h"

#include <QAction>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3)); }

// Opens one example in simulation mode; the window stays in run mode.
void openSimulated(MainWindow& w, const char* file)
{
    w.openPanelAtStart(QStringLiteral(BRIXO_EXAMPLES_DIR "/") + QString::fromLatin1(file));
    ASSERT_TRUE(w.panel()->hasPanel());
    if (!w.runMode()->boardData()->simulationMode)
        w.findChild<QAction*>(QStringLiteral("simulationAction"))->trigger();
    ASSERT_TRUE(w.runMode()->boardData()->simulationMode);
}

TEST(ExampleSimulation, AdderVariantAFromItsSwitches)
{
    MessageBox::clearShown();
    MainWindow w;
    w.show();
    openSimulated(w, "adder_a.jvp");
    // A = 4 (S6), B = 2 (S1); S10 alone selects all ones, S11 and S12 with S8 bring the carry.
    for (int s : {6, 1, 8, 10, 11, 12})
        click(w.panel()->switchButtons()[s]);
    const VirtualComponentData* d = w.runMode()->boardData();
    EXPECT_EQ(d->digit(0), 230); // 4 + 15 + 1 = 20 -> 4
    EXPECT_EQ(d->digit(4), 241); // Q = F
    EXPECT_EQ(d->digit(6), 230); // A = 4
    for (int g = 0; g < 4; ++g)
        EXPECT_EQ(d->greenLed(g), 0) << g;
    EXPECT_EQ(d->greenLed(8), 1); // carry in
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST(ExampleSimulation, CounterLoadsAndCountsOnKeyOne)
{
    MessageBox::clearShown();
    MainWindow w;
    w.show();
    openSimulated(w, "counter_shifter_bus.jvp");
    // V = 5 on S7 and S9, S2 loads the counter on the clock key, S0 puts it on the bus.
    for (int s : {7, 9, 2, 0})
        click(w.panel()->switchButtons()[s]);
    click(w.panel()->keyButtons()[1]);
    const VirtualComponentData* d = w.runMode()->boardData();
    const int counter = d->redLed(0) | d->redLed(1) << 1 | d->redLed(2) << 2 | d->redLed(3) << 3;
    EXPECT_EQ(counter, 5);
    EXPECT_EQ(d->digit(0), 237); // bus shows 5
    // Counting instead of loading: the next edge gives 6.
    click(w.panel()->switchButtons()[2]);
    click(w.panel()->switchButtons()[1]);
    click(w.panel()->keyButtons()[1]);
    const int next = d->redLed(0) | d->redLed(1) << 1 | d->redLed(2) << 2 | d->redLed(3) << 3;
    EXPECT_EQ(next, 6);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

} // namespace

// The register loads on a K1 edge only while K0 is held: a second hand on the keyboard, or K0
// latched, makes that possible without a board.
TEST(ExampleSimulation, BusRegisterLoadsWithKeyZeroHeldByKeyboardOrLatch)
{
    const struct {
        const char* how;
        void (*holdK0)(MainWindow&);
        void (*letGoK0)(MainWindow&);
    } cases[] = {
        {"keyboard", [](MainWindow& w) { QTest::keyPress(w.panel()->panelView(), Qt::Key_0); },
         [](MainWindow& w) {
             QTest::keyRelease(w.panel()->panelView(), Qt::Key_0);
             EXPECT_TRUE(QTest::qWaitFor([&w] { return !w.runMode()->keys()->releasePending(); }, 2000));
         }},
        {"latch",
         [](MainWindow& w) {
             QTest::mouseClick(w.panel()->keyButtons()[0], Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
         },
         [](MainWindow& w) { click(w.panel()->keyButtons()[0]); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        MessageBox::clearShown();
        MainWindow w;
        w.show();
        openSimulated(w, "bus_register_shifter.jvp");
        // W = 5 on S9 and S11; S0 loads the register on the clock.
        for (int s : {9, 11, 0})
            click(w.panel()->switchButtons()[s]);
        const VirtualComponentData* d = w.runMode()->boardData();
        const auto reg = [d] { return d->redLed(0) | d->redLed(1) << 1 | d->redLed(2) << 2 | d->redLed(3) << 3; };
        click(w.panel()->keyButtons()[1]); // K0 up: no load
        EXPECT_EQ(reg(), 0);
        c.holdK0(w);
        click(w.panel()->keyButtons()[1]);
        EXPECT_EQ(reg(), 5);
        EXPECT_EQ(d->greenLed(0), 1); // K0 shown held
        c.letGoK0(w);
        EXPECT_EQ(d->greenLed(0), 0);
        EXPECT_EQ(reg(), 0); // K0 up clears the register
        EXPECT_TRUE(MessageBox::shown().isEmpty());
    }
}
