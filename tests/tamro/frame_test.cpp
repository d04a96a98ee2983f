// Frames, reply checks and decoders on plain byte buffers.
#include "frame.h"
#include "hid_descriptor.h"
#include "tea.h"

#include <tamro.h>

#include <gtest/gtest.h>

#include <cstring>

using namespace tamro;

TEST(ScanSequence, InstructionOnlyIsThe33ByteFrame)
{
    Bytes out;
    ASSERT_TRUE(buildScanSequence(5, 0, nullptr, false, out));
    const Bytes expected = {0xFF, 0xFE, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFE, 0x01, 0xFE, 0xFF,
                            0xFF, 0xFE, 0x03, 0xFE, 0xFF, 0xFF, 0xFE, 0x06, 0x04, 0x05, 0xFE,
                            0xFF, 0xFF, 0xFE, 0x04, 0xFE, 0xFF, 0xFF, 0xFE, 0x07, 0xFE, 0xFF};
    EXPECT_EQ(out, expected);
}

TEST(ScanSequence, LengthsAndTailsByBitCount)
{
    struct Case {
        int bits;
        size_t length;
        int whole;
        uint8_t lastCount;
    };
    for (const Case &c : {Case{1, 50, 0, 1}, Case{8, 50, 0, 8}, Case{9, 57, 1, 1}, Case{16, 57, 1, 8},
                          Case{32, 59, 3, 8}, Case{36, 60, 4, 4}, Case{2048, 311, 255, 8}}) {
        SCOPED_TRACE(c.bits);
        Bytes data(size_t((c.bits + 7) / 8));
        for (size_t i = 0; i < data.size(); ++i)
            data[i] = uint8_t(0xA0 + i);
        Bytes out;
        ASSERT_TRUE(buildScanSequence(14, c.bits, data.data(), true, out));
        ASSERT_EQ(out.size(), c.length);
        EXPECT_EQ(out[3], 1); // capture
        EXPECT_EQ(out[20], 14);
        const Bytes tail = {0xFF, 0xFE, 0x04, 0xFE, 0xFF, 0xFF, 0xFE, 0x07, 0xFE, 0xFF};
        EXPECT_TRUE(std::equal(tail.begin(), tail.end(), out.end() - 10));
        // The 0x06 sub-frame shifts the rest of the bits from the byte after the whole ones.
        const size_t shift = out.size() - 17;
        EXPECT_EQ(out[shift + 2], 0x06);
        EXPECT_EQ(out[shift + 3], c.lastCount);
        EXPECT_EQ(out[shift + 4], data[size_t(c.whole)]);
        if (c.whole > 0) {
            EXPECT_EQ(out[35], 0x05);
            EXPECT_EQ(out[36], c.whole);
            EXPECT_TRUE(std::equal(data.begin(), data.begin() + c.whole, out.begin() + 37));
        }
        EXPECT_EQ(scanReplyLength(c.bits, true), c.whole + 8);
    }
    EXPECT_EQ(scanReplyLength(32, false), 6);
}

TEST(ScanSequence, RefusesBitCountsTheFrameCannotCarry)
{
    Bytes out;
    uint8_t data[300] = {};
    EXPECT_FALSE(buildScanSequence(1, 2049, data, false, out));
    EXPECT_FALSE(buildScanSequence(1, -1, data, false, out));
    EXPECT_TRUE(out.empty());
}

