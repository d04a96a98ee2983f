// One switch click as the panel makes it (panel input on, switches, keys, then LEDs, digits and
// CPU data read back: six register scans), against a brixo-labd process on loopback serving the
// four-bit adder example, and the same click on the emulated USB adapter in the same run. The
// lab server's click also reports its time as a multiple of the adapter's (x_emulated_usb).
#include "../tests/labd/labd_process.h"
#include "support/emu_adapter.h"
#include "support/lab_circuit.h"

#include <tamro.h>
#include <vestrix.h>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>

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

BENCHMARK(BM_ClickEmulatedUsb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ClickLabServer)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
