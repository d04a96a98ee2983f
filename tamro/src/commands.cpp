// The adapter's command set over the USB transports.
#include "results.h"
#include "state.h"

#include "result_codes.h"

#include <cstring>

namespace tamro {

namespace {

int scan(int instruction, int bits, const uint8_t *in, uint8_t *out, bool capture)
{
    State &s = state();
    if (bits < 0 || bits > kMaxScanBits)
        return NotSupported;
    if (!s.link)
        return NoDeviceSelected;
    int code = Ok;
    std::unique_ptr<Session> session = s.link->open(code);
    if (code != Ok)
        return code;
    return session->scan(instruction, bits, in, out, capture);
}

// A query on a session of its own; selects entry 0 for its duration when nothing is selected.
int query(uint8_t command, int replyLength, Bytes &reply)
{
    State &s = state();
    const bool temporary = !s.link;
    if (temporary && selectDevice(0) != Ok) {
        s.link.reset();
        return NoDeviceSelected;
    }
    int code = Ok;
    std::unique_ptr<Session> session = s.link->open(code);
    if (code == Ok) {
        const Bytes request = queryRequest(command);
        code = session->exchange(&request, 1, reply, replyLength, kReplyLimitMs);
    }
    session.reset();
    if (temporary)
        s.link.reset();
    return code;
}

// An FPGA or upgrade step: handshake, request pieces, a 10- or 7-byte reply, its status.
int fpgaStep(const Bytes *pieces, int count, int replyLength, int limitMs, int failure,
             bool continueAfterFailedHandshake = false)
{
    State &s = state();
    if (!s.link)
        return NoDeviceSelected;
    int code = Ok;
    std::unique_ptr<Session> session = s.link->open(code);
    if (!session)
        return code;
    if (code != Ok && !continueAfterFailedHandshake)
        return code;
    Bytes reply;
    code = session->exchange(pieces, count, reply, replyLength, limitMs);
    if (code == Ok && reply[4] != 0)
        code = failure;
    return code;
}

Bytes withSize(uint8_t command, uint32_t size)
{
    return {0xFF, 0xFE, command, uint8_t(size), uint8_t(size >> 8), uint8_t(size >> 16), uint8_t(size >> 24)};
}


// A caller passes null for a text it does not want.
void copyOut(char *to, const char *from, size_t n)
{
    if (to)
        std::memcpy(to, from, n);
}

} // namespace

} // namespace tamro

using namespace tamro;

