#include "number_text.h"

namespace cli {

bool parseNumber(const std::string &text, uint64_t &value, Radix *radix)
{
    Radix r = Radix::Decimal;
    size_t at = 0;
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        r = Radix::Hex, base = 16, at = 2;
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'b' || text[1] == 'B')) {
        r = Radix::Binary, base = 2, at = 2;
    }
    if (at == text.size())
        return false;
    uint64_t v = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        unsigned d;
        if (c >= '0' && c <= '9')
            d = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            d = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            d = unsigned(c - 'A' + 10);
        else
            return false;
        if (d >= base || v > (UINT64_MAX - d) / base)
            return false;
        v = v * base + d;
    }
    value = v;
    if (radix)
        *radix = r;
    return true;
}

std::string formatNumber(uint64_t value, Radix radix, int bits)
{
    static const char digits[] = "0123456789ABCDEF";
    if (radix == Radix::Decimal)
        return std::to_string(value);
    const int step = radix == Radix::Hex ? 4 : 1;
    const int count = bits < 1 ? 1 : (bits + step - 1) / step;
    std::string out = radix == Radix::Hex ? "0x" : "0b";
    for (int i = count - 1; i >= 0; --i)
        out += i * step >= 64 ? '0' : digits[(value >> (i * step)) & (radix == Radix::Hex ? 0xF : 0x1)];
    return out;
}

} // namespace cli
