// The four boardless experiments, driven as plain functions over the board data's arrays.
#include "simulation.h"

#include "register_packing.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

using namespace board;

namespace {

struct Panel {
    std::vector<std::uint8_t> switches = std::vector<std::uint8_t>(36, 0);
    std::vector<std::uint8_t> keys = std::vector<std::uint8_t>(20, 0);
    std::vector<std::uint8_t> red = std::vector<std::uint8_t>(18, 0);
    std::vector<std::uint8_t> green = std::vector<std::uint8_t>(18, 0);
    std::vector<std::uint8_t> digits = std::vector<std::uint8_t>(8, 0);

    SimulationIo io()
    {
        SimulationIo io;
        io.switches = &switches;
        io.keys = &keys;
        io.red = &red;
        io.green = &green;
        io.digits = &digits;
        return io;
    }
    void setNibble(int first, int value)
    {
        for (int b = 0; b < 4; ++b)
            switches[first + b] = (value >> b) & 1;
    }
    void set(std::initializer_list<std::pair<int, int>> values)
    {
        for (auto [i, v] : values)
            switches[i] = static_cast<std::uint8_t>(v);
    }
    int redBits(int first) const
    {
        int v = 0;
        for (int b = 0; b < 4; ++b)
            v |= red[first + b] << b;
        return v;
    }
    std::vector<int> greens(int first, int n) const { return {green.begin() + first, green.begin() + first + n}; }
};

void busStep(BusRegisterShifterState& st, Panel& p)
{
    SimulationIo io = p.io();
    stepBusRegisterShifter(st, io);
}

void counterStep(CounterShifterState& st, Panel& p)
{
    SimulationIo io = p.io();
    stepCounterShifterRegisterBus(st, io);
}

void adderStep(bool variantB, Panel& p)
{
    SimulationIo io = p.io();
    stepAdder(variantB, io);
}

// Key 1 pressed then released: one rising edge.
template <class Step>
void clockKey1(Panel& p, Step step)
{
    p.keys[1] = 1;
    step();
    p.keys[1] = 0;
    step();
}

TEST(Simulation, IdentifiersAreExactAndCaseSensitive)
{
    const std::pair<const char*, Experiment> cases[] = {
        {"KVTRM1502", Experiment::BusRegisterShifter},
        {"PLQWXNRDF1502", Experiment::AdderA},
        {"RFKQSVNBT1512", Experiment::AdderB},
        {"GZMWTH1708", Experiment::CounterShifterRegisterBus},
        {"kvtrm1502", Experiment::None},
        {"KVTRM1502 ", Experiment::None},
        {"", Experiment::None},
    };
    for (const auto& [id, expected] : cases)
        EXPECT_EQ(experimentFor(QString::fromLatin1(id)), expected) << id;
}

TEST(Simulation, BusSelectsSourceAndShowsIt)
{
    struct Case {
        int s8, s17, x, y, z;
    };
    const Case cases[] = {{0, 0, 6, 12, 0}, {1, 0, 6, 12, 6}, {0, 1, 6, 12, 12}, {1, 1, 6, 12, 4}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.z);
        Panel p;
        BusRegisterShifterState st;
        p.set({{8, c.s8}, {17, c.s17}});
        p.setNibble(4, c.x);
        p.setNibble(13, c.y);
        busStep(st, p);
        EXPECT_EQ(p.greens(4, 4), (std::vector<int>{c.z & 1, (c.z >> 1) & 1, (c.z >> 2) & 1, (c.z >> 3) & 1}));
        EXPECT_EQ(p.digits[0], segmentPattern(c.z));
        EXPECT_EQ(p.redBits(4), c.x);
        EXPECT_EQ(p.redBits(13), c.y);
        EXPECT_EQ(p.red[8], c.s8);
        EXPECT_EQ(p.red[17], c.s17);
        for (int d : {1, 2, 3, 5, 7})
            EXPECT_EQ(p.digits[d], 241) << d;
    }
    // The worked example: selector 3, X = 6, Y = 12 gives Z = 4 and D0 = 230.
    Panel p;
    BusRegisterShifterState st;
    p.set({{8, 1}, {17, 1}});
    p.setNibble(4, 6);
    p.setNibble(13, 12);
    busStep(st, p);
    EXPECT_EQ(p.greens(4, 4), (std::vector<int>{0, 0, 1, 0}));
    EXPECT_EQ(p.digits[0], 230);
}

