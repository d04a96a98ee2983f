// brixo-labd --dump-vcd under each simulator: a clocked counter's own register, dumped by the
// simulator, holds at each answer's simulated time what the board showed; a simulator started
// again dumps its run into a file of its own; the limit cuts the dump where the file still reads.
#include "labd_process.h"

#include "step_json.h"
#include "vcd_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

// `count` is the design's own: the board sees it only through ledr. Switches 15 end the
// simulation at the next clock edge, as a crash would.
const char *kCounter = R"(
module counter(input clk, input [3:0] sw, output [7:0] ledr);
  reg [7:0] count = 8'd0;
  always @(posedge clk) begin
    if (sw == 4'hf) $finish;
    count <= count + {4'd0, sw};
  end
  assign ledr = ~count;
endmodule
)";

struct Shown {
    uint64_t leds, timeNs;
};

Shown step(int port, const std::string &body)
{
    const labtest::HttpAnswer a = labtest::http(port, "POST", "/api/v1/step", body);
    brixo::StepAnswer answer;
    std::string error;
    EXPECT_TRUE(brixo::parseStepAnswer(a.body, answer, error)) << body << " -> " << a.body;
    return {answer.leds, answer.timeNs};
}

std::string bits(uint64_t v, int width)
{
    std::string s;
    for (int b = width - 1; b >= 0; --b)
        s += (v >> b) & 1 ? '1' : '0';
    return s;
}

// The dump read back, its `count`, and gtkwave's converter taking the file too.
const brixo::VcdSignal *readCount(const std::string &path, brixo::VcdData &data)
{
    std::string error;
    EXPECT_TRUE(brixo::readVcdFile(path, data, error)) << path << ": " << error;
    const std::string fst = path + ".fst";
    EXPECT_EQ(std::system(("vcd2fst " + path + " " + fst + " >/dev/null 2>&1").c_str()), 0) << path;
    std::error_code ignored;
    fs::remove(fst, ignored);
    const brixo::VcdSignal *count = nullptr;
    for (const brixo::VcdSignal &s : data.variables)
        if (s.name == "count") // inside the design's top, wherever the simulator puts that
            count = &s;
    EXPECT_NE(count, nullptr) << "the design's internal register is in the dump";
    return count;
}

uint64_t tick(const brixo::VcdData &data, uint64_t ns)
{
    return uint64_t(double(ns) * 1e-9 / data.timescaleSeconds + 0.5);
}

TEST(LabDumpVcd, TheDesignsRegisterHoldsWhatTheBoardShowed)
{
    const std::string design = labtest::writeDesign("counter.v", kCounter);
    for (const char *simulator : {"iverilog", "verilator"}) {
        SCOPED_TRACE(simulator);
        const std::string file = fs::path(design).parent_path().string() + "/" + simulator + ".vcd";
        labtest::Labd labd;
        ASSERT_TRUE(
            labd.start({"--verilog", design, "--simulator", simulator, "--manual-clock", "--dump-vcd", file}, 240000))
            << labd.errors();
        std::vector<Shown> first;
        for (const char *body :
             {R"({"switches": 1, "cycles": 3})", R"({"switches": 2, "cycles": 2})", R"({"cycles": 1})"})
            first.push_back(step(labd.port, body));
        labtest::http(labd.port, "POST", "/api/v1/step", R"({"switches": 15, "cycles": 1})"); // ends the run
        // The server finds the simulator gone, then starts it again from reset.
        int tries = 0;
        while (labtest::http(labd.port, "POST", "/api/v1/step", R"({"switches": 1})").status != 200 && ++tries < 3) {
        }
        const Shown again = step(labd.port, R"({"cycles": 2})");
        EXPECT_EQ(labd.stop(0), 0);
        EXPECT_EQ(first.back().leds, uint64_t(uint8_t(~9)));
        EXPECT_EQ(again.leds, uint64_t(uint8_t(~2))) << "the run started again counts from reset";
        const struct {
            std::string path;
            std::vector<Shown> shown;
        } runs[] = {{file, first}, {fs::path(file).replace_extension().string() + "-2.vcd", {again}}};
        for (const auto &run : runs) {
            SCOPED_TRACE(run.path);
            brixo::VcdData data;
            const brixo::VcdSignal *count = readCount(run.path, data);
            if (!count)
                continue;
            for (const Shown &s : run.shown)
                EXPECT_EQ(data.valueAt(*count, tick(data, s.timeNs)), bits(uint8_t(~s.leds), 8)) << s.timeNs;
        }
    }
}

TEST(LabDumpVcd, TheLimitCutsTheDumpAndTheServerSaysSoOnce)
{
    const std::string design = labtest::writeDesign("counted.v", kCounter);
    for (const char *simulator : {"iverilog", "verilator"}) {
        SCOPED_TRACE(simulator);
        const std::string file = fs::path(design).parent_path().string() + "/cut-" + simulator + ".vcd";
        labtest::Labd labd;
        ASSERT_TRUE(labd.start({"--verilog", design, "--simulator", simulator, "--manual-clock", "--dump-vcd", file,
                                "--dump-limit", "64K"},
                               240000))
            << labd.errors();
        // Far more than 64 KiB of changes, over several steps.
        for (int i = 0; i < 4; ++i)
            step(labd.port, R"({"switches": 1, "cycles": 5000})");
        EXPECT_EQ(labd.stop(0), 0);
        const std::string said = labd.errors();
        const size_t at = said.find("--dump-limit");
        EXPECT_NE(at, std::string::npos) << said;
        EXPECT_EQ(said.find("--dump-limit", at + 1), std::string::npos) << "said once: " << said;
        EXPECT_LE(fs::file_size(file), (64u << 10) + 4096);
        brixo::VcdData data;
        const brixo::VcdSignal *count = readCount(file, data);
        ASSERT_NE(count, nullptr);
        ASSERT_FALSE(data.comments.empty());
        EXPECT_NE(data.comments.back().text.find("limit"), std::string::npos);
        // Whole up to the cut: every change of the count is one more than the one before.
        const std::vector<brixo::VcdChange> &changes = data.changes(*count);
        ASSERT_GT(changes.size(), 100u);
        EXPECT_EQ(data.valueOf(*count, changes.back()), bits((changes.size() - 1) & 0xff, 8));
    }
}

TEST(LabDumpVcd, RefusesWhatItCannotDump)
{
    const std::string design = labtest::writeDesign("refused.v", kCounter);
    const struct {
        std::vector<std::string> args;
        const char *said;
    } cases[] = {
        {{"--dump-vcd", "/nonexistent-folder/w.vcd"}, "cannot write in /nonexistent-folder"},
        {{"--dump-vcd", "/tmp"}, "wants a file name"},
        {{"--dump-vcd", "w.vcd", "--dump-limit", "1K"}, "--dump-limit wants 64K to 1G"},
        {{"--dump-vcd", "w.vcd", "--dump-limit", "2G"}, "--dump-limit wants 64K to 1G"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args{"--verilog", design};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const labtest::Run run = labtest::runLabd(args);
        EXPECT_EQ(run.status, 2) << c.said;
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
}

} // namespace
