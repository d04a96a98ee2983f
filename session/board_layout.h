// The lab board as its on-chip debugger presents it, written once: how many switches, keys,
// LEDs and digits it has, the test registers that carry them, and how their bits pack. The
// program, brixo-cli, brixo-labd and the tests' emulated circuit all take the board's shape
// from here; nothing below this header knows of Qt, widgets or the libraries.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace brixo {

struct BoardLayout {
    // What the panel can drive and show.
    static constexpr int switches = 36;
    static constexpr int keys = 20;
    static constexpr int redLeds = 18;
    static constexpr int greenLeds = 18;
    static constexpr int digits = 8;
    // The longest data register one scan shifts, so the widest CPU-data read.
    static constexpr int cpuDataBits = 2048;

    // Register widths as the panel reads and writes them.
    static constexpr int switchBits = switches;
    static constexpr int keyBits = keys;
    static constexpr int ledBits = redLeds + greenLeds; // red LED i is bit i, green LED g bit 18 + g
    static constexpr int greenLedFirstBit = redLeds;
    static constexpr int digitBits = 8 * digits; // byte d is digit d: segments a..g bits 0..6, point bit 7
    static constexpr int runStatusBits = 4;
    static constexpr int virtualModeBits = 4;

    // A digit bit the board reads as 0 lights its segment: pattern = register byte ^ digitMask.
    static constexpr std::uint8_t digitMask = 0xFF;
    // Every digit dark, as the register reads when nothing is lit.
    static constexpr std::uint8_t digitDark = 0xFF;

    // The test registers' selector numbers (the 4-bit instruction that picks each).
    enum Register : std::uint8_t {
        CpuData = 1,
        VirtualMode = 2,
        Digits = 3,
        RunTarget = 4,
        RunCommand = 5,
        RunStatus = 6,
        Keys = 7,
        Leds = 8,
        Switches = 9,
        ResetSignals = 10,
        MainChain = 11,
        ControlChain = 12,
        ChipInfo = 14,
    };

    static constexpr int bytesFor(int bits) { return bits > 0 ? (bits + 7) / 8 : 0; }
    static constexpr std::uint64_t mask(int bits) { return bits >= 64 ? ~0ull : (1ull << bits) - 1; }

    // Register bytes, least significant bit first (bit n is bit n % 8 of byte n / 8).
    static std::vector<std::uint8_t> pack(std::uint64_t value, int bits)
    {
        std::vector<std::uint8_t> out(static_cast<std::size_t>(bytesFor(bits)), 0);
        for (int n = 0; n < bits && n < 64; ++n)
            if ((value >> n) & 1)
                out[static_cast<std::size_t>(n / 8)] |= static_cast<std::uint8_t>(1u << (n % 8));
        return out;
    }
    static std::uint64_t unpack(const std::uint8_t *bytes, int bits)
    {
        std::uint64_t v = 0;
        for (int n = 0; n < bits && n < 64; ++n)
            if ((bytes[n / 8] >> (n % 8)) & 1)
                v |= 1ull << n;
        return v;
    }

    // The red and green halves of the LED register.
    static constexpr std::uint32_t redOf(std::uint64_t leds) { return std::uint32_t(leds & mask(redLeds)); }
    static constexpr std::uint32_t greenOf(std::uint64_t leds)
    {
        return std::uint32_t((leds >> greenLedFirstBit) & mask(greenLeds));
    }
};

using DigitBytes = std::array<std::uint8_t, BoardLayout::digits>;

} // namespace brixo
