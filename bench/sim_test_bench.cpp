// `brixo-cli --sim DESIGN test VECTORS` against what a teacher would run without it: a plain
// Icarus Verilog testbench generated from the same vectors (iverilog, then vvp) making the same
// comparisons. The two run interleaved, one after the other, each iteration; the medians are
// reported (cli_ms, plain_ms) with their ratio (x_plain; the target is at most 1.3). The
// designs: the four-bit adder example, and a chain of arithmetic slices that takes longer to
// compile, as a larger lab design does. BRIXO_LABD names another brixo-labd to compare with.
#include "child_process.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Design {
    std::string name, text;
    int inBits = 0, outBits = 0;
    uint64_t (*compute)(uint64_t in, int slices);
};

uint64_t adderSum(uint64_t sw, int) { return ((sw & 15) + ((sw >> 4) & 15) + ((sw >> 8) & 1)) & 31; }

uint64_t sliceChain(uint64_t a, int slices)
{
    for (int k = 0; k < slices; ++k)
        a = ((a ^ uint64_t(k * 2654435761u & 0xFFFF)) + (a >> 1)) & 0xFFFF;
    return a;
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

Design adder() { return {"adder", readFile(BRIXO_SOURCE_DIR "/examples/verilog/adder.v"), 9, 5, adderSum}; }

// `slices` instances in a chain, each its own constant: the elaboration grows with them.
Design chain(int slices)
{
    std::ostringstream v;
    v << "module slice #(parameter [15:0] K = 16'd0) (input [15:0] a, output [15:0] y);\n"
         "    assign y = (a ^ K) + (a >> 1);\nendmodule\n\n"
         "module chain(input [15:0] SW, output [15:0] LEDR);\n";
    for (int k = 0; k <= slices; ++k)
        v << "    wire [15:0] y" << k << ";\n";
    v << "    assign y0 = SW;\n";
    for (int k = 0; k < slices; ++k)
        v << "    slice #(16'd" << (k * 2654435761u & 0xFFFF) << ") s" << k << "(.a(y" << k << "), .y(y" << k + 1
          << "));\n";
    v << "    assign LEDR = y" << slices << ";\nendmodule\n";
    return {"chain", v.str(), 16, 16, sliceChain};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double run(const std::vector<std::string> &argv, const std::string &dir, std::string &output)
{
    output.clear();
    const auto start = std::chrono::steady_clock::now();
    const int status = brixo::runTool(argv, dir, 120000, output);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return status == 0 ? ms : -1;
}

void BM_SimTest(benchmark::State &state, Design design, int slices)
{
    const int rows = int(state.range(0));
    std::string pattern = (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : "/tmp") + "/sim-bench-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return state.SkipWithError("no temporary directory");
    const std::string dir = pattern;
    const std::string file = dir + "/" + design.name + ".v";
    std::ofstream(file) << design.text;
    // The same rows for both: inputs in, the LEDs compared.
    std::ostringstream vectors, bench;
    vectors << "S" << design.inBits - 1 << "..S0 R" << design.outBits - 1 << "..R0\n";
    bench << "`timescale 1ns/1ns\nmodule plain_bench;\n  reg [" << design.inBits - 1 << ":0] SW;\n  wire ["
          << design.outBits - 1 << ":0] LEDR;\n  integer failed = 0;\n  " << design.name
          << " dut(.SW(SW), .LEDR(LEDR));\n  initial begin\n";
    for (int i = 0; i < rows; ++i) {
        const uint64_t in = (uint64_t(i) * 0x9E3779B97F4A7C15ull >> 20) & ((1ull << design.inBits) - 1);
        const uint64_t out = design.compute(in, slices);
        vectors << in << " " << out << "\n";
        bench << "    SW = " << in << "; #1; if (LEDR !== " << out << ") begin failed = failed + 1; "
              << "$display(\"line " << i + 2 << ": LEDR expected " << out << ", read %0d\", LEDR); end\n";
    }
    bench << "    $display(\"%0d failed\", failed);\n    $finish;\n  end\nendmodule\n";
    std::ofstream(dir + "/vectors.txt") << vectors.str();
    std::ofstream(dir + "/plain_bench.v") << bench.str();

    std::vector<double> cli, plain;
    std::string output;
    for (auto _ : state) {
        const double compile =
            run({"iverilog", "-g2005", "-o", dir + "/plain.vvp", file, dir + "/plain_bench.v"}, dir, output);
        const double simulate = compile < 0 ? -1 : run({"vvp", "-n", dir + "/plain.vvp"}, dir, output);
        if (simulate < 0 || output.compare(0, 8, "0 failed") != 0) {
            state.SkipWithError(("plain testbench: " + output.substr(0, 200)).c_str());
            break;
        }
        plain.push_back(compile + simulate);
        const double ours = run({BRIXO_CLI, "--sim", file, "test", dir + "/vectors.txt"}, dir, output);
        if (ours < 0 || output.find(std::to_string(rows) + " passed, 0 failed") == std::string::npos) {
            state.SkipWithError(("brixo-cli: " + output.substr(0, 200)).c_str());
            break;
        }
        cli.push_back(ours);
        state.SetIterationTime(ours / 1000);
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    state.counters["cli_ms"] = median(cli);
    state.counters["plain_ms"] = median(plain);
    state.counters["x_plain"] = median(plain) > 0 ? median(cli) / median(plain) : 0;
}

BENCHMARK_CAPTURE(BM_SimTest, adder, adder(), 0)
    ->Arg(16)
    ->Arg(256)
    ->Iterations(21)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SimTest, chain200, chain(200), 200)
    ->Arg(16)
    ->Arg(256)
    ->Iterations(21)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
