// Adapter replies: the common reply check and every decoder on raw bytes, and the whole
// command path (open handshake, scans, voltage, version, information record) against an HID
// adapter whose reports come from the input.
#include "frame.h"
#include "state.h"
#include "usb_backend.h"

#include <tamro.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace tamro;

namespace {

// An HID adapter that answers every read with the next report of the input: a length byte,
// then that many bytes (the report itself, whose first byte is the frame byte count).
class ReplayHid final : public HidBackend {
public:
    const uint8_t *data = nullptr;
    size_t size = 0;
    int opened = 0;

    std::vector<UsbDeviceInfo> enumerate(uint16_t, uint16_t) override
    {
        return {UsbDeviceInfo{"replay", "TA-HID", true}};
    }
    void *open(const std::string &) override
    {
        ++opened;
        return this;
    }
    void reportLengths(void *, const std::string &, int &output, int &input) override
    {
        output = 65;
        input = 65;
    }
    int write(void *, const uint8_t *, size_t length) override { return int(length); }
    int readTimeout(void *, uint8_t *to, size_t length, int) override
    {
        if (size == 0)
            return 0;
        size_t n = std::min<size_t>(data[0], size - 1);
        n = std::min(n, length);
        std::memcpy(to, data + 1, n);
        data += n + 1;
        size -= n + 1;
        return int(n);
    }
    void close(void *) override { --opened; }
};

ReplayHid replay;

// Fills the buffer exactly as large as the caller's, so a write past it is caught.
template <size_t N>
struct Exact {
    std::vector<char> b = std::vector<char>(N);
    char *p() { return b.data(); }
};

void decodersOnRaw(const uint8_t *data, size_t size)
{
    const int n = int(size);
    static const struct {
        uint8_t kind;
        int length;
    } shapes[] = {{KindNormal, 7}, {KindAck, 6},     {KindNormal, 12}, {KindNormal, 34},
                  {KindNormal, 8}, {KindNormal, 10}, {KindNormal, 0}};
    for (const auto &s : shapes) {
        const int expected = s.length ? s.length : n;
        const int code = checkReply(data, n, s.kind, expected);
        if (code > 0 || (code == TAMRO_OK && n != expected))
            __builtin_trap();
        if (code != TAMRO_OK)
            continue;
        char volt[7];
        VersionTexts version;
        InfoTexts info;
        if (n >= 5)
            openStatus(data[4]);
        decodeVoltage(data, n, volt);
        decodeVersion(data, n, version);
        decodeInfo(data, n, info);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setHidBackend(&replay);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const int op = data[0] % 8;
    const int bits = (data[1] | data[2] << 8) % 2060;
    const std::vector<uint8_t> raw(data + 3, data + size); // exact copy: reads past it are caught
    if (op == 7) {
        decodersOnRaw(raw.data(), raw.size());
        return 0;
    }

    replay.data = raw.data();
    replay.size = raw.size();
    char list[TAMRO_LIST_SIZE];
    ScanDevice(list, nullptr, 0);
    if (SelectDevice(0) == TAMRO_OK) {
        std::vector<uint8_t> reg(size_t((bits + 7) / 8), 0x5A);
        switch (op) {
        case 0: ReadRegister(bits & 0xF, bits, reg.empty() ? nullptr : reg.data()); break;
        case 1: WriteRegister(bits & 0xF, reg.empty() ? nullptr : reg.data(), bits); break;
        case 2: {
            Exact<7> volt;
            GetIOVoltage(volt.p());
            break;
        }
        case 3: {
            Exact<7> version;
            Exact<30> built;
            Exact<9> serial;
            Exact<25> identifier;
            GetTamroVersion(version.p(), built.p(), serial.p(), nullptr, identifier.p());
            break;
        }
        case 4: {
            Exact<16> pcb;
            Exact<20> date, firmware;
            Exact<8> serial;
            Exact<25> identifier;
            GetTamroInfo(pcb.p(), date.p(), serial.p(), nullptr, identifier.p(), firmware.p(), nullptr, nullptr);
            break;
        }
        case 5: {
            OpenDevice(); // the session is kept even when its handshake failed
            std::vector<uint8_t> out(reg.size());
            BSC_Sample_Preload(bits & 0xF, bits, reg.empty() ? nullptr : reg.data(), out.empty() ? nullptr : out.data(),
                               1);
            CloseDevice();
            break;
        }
        default: ConfigureFPGAAsk(bits); break;
        }
    }
    SelectDevice(-1);
    if (replay.opened != 0) // every session the library opened is closed again
        __builtin_trap();
    return 0;
}
