#include "legacy_block.h"

#include <QTemporaryFile>
#include <gtest/gtest.h>

using namespace panelfile;

namespace {
void put32(QByteArray &b, int off, std::int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[off + i] = char((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xff);
}
} // namespace

TEST(LegacyBlock, FieldsAtTheirOffsets)
{
    QByteArray b(LegacyBlock::kSize, '\0');
    b[108 + 12 * 3] = 1; // red LED 3
    put32(b, 108 + 12 * 3 + 4, 100);
    put32(b, 108 + 12 * 3 + 8, 40);
    b[636 + 12 * 3] = 7; // key 3, any nonzero is visible
    put32(b, 636 + 12 * 3 + 4, -5);
    put32(b, 684, 640);
    put32(b, 688, 480);
    b[692] = 2;
    LegacyBlock blk;
    blk.overlay(b);
    EXPECT_TRUE(blk.red(3).visible);
    EXPECT_EQ(blk.red(3).x, 100);
    EXPECT_EQ(blk.red(3).y, 40);
    EXPECT_FALSE(blk.red(2).visible);
    EXPECT_TRUE(blk.key(3).visible);
    EXPECT_EQ(blk.key(3).x, -5);
    EXPECT_EQ(blk.backgroundWidth(), 640);
    EXPECT_EQ(blk.backgroundHeight(), 480);
    EXPECT_TRUE(blk.hasBackground());
    EXPECT_FALSE(blk.key(4).visible); // past the record's four keys
    EXPECT_FALSE(blk.green(-1).visible);
}

TEST(LegacyBlock, LongShortAndMissingFiles)
{
    QByteArray full(700, '\0');
    full[692] = 1;
    full[699] = 9;
    QTemporaryFile f;
    ASSERT_TRUE(f.open());
    f.write(full);
    f.flush();
    LegacyBlock blk;
    ASSERT_TRUE(blk.loadFile(f.fileName()));
    EXPECT_TRUE(blk.hasBackground());

    blk.overlay(QByteArray(10, '\0')); // short: tail keeps its content
    EXPECT_TRUE(blk.hasBackground());

    EXPECT_FALSE(blk.loadFile(QStringLiteral("no/such/file.vpl")));
    EXPECT_TRUE(blk.hasBackground());
}
