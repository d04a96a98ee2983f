// One switch click as the panel makes it (panel input on, switches, keys, then LEDs, digits and
// CPU data read back: six register scans), against a brixo-labd process on loopback serving the
// four-bit adder example, and the same click on the emulated USB adapter in the same run. The
// lab server's click also reports its time as a multiple of the adapter's (x_emulated_usb).
// The same click over the server's step route (one request) reports how many times faster it
// is than the six scans, measured in the same run (x_faster_than_scans).
// A step beside 1,000 idle connections reports its time as a multiple of the same step with no
// other connection (x_alone) and the server's memory each idle connection costs
// (kib_per_connection, from VmRSS), both measured in the same run.
#include "../tests/labd/labd_process.h"
#include "../tests/labd/raw_client.h"
#include "support/emu_adapter.h"
#include "support/lab_circuit.h"

#include "step_route_board.h"

#include <tamro.h>
#include <vestrix.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>

namespace {

struct Board {
    emu::LabCircuit circuit;
    emu::Adapter adapter{emu::Adapter::Kind::Hid, &circuit};
    std::unique_ptr<labtest::Labd> labd;
    int usbEntry = -1, labdEntry = -1;

    Board()
    {
        emu::install();
        emu::attach(&adapter);
        labd = std::make_unique<labtest::Labd>();
        if (!labd->start({"--verilog", BRIXO_SOURCE_DIR "/examples/verilog/adder.v"}))
            return;
        char list[VESTRIX_LIST_SIZE] = {};
        ScanTAMRO(list, "127.0.0.1", labd->port);
        for (int i = 0; i < 10; ++i) {
            const char *name = list + i * VESTRIX_LIST_SLOT_SIZE;
            if (std::strcmp(name, "Lantrovex") == 0)
                labdEntry = i;
            else if (std::strcmp(name, "TA-HID") == 0)
                usbEntry = i;
        }
    }
};

Board &board()
{
    static Board b;
    return b;
}

// The panel's click: the same calls and widths the board data makes.
int click(uint64_t switches)
{
    unsigned char sw[5], keys[3] = {}, leds[5], digits[8], cpu[4];
    for (int i = 0; i < 5; ++i)
        sw[i] = uint8_t(switches >> (8 * i));
    int rc = SetVirtualMode(1);
    rc |= SetSwitchStatus(sw, 36);
    rc |= SetButtonStatus(keys, 20);
    rc |= GetLedStatus(36, leds);
    rc |= GetHexStatus(64, digits);
    rc |= ReadCpuData(32, cpu);
    return rc;
}

double usbClickSeconds()
{
    if (ConnectDevice(board().usbEntry) != 0)
        return 0;
    const int n = 200;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        click(uint64_t(i));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / n;
}

// Seconds per click over the remote-lab scans, or 0 when the server cannot be selected.
double scanClickSeconds()
{
    if (board().labdEntry < 0 || ConnectDevice(board().labdEntry) != 0)
        return 0;
    const int n = 200;
    int rc = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        rc |= click(uint64_t(i) & 0x1FF);
    return rc != 0 ? 0 : std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / n;
}

void BM_ClickEmulatedUsb(benchmark::State &state)
{
    if (board().usbEntry < 0 || ConnectDevice(board().usbEntry) != 0) {
        state.SkipWithError("no emulated adapter");
        return;
    }
    uint64_t sw = 0;
    int rc = 0;
    for (auto _ : state)
        rc |= click(++sw);
    if (rc != 0)
        state.SkipWithError("a scan failed");
}

void BM_ClickLabServer(benchmark::State &state)
{
    const double usb = usbClickSeconds();
    if (board().labdEntry < 0 || ConnectDevice(board().labdEntry) != 0) {
        state.SkipWithError("brixo-labd did not start or is not listed");
        return;
    }
    uint64_t sw = 0;
    int rc = 0;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        rc |= click(++sw & 0x1FF);
    const double each =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / double(state.iterations());
    if (rc != 0)
        state.SkipWithError("a scan failed");
    state.counters["x_emulated_usb"] = usb > 0 ? each / usb : 0;
    state.counters["ms_per_click"] = each * 1000;
}

// The panel's click as one step: the whole input state in, LEDs, digits and CPU data out.
void BM_ClickStepRoute(benchmark::State &state)
{
    std::string why;
    const std::unique_ptr<brixo::StepRouteBoard> route =
        board().labd ? brixo::StepRouteBoard::open("127.0.0.1", board().labd->port, &why) : nullptr;
    if (!route) {
        state.SkipWithError(("no step route: " + why).c_str());
        return;
    }
    const double scans = scanClickSeconds();
    brixo::Inputs in;
    in.reads.cpuBits = 32;
    uint64_t sw = 0;
    bool failed = false;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        in.switches = ++sw & 0x1FF;
        failed = failed || !route->step(in).ok();
    }
    const double each =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / double(state.iterations());
    if (failed)
        state.SkipWithError("a step failed");
    state.counters["x_faster_than_scans"] = scans > 0 ? scans / each : 0;
    state.counters["ms_per_click"] = each * 1000;
}

// Seconds per step over `route`, or 0 when one failed.
double stepSeconds(brixo::StepRouteBoard &route, int n)
{
    brixo::Inputs in;
    bool failed = false;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i) {
        in.switches = uint64_t(i) & 0x1FF;
        failed = failed || !route.step(in).ok();
    }
    return failed ? 0 : std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / n;
}

void BM_StepBesideIdleConnections(benchmark::State &state)
{
    labtest::Labd labd; // its own server: the other benchmarks' connections are not counted
    if (!labd.start({"--verilog", BRIXO_SOURCE_DIR "/examples/verilog/adder.v"})) {
        state.SkipWithError("brixo-labd did not start");
        return;
    }
    const std::unique_ptr<brixo::StepRouteBoard> route = brixo::StepRouteBoard::open("127.0.0.1", labd.port);
    if (!route) {
        state.SkipWithError("no step route");
        return;
    }
    const double alone = stepSeconds(*route, 300);
    const long before = labd.residentKiB();
    const int count = int(state.range(0));
    std::vector<std::unique_ptr<labtest::RawClient>> idle;
    for (int i = 0; i < count; ++i)
        idle.push_back(std::make_unique<labtest::RawClient>(labd.port));
    std::this_thread::sleep_for(std::chrono::seconds(1)); // every one accepted and reading
    const long after = labd.residentKiB();
    double beside = 0;
    for (auto _ : state)
        beside = stepSeconds(*route, 300);
    if (alone == 0 || beside == 0 || !idle.back()->connected())
        state.SkipWithError("a step or a connection failed");
    state.counters["ms_alone"] = alone * 1000;
    state.counters["ms_beside_idle"] = beside * 1000;
    state.counters["x_alone"] = alone > 0 ? beside / alone : 0;
    state.counters["kib_per_connection"] = double(after - before) / count;
    state.counters["mib_rss"] = after / 1024.0;
}

BENCHMARK(BM_ClickEmulatedUsb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClickLabServer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClickStepRoute)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepBesideIdleConnections)->Arg(1000)->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
