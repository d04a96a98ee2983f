// vestrix through tamro to the emulated HID adapter, each against a baseline of raw tamro calls
// doing the same work in the same run: an FPGA download of a 368,011-byte file, and reads of
// main memory. For the download it also counts reports, which fix its time on a real adapter.
#include "support/emu_adapter.h"
#include "support/lab_circuit.h"

#include <tamro.h>
#include <vestrix.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFileSize = 368011; // a small teaching FPGA's raw configuration
constexpr int kPiece = 500;

struct Setup {
    emu::LabCircuit circuit;
    emu::Adapter adapter{emu::Adapter::Kind::Hid, &circuit};
    std::string path;
    std::vector<unsigned char> content;
    Setup()
    {
        emu::install();
        emu::attach(&adapter);
        char list[VESTRIX_LIST_SIZE];
        ScanTAMRO(list, nullptr, 0);
        ConnectDevice(0);
        char name[] = "/tmp/vestrix_bench_XXXXXX";
        ::close(mkstemp(name));
        path = name;
        for (int i = 0; i < kFileSize; ++i)
            content.push_back(static_cast<unsigned char>(i * 13));
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(content.data()), kFileSize);
        for (uint32_t a = 0; a < 4096; ++a)
            circuit.mainMemory[a] = a * 3;
        adapter.clearRecords();
    }
    ~Setup()
    {
        std::remove(path.c_str());
        emu::uninstall();
    }
    void reportCounters(benchmark::State &state, int rc)
    {
        state.counters["reports_out"] = double(adapter.reports.size());
        state.counters["reports_in"] = double(adapter.inputReports);
        // One report per 1 ms USB frame, each exchange waiting for its reply.
        state.counters["ms_at_1_report_per_frame"] = double(adapter.reports.size() + size_t(adapter.inputReports));
        state.counters["ms_at_64KB_per_s"] = 1000.0 * kFileSize / 65536.0;
        if (rc != 0)
            state.SkipWithError("download failed");
    }
};

void BM_DownloadVestrix(benchmark::State &state)
{
    Setup s;
    int rc = 0;
    for (auto _ : state) {
        s.adapter.clearRecords();
        s.circuit.clearRecords();
        rc |= ConfigureFPGA(s.path.c_str());
    }
    s.reportCounters(state, rc);
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

// The same steps straight to tamro from a buffer already in memory.
void BM_DownloadRawTamro(benchmark::State &state)
{
    Setup s;
    int rc = 0;
    for (auto _ : state) {
        s.adapter.clearRecords();
        s.circuit.clearRecords();
        rc |= ConfigureFPGAAsk(kFileSize);
        for (int at = 0; rc == 0 && at < kFileSize; at += kPiece)
            rc |= ConfigureFPGAData(s.content.data() + at, std::min(kPiece, kFileSize - at));
        rc |= ConfigureFPGADone();
    }
    s.reportCounters(state, rc);
    state.SetBytesProcessed(state.iterations() * kFileSize);
}

void BM_ReadMMVestrix(benchmark::State &state)
{
    Setup s;
    const int count = int(state.range(0));
    std::vector<int32_t> words(static_cast<size_t>(count));
    int rc = 0;
    for (auto _ : state) {
        s.circuit.clearRecords();
        s.adapter.clearRecords();
        rc |= ReadMM(0, count, words.data(), 1);
    }
    if (rc != 0 || words.back() != (count - 1) * 3)
        state.SkipWithError("read failed");
    state.SetItemsProcessed(state.iterations() * count);
}

// The scans ReadMM makes (status read, count + 1 chain scans), made directly.
void BM_ReadMMRawTamro(benchmark::State &state)
{
    Setup s;
    const int count = int(state.range(0));
    std::vector<int32_t> words(static_cast<size_t>(count));
    int rc = 0;
    for (auto _ : state) {
        s.circuit.clearRecords();
        s.adapter.clearRecords();
        unsigned char status = 0;
        rc |= ReadRegister(6, 4, &status);
        rc |= OpenDevice();
        unsigned char request[9] = {}, saved[9], captured[9];
        request[8] = 2;
        rc |= BSC_Sample_Preload(11, 66, request, saved, 1);
        for (int i = 1; i <= count; ++i) {
            const unsigned char *in = request;
            if (i < count) {
                request[4] = uint8_t(i), request[5] = uint8_t(i >> 8);
            } else {
                saved[8] &= 0xFE;
                in = saved;
            }
            rc |= BSC_Sample_Preload(11, 66, in, captured, 1);
            words[size_t(i - 1)] =
                int32_t(captured[0] | captured[1] << 8 | captured[2] << 16 | uint32_t(captured[3]) << 24);
        }
        CloseDevice();
    }
    if (rc != 0 || words.back() != (count - 1) * 3)
        state.SkipWithError("read failed");
    state.SetItemsProcessed(state.iterations() * count);
}

BENCHMARK(BM_DownloadVestrix)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownloadRawTamro)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadMMVestrix)->Arg(1)->Arg(256);
BENCHMARK(BM_ReadMMRawTamro)->Arg(1)->Arg(256);

} // namespace

BENCHMARK_MAIN();
