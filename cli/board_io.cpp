#include "board_io.h"

#include "register_packing.h"

#include <vestrix.h>

namespace cli {

namespace {
constexpr uint8_t kDigitMask = 0xFF; // a digit bit read as 0 lights its segment
}

int enablePanelInput() { return SetVirtualMode(1); }

int writeSwitches(uint64_t switches)
{
    uint8_t bits[board::kSwitchRegisterBits];
    for (int i = 0; i < board::kSwitchRegisterBits; ++i)
        bits[i] = uint8_t((switches >> i) & 1);
    const board::SwitchBuffer buffer = board::packSwitches(bits, board::kSwitchRegisterBits);
    return SetSwitchStatus(buffer.data(), board::kSwitchRegisterBits);
}

int writeKeys(uint32_t keys)
{
    uint8_t bits[board::kKeyRegisterBits];
    for (int i = 0; i < board::kKeyRegisterBits; ++i)
        bits[i] = uint8_t((keys >> i) & 1);
    const board::KeyBuffer buffer = board::packKeys(bits, board::kKeyRegisterBits);
    return SetButtonStatus(buffer.data(), board::kKeyRegisterBits);
}

int readLeds(BoardOutputs &out)
{
    board::LedBuffer buffer{};
    const int rc = GetLedStatus(board::kLedRegisterBits, buffer.data());
    out.leds = 0;
    for (size_t i = 0; i < buffer.size(); ++i)
        out.leds |= uint64_t(buffer[i]) << (8 * i);
    out.leds &= (uint64_t(1) << board::kLedRegisterBits) - 1;
    return rc;
}

int readDigits(BoardOutputs &out) { return GetHexStatus(board::kDigitRegisterBits, out.digits.data()); }

int readCpu(int bits, BoardOutputs &out)
{
    out.cpu.assign(size_t((bits + 7) / 8), 0);
    return ReadCpuData(bits, out.cpu.data());
}

char digitCharacter(uint8_t registerByte)
{
    const uint8_t lit = uint8_t(registerByte ^ kDigitMask) & 0x7F;
    if (lit == 0)
        return '-';
    for (int d = 0; d < 16; ++d)
        if ((board::SegmentPatterns[size_t(d)] & 0x7F) == lit)
            return "0123456789ABCDEF"[d];
    // Lab designs draw 7 with its left bar and 9 with its tail as often as without; each still
    // shows that digit (a 6 without its top bar is the board's b).
    switch (lit) {
    case 0x27: return '7';
    case 0x6F: return '9';
    default: return '?';
    }
}

std::string hexOf(const std::vector<uint8_t> &bytes, int bits)
{
    std::string out;
    for (int nibble = (bits + 3) / 4 - 1; nibble >= 0; --nibble) {
        int v = 0;
        for (int k = 3; k >= 0; --k) {
            const int bit = nibble * 4 + k;
            const bool set =
                bit < bits && size_t(bit / 8) < bytes.size() && ((bytes[size_t(bit / 8)] >> (bit % 8)) & 1);
            v = v << 1 | (set ? 1 : 0);
        }
        out += "0123456789ABCDEF"[v];
    }
    return out;
}

} // namespace cli
