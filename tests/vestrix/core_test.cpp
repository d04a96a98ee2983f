// The device-free parts: date check, chain packing, field cutting, piece arithmetic, the
// bounded copies and the notice.
#include "internal.h"

#include <vestrix.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace vestrix;

TEST(VestrixCore, FirmwareDateCode)
{
    struct Case {
        const char *date;
        int code;
    };
    const Case cases[] = {
        {"2015.12.10", 0},
        {"2015-12-10", 0},
        {"2015.12.31", 0},
        {"2016.01.01", 0},
        {"2099.01.01", 0},
        {"2015.12.09", 18},
        {"2015.12.01", 18},
        {"2015.11.30", 18},
        {"2014.12.31", 18},
        {"1999.99.99", 18},
        {"\0\0\0\0\0\0\0\0\0\0", 18}, // an adapter that sent no date is not trusted
    };
    for (const Case &c : cases)
        EXPECT_EQ(firmwareDateCode(c.date), c.code) << c.date;
}

TEST(VestrixCore, ChainPacking)
{
    uint8_t cm[kControlChainBytes];
    packControlChain(0x11223344, 0x1FF, cm);
    EXPECT_EQ(std::vector<uint8_t>(cm, cm + 6), (std::vector<uint8_t>{0x44, 0x33, 0x22, 0x11, 0xFF, 0x01}));
    packControlChain(0, 0xABCD, cm);
    EXPECT_EQ(cm[4], 0xCD);
    EXPECT_EQ(cm[5], 0xAB);

    uint8_t mm[kMainChainBytes];
    packMainChain(0xDEADBEEF, 0x01020304, kReadStrobe, mm);
    EXPECT_EQ(std::vector<uint8_t>(mm, mm + 9),
              (std::vector<uint8_t>{0xEF, 0xBE, 0xAD, 0xDE, 0x04, 0x03, 0x02, 0x01, 0x02}));
    EXPECT_EQ(chainWord(mm), 0xDEADBEEFu);

    uint8_t target[5];
    packRunTarget(0x89ABCDEF, 7, target);
    EXPECT_EQ(std::vector<uint8_t>(target, target + 5), (std::vector<uint8_t>{0xEF, 0xCD, 0xAB, 0x89, 3}));

    EXPECT_EQ(controlChainBits(0), 41);
    EXPECT_EQ(controlChainBits(0x20220918), 41);
    EXPECT_EQ(controlChainBits(0x20220919), 48);
    EXPECT_EQ(controlChainBits(int32_t(0x90000000)), 41); // a signed comparison
}

TEST(VestrixCore, ResolveScanChianCutsFields)
{
    const unsigned char data[6] = {0xCD, 0xAB, 0x01, 0xF0, 0x0F, 0x80};
    struct Case {
        int index, offset, bytes, bits;
        std::vector<uint8_t> out;
        int next;
    };
    const Case cases[] = {
        {0, 4, 1, 4, {0xBC, 0x0A}, 2}, {0, 3, 0, 5, {0x19}, 1}, // ends on a byte boundary: the next byte
        {0, 0, 2, 0, {0xCD, 0xAB}, 2}, {1, 0, 0, 3, {0x03}, 1},
        {2, 4, 2, 0, {0x00, 0xFF}, 4},                          // each byte from two neighbours
        {3, 7, 0, 7, {0x1F}, 4},       {5, 7, 0, 1, {0x01}, 6}, // the last bit of the data
        {0, 0, 0, 0, {}, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.index << "/" << c.offset << "/" << c.bytes << "/" << c.bits);
        unsigned char out[8];
        std::memset(out, 0xEE, sizeof out);
        EXPECT_EQ(ResolveScanChian(data, c.index, out, &c.offset, &c.bytes, &c.bits), c.next);
        EXPECT_EQ(std::vector<uint8_t>(out, out + c.out.size()), c.out);
        EXPECT_EQ(out[c.out.size()], 0xEE); // nothing past the field's bytes
    }
    // Counts outside their ranges are not a field: nothing written, the index comes back.
    unsigned char out[2] = {0xEE, 0xEE};
    const int eight = 8, one = 1, minus = -1;
    EXPECT_EQ(ResolveScanChian(data, 1, out, &eight, &one, &one), 1);
    EXPECT_EQ(ResolveScanChian(data, 1, out, &one, &minus, &one), 1);
    EXPECT_EQ(ResolveScanChian(data, 1, out, &one, &one, &eight), 1);
    EXPECT_EQ(out[0], 0xEE);
}

TEST(VestrixCore, PiecesAndBarRange)
{
    struct Case {
        uint32_t size;
        int pieces;
        int maximum;
    };
    const Case cases[] = {
        {1, 1, 0},    {500, 1, 0},     {501, 2, 1},        {1000, 2, 1},
        {1001, 3, 2}, {10000, 20, 18}, {368011, 737, 663}, {0xFFFFFFFFu, 8589935, 0xFFFF}, // the bar keeps 16 bits
    };
    for (const Case &c : cases) {
        EXPECT_EQ(pieceCount(c.size), c.pieces) << c.size;
        EXPECT_EQ(progressMaximum(c.pieces), c.maximum) << c.size;
    }
}

TEST(VestrixCore, TextsAndBoundedCopies)
{
    EXPECT_EQ(fallbackFirmwareText("2016-03-04 05:06"), "2016-03-04 (旧版请升级)");
    EXPECT_EQ(fallbackFirmwareText("2016"), "2016(旧版请升级)");
    EXPECT_EQ(chipText(0x20190114, nullptr), "20190114\n旧版电路请升级！");
    EXPECT_EQ(chipText(0xA, "x"), "       A\nx");
    EXPECT_EQ(voltText("3.3000"), "电压值：3.3000V");

    char to[6];
    std::memset(to, 0xEE, sizeof to);
    const char unterminated[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    copyText(to, 4, unterminated, sizeof unterminated);
    EXPECT_STREQ(to, "abc");
    EXPECT_EQ(uint8_t(to[4]), 0xEE);
    copyText(to, 6, "xy", 3);
    EXPECT_EQ(std::vector<char>(to, to + 6), (std::vector<char>{'x', 'y', 0, 0, 0, 0}));
}

TEST(VestrixCore, NoticeIsDecipheredIntoItsBuffer)
{
    const char *first = GetCopyRightText();
    ASSERT_NE(first, nullptr);
    const size_t n = std::strlen(first);
    EXPECT_GT(n, 0u);
    EXPECT_LE(n, 23u);
    const std::string plain(first);
    // A caller that scribbled over the buffer gets the notice back on the next call.
    std::memset(const_cast<char *>(first), 'x', n);
    EXPECT_EQ(GetCopyRightText(), first);
    EXPECT_EQ(std::string(GetCopyRightText()), plain);
    // The cipher is not the text itself and deciphers back to it.
    std::vector<uint8_t> cipher(n);
    encipherNotice(plain.data(), n, cipher.data());
    EXPECT_NE(std::memcmp(cipher.data(), plain.data(), n), 0);
    std::vector<char> back(n + 1);
    decipherNotice(cipher.data(), n, back.data());
    EXPECT_EQ(std::string(back.data()), plain);
}
