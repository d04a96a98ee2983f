// The lab CPU's control and main memories over their scan chains. Each operation holds the
// adapter open for all its scans and closes it on every path. Reads are pipelined: a scan
// captures the word for the address that the scan before it left in the chain.
#include "internal.h"

#include <tamro.h>
#include <vestrix.h>

#include <cstring>

namespace vestrix {

int controlChainBits(int32_t chipVersion) { return chipVersion >= kWideControlChainVersion ? 48 : 41; }

void packControlChain(uint32_t word, uint32_t address, uint8_t out[kControlChainBytes])
{
    for (int i = 0; i < 4; ++i)
        out[i] = uint8_t(word >> (8 * i));
    out[4] = uint8_t(address);
    out[5] = uint8_t(address >> 8);
}

void packMainChain(uint32_t data, uint32_t address, uint8_t strobes, uint8_t out[kMainChainBytes])
{
    for (int i = 0; i < 4; ++i) {
        out[i] = uint8_t(data >> (8 * i));
        out[4 + i] = uint8_t(address >> (8 * i));
    }
    out[8] = strobes & 3;
}

uint32_t chainWord(const uint8_t *chain)
{
    return uint32_t(chain[0]) | uint32_t(chain[1]) << 8 | uint32_t(chain[2]) << 16 | uint32_t(chain[3]) << 24;
}

namespace {

// OpenDevice now, CloseDevice whichever way the operation leaves.
class HeldDevice {
public:
    HeldDevice() : code(OpenDevice()) {}
    ~HeldDevice() { CloseDevice(); }
    HeldDevice(const HeldDevice &) = delete;
    HeldDevice &operator=(const HeldDevice &) = delete;
    const int code;
};

int scan(int selector, int bits, const uint8_t *in, uint8_t *out)
{
    return BSC_Sample_Preload(selector, bits, in, out, out ? 1 : 0);
}

} // namespace

} // namespace vestrix

using namespace vestrix;

