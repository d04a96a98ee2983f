// The lab circuit as its on-chip debugger presents it: the test registers and their selector
// numbers, how a register scan moves bits, and the "circuit" seam that an adapter or a lab
// server scans through. The tests' emulated circuit computes its outputs in C++; brixo-labd's
// circuit asks a simulated design. Both keep their registers with the helpers here.
#pragma once
#include "board_layout.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lab {

using Bytes = std::vector<uint8_t>;

// Register widths the panel program uses, as the board's layout has them.
constexpr int kSwitchBits = brixo::BoardLayout::switchBits;
constexpr int kKeyBits = brixo::BoardLayout::keyBits;
constexpr int kLedBits = brixo::BoardLayout::ledBits;
constexpr int kRedLeds = brixo::BoardLayout::redLeds; // LED register bits 0..17; green LED i is bit 18 + i
constexpr int kGreenLeds = brixo::BoardLayout::greenLeds;
constexpr int kDigits = brixo::BoardLayout::digits; // one byte per digit, segments a..g in bits 0..6, point bit 7
constexpr int kDigitBits = brixo::BoardLayout::digitBits;
constexpr int kMaxScanBits = brixo::BoardLayout::cpuDataBits; // the longest data register one scan shifts
constexpr int kRunStatusBits = brixo::BoardLayout::runStatusBits;
constexpr int kVirtualModeBits = brixo::BoardLayout::virtualModeBits;

// The 256-bit chip-information block: a version word that is a BCD date (bytes 0..3, little
// endian), an identifier text (bytes 20..30) and a kind byte (31).
constexpr int kChipInfoBytes = 32;
constexpr int kChipTextOffset = 20;
constexpr int kChipTextSize = 11;
constexpr int kChipKindOffset = 31;
Bytes chipInfoBlock(uint32_t version, const std::string &text, uint8_t kind);

// The status byte of a scan whose link to the on-chip debugger is good (low bits binary 01).
constexpr uint8_t kLinkGood = 0x01;

// Register n is bit n % 8 of byte n / 8.
inline bool bitAt(const uint8_t *bytes, int n) { return (bytes[n / 8] >> (n % 8)) & 1; }
void setBitAt(uint8_t *bytes, int n, bool v);
// Shifts `bits` bits of `value` out into `out` (bits past the value's end read 0); out may be null.
void shiftOut(const Bytes &value, int bits, uint8_t *out);
inline int bytesFor(int bits) { return bits > 0 ? (bits + 7) / 8 : 0; }

// A register the debugger writes: keeps exactly the bits shifted in, and shifts out what it held.
struct InputRegister {
    Bytes data;    // the bits shifted in, unused high bits 0
    int bits = -1; // width of the last write; -1: never written
    void shift(const uint8_t *in, int count, uint8_t *out);
    uint64_t value() const; // the first 64 bits
};

class Circuit {
public:
    enum Selector : uint8_t {
        CpuData = brixo::BoardLayout::CpuData,
        VirtualMode = brixo::BoardLayout::VirtualMode,
        Digits = brixo::BoardLayout::Digits,
        RunTarget = brixo::BoardLayout::RunTarget,
        RunCommand = brixo::BoardLayout::RunCommand,
        RunStatus = brixo::BoardLayout::RunStatus,
        Keys = brixo::BoardLayout::Keys,
        Leds = brixo::BoardLayout::Leds,
        Switches = brixo::BoardLayout::Switches,
        ResetSignals = brixo::BoardLayout::ResetSignals,
        MainChain = brixo::BoardLayout::MainChain,
        ControlChain = brixo::BoardLayout::ControlChain,
        ChipInfo = brixo::BoardLayout::ChipInfo,
    };

    virtual ~Circuit() = default;

    // Loads the 4-bit instruction `instruction`, then shifts `bits` bits of `in` (least
    // significant bit first) through the data register the instruction selects. `bits` may be
    // 0 (instruction only; `in` and `out` may be null). The bits shifted out are stored in `out`
    // (ceil(bits / 8) bytes; unused high bits 0) when `out` is not null. Returns the status byte
    // the adapter reports for the scan: its two low bits are binary 01 when the link is good.
    virtual uint8_t scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out) = 0;
};

} // namespace lab