TEST(CheckReply, Table)
{
    struct Case {
        Bytes reply;
        uint8_t kind;
        int expected;
        int code;
    };
    const Case cases[] = {
        {{}, 1, 7, TAMRO_NO_REPLY},
        {{0xFF, 0xFE, 0x01, 0x00, 0xAA, 0xFE, 0xFF}, 1, 7, TAMRO_OK},
        {{0xFF, 0xFE, 0x02, 0x00, 0xAA, 0xFE, 0xFF}, 1, 7, TAMRO_BAD_REPLY},       // wrong kind
        {{0xFF, 0xFF, 0x01, 0x00, 0xAA, 0xFE, 0xFF}, 1, 7, TAMRO_BAD_REPLY},       // start mark
        {{0xFF, 0xFE, 0x01, 0x00, 0xAA, 0xFF, 0xFE}, 1, 7, TAMRO_BAD_REPLY},       // end mark
        {{0xFF, 0xFE, 0x01, 0x00, 0xAA, 0x00, 0xFE, 0xFF}, 1, 7, TAMRO_BAD_REPLY}, // long
        {{0xFF, 0xFE, 0x01, 0xFE, 0xFF}, 1, 7, TAMRO_BAD_REPLY},                   // short
        {{0xFF, 0xFE, 0x02, 0x01, 0xFE, 0xFF}, 2, 6, TAMRO_OK},
        {{0xFF, 0xFE, 0x01, 0x01, 0xFE, 0xFF}, 1, 11, TAMRO_BAD_REPLY}, // 6 bytes where 11 were due
        {{0xFF, 0xFE, 0x00, 0x00, 0xFE, 0xFF}, 1, 11, TAMRO_ADAPTER_BAD_DATA},
        {{0xFF, 0xFE, 0x00, 0x03, 0xFE, 0xFF}, 1, 7, TAMRO_ADAPTER_BAD_DATA},
        {{0xFF, 0xFE, 0x00, 0x04, 0xFE, 0xFF}, 1, 7, -2},
        {{0xFF, 0xFE, 0x00, 0x05, 0xFE, 0xFF}, 2, 6, TAMRO_NOT_SUPPORTED},
        {{0xFF, 0xFE, 0x00, 0x06, 0xFE, 0xFF}, 1, 7, TAMRO_BAD_REPLY},
        {{0xFF, 0xFE, 0x03, 0x05, 0xFE, 0xFF}, 1, 7, TAMRO_BAD_REPLY},
        {{0xFF}, 1, 7, TAMRO_BAD_REPLY},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.reply));
        EXPECT_EQ(checkReply(c.reply.data(), int(c.reply.size()), c.kind, c.expected), c.code);
    }
    EXPECT_EQ(openStatus(0xAA), TAMRO_OK);
    EXPECT_EQ(openStatus(0xCC), TAMRO_ADAPTER_BAD_CONNECT_DATA);
    EXPECT_EQ(openStatus(0x55), TAMRO_UNKNOWN_CONNECT_ERROR);
}

TEST(Tea, PublishedVectorAndRoundTrip)
{
    // All-zero key and block.
    uint32_t v[2] = {0, 0};
    const uint32_t zero[4] = {0, 0, 0, 0};
    teaEncipher(v, zero);
    EXPECT_EQ(v[0], 0x41EA3A0Au);
    EXPECT_EQ(v[1], 0x94BAA940u);
    teaDecipher(v, zero);
    EXPECT_EQ(v[0], 0u);
    EXPECT_EQ(v[1], 0u);

    const uint32_t key[4] = {0x01234567, 0x89ABCDEF, 0xFEDCBA98, 0x76543210};
    uint8_t bytes[16], original[16];
    for (int i = 0; i < 16; ++i)
        original[i] = bytes[i] = uint8_t(i * 17 + 3);
    for (int b = 0; b < 2; ++b) { // encipher with the words read little-endian
        uint32_t w[2];
        std::memcpy(w, bytes + 8 * b, 8);
        teaEncipher(w, key);
        std::memcpy(bytes + 8 * b, w, 8);
    }
    EXPECT_NE(std::memcmp(bytes, original, 16), 0);
    teaDecipherBytes(bytes, 2, key);
    EXPECT_EQ(std::memcmp(bytes, original, 16), 0);
}

TEST(Decode, Voltage)
{
    const auto reply = [](const char *digits) {
        Bytes r = {0xFF, 0xFE, 0x01, 0x00};
        for (int i = 0; i < 6; ++i)
            r.push_back(uint8_t(digits[i]));
        r.push_back(0xFE);
        r.push_back(0xFF);
        return r;
    };
    char text[7] = "xxxxxx";
    Bytes r = reply("1.6500");
    ASSERT_EQ(decodeVoltage(r.data(), int(r.size()), text), TAMRO_OK);
    EXPECT_STREQ(text, "3.3000");
    r = reply("9.9999");
    ASSERT_EQ(decodeVoltage(r.data(), int(r.size()), text), TAMRO_OK);
    EXPECT_STREQ(text, "19.999");
    std::strcpy(text, "keep");
    r = reply("1.6:00");
    EXPECT_EQ(decodeVoltage(r.data(), int(r.size()), text), TAMRO_BAD_REPLY);
    EXPECT_STREQ(text, "keep");
}

