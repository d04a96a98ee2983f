// Numbers as a script writes them: 0x..., 0b... or decimal, as in C.
#pragma once
#include <cstdint>
#include <string>

namespace cli {

enum class Radix { Decimal, Hex, Binary };

// The whole text must be the number; false for anything else or a value beyond 64 bits.
bool parseNumber(const std::string &text, uint64_t &value, Radix *radix = nullptr);

// In the radix the user wrote: decimal plain, hex as 0x with `bits` rounded up to whole
// digits, binary as 0b with `bits` digits.
std::string formatNumber(uint64_t value, Radix radix, int bits);

} // namespace cli
