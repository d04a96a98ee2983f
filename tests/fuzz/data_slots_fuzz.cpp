// Data-slot texts: arbitrary widths (negative, zero, above 32, huge) over a CPU-data stream.
#include "register_packing.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace board;
    if (size < 1)
        return 0;
    // First byte: slot count; then a 32-bit width per slot; the rest is the register stream.
    const size_t count = data[0] % 40;
    size_t at = 1;
    std::vector<DataSlot> slots;
    for (size_t i = 0; i < count && at + 4 <= size; ++i, at += 4) {
        int32_t w;
        std::memcpy(&w, data + at, 4);
        // Mostly plausible widths, sometimes anything at all.
        slots.push_back(DataSlot{int(i), (w & 0x100) ? w : (w & 0x3F) - 4});
    }
    const std::vector<uint8_t> stream(data + at, data + size); // exact size, so a read past it is caught
    const QStringList texts = unpackDataSlots(slots, stream.empty() ? nullptr : stream.data(), int(stream.size()));
    if (texts.size() != int(slots.size()))
        __builtin_trap();
    for (int i = 0; i < texts.size(); ++i) {
        const int w = slots[size_t(i)].bitWidth;
        const int expected = w > 0 && w <= kMaxDataSlotBits ? (w + 3) / 4 : 0;
        if (texts[i].size() != expected)
            __builtin_trap();
    }
    if (dataSlotsFit(slots) && (dataSlotBytes(slots) > kMaxCpuDataBytes || dataSlotBits(slots) < 0))
        __builtin_trap();
    if (!slots.empty()) {
        uint32_t v = 0;
        std::memcpy(&v, data + 1, size >= 5 ? 4 : 0);
        const QString t = dataSlotText(v, slots[0].bitWidth);
        if (t.size() > 8)
            __builtin_trap();
    }
    return 0;
}
