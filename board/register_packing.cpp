#include "register_packing.h"

#include <algorithm>

namespace board {

const std::array<std::uint8_t, 16> SegmentPatterns = {191, 134, 219, 207, 230, 237, 253, 135,
                                                      255, 231, 247, 252, 185, 222, 249, 241};

std::uint8_t segmentPattern(int value) { return SegmentPatterns[static_cast<unsigned>(value) & 0x0F]; }

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> packBits(const std::uint8_t *bits, int count, int registerBits)
{
    std::array<std::uint8_t, N> out{};
    const int n = bits ? std::clamp(count, 0, registerBits) : 0;
    for (int i = 0; i < n; ++i) {
        if (bits[i] & 1)
            out[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
    }
    return out;
}

template <std::size_t N>
int bitAt(const std::array<std::uint8_t, N> &reg, int bit)
{
    return (reg[bit / 8] >> (bit % 8)) & 1;
}

} // namespace

SwitchBuffer packSwitches(const std::uint8_t *bits, int count)
{
    return packBits<std::tuple_size<SwitchBuffer>::value>(bits, count, kSwitchRegisterBits);
}

KeyBuffer packKeys(const std::uint8_t *bits, int count)
{
    return packBits<std::tuple_size<KeyBuffer>::value>(bits, count, kKeyRegisterBits);
}

void unpackLeds(const LedBuffer &reg, int onLevel, std::uint8_t *red, int redCount, std::uint8_t *green, int greenCount)
{
    const int redN = red ? std::clamp(redCount, 0, kGreenLedFirstBit) : 0;
    const int greenN = green ? std::clamp(greenCount, 0, kLedRegisterBits - kGreenLedFirstBit) : 0;
    for (int i = 0; i < redN; ++i)
        red[i] = bitAt(reg, i) != onLevel ? 1 : 0;
    for (int g = 0; g < greenN; ++g)
        green[g] = bitAt(reg, kGreenLedFirstBit + g) != onLevel ? 1 : 0;
}

int unpackDigits(const DigitBuffer &reg, std::uint8_t mask, std::uint8_t *digits, int digitCount)
{
    const int n = digits ? std::clamp(digitCount, 0, kDigitRegisterBytes) : 0;
    for (int d = 0; d < n; ++d)
        digits[d] = reg[d] ^ mask;
    return n;
}

int dataSlotBits(const std::vector<DataSlot> &slots)
{
    long long sum = 0;
    for (const DataSlot &s : slots)
        sum += std::max(s.bitWidth, 0);
    return static_cast<int>(std::min<long long>(sum, 1 << 30));
}

int dataSlotBytes(const std::vector<DataSlot> &slots) { return (dataSlotBits(slots) + 7) / 8; }

bool dataSlotsFit(const std::vector<DataSlot> &slots)
{
    for (const DataSlot &s : slots) {
        if (s.bitWidth < 0)
            return false;
    }
    return dataSlotBytes(slots) <= kMaxCpuDataBytes;
}

QString dataSlotText(std::uint32_t value, int width)
{
    if (width <= 0 || width > kMaxDataSlotBits)
        return QString();
    const int digits = (width + 3) / 4;
    if (width < 32)
        value &= (1u << width) - 1;
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

QStringList unpackDataSlots(const std::vector<DataSlot> &slots, const std::uint8_t *data, int byteCount)
{
    QStringList texts;
    long long cursor = 0;
    const long long limit = data ? static_cast<long long>(std::max(byteCount, 0)) * 8 : 0;
    for (const DataSlot &s : slots) {
        const int w = std::max(s.bitWidth, 0);
        std::uint32_t value = 0;
        const int taken = std::min(w, kMaxDataSlotBits);
        for (int b = 0; b < taken; ++b) {
            const long long bit = cursor + b;
            if (bit < limit && ((data[bit / 8] >> (bit % 8)) & 1))
                value |= 1u << b;
        }
        texts << dataSlotText(value, w);
        cursor += w;
    }
    return texts;
}

} // namespace board