extern "C" {

VESTRIX_API VestrixResult WriteCM(int address, int count, const void *words)
{
    int rc = requireRunIdle();
    if (rc != Ok)
        return rc;
    const int bits = controlChainBits(ver_FPGA);
    HeldDevice device;
    rc = device.code;
    if (rc != Ok)
        return rc;
    const auto *from = static_cast<const uint8_t *>(words);
    uint32_t at = uint32_t(address);
    const uint8_t store = CmdStoreControlWord;
    for (int i = 0; i < count; ++i, ++at) {
        uint8_t chain[kControlChainBytes];
        packControlChain(chainWord(from + 4 * i), at, chain);
        rc = scan(RegControlChain, bits, chain, nullptr);
        if (rc != Ok)
            break;
        rc = scan(RegRunCommand, 4, &store, nullptr);
        if (rc != Ok)
            break;
    }
    return rc;
}

VESTRIX_API VestrixResult ReadCM(int address, int count, void *words)
{
    if (count < 1)
        return Ok; // nothing asked for: nothing sent, the buffer untouched
    int rc = requireRunIdle();
    if (rc != Ok)
        return rc;
    const int bits = controlChainBits(ver_FPGA);
    HeldDevice device;
    if (device.code != Ok)
        return device.code;
    auto *to = static_cast<uint8_t *>(words);
    uint8_t request[kControlChainBytes], saved[kControlChainBytes] = {}, captured[kControlChainBytes] = {};
    packControlChain(0, uint32_t(address), request);
    rc = scan(RegControlChain, bits, request, saved);
    for (int i = 0; rc == Ok && i < count - 1; ++i) {
        packControlChain(0, uint32_t(address) + uint32_t(i) + 1, request);
        rc = scan(RegControlChain, bits, request, captured);
        if (rc == Ok)
            std::memcpy(to + 4 * i, captured, 4);
    }
    if (rc != Ok)
        return rc;
    // Putting the old content back also brings out the last word.
    rc = scan(RegControlChain, bits, saved, captured);
    if (rc == Ok)
        std::memcpy(to + 4 * (count - 1), captured, 4);
    return rc;
}

VESTRIX_API VestrixResult WriteMM(int address, int count, const int32_t *words, int step)
{
    int rc = requireRunIdle();
    if (rc != Ok)
        return rc;
    HeldDevice device;
    rc = device.code;
    if (rc != Ok)
        return rc;
    uint32_t at = uint32_t(address);
    for (int i = 0; i < count; ++i, at += uint32_t(step)) {
        uint8_t chain[kMainChainBytes];
        packMainChain(uint32_t(words[i]), at, kWriteStrobe, chain);
        rc = scan(RegMainChain, kMainChainBits, chain, nullptr);
        if (rc != Ok)
            break;
        chain[8] = 0;
        rc = scan(RegMainChain, kMainChainBits, chain, nullptr);
        if (rc != Ok)
            break;
    }
    return rc;
}

VESTRIX_API VestrixResult ReadMM(int address, int count, int32_t *words, int step)
{
    if (count < 1)
        return Ok; // nothing asked for: nothing sent, the buffer untouched
    int rc = requireRunIdle();
    if (rc != Ok)
        return rc;
    HeldDevice device;
    if (device.code != Ok)
        return device.code;
    uint8_t request[kMainChainBytes], saved[kMainChainBytes] = {}, captured[kMainChainBytes] = {};
    uint32_t at = uint32_t(address);
    packMainChain(0, at, kReadStrobe, request);
    rc = scan(RegMainChain, kMainChainBits, request, saved);
    at += uint32_t(step);
    for (int i = 0; rc == Ok && i < count - 1; ++i, at += uint32_t(step)) {
        packMainChain(0, at, kReadStrobe, request);
        rc = scan(RegMainChain, kMainChainBits, request, captured);
        if (rc == Ok)
            words[i] = int32_t(chainWord(captured));
    }
    if (rc != Ok)
        return rc;
    // The old content goes back without its write strobe, so nothing is stored.
    saved[8] &= uint8_t(~kWriteStrobe);
    rc = scan(RegMainChain, kMainChainBits, saved, captured);
    if (rc == Ok)
        words[count - 1] = int32_t(chainWord(captured));
    return rc;
}

VESTRIX_API VestrixResult ResetCMScanChain(void)
{
    const int bits = controlChainBits(ver_FPGA);
    HeldDevice device;
    if (device.code != Ok)
        return device.code;
    const uint8_t zeros[kControlChainBytes] = {};
    uint8_t saved[kControlChainBytes] = {}, scratch[kControlChainBytes];
    int rc = scan(RegControlChain, bits, zeros, saved);
    if (rc == Ok)
        rc = scan(RegControlChain, bits, saved, scratch);
    return rc;
}

VESTRIX_API VestrixResult ResetMMScanChain(void)
{
    HeldDevice device;
    if (device.code != Ok)
        return device.code;
    const uint8_t zeros[kMainChainBytes] = {};
    uint8_t saved[kMainChainBytes] = {}, scratch[kMainChainBytes];
    int rc = scan(RegMainChain, kMainChainBits, zeros, saved);
    if (rc == Ok) {
        saved[8] = 0;
        rc = scan(RegMainChain, kMainChainBits, saved, scratch);
    }
    return rc;
}

VESTRIX_API int ResolveScanChian(const unsigned char *data, int byteIndex, unsigned char *output, const int *bitOffset,
                                 const int *byteCount, const int *bitCount)
{
    const int offset = bitOffset ? *bitOffset : 0;
    const int fullBytes = byteCount ? *byteCount : 0;
    const int extraBits = bitCount ? *bitCount : 0;
    if (offset < 0 || offset > 7 || fullBytes < 0 || extraBits < 0 || extraBits > 7)
        return byteIndex; // not a field: nothing is read or written
    const long total = long(fullBytes) * 8 + extraBits;
    const long outBytes = fullBytes + (extraBits ? 1 : 0);
    for (long k = 0; k < outBytes; ++k)
        output[k] = 0;
    // Bit by bit, so that no source byte past the field is touched.
    for (long j = 0; j < total; ++j) {
        const long from = offset + j;
        const int bit = (data[byteIndex + from / 8] >> (from % 8)) & 1;
        output[j / 8] |= uint8_t(bit << (j % 8));
    }
    return int(byteIndex + (offset + total) / 8);
}

} // extern "C"
