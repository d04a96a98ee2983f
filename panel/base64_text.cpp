#include "base64_text.h"

#include <array>
#include <cstdint>

namespace panelfile {

namespace {

constexpr std::uint8_t kSkip = 0xFF;

constexpr std::array<std::uint8_t, 128> makeTable()
{
    std::array<std::uint8_t, 128> t{};
    for (auto &v : t)
        v = kSkip;
    for (int i = 0; i < 26; ++i) {
        t[size_t('A' + i)] = std::uint8_t(i);
        t[size_t('a' + i)] = std::uint8_t(26 + i);
    }
    for (int i = 0; i < 10; ++i)
        t[size_t('0' + i)] = std::uint8_t(52 + i);
    t[size_t('+')] = 62;
    t[size_t('/')] = 63;
    return t;
}

constexpr std::array<std::uint8_t, 128> kTable = makeTable();

inline std::uint8_t sextet(char16_t c) { return c < 128 ? kTable[c] : kSkip; }

} // namespace

QByteArray decodeBase64Lenient(QStringView text)
{
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    QByteArray out;
    out.resize(int((text.size() / 4) * 3 + 3));
    auto *o = reinterpret_cast<std::uint8_t *>(out.data());
    auto *const start = o;

    std::uint32_t acc = 0;
    int bits = 0;
    while (p < end) {
        // Fast path: four alphabet characters in a row, no pending bits.
        if (bits == 0 && end - p >= 4) {
            const std::uint8_t a = sextet(p[0]), b = sextet(p[1]), c = sextet(p[2]), d = sextet(p[3]);
            if ((a | b | c | d) < 64) { // any skip mark sets the high bits
                const std::uint32_t v = std::uint32_t(a) << 18 | std::uint32_t(b) << 12 | std::uint32_t(c) << 6 | d;
                o[0] = std::uint8_t(v >> 16);
                o[1] = std::uint8_t(v >> 8);
                o[2] = std::uint8_t(v);
                o += 3;
                p += 4;
                continue;
            }
        }
        const std::uint8_t s = sextet(*p++);
        if (s == kSkip)
            continue;
        acc = (acc << 6) | s;
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            *o++ = std::uint8_t(acc >> bits);
            acc &= (1u << bits) - 1;
        }
    }
    out.resize(int(o - start));
    return out;
}

} // namespace panelfile
