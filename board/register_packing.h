// Packing of the panel's inputs into the lab circuit's registers and
// unpacking of its output registers. Plain functions so that the board data
// and the tests share one implementation.
#pragma once
#include "board_layout.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <vector>

namespace board {

using Layout = brixo::BoardLayout;
constexpr int kSwitchRegisterBits = Layout::switchBits;
constexpr int kKeyRegisterBits = Layout::keyBits;
constexpr int kLedRegisterBits = Layout::ledBits;
constexpr int kDigitRegisterBits = Layout::digitBits;
constexpr int kGreenLedFirstBit = Layout::greenLedFirstBit;
constexpr int kDigitRegisterBytes = Layout::bytesFor(kDigitRegisterBits);
// Widest data slot that gets a text; wider slots consume their bits silently.
constexpr int kMaxDataSlotBits = 32;
// Widest CPU-data read one register scan carries (bytes of the read buffer).
constexpr int kMaxCpuDataBytes = Layout::bytesFor(Layout::cpuDataBits);

using SwitchBuffer = std::array<std::uint8_t, Layout::bytesFor(kSwitchRegisterBits)>;
using KeyBuffer = std::array<std::uint8_t, Layout::bytesFor(kKeyRegisterBits)>;
using LedBuffer = std::array<std::uint8_t, Layout::bytesFor(kLedRegisterBits)>;
using DigitBuffer = std::array<std::uint8_t, kDigitRegisterBytes>;

extern const std::array<std::uint8_t, 16> SegmentPatterns;

// Pattern for the low four bits of value.
std::uint8_t segmentPattern(int value);

// Bit i = bits[i] & 1 for i below count (clamped to the register); others 0.
SwitchBuffer packSwitches(const std::uint8_t *bits, int count);
KeyBuffer packKeys(const std::uint8_t *bits, int count);

// Red LED i from bit i, green LED g from bit 18 + g; lit (1) when the bit
// differs from onLevel. Counts are clamped to 18.
void unpackLeds(const LedBuffer &reg, int onLevel, std::uint8_t *red, int redCount, std::uint8_t *green,
                int greenCount);

// Digit d = register byte d XOR mask. Only the register's 8 bytes exist:
// digits beyond them are left untouched. Returns the number of digits set.
int unpackDigits(const DigitBuffer &reg, std::uint8_t mask, std::uint8_t *digits, int digitCount);

struct DataSlot {
    int index = 0;
    int bitWidth = 0;
};

// Total bit width of a CPU-data read for these slots, and its buffer size.
int dataSlotBits(const std::vector<DataSlot> &slots);
int dataSlotBytes(const std::vector<DataSlot> &slots);
// False when the slots need a read wider than one request carries, or a
// width is negative; such slots must not be read at all.
bool dataSlotsFit(const std::vector<DataSlot> &slots);

// Upper-case hexadecimal of value with ceil(width/4) digits; empty for
// width 0 or above 32.
QString dataSlotText(std::uint32_t value, int width);

// Walks the slots over the CPU-data stream, least significant bit first, and
// returns one text per slot. Bits past the end of the buffer read as 0.
QStringList unpackDataSlots(const std::vector<DataSlot> &slots, const std::uint8_t *data, int byteCount);

} // namespace board
