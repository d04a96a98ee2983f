#include "output_text.h"

#include "board_layout.h"
#include "register_packing.h"
#include "step_json.h"

#include <cctype>

namespace cli {

char digitCharacter(uint8_t registerByte)
{
    const uint8_t lit = uint8_t(registerByte ^ brixo::BoardLayout::digitMask) & 0x7F;
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
    std::string out = brixo::cpuDataHex(bytes, bits);
    for (char &c : out)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

} // namespace cli