extern "C" {

TAMRO_API TamroResult ReadRegister(int instruction, int bits, unsigned char *data)
{
    if (bits < 0 || bits > kMaxScanBits)
        return reportResult(NotSupported);
    const Bytes ones(size_t((bits + 7) / 8), 0x01);
    return reportResult(scan(instruction, bits, ones.data(), data, true));
}

TAMRO_API TamroResult WriteRegister(int instruction, const unsigned char *data, int bits)
{
    return reportResult(scan(instruction, bits, data, nullptr, false));
}

TAMRO_API TamroResult WriteInstruction(int instruction)
{
    return reportResult(scan(instruction, 0, nullptr, nullptr, false));
}

TAMRO_API TamroResult BSC_Sample_Preload(int instruction, int bits, const unsigned char *in, unsigned char *out,
                                         int capture)
{
    State &s = state();
    const bool cap = (capture & 0xFF) == 1;
    Session *session = s.kept.get();
    std::unique_ptr<Session> standing;
    if (!session && s.link) {
        standing = s.link->standingSession();
        session = standing.get();
    }
    if (!session)
        return reportResult(bits < 0 || bits > kMaxScanBits ? NotSupported : NoReply);
    return reportResult(session->scan(instruction, bits, in, out, cap));
}

TAMRO_API TamroResult TAMROfeatureSet(int speed, int speedFlag, int power, int powerFlag)
{
    State &s = state();
    if (!s.link)
        return NoDeviceSelected;
    Bytes frames;
    if (speedFlag & 0xFF)
        frames.insert(frames.end(), {0xFF, 0xFE, 0x0C, uint8_t(speed), 0xFE, 0xFF});
    if (powerFlag & 0xFF)
        frames.insert(frames.end(), {0xFF, 0xFE, 0x0D, uint8_t(power), 0xFE, 0xFF});
    if (frames.empty())
        return reportResult(Ok);
    int code = Ok;
    std::unique_ptr<Session> session = s.link->open(code);
    if (code == Ok) {
        Bytes none;
        code = session->exchange(&frames, 1, none, 0, kReplyLimitMs); // the adapter does not answer
    }
    return reportResult(code);
}

TAMRO_API TamroResult GetIOVoltage(char *text)
{
    if (!state().link)
        return NoDeviceSelected;
    Bytes reply;
    int code = query(0x0E, 12, reply);
    char value[7];
    if (code == Ok)
        code = decodeVoltage(reply.data(), int(reply.size()), value);
    if (code == Ok && text)
        std::memcpy(text, value, sizeof value);
    return reportResult(code);
}

TAMRO_API TamroResult GetTamroVersion(char *version, char *buildTime, char *serial, char *, char *identifier)
{
    Bytes reply;
    int code = query(0x0F, 34, reply);
    VersionTexts t;
    if (code == Ok)
        code = decodeVersion(reply.data(), int(reply.size()), t);
    if (code == Ok) {
        // The caller's 7 bytes always end in a terminator, even for a three-digit minor part.
        if (version) {
            const size_t n = strnlen(t.version, 6);
            std::memcpy(version, t.version, n);
            version[n] = 0;
        }
        copyOut(buildTime, t.buildTime, sizeof t.buildTime);
        copyOut(serial, t.serial, sizeof t.serial);
        copyOut(identifier, t.identifier, sizeof t.identifier);
    }
    return reportResult(code);
}

TAMRO_API TamroResult GetTamroInfo(char *pcb, char *date, char *serial, char *, char *identifier, char *firmware,
                                   char *, char *)
{
    State &s = state();
    const bool temporary = !s.link;
    if (temporary && selectDevice(0) != Ok) {
        s.link.reset();
        return reportResult(NoDeviceSelected);
    }
    Bytes reply;
    int code = query(0x17, 8, reply);
    reportResult(code);
    int length = 0;
    if (code == Ok)
        length = int(int16_t(uint16_t(reply[4] | reply[5] << 8)));
    if (code == Ok && length >= 1) {
        code = query(0x16, length + 6, reply);
        InfoTexts t;
        if (code == Ok)
            code = decodeInfo(reply.data(), int(reply.size()), t);
        if (code == Ok) {
            copyOut(pcb, t.pcb, sizeof t.pcb);
            copyOut(date, t.date, sizeof t.date);
            copyOut(serial, t.serial, sizeof t.serial);
            copyOut(identifier, t.identifier, sizeof t.identifier);
            copyOut(firmware, t.firmware, sizeof t.firmware);
        }
        reportResult(code);
    }
    if (temporary)
        s.link.reset();
    return code;
}

TAMRO_API TamroResult ConfigureFPGAAsk(int totalSize)
{
    Bytes request = withSize(0x11, uint32_t(totalSize));
    request.insert(request.end(), {0xFE, 0xFF});
    return reportResult(fpgaStep(&request, 1, 10, kReplyLimitMs, NotSupported));
}

TAMRO_API TamroResult ConfigureFPGAData(const unsigned char *data, int size)
{
    if (size < 0 || (size > 0 && !data))
        return reportResult(NotSupported);
    const Bytes pieces[3] = {withSize(0x12, uint32_t(size)), Bytes(data, data + size), {0xFE, 0xFF}};
    // An empty piece has no data write.
    if (size == 0) {
        const Bytes two[2] = {pieces[0], pieces[2]};
        return reportResult(fpgaStep(two, 2, 10, kFpgaDataLimitMs, FpgaDataFailed));
    }
    return reportResult(fpgaStep(pieces, 3, 10, kFpgaDataLimitMs, FpgaDataFailed));
}

TAMRO_API TamroResult ConfigureFPGADone(void)
{
    const Bytes request = queryRequest(0x13);
    return reportResult(fpgaStep(&request, 1, 10, kReplyLimitMs, FpgaConfigFailed));
}

TAMRO_API TamroResult UpgradeFirmwareAsk(void)
{
    State &s = state();
    const bool temporary = !s.link;
    if (temporary)
        selectDevice(0);
    const Bytes request = queryRequest(0x15);
    const int code = fpgaStep(&request, 1, 7, kReplyLimitMs, NotSupported, true);
    reportResult(code);
    if (temporary)
        s.link.reset();
    return code;
}

} // extern "C"
