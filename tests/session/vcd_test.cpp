// Waveforms: what the recorder makes of a session's steps (read back with the reader), and the
// reader on other tools' dumps and on broken ones.
#include "vcd_reader.h"
#include "vcd_recorder.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

using namespace brixo;

namespace {

using Changes = std::vector<std::pair<std::uint64_t, std::string>>;

Changes changesOf(const VcdData &vcd, const char *name)
{
    Changes out;
    const VcdSignal *s = vcd.find(name);
    if (!s)
        return {{0, "(missing)"}};
    for (const VcdChange &c : vcd.changes(*s))
        out.emplace_back(c.time, vcd.valueOf(*s, c).substr(std::size_t(s->width) - std::min(s->width, 4)));
    return out;
}

Readback simulated(std::uint64_t timeNs, std::uint64_t leds)
{
    Readback r;
    r.simulated = true;
    r.timeNs = timeNs;
    r.leds = leds;
    r.hasLeds = true;
    return r;
}

Inputs inputs(std::uint64_t sw, std::uint32_t pulse = 0, std::uint64_t cycles = 0)
{
    Inputs in;
    in.switches = sw;
    in.pulse = pulse;
    in.cycles = cycles;
    return in;
}

} // namespace

// On a simulated board the inputs stand where the board applied them, a pulse is a press and a
// release 1 ns apart before the read, a step with cycles starts where the last ended, and a
// board started again from reset counts on. Only the low four bits of each value are compared.
TEST(VcdRecorder, PlacesEachStepInTheBoardsTime)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("r.vcd")).toStdString();
    VcdRecorder rec;
    std::string error;
    ASSERT_TRUE(rec.start(path, 0, error)) << error;
    rec.record(inputs(1), true, simulated(1, 0));
    rec.record(inputs(1, 1), true, simulated(4, 1));
    rec.record(inputs(2, 0, 10), true, simulated(25, 2));
    rec.comment("line 4");
    rec.record(inputs(3), true, simulated(1, 3)); // from reset
    rec.record(Inputs(), false, simulated(9, 5)); // a read writes nothing
    ASSERT_TRUE(rec.stop(error)) << error;
    rec.record(inputs(7), true, simulated(40, 7)); // after stop: nothing

    VcdData vcd;
    ASSERT_TRUE(readVcdFile(path, vcd, error)) << error;
    const struct {
        const char *name;
        Changes changes;
    } cases[] = {
        {"sw", {{0, "0001"}, {4, "0010"}, {25, "0011"}}},
        {"key", {{0, "0000"}, {2, "0001"}, {3, "0000"}}},
        {"ledr", {{0, "xxxx"}, {1, "0000"}, {4, "0001"}, {25, "0010"}, {26, "0011"}, {34, "0101"}}},
        {"hex0", {{0, "xxxx"}}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(changesOf(vcd, c.name), c.changes) << c.name;
    ASSERT_EQ(vcd.comments.size(), 1u);
    EXPECT_EQ(vcd.comments[0].time, 25u);
    EXPECT_EQ(vcd.find("cpu_data"), nullptr);
}

// On a board with no clock of its own the time is the wall clock's, and still every press has
// a time of its own between the inputs and the read; CPU data bits a step did not read are x.
TEST(VcdRecorder, RealBoardStepsKeepTheirOrder)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("r.vcd")).toStdString();
    VcdRecorder rec;
    std::string error;
    ASSERT_TRUE(rec.start(path, 12, error)) << error;
    Readback r;
    r.hasDigits = true;
    r.digits.fill(0xFF);
    r.digits[7] = 0xC0;
    r.cpuBits = 8;
    r.cpuData = {0xA5};
    for (std::uint32_t k : {1u, 4u, 1u})
        rec.record(inputs(k, k), true, r);
    ASSERT_TRUE(rec.stop(error)) << error;

    VcdData vcd;
    ASSERT_TRUE(readVcdFile(path, vcd, error)) << error;
    const Changes key = changesOf(vcd, "key");
    ASSERT_EQ(key.size(), 8u); // x, 0, then a press and a release per step
    for (std::size_t i = 2; i < key.size(); ++i)
        EXPECT_GT(key[i].first, key[i - 1].first);
    // The digits were read once (they did not change after): after the first release, before
    // the second step's press.
    const Changes hex7 = changesOf(vcd, "hex7");
    ASSERT_EQ(hex7.size(), 2u);
    EXPECT_EQ(hex7[1].second, "0000");
    EXPECT_GT(hex7[1].first, key[3].first);
    EXPECT_LT(hex7[1].first, key[4].first);
    const VcdSignal *cpu = vcd.find("cpu_data[11:0]");
    ASSERT_NE(cpu, nullptr);
    EXPECT_EQ(vcd.valueAt(*cpu, vcd.endTime), "xxxx10100101");
    EXPECT_FALSE(rec.start(dir.filePath(QStringLiteral("no/such/dir.vcd")).toStdString(), 0, error));
}

