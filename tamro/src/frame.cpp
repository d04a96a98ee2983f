#include "frame.h"

#include "tea.h"

#include "result_codes.h"

#include <cstdio>
#include <cstring>

namespace tamro {

const uint8_t kSessionPayload[8] = {0x42, 0x72, 0x69, 0x78, 0x6F, 0x54, 0x41, 0x31};

void sessionKey(uint32_t key[4])
{
    for (int w = 0; w < 4; ++w) {
        const uint8_t *p = kSessionPayload + (w % 2) * 4;
        key[w] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
}

Bytes openRequest()
{
    Bytes b = {0xFF, 0xFE, 0x10, 0x08};
    b.insert(b.end(), kSessionPayload, kSessionPayload + 8);
    b.push_back(0xFE);
    b.push_back(0xFF);
    return b;
}

Bytes queryRequest(uint8_t command) { return {0xFF, 0xFE, command, 0xFE, 0xFF}; }

namespace {
void sub(Bytes &out, uint8_t code) { out.insert(out.end(), {0xFF, 0xFE, code, 0xFE, 0xFF}); }
void shiftBits(Bytes &out, uint8_t count, uint8_t value)
{
    out.insert(out.end(), {0xFF, 0xFE, 0x06, count, value, 0xFE, 0xFF});
}
} // namespace

bool buildScanSequence(int instruction, int bits, const uint8_t *data, bool capture, Bytes &out)
{
    out.clear();
    if (bits < 0 || bits > kMaxScanBits || (bits > 0 && !data))
        return false;
    out.reserve(size_t(56 + bits / 8));
    out.insert(out.end(), {0xFF, 0xFE, 0x00, uint8_t(capture ? 1 : 0), 0xFE, 0xFF});
    sub(out, 0x01);
    sub(out, 0x03);
    shiftBits(out, 4, uint8_t(instruction));
    sub(out, 0x04);
    if (bits > 0) {
        sub(out, 0x02);
        if (bits > 8) {
            const int whole = (bits - 1) / 8;
            out.insert(out.end(), {0xFF, 0xFE, 0x05, uint8_t(whole)});
            out.insert(out.end(), data, data + whole);
            out.insert(out.end(), {0xFE, 0xFF});
            shiftBits(out, uint8_t(bits - 8 * whole), data[whole]);
        } else {
            shiftBits(out, uint8_t(bits), data[0]);
        }
        sub(out, 0x04);
    }
    sub(out, 0x07);
    return true;
}

int scanDataBytes(int bits) { return bits > 8 ? (bits - 1) / 8 + 1 : 1; }

int scanReplyLength(int bits, bool capture) { return capture ? scanDataBytes(bits) + 7 : 6; }

int errorReason(uint8_t reason)
{
    if (reason <= 3)
        return AdapterBadData;
    if (reason == 4)
        return AdapterReason4;
    if (reason == 5)
        return NotSupported;
    return BadReply;
}

int checkReply(const uint8_t *b, int n, uint8_t kind, int expected)
{
    if (n <= 0 || !b)
        return NoReply;
    if (n < 5 || b[0] != 0xFF || b[1] != 0xFE || b[n - 2] != 0xFE || b[n - 1] != 0xFF)
        return BadReply;
    if (n != 6)
        return n == expected && b[2] == kind ? Ok : BadReply;
    if (b[2] == kind) // a short reply of the right kind carries none of the expected data
        return expected == 6 ? Ok : BadReply;
    if (b[2] != KindError)
        return BadReply;
    return errorReason(b[3]);
}

int openStatus(uint8_t status)
{
    if (status == 0xAA)
        return Ok;
    return status == 0xCC ? AdapterBadConnectData : UnknownConnectError;
}

int decodeVoltage(const uint8_t *r, int length, char text[7])
{
    if (length < 10)
        return BadReply;
    static const int at[5] = {4, 6, 7, 8, 9};
    float value = 0, scale = 1;
    for (int i = 0; i < 5; ++i) {
        const uint8_t c = r[at[i]];
        if (c < '0' || c > '9')
            return BadReply;
        value += float(c - '0') * scale;
        scale /= 10;
    }
    char full[32];
    std::snprintf(full, sizeof full, "%4f", double(value * 2));
    std::memcpy(text, full, 6);
    text[6] = 0;
    return Ok;
}

int decodeVersion(const uint8_t *reply, int length, VersionTexts &out)
{
    if (length < 34)
        return BadReply;
    uint8_t r[34];
    std::memcpy(r, reply, sizeof r);
    const uint32_t built = uint32_t(r[6]) << 24 | uint32_t(r[7]) << 16 | uint32_t(r[8]) << 8 | r[9];
    if (built > 0x20170600u) { // older firmware sent these blocks in clear
        uint32_t key[4];
        sessionKey(key);
        teaDecipherBytes(r + 16, 2, key);
    }
    std::snprintf(out.version, sizeof out.version, "%d.%d", r[4], r[5]);
    std::snprintf(out.buildTime, sizeof out.buildTime, "%02X%02X-%02X-%02X %02X:%02X", r[6], r[7], r[8], r[9], r[10],
                  r[11]);
    std::snprintf(out.serial, sizeof out.serial, "%02X%02X%02X%02X", r[12], r[13], r[14], r[15]);
    for (int i = 0; i < 12; ++i)
        std::snprintf(out.identifier + 2 * i, 3, "%02X", r[31 - i]);
    return Ok;
}

int decodeInfo(const uint8_t *reply, int length, InfoTexts &out)
{
    if (length < kMinInfoReply)
        return BadReply;
    Bytes r(reply, reply + length);
    uint32_t key[4];
    sessionKey(key);
    teaDecipherBytes(r.data() + 10, (length - 12) / 8, key);
    auto word = [&](int at) {
        return uint32_t(r[at]) | uint32_t(r[at + 1]) << 8 | uint32_t(r[at + 2]) << 16 | uint32_t(r[at + 3]) << 24;
    };
    std::memcpy(out.pcb, &r[60], 15);
    std::memcpy(out.date, &r[40], 20);
    char serial[9];
    std::snprintf(serial, sizeof serial, "%08X", unsigned(word(20)));
    std::memcpy(out.serial, serial, 8);
    std::snprintf(out.identifier, sizeof out.identifier, "%08X%08X%08X", unsigned(word(32)), unsigned(word(28)),
                  unsigned(word(24)));
    std::snprintf(out.firmware, sizeof out.firmware, "%02X.%02X (1234.67.90)", r[11], r[10]);
    std::memcpy(out.firmware + 7, &r[40], 10);
    return Ok;
}

} // namespace tamro
