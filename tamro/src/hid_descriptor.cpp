#include "hid_descriptor.h"

#include <map>
#include <vector>

namespace tamro {

ReportLengths parseReportDescriptor(const uint8_t *d, size_t length)
{
    struct Globals {
        uint32_t reportSize = 0, reportCount = 0, reportId = 0;
    };
    Globals g;
    std::vector<Globals> stack;
    std::map<uint32_t, uint64_t> inputBits, outputBits;

    size_t i = 0;
    while (i < length) {
        const uint8_t prefix = d[i];
        if (prefix == 0xFE) { // long item: size byte, tag byte, data
            if (i + 1 >= length)
                break;
            i += 3 + size_t(d[i + 1]);
            continue;
        }
        size_t size = prefix & 3;
        if (size == 3)
            size = 4;
        if (i + 1 + size > length)
            break;
        uint32_t value = 0;
        for (size_t b = 0; b < size; ++b)
            value |= uint32_t(d[i + 1 + b]) << (8 * b);
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;
        if (type == 1) { // global
            switch (tag) {
            case 0x7: g.reportSize = value; break;
            case 0x8: g.reportId = value; break;
            case 0x9: g.reportCount = value; break;
            case 0xA: stack.push_back(g); break;
            case 0xB:
                if (!stack.empty()) {
                    g = stack.back();
                    stack.pop_back();
                }
                break;
            default: break;
            }
        } else if (type == 0 && (tag == 0x8 || tag == 0x9)) { // Input / Output
            const uint64_t bits = uint64_t(g.reportSize) * g.reportCount;
            (tag == 0x8 ? inputBits : outputBits)[g.reportId] += bits;
        }
        i += 1 + size;
    }

    auto largest = [](const std::map<uint32_t, uint64_t> &m) {
        uint64_t best = 0;
        for (const auto &entry : m)
            best = entry.second > best ? entry.second : best;
        if (best == 0)
            return 0;
        const uint64_t bytes = (best + 7) / 8 + 1;
        return bytes > 65536 ? 65536 : int(bytes);
    };
    return {largest(outputBits), largest(inputBits)};
}

} // namespace tamro