TEST(VcdReader, ReadsOtherToolsDumpsAndRefusesBrokenOnes)
{
    const std::string header = "$date today $end\n$version a simulator $end\n$timescale 10 ps $end\n"
                               "$scope module tb $end\n$var reg 1 ! clk $end\n$scope module dut $end\n"
                               "$var wire 4 \" q [3:0] $end\n$var wire 4 \" alias[7:4] $end\n$upscope $end\n"
                               "$var real 64 # r $end\n$upscope $end\n$enddefinitions $end\n";
    const struct {
        std::string body;
        std::string error; // empty: read
    } cases[] = {
        {"#0\n$dumpvars\n0!\nbx \"\nr0.5 #\n$end\n#5\n1!\nb1 \"\n$comment between $end\n#7\nbz0 \"\n", ""},
        {"#0\n1?\n", "line 14: no variable has the identifier ?"},
        {"#0\nb102 \"\n", "line 14: not a value: 102"},
        {"#0\nb10101 \"\n", "line 14: a value wider than its variable"},
        {"#5\n#3\n", "line 14: time goes back to 3"},
        {"#x\n", "line 13: not a time"},
        {"$comment open\n", "line 13: $comment without $end"},
        {"hello\n", "line 13: not a value change: hello"},
        {"$var wire 1 ! late $end\n", "line 13: $var after $enddefinitions"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body);
        VcdData vcd;
        std::string error;
        EXPECT_EQ(parseVcd(header + c.body, vcd, error), c.error.empty());
        EXPECT_EQ(error.substr(0, c.error.size()), c.error);
        if (!c.error.empty())
            continue;
        EXPECT_DOUBLE_EQ(vcd.timescaleSeconds, 10e-12);
        const VcdSignal *q = vcd.find("tb.dut.q"), *alias = vcd.find("alias[7:4]"), *clk = vcd.find("clk");
        ASSERT_TRUE(q && alias && clk);
        EXPECT_EQ(vcd.valueAt(*q, 4), "xxxx");
        EXPECT_EQ(vcd.valueAt(*alias, 5), "0001");
        EXPECT_EQ(vcd.valueAt(*q, 100), "zzz0");
        EXPECT_EQ(vcd.valueAt(*clk, 6), "1");
        EXPECT_EQ(alias->indexOf(0), 4);
        ASSERT_EQ(vcd.comments.size(), 1u);
        EXPECT_EQ(vcd.comments[0].time, 5u);
        EXPECT_EQ(vcd.endTime, 7u);
    }
    const struct {
        std::string text, error;
    } headers[] = {
        {"$var wire 0 ! a $end\n$enddefinitions $end\n", "line 1: not a width: 0"},
        {"$var wire 4 ! a [2:0] $end\n$enddefinitions $end\n", "line 1: a range that does not fit the width"},
        {"$timescale 3 ns $end\n$enddefinitions $end\n", "line 1: not a timescale: 3ns"},
        {"$upscope $end\n", "line 1: $upscope outside any scope"},
        {"$var wire 1 ! a $end\n#0\n", "line 2: a value change before $enddefinitions"},
        {"$var wire 1 ! a $end\n", "line 2: no $enddefinitions"},
    };
    for (const auto &h : headers) {
        VcdData vcd;
        std::string error;
        EXPECT_FALSE(parseVcd(h.text, vcd, error)) << h.text;
        EXPECT_EQ(error.substr(0, h.error.size()), h.error) << h.text;
    }
}
