// The library's notice. Only its enciphered form is in the binary (the plain text is used
// at compile time alone); each call deciphers it into the static buffer it hands out.
#include "internal.h"

#include <vestrix.h>

#include <array>

namespace vestrix {

namespace {

constexpr uint8_t key(size_t i, uint8_t previous) { return uint8_t(0xA7 + 29 * i) ^ previous; }

template <size_t N>
constexpr std::array<uint8_t, N - 1> encipherLiteral(const char (&plain)[N])
{
    std::array<uint8_t, N - 1> out{};
    uint8_t previous = 0x3C;
    for (size_t i = 0; i + 1 < N; ++i) {
        out[i] = uint8_t(plain[i]) ^ key(i, previous);
        previous = out[i];
    }
    return out;
}

constexpr auto kNotice = encipherLiteral("(C) Brixo lab debugging");
static_assert(kNotice.size() <= 23, "the notice buffer holds 24 bytes");

} // namespace

void encipherNotice(const char *plain, size_t n, uint8_t *out)
{
    uint8_t previous = 0x3C;
    for (size_t i = 0; i < n; ++i) {
        out[i] = uint8_t(plain[i]) ^ key(i, previous);
        previous = out[i];
    }
}

void decipherNotice(const uint8_t *cipher, size_t n, char *out)
{
    uint8_t previous = 0x3C;
    for (size_t i = 0; i < n; ++i) {
        out[i] = char(cipher[i] ^ key(i, previous));
        previous = cipher[i];
    }
    out[n] = 0;
}

} // namespace vestrix

extern "C" VESTRIX_API const char *GetCopyRightText(void)
{
    static char text[24];
    vestrix::decipherNotice(vestrix::kNotice.data(), vestrix::kNotice.size(), text);
    return text;
}
