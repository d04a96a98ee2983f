// What the board's output registers show, written as brixo-cli prints and compares them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace cli {

// The hexadecimal character a digit register byte shows: '0'..'9', 'A'..'F', '-' when no
// segment is lit, '?' for any other pattern. The other usual forms of 7 and 9 count as
// those digits; the decimal point does not count.
char digitCharacter(uint8_t registerByte);

// The low `bits` of little-endian bytes as upper-case hex, ceil(bits / 4) digits.
std::string hexOf(const std::vector<uint8_t> &bytes, int bits);

} // namespace cli
