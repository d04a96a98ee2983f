#include "legacy_block.h"

#include <QFile>
#include <cstring>

namespace panelfile {

void LegacyBlock::overlay(const QByteArray &bytes)
{
    const int n = bytes.size() < kSize ? bytes.size() : kSize;
    if (n > 0)
        std::memcpy(raw_.data(), bytes.constData(), static_cast<size_t>(n));
}

bool LegacyBlock::loadFile(const QString &fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    overlay(f.read(kSize));
    return true;
}

int LegacyBlock::i32(int off) const
{
    const std::uint32_t v = std::uint32_t(raw_[off]) | std::uint32_t(raw_[off + 1]) << 8 |
                            std::uint32_t(raw_[off + 2]) << 16 | std::uint32_t(raw_[off + 3]) << 24;
    return static_cast<std::int32_t>(v);
}

LegacyEntry LegacyBlock::entry(int base, int count, int i) const
{
    LegacyEntry e;
    if (i < 0 || i >= count)
        return e;
    const int off = base + i * 12;
    e.visible = raw_[off] != 0;
    e.x = i32(off + 4);
    e.y = i32(off + 8);
    return e;
}

} // namespace panelfile