TEST(Simulation, BusRegisterLoadsAndShifterWorksOnW)
{
    Panel p;
    BusRegisterShifterState st;
    p.keys[0] = 1;
    p.set({{0, 1}});
    p.setNibble(9, 9);
    busStep(st, p); // previous K1 starts at 1: the first press must follow a release
    clockKey1(p, [&] { busStep(st, p); });
    EXPECT_EQ((std::vector<int>{p.red[0], p.red[1], p.red[2], p.red[3]}), (std::vector<int>{1, 0, 0, 1}));
    EXPECT_EQ(p.digits[4], 231);
    EXPECT_EQ(p.green[8], 0); // K0 XOR 1
    EXPECT_EQ(p.green[0], 1);

    // Shift left keeps four bits and works on W every time: 9 -> 2, however often clocked.
    p.set({{0, 0}, {1, 0}, {2, 1}});
    for (int i = 0; i < 3; ++i) {
        clockKey1(p, [&] { busStep(st, p); });
        EXPECT_EQ(p.redBits(9), 2);
        EXPECT_EQ(p.digits[6], 219);
    }
    EXPECT_EQ(p.redBits(0), 9); // the register kept its value without S0

    p.set({{2, 0}, {3, 1}});
    clockKey1(p, [&] { busStep(st, p); });
    EXPECT_EQ(p.redBits(9), 4); // 9 >> 1
    p.set({{3, 0}, {1, 1}});
    clockKey1(p, [&] { busStep(st, p); });
    EXPECT_EQ(p.redBits(9), 9);

    // Releasing K0 clears both; no edge without key 1 changing.
    p.keys[0] = 0;
    busStep(st, p);
    EXPECT_EQ(p.redBits(0), 0);
    EXPECT_EQ(p.redBits(9), 0);
    EXPECT_EQ(p.digits[4], segmentPattern(0));
    EXPECT_EQ(p.digits[6], segmentPattern(0));
    EXPECT_EQ(p.green[8], 1);
    p.keys[0] = 1;
    busStep(st, p);
    EXPECT_EQ(p.redBits(0), 0);
}

TEST(Simulation, FirstCallWithKey1DownIsNotAnEdge)
{
    Panel p;
    BusRegisterShifterState st;
    p.keys[0] = 1;
    p.keys[1] = 1;
    p.set({{0, 1}});
    p.setNibble(9, 5);
    busStep(st, p);
    EXPECT_EQ(p.redBits(0), 0);
    p.keys[1] = 0;
    busStep(st, p);
    p.keys[1] = 1;
    busStep(st, p);
    EXPECT_EQ(p.redBits(0), 5);

    // The counter experiment starts from the idle level, so there a key already down is an edge.
    Panel c;
    CounterShifterState cs;
    c.keys[1] = 1;
    c.set({{2, 1}, {0, 1}});
    c.setNibble(7, 5);
    counterStep(cs, c);
    EXPECT_EQ(c.redBits(0), 5);
}

