// What the sandbox costs a design's start: brixo-labd serving examples/verilog/adder.v until its
// ready lines (the design compiled, its simulator started and its first answer read), contained
// against --no-sandbox, interleaved in each iteration, wall time. Reported: the medians
// (contained_ms, plain_ms) and their ratio (x_plain; the target is at most 1.2). Verilator's
// builds reuse the compiler cache in both, as a design built before does.
#include "lab_server.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Milliseconds until the server was ready, -1 when it was not.
double start(const std::string &simulator, bool contained)
{
    brixo::LabServerOptions o;
    o.program = BRIXO_LABD;
    o.files = {BRIXO_SOURCE_DIR "/examples/verilog/adder.v"};
    o.simulator = simulator;
    o.captureErrors = true;
    if (!contained)
        o.extraArgs = {"--no-sandbox"};
    brixo::LabServer server;
    const auto begin = std::chrono::steady_clock::now();
    const brixo::LabServer::Status status = server.start(o);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    server.stop();
    return status == brixo::LabServer::Ready ? ms : -1;
}

void BM_DesignStart(benchmark::State &state, const std::string &simulator)
{
    start(simulator, true); // the compiler cache and the page cache warm for both
    std::vector<double> contained, plain;
    for (auto _ : state) {
        const double a = start(simulator, true), b = start(simulator, false);
        if (a < 0 || b < 0) {
            state.SkipWithError("brixo-labd did not start the design");
            return;
        }
        contained.push_back(a);
        plain.push_back(b);
    }
    state.counters["contained_ms"] = median(contained);
    state.counters["plain_ms"] = median(plain);
    state.counters["x_plain"] = median(contained) / median(plain);
}

} // namespace

BENCHMARK_CAPTURE(BM_DesignStart, iverilog, std::string("iverilog"))
    ->Iterations(21)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_DesignStart, verilator, std::string("verilator"))
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
