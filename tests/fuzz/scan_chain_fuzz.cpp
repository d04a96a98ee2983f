// Field cutting over captured scan-chain streams, and the bounded copies of adapter texts:
// arbitrary fields inside an exact-size stream, so a read or write past either buffer is caught.
#include "internal.h"

#include <vestrix.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    const std::vector<uint8_t> stream(data + 4, data + size); // exact size
    const long bitsAvailable = long(stream.size()) * 8;
    const int offset = data[1] & 7;
    const int extra = data[2] & 7;
    const int index = stream.empty() ? 0 : int(data[0] % stream.size());
    // As many full bytes as still fit after the start, sometimes fewer.
    const long room = bitsAvailable - (long(index) * 8 + offset) - extra;
    const int bytes = room < 0 ? -1 : int((data[3] & 0x80) ? room / 8 : (data[3] & 0x7F) % (room / 8 + 1));
    if (bytes >= 0) {
        std::vector<uint8_t> out(size_t(bytes + (extra ? 1 : 0)));
        const int next = ResolveScanChian(stream.data(), index, out.data(), &offset, &bytes, &extra);
        const long end = long(index) * 8 + offset + long(bytes) * 8 + extra;
        if (next != int(end / 8))
            __builtin_trap();
        for (long j = 0; j < long(bytes) * 8 + extra; ++j) {
            const long from = long(index) * 8 + offset + j;
            if (((out[size_t(j / 8)] >> (j % 8)) & 1) != ((stream[size_t(from / 8)] >> (from % 8)) & 1))
                __builtin_trap();
        }
        if (extra && (out.back() >> extra) != 0)
            __builtin_trap();
    }

    // Adapter texts of any content and length land terminated inside the stated size.
    char to[VESTRIX_TAMRO_DATE_SIZE];
    const size_t limit = 1 + data[0] % sizeof to;
    vestrix::copyText(to, limit, reinterpret_cast<const char *>(stream.data()), stream.size());
    if (std::strlen(to) >= limit)
        __builtin_trap();
    if (stream.size() >= 10)
        (void)vestrix::firmwareDateCode(reinterpret_cast<const char *>(stream.data()));
    return 0;
}
