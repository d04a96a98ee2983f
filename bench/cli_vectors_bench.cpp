// `brixo-cli test` of 256 rows, its runner driven in this process through the lab library's
// board session against the emulated HID adapter (the same vestrix and tamro code the program
// loads, with no USB latency). Reports per row are set against the protocol's minimum for the
// row's register operations (each an open handshake and one scan: 2 reports out, 2 in); CPU per
// row against a baseline in the same run that makes the same vestrix calls directly, without a
// session, a table or a comparison.
#include "board_layout.h"
#include "support/emu_adapter.h"
#include "support/lab_circuit.h"
#include "vector_runner.h"
#include "vector_table.h"
#include "vestrix_board.h"

#include <tamro.h>
#include <vestrix.h>

#include <benchmark/benchmark.h>

#include <string>

namespace {

using Layout = brixo::BoardLayout;

constexpr int kRows = 256;

// Switches in, one key pulse, the LEDs and one digit compared: 2 + 2 + 2 + 1 + 1 register
// operations per row (switches, held keys, press and release, LEDs, digits).
constexpr int kOperationsPerRow = 6;

std::string vectors()
{
    std::string text = "S7..S0 K0 R4..R0 D0\n";
    for (int i = 0; i < kRows; ++i)
        text += std::to_string(i) + " P x x\n";
    return text;
}

struct Setup {
    emu::LabCircuit circuit;
    emu::Adapter adapter{emu::Adapter::Kind::Hid, &circuit};
    brixo::VestrixBoard board{false};
    Setup()
    {
        emu::install();
        emu::attach(&adapter);
        char list[VESTRIX_LIST_SIZE];
        ScanTAMRO(list, nullptr, 0);
        ConnectDevice(0);
        // brixo-cli switches panel input on once per run: not a per-row cost.
        board.enablePanelInput();
        adapter.clearRecords();
    }
    ~Setup() { emu::uninstall(); }
};

void report(benchmark::State &state, Setup &s, int failures)
{
    const double iterations = double(state.iterations());
    state.counters["reports_out_per_row"] = double(s.adapter.reports.size()) / iterations / kRows;
    state.counters["reports_in_per_row"] = double(s.adapter.inputReports) / iterations / kRows;
    state.counters["minimum_per_row"] = 2.0 * kOperationsPerRow;
    state.counters["us_per_row"] =
        benchmark::Counter(double(kRows), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (failures)
        state.SkipWithError("board call failed");
}

void BM_RunnerRows256(benchmark::State &state)
{
    Setup s;
    cli::VectorTable table;
    cli::VectorError error;
    if (!cli::readVectorTable(vectors(), nullptr, table, error))
        return state.SkipWithError("vectors");
    std::vector<cli::RowResult> results;
    int failures = 0;
    s.adapter.clearRecords();
    for (auto _ : state) {
        // Reading the file is part of what a run costs.
        cli::readVectorTable(vectors(), nullptr, table, error);
        failures |= cli::runVectors(s.board, table, results);
    }
    report(state, s, failures);
}

int writeKeys(uint32_t keys)
{
    const std::vector<uint8_t> bits = Layout::pack(keys, Layout::keyBits);
    return SetButtonStatus(bits.data(), Layout::keyBits);
}

void BM_DirectCallsRows256(benchmark::State &state)
{
    Setup s;
    int failures = 0;
    s.adapter.clearRecords();
    for (auto _ : state) {
        for (int row = 0; row < kRows; ++row) {
            const std::vector<uint8_t> switches = Layout::pack(uint64_t(row), Layout::switchBits);
            uint8_t leds[Layout::bytesFor(Layout::ledBits)], digits[Layout::digits];
            failures |= SetSwitchStatus(switches.data(), Layout::switchBits);
            failures |= writeKeys(0);
            failures |= writeKeys(1);
            failures |= writeKeys(0);
            failures |= GetLedStatus(Layout::ledBits, leds);
            failures |= GetHexStatus(Layout::digitBits, digits);
        }
    }
    report(state, s, failures);
}

} // namespace

BENCHMARK(BM_RunnerRows256)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectCallsRows256)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
