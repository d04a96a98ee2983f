#include "circuit.h"

#include <algorithm>

namespace lab {

void setBitAt(uint8_t *bytes, int n, bool v)
{
    if (v)
        bytes[n / 8] |= uint8_t(1u << (n % 8));
    else
        bytes[n / 8] &= uint8_t(~(1u << (n % 8)));
}

void shiftOut(const Bytes &value, int bits, uint8_t *out)
{
    if (!out)
        return;
    for (int n = 0; n < bits; ++n)
        setBitAt(out, n, size_t(n / 8) < value.size() && bitAt(value.data(), n));
}

Bytes chipInfoBlock(uint32_t version, const std::string &text, uint8_t kind)
{
    Bytes block(kChipInfoBytes, 0);
    for (int i = 0; i < 4; ++i)
        block[size_t(i)] = uint8_t(version >> (8 * i));
    std::copy_n(text.begin(), std::min<size_t>(text.size(), kChipTextSize), block.begin() + kChipTextOffset);
    block[kChipKindOffset] = kind;
    return block;
}

void InputRegister::shift(const uint8_t *in, int count, uint8_t *out)
{
    shiftOut(data, count, out);
    data.assign(size_t(bytesFor(count)), 0);
    for (int n = 0; n < count; ++n)
        setBitAt(data.data(), n, in && bitAt(in, n));
    bits = count;
}

uint64_t InputRegister::value() const
{
    uint64_t v = 0;
    for (size_t i = 0; i < data.size() && i < 8; ++i)
        v |= uint64_t(data[i]) << (8 * i);
    return v;
}

} // namespace lab
