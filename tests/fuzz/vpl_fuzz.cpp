// .vpl panel files: the fixed record over any bytes, every entry read (and a few beyond).
#include "legacy_block.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using panelfile::LegacyBlock;
    LegacyBlock block;
    block.overlay(QByteArray(reinterpret_cast<const char *>(data), int(size)));
    long long sum = (long long)block.backgroundWidth() + block.backgroundHeight() + block.hasBackground();
    auto take = [&sum](const panelfile::LegacyEntry &e) { sum += e.visible + (long long)e.x + e.y; };
    for (int i = -1; i <= 36; ++i) {
        take(block.green(i));
        take(block.red(i));
        take(block.switchAt(i));
        take(block.digit(i));
        take(block.key(i));
    }
    return sum == 0x7FFFFFFFFFFFLL ? 1 : 0;
}
