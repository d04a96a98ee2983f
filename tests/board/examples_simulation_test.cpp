// The shipped example panels simulate with no board: opened as from a double-click, with
// simulation switched on, clicks on the labelled switches and keys give the experiment's outputs.
#include "app/mainwindow.h"
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
    ASSERT_TRUE(w.hasPanel());
    if (!w.getComponent()->simulationMode)
        w.simulationAction->trigger();
    ASSERT_TRUE(w.getComponent()->simulationMode);
}

TEST(ExampleSimulation, AdderVariantAFromItsSwitches)
{
    MessageBox::clearShown();
    MainWindow w;
    w.show();
    openSimulated(w, "adder_a.jvp");
    // A = 4 (S6), B = 2 (S1); S10 alone selects all ones, S11 and S12 with S8 bring the carry.
    for (int s : {6, 1, 8, 10, 11, 12})
        click(w.switchButtons[s]);
    const VirtualComponentData* d = w.getComponent();
    EXPECT_EQ(d->digit(0), 230);  // 4 + 15 + 1 = 20 -> 4
    EXPECT_EQ(d->digit(4), 241);  // Q = F
    EXPECT_EQ(d->digit(6), 230);  // A = 4
    for (int g = 0; g < 4; ++g)
        EXPECT_EQ(d->greenLed(g), 0) << g;
    EXPECT_EQ(d->greenLed(8), 1);  // carry in
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
        click(w.switchButtons[s]);
    click(w.keyButtons[1]);
    const VirtualComponentData* d = w.getComponent();
    const int counter = d->redLed(0) | d->redLed(1) << 1 | d->redLed(2) << 2 | d->redLed(3) << 3;
    EXPECT_EQ(counter, 5);
    EXPECT_EQ(d->digit(0), 237);  // bus shows 5
    // Counting instead of loading: the next edge gives 6.
    click(w.switchButtons[2]);
    click(w.switchButtons[1]);
    click(w.keyButtons[1]);
    const int next = d->redLed(0) | d->redLed(1) << 1 | d->redLed(2) << 2 | d->redLed(3) << 3;
    EXPECT_EQ(next, 6);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

}  // namespace