TEST(Decode, VersionDeciphersOnlyAfterTheCutOffDate)
{
    uint32_t key[4];
    sessionKey(key);
    for (const bool newer : {false, true}) {
        Bytes r(34, 0);
        r[0] = 0xFF, r[1] = 0xFE, r[2] = 0x01, r[4] = 3, r[5] = 12;
        const uint8_t built[6] = {0x20, 0x17, uint8_t(newer ? 0x06 : 0x05), uint8_t(newer ? 0x01 : 0x31), 0x09, 0x45};
        std::memcpy(&r[6], built, 6);
        r[12] = 0xDE, r[13] = 0xAD, r[14] = 0xBE, r[15] = 0xEF;
        for (int i = 20; i < 32; ++i)
            r[size_t(i)] = uint8_t(i - 19); // identifier 01..0C
        if (newer)
            for (int b = 0; b < 2; ++b) {
                uint32_t w[2];
                std::memcpy(w, &r[size_t(16 + 8 * b)], 8);
                teaEncipher(w, key);
                std::memcpy(&r[size_t(16 + 8 * b)], w, 8);
            }
        r[32] = 0xFE, r[33] = 0xFF;
        VersionTexts t;
        ASSERT_EQ(decodeVersion(r.data(), 34, t), TAMRO_OK);
        EXPECT_STREQ(t.version, "3.12");
        EXPECT_STREQ(t.buildTime, newer ? "2017-06-01 09:45" : "2017-05-31 09:45");
        EXPECT_STREQ(t.serial, "DEADBEEF");
        EXPECT_STREQ(t.identifier, "0C0B0A090807060504030201");
    }
}

TEST(Decode, InfoRecordFieldsAndShortRecords)
{
    uint32_t key[4];
    sessionKey(key);
    Bytes r(80, 0);
    r[0] = 0xFF, r[1] = 0xFE, r[2] = 0x01;
    r[10] = 0x05, r[11] = 0x02;
    const uint32_t words[4] = {0x00C0FFEE, 0x11111111, 0x22222222, 0x33333333};
    std::memcpy(&r[20], words, 16);
    std::memcpy(&r[40], "2021.09.15", 10);
    std::memcpy(&r[60], "PCB-V3.1", 8);
    for (int b = 0; b < (80 - 12) / 8; ++b) {
        uint32_t w[2];
        std::memcpy(w, &r[size_t(10 + 8 * b)], 8);
        teaEncipher(w, key);
        std::memcpy(&r[size_t(10 + 8 * b)], w, 8);
    }
    r[78] = 0xFE, r[79] = 0xFF;
    InfoTexts t;
    ASSERT_EQ(decodeInfo(r.data(), 80, t), TAMRO_OK);
    EXPECT_STREQ(t.firmware, "02.05 (2021.09.15)");
    EXPECT_EQ(std::string(t.serial, 8), "00C0FFEE");
    EXPECT_STREQ(t.identifier, "333333332222222211111111");
    EXPECT_EQ(std::string(t.pcb, 8), "PCB-V3.1");
    EXPECT_EQ(std::string(t.date, 10), "2021.09.15");
    EXPECT_EQ(decodeInfo(r.data(), kMinInfoReply - 1, t), TAMRO_BAD_REPLY);
}

TEST(ReportDescriptor, LengthsIncludeTheReportIdByte)
{
    // Vendor page, 64-byte input and output reports without report IDs.
    const uint8_t plain[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
                             0x95, 0x40, 0x09, 0x01, 0x81, 0x02, 0x95, 0x40, 0x09, 0x01, 0x91, 0x02, 0xC0};
    ReportLengths l = parseReportDescriptor(plain, sizeof plain);
    EXPECT_EQ(l.input, 65);
    EXPECT_EQ(l.output, 65);
    // Two report IDs: the longest report counts; input of 32 bytes, output of 16 + 8.
    const uint8_t ids[] = {0x85, 0x01, 0x75, 0x08, 0x95, 0x20, 0x81, 0x02, 0x95, 0x10, 0x91,
                           0x02, 0x85, 0x02, 0x95, 0x08, 0x91, 0x02, 0x95, 0x08, 0x91, 0x02};
    l = parseReportDescriptor(ids, sizeof ids);
    EXPECT_EQ(l.input, 33);
    EXPECT_EQ(l.output, 17);
    // A truncated item is not read past the end.
    const uint8_t cut[] = {0x75, 0x08, 0x96, 0x40};
    l = parseReportDescriptor(cut, sizeof cut);
    EXPECT_EQ(l.input, 0);
    EXPECT_EQ(l.output, 0);
}

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
