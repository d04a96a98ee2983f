#include "register_packing.h"

#include <gtest/gtest.h>

#include <vector>

using namespace board;

TEST(RegisterPacking, SwitchesAndKeys)
{
    std::vector<std::uint8_t> sw(36, 0);
    sw[35] = 1;
    SwitchBuffer s = packSwitches(sw.data(), 36);
    EXPECT_EQ(s, (SwitchBuffer{0, 0, 0, 0, 0x08}));

    sw.assign(36, 1);
    s = packSwitches(sw.data(), 10); // bits past the count stay 0
    EXPECT_EQ(s, (SwitchBuffer{0xFF, 0x03, 0, 0, 0}));
    s = packSwitches(sw.data(), 99); // clamped to the register
    EXPECT_EQ(s, (SwitchBuffer{0xFF, 0xFF, 0xFF, 0xFF, 0x0F}));

    std::vector<std::uint8_t> keys(20, 1);
    EXPECT_EQ(packKeys(keys.data(), 20), (KeyBuffer{0xFF, 0xFF, 0x0F}));
    EXPECT_EQ(packKeys(nullptr, 20), (KeyBuffer{0, 0, 0}));
}

TEST(RegisterPacking, LedsFromRegister)
{
    struct Case {
        std::uint8_t byte2;
        int lit_red17;
        int lit_green0;
    };
    const Case cases[] = {{0x04, 0, 1}, {0x02, 1, 0}, {0x00, 0, 0}};
    for (const Case &c : cases) {
        LedBuffer reg{0, 0, c.byte2, 0, 0};
        std::vector<std::uint8_t> red(18, 9), green(18, 9);
        unpackLeds(reg, 0, red.data(), 18, green.data(), 18);
        for (int i = 0; i < 18; ++i) {
            EXPECT_EQ(red[i], i == 17 ? c.lit_red17 : 0) << "red " << i;
            EXPECT_EQ(green[i], i == 0 ? c.lit_green0 : 0) << "green " << i;
        }
    }
    // An LED lit when the bit differs from the on level; counts are clamped.
    LedBuffer all{0xFF, 0xFF, 0xFF, 0xFF, 0x0F};
    std::vector<std::uint8_t> red(20, 9), green(20, 9);
    unpackLeds(all, 1, red.data(), 20, green.data(), 20);
    EXPECT_EQ(red[17], 0);
    EXPECT_EQ(green[17], 0);
    EXPECT_EQ(red[18], 9);
    EXPECT_EQ(green[18], 9);
}

TEST(RegisterPacking, DigitsNeverPastTheRegister)
{
    DigitBuffer reg{0xC0, 0xFF, 0, 1, 2, 3, 4, 5};
    std::vector<std::uint8_t> digits(64, 0xAA);
    EXPECT_EQ(unpackDigits(reg, 0xFF, digits.data(), 64), 8);
    EXPECT_EQ(digits[0], 0x3F);
    EXPECT_EQ(digits[1], 0x00);
    EXPECT_EQ(digits[2], 0xFF);
    EXPECT_EQ(digits[7], 0xFA);
    for (int d = 8; d < 64; ++d)
        EXPECT_EQ(digits[d], 0xAA) << d;
    EXPECT_EQ(unpackDigits(reg, 0xFF, digits.data(), 3), 3);
}

TEST(RegisterPacking, SegmentPatternUsesLowNibble)
{
    EXPECT_EQ(segmentPattern(0), 191);
    EXPECT_EQ(segmentPattern(0xF), 241);
    EXPECT_EQ(segmentPattern(0x1A), 247);
    EXPECT_EQ(segmentPattern(-1), 241);
    for (std::uint8_t p : SegmentPatterns)
        EXPECT_TRUE(p & 0x80);
}

TEST(DataSlots, TextsFromStream)
{
    // 17-bit stream 0x1ABCD: widths 4, 12, 1.
    const std::uint8_t data[] = {0xCD, 0xAB, 0x01};
    const std::vector<DataSlot> slots{{0, 4}, {1, 12}, {2, 1}};
    EXPECT_EQ(dataSlotBits(slots), 17);
    EXPECT_EQ(dataSlotBytes(slots), 3);
    EXPECT_EQ(unpackDataSlots(slots, data, 3), (QStringList{"D", "ABC", "1"}));

    // Widths 0 and above 32 give empty texts but still consume their bits.
    const std::uint8_t wide[] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x12, 0, 0, 0};
    const std::vector<DataSlot> odd{{0, 0}, {1, 40}, {2, 8}};
    EXPECT_EQ(unpackDataSlots(odd, wide, 9), (QStringList{"", "", "12"}));
    // Bits past the buffer read as 0.
    EXPECT_EQ(unpackDataSlots(slots, data, 1), (QStringList{"D", "00C", "0"}));
}

TEST(DataSlots, HexWidths)
{
    struct Case {
        std::uint32_t v;
        int w;
        const char *text;
    };
    const Case cases[] = {
        {0x5, 1, "1"},          {0xA, 4, "A"},
        {0x1F, 5, "1F"},        {0xFF, 8, "FF"},
        {0x1AB, 9, "1AB"},      {0xBEEF, 16, "BEEF"},
        {0x12345, 17, "12345"}, {0xABCDEF, 24, "ABCDEF"},
        {0x0, 28, "0000000"},   {0xDEADBEEF, 32, "DEADBEEF"},
        {0x1, 0, ""},           {0x1, 33, ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(dataSlotText(c.v, c.w), QString(c.text)) << c.w;
}

TEST(DataSlots, RefusesReadsBeyondOneRequest)
{
    EXPECT_TRUE(dataSlotsFit({}));
    EXPECT_TRUE(dataSlotsFit(std::vector<DataSlot>(17, DataSlot{0, 32}))); // past 512 bits still one scan
    EXPECT_TRUE(dataSlotsFit(std::vector<DataSlot>(64, DataSlot{0, 32}))); // exactly 2048 bits
    EXPECT_FALSE(dataSlotsFit(std::vector<DataSlot>(65, DataSlot{0, 32})));
    EXPECT_FALSE(dataSlotsFit({{0, 8}, {1, -1}}));
}
