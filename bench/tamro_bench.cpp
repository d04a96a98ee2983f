// Reports per operation through the emulated adapter, the library's CPU time per exchange
// against a zero-latency adapter (the emulator's own share measured alongside), and what each
// operation costs in device work after selection: bus enumerations and report-descriptor reads,
// over HID and over bulk (the emulated libusb device), with the bulk path's CPU time against HID.
#include "support/emu_adapter.h"

#include <tamro.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

namespace {

struct Setup {
    emu::Adapter adapter;
    explicit Setup(emu::Adapter::Kind kind = emu::Adapter::Kind::Hid) : adapter(kind)
    {
        emu::install();
        emu::attach(&adapter);
        char list[TAMRO_LIST_SIZE];
        ScanDevice(list, nullptr, 0);
        SelectDevice(0);
        adapter.clearRecords();
    }
    ~Setup() { emu::uninstall(); }
};

// Reports out and in for one operation, against the protocol's minimum.
void count(benchmark::State &state, int (*op)(), int minOut, int minIn)
{
    Setup s;
    int rc = 0;
    for (auto _ : state) {
        s.adapter.clearRecords();
        rc |= op();
    }
    state.counters["reports_out"] = double(s.adapter.reports.size());
    state.counters["reports_in"] = double(s.adapter.inputReports);
    state.counters["minimum_out"] = minOut;
    state.counters["minimum_in"] = minIn;
    if (rc != 0)
        state.SkipWithError("operation failed");
}

int writeRegister()
{
    const unsigned char data[5] = {1, 2, 3, 4, 5};
    return WriteRegister(9, data, 36);
}
int readRegister()
{
    unsigned char data[4];
    return ReadRegister(14, 32, data);
}
int fpgaPiece()
{
    static const std::vector<unsigned char> piece(500, 0x5A);
    return ConfigureFPGAData(piece.data(), 500);
}
int fpgaAsk() { return ConfigureFPGAAsk(74565); }

// Handshake + scan report out, one reply report in each.
void BM_ReportsWriteRegister(benchmark::State &s) { count(s, writeRegister, 2, 2); }
void BM_ReportsReadRegister(benchmark::State &s) { count(s, readRegister, 2, 2); }
// Handshake, head, 63 * 7 + 59, end mark.
void BM_ReportsFpgaPiece500(benchmark::State &s) { count(s, fpgaPiece, 11, 2); }
void BM_ReportsFpgaAsk(benchmark::State &s) { count(s, fpgaAsk, 2, 2); }

// Whole WriteRegister (two exchanges: handshake and scan), library plus emulator.
void BM_WriteRegisterExchange(benchmark::State &state)
{
    Setup s;
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeRegister());
        s.adapter.clearRecords();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

// The same operation over the bulk adapter: CPU per operation against the HID path above.
void BM_BulkWriteRegisterExchange(benchmark::State &state)
{
    Setup s(emu::Adapter::Kind::Bulk);
    for (auto _ : state) {
        benchmark::DoNotOptimize(writeRegister());
        s.adapter.clearRecords();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

// Enumerations and descriptor reads per operation after selection (target 0), over a mix of a
// register write, a register read and a 500-byte download piece.
void deviceWork(benchmark::State &state, emu::Adapter::Kind kind)
{
    Setup s(kind);
    emu::counters() = {};
    int rc = 0;
    for (auto _ : state) {
        rc |= writeRegister() | readRegister() | fpgaPiece();
        s.adapter.clearRecords();
    }
    const double ops = double(state.iterations()) * 3;
    state.counters["enumerations_per_op"] = emu::counters().enumerations / ops;
    state.counters["descriptor_reads_per_op"] = emu::counters().descriptorReads / ops;
    if (rc != 0)
        state.SkipWithError("operation failed");
}
void BM_DeviceWorkHid(benchmark::State &s) { deviceWork(s, emu::Adapter::Kind::Hid); }
void BM_DeviceWorkBulk(benchmark::State &s) { deviceWork(s, emu::Adapter::Kind::Bulk); }

// The emulator alone doing the same work: the same reports written and read back.
void BM_EmulatorOnlyBaseline(benchmark::State &state)
{
    Setup s;
    writeRegister();
    const std::vector<emu::Bytes> reports = s.adapter.reports;
    uint8_t in[65];
    for (auto _ : state) {
        s.adapter.open();
        for (const emu::Bytes &r : reports) {
            s.adapter.write(r.data(), int(r.size()));
            benchmark::DoNotOptimize(s.adapter.read(in, sizeof in, 100));
        }
        s.adapter.close();
        s.adapter.clearRecords();
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

BENCHMARK(BM_ReportsWriteRegister)->Iterations(100);
BENCHMARK(BM_ReportsReadRegister)->Iterations(100);
BENCHMARK(BM_ReportsFpgaPiece500)->Iterations(100);
BENCHMARK(BM_ReportsFpgaAsk)->Iterations(100);
BENCHMARK(BM_WriteRegisterExchange);
BENCHMARK(BM_BulkWriteRegisterExchange);
BENCHMARK(BM_DeviceWorkHid)->Iterations(100);
BENCHMARK(BM_DeviceWorkBulk)->Iterations(100);
BENCHMARK(BM_EmulatorOnlyBaseline);

} // namespace

BENCHMARK_MAIN();
