// `brixo-cli test --vcd`: a 10,000-row vector run with its waveform recorded (every step's inputs
// and read-backs, a comment per row) against the same run without, in one process over the
// emulated HID adapter, which has no USB latency: the recorder's cost is never smaller beside a
// row than here. The recording goes to a file in a directory that is removed afterwards.
#include "board_session.h"
#include "support/emu_adapter.h"
#include "support/lab_circuit.h"
#include "vcd_recorder.h"
#include "vector_runner.h"
#include "vector_table.h"
#include "vestrix_board.h"

#include <tamro.h>
#include <vestrix.h>

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <string>

namespace {

constexpr int kRows = 10000;

std::string vectors()
{
    std::string text = "S7..S0 K0 R4..R0 D0\n";
    for (int i = 0; i < kRows; ++i)
        text += std::to_string(i % 256) + " P x x\n";
    return text;
}

struct Setup {
    emu::LabCircuit circuit;
    emu::Adapter adapter{emu::Adapter::Kind::Hid, &circuit};
    brixo::VestrixBoard board{false};
    cli::VectorTable table;
    Setup()
    {
        emu::install();
        emu::attach(&adapter);
        char list[VESTRIX_LIST_SIZE];
        ScanTAMRO(list, nullptr, 0);
        ConnectDevice(0);
        board.enablePanelInput();
        cli::VectorError error;
        cli::readVectorTable(vectors(), nullptr, table, error);
    }
    ~Setup() { emu::uninstall(); }
};

void run(benchmark::State &state, bool record)
{
    Setup s;
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("run.vcd")).toStdString();
    std::vector<cli::RowResult> results;
    int failures = 0;
    for (auto _ : state) {
        brixo::VcdRecorder recorder;
        cli::RunOptions options;
        int handle = 0;
        std::string error;
        if (record) {
            failures |= !recorder.start(path, 0, error);
            handle = s.board.subscribe(recorder.subscriber());
            options.rowDone = [&recorder](const cli::RowResult &row) {
                recorder.comment("line " + std::to_string(row.line));
            };
        }
        failures |= cli::runVectors(s.board, s.table, results, options);
        if (record) {
            s.board.unsubscribe(handle);
            failures |= !recorder.stop(error);
        }
    }
    state.counters["us_per_row"] =
        benchmark::Counter(double(kRows), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    if (failures)
        state.SkipWithError("run or recording failed");
}

void BM_Rows10000Recorded(benchmark::State &state) { run(state, true); }
void BM_Rows10000Plain(benchmark::State &state) { run(state, false); }

} // namespace

BENCHMARK(BM_Rows10000Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rows10000Recorded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rows10000Plain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Rows10000Recorded)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
