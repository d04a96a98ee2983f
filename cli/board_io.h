// The board as brixo-cli sees it through vestrix: the whole switch and key registers in,
// the LED, digit and CPU-data registers out, with the panel program's packing.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace cli {

struct BoardOutputs {
    uint64_t leds = 0;               // 36 bits: red 0..17, green 18..35
    std::array<uint8_t, 8> digits{}; // register bytes as the board gives them (0 = lit)
    std::vector<uint8_t> cpu;        // CPU data, least significant bit first
};

// Panel input on, as the panel program switches it before writing inputs.
int enablePanelInput();
// Switch i is bit i of `switches`, key i bit i of `keys` (1 = pressed).
int writeSwitches(uint64_t switches);
int writeKeys(uint32_t keys);
int readLeds(BoardOutputs &out);
int readDigits(BoardOutputs &out);
int readCpu(int bits, BoardOutputs &out);

// The hexadecimal character a digit register byte shows: '0'..'9', 'A'..'F', '-' when no
// segment is lit, '?' for any other pattern. The other usual forms of 7 and 9 count as
// those digits; the decimal point does not count.
char digitCharacter(uint8_t registerByte);

// The low `bits` of little-endian bytes as upper-case hex, ceil(bits / 4) digits.
std::string hexOf(const std::vector<uint8_t> &bytes, int bits);

} // namespace cli
