// .vp2 panel files: lines, cells and counts from any bytes; a decoded panel writes and reads back.
#include "vp2_format.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace panelfile;
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const Vp2Panel panel = decodeVp2(splitVp2Lines(bytes));
    if (panel.switches.size() > 36 || panel.keys.size() > 20 || panel.redLeds.size() > 18 ||
        panel.greenLeds.size() > 18 || panel.digits.size() > 8)
        __builtin_trap();
    const Vp2Panel again = decodeVp2(splitVp2Lines(writeVp2(panel)));
    if (again.switches.size() != panel.switches.size() || again.digits.size() != panel.digits.size())
        __builtin_trap();
    return 0;
}