TEST(Simulation, Adders)
{
    struct Case {
        const char* name;
        bool variantB;
        int a, b, s8, s9, s10, s11, s12;
        int shownT, shownQ;
        std::vector<int> g0to3;
        int g8;
    };
    const Case cases[] = {
        // Q all ones, c = 1: 4 + 15 + 1 shows 4.
        {"A all ones", false, 4, 2, 1, 0, 1, 1, 1, 4, 15, {0, 0, 0, 0}, 1},
        // Q = NOT 10 = 5, c = 1: T = 10, negative and overflowed.
        {"B not B", true, 4, 10, 1, 0, 1, 0, 1, 10, 5, {1, 1, 0, 1}, 1},
        {"A plain sum", false, 3, 5, 0, 1, 0, 0, 0, 8, 5, {1, 1, 0, 1}, 0},
        {"A not B", false, 7, 7, 0, 1, 1, 0, 0, 15, 8, {1, 0, 0, 1}, 0},
        {"B all ones", true, 1, 7, 0, 1, 1, 0, 0, 0, 15, {0, 0, 1, 0}, 0},
        {"zero operand", true, 0, 9, 1, 0, 0, 0, 0, 0, 0, {0, 0, 1, 0}, 0},
        {"carry needs S12 and S8", false, 2, 0, 1, 0, 0, 0, 1, 3, 0, {0, 0, 0, 0}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Panel p;
        p.red.assign(18, 1); // adders leave the red LEDs alone
        p.setNibble(4, c.a);
        p.setNibble(0, c.b);
        p.set({{8, c.s8}, {9, c.s9}, {10, c.s10}, {11, c.s11}, {12, c.s12}});
        adderStep(c.variantB, p);
        EXPECT_EQ(p.digits[0], segmentPattern(c.shownT));
        EXPECT_EQ(p.digits[4], segmentPattern(c.shownQ));
        EXPECT_EQ(p.digits[6], segmentPattern(c.a));
        EXPECT_EQ(p.greens(0, 4), c.g0to3);
        EXPECT_EQ(p.green[8], c.g8);
        for (int d : {1, 2, 3, 5, 7})
            EXPECT_EQ(p.digits[d], 241);
        EXPECT_EQ(p.red, std::vector<std::uint8_t>(18, 1));
    }
}

TEST(Simulation, CounterLoadsCountsAndWraps)
{
    Panel p;
    CounterShifterState st;
    p.set({{0, 1}, {2, 1}});
    p.setNibble(7, 5);
    clockKey1(p, [&] { counterStep(st, p); });
    EXPECT_EQ(p.redBits(0), 5);
    EXPECT_EQ(p.redBits(12), 5); // only the counter drives the bus
    EXPECT_EQ(p.digits[0], segmentPattern(5));

    p.set({{2, 0}, {1, 1}});
    for (int expected : {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0}) {
        clockKey1(p, [&] { counterStep(st, p); });
        EXPECT_EQ(p.redBits(0), expected);
    }
    for (int d = 1; d < 8; ++d)
        EXPECT_EQ(p.digits[d], 241);
}

TEST(Simulation, CounterShiftRegisterRegisterAAndBus)
{
    Panel p;
    CounterShifterState st;
    // Load the counter with 5 and the shift register with 2 in one edge.
    p.set({{2, 1}, {4, 1}, {5, 1}});
    p.setNibble(7, 5);
    clockKey1(p, [&] { counterStep(st, p); });
    p.set({{2, 0}});
    p.setNibble(7, 2);
    clockKey1(p, [&] { counterStep(st, p); });
    EXPECT_EQ(p.redBits(4), 2);
    p.set({{4, 0}, {5, 0}});
    p.setNibble(7, 0);
    // Both enables on: 5 AND 2 = 0.
    p.set({{0, 1}, {3, 1}});
    counterStep(st, p);
    EXPECT_EQ(p.redBits(0), 5);
    EXPECT_EQ(p.redBits(12), 0);
    EXPECT_EQ(p.digits[0], 191);

    // Shift left then right.
    p.set({{5, 1}});
    clockKey1(p, [&] { counterStep(st, p); });
    EXPECT_EQ(p.redBits(4), 4);
    p.set({{5, 0}, {4, 1}});
    clockKey1(p, [&] { counterStep(st, p); });
    EXPECT_EQ(p.redBits(4), 2);

    // Register A loads V on S12 and drives the bus alone with S11.
    p.set({{4, 0}, {12, 1}, {0, 0}, {3, 0}, {11, 1}});
    p.setNibble(7, 9);
    clockKey1(p, [&] { counterStep(st, p); });
    EXPECT_EQ(p.redBits(8), 9);
    EXPECT_EQ(p.redBits(12), 9);
    // No enable: the bus is 0.
    p.set({{11, 0}});
    counterStep(st, p);
    EXPECT_EQ(p.redBits(12), 0);

    // Key 0 pressed clears everything; green 0 shows the press.
    p.keys[0] = 1;
    p.keys[2] = 1;
    counterStep(st, p);
    EXPECT_EQ(p.redBits(0), 0);
    EXPECT_EQ(p.redBits(4), 0);
    EXPECT_EQ(p.redBits(8), 0);
    EXPECT_EQ(p.green[0], 1);
    EXPECT_EQ(p.green[2], 1);
}

TEST(Simulation, SmallPanelsReadMissingInputsAsZeroAndSkipMissingOutputs)
{
    // A panel with 3 switches, 1 key, 2 red LEDs, no green LEDs and 1 digit.
    std::vector<std::uint8_t> switches = {1, 1, 1}, keys = {1}, red(2, 7), green, digits(1, 0);
    SimulationIo io;
    io.switches = &switches;
    io.keys = &keys;
    io.red = &red;
    io.green = &green;
    io.digits = &digits;
    BusRegisterShifterState bus;
    CounterShifterState counter;
    stepBusRegisterShifter(bus, io);
    stepAdder(false, io);
    stepAdder(true, io);
    stepCounterShifterRegisterBus(counter, io);
    EXPECT_EQ(switches.size(), 3u);
    EXPECT_EQ(green.size(), 0u);
    ASSERT_EQ(digits.size(), 1u);
    EXPECT_EQ(digits[0], segmentPattern(0)); // counter bus: enable S0 on, counter 0
    EXPECT_EQ(red[0], 0);

    // With no arrays at all nothing is touched.
    SimulationIo none;
    stepBusRegisterShifter(bus, none);
    stepAdder(true, none);
    stepCounterShifterRegisterBus(counter, none);
}

} // namespace
