// Choosing the transport of a device-table entry, and the frame exchange the USB sessions share.
#include "transport.h"

#include "result_codes.h"

#include <cstring>

namespace tamro {

std::unique_ptr<Transport> chooseTransport(const std::string &kind, const std::string &path)
{
    if (kind == "TA-MRO")
        return makeBulkTransport(path);
    if (kind == "TA-HID")
        return makeHidTransport(path);
    if (kind == "Lantrovex")
        return makeRemoteTransport();
    return nullptr;
}

int FrameSession::roundTrip(const Bytes &request, Bytes &reply, int replyLength, int limitMs, uint8_t kind)
{
    const int sent = send(request.data(), int(request.size()));
    if (sent != Ok)
        return sent;
    receive(reply, replyLength, limitMs);
    return checkReply(reply.data(), int(reply.size()), kind, replyLength);
}

int FrameSession::scan(int instruction, int bits, const uint8_t *in, uint8_t *out, bool capture)
{
    Bytes request;
    if (!buildScanSequence(instruction, bits, in, capture, request))
        return NotSupported; // nothing is sent for a bit count the frame cannot carry
    Bytes reply;
    const int length = scanReplyLength(bits, capture);
    const int rc = roundTrip(request, reply, length, kReplyLimitMs, capture ? KindNormal : KindAck);
    if (rc != Ok)
        return rc;
    const uint8_t status = capture ? reply[4] : reply[3];
    if ((status & 3) != 1)
        return FpgaLinkFailed;
    if (capture && out && bits > 0)
        std::memcpy(out, &reply[5], size_t((bits + 7) / 8));
    return Ok;
}

int FrameSession::exchange(const Bytes *pieces, int count, Bytes &reply, int replyLength, int limitMs)
{
    for (int i = 0; i < count; ++i) {
        const int sent = send(pieces[i].data(), int(pieces[i].size()));
        // Without a reply to wait for, a bulk write's failure would go unnoticed by the adapter's
        // side too; only a refused HID report is reported then.
        if (sent != Ok)
            return replyLength > 0 || sent == ReportWriteFailed ? sent : Ok;
    }
    if (replyLength == 0)
        return Ok;
    receive(reply, replyLength, limitMs);
    return checkReply(reply.data(), int(reply.size()), KindNormal, replyLength);
}

} // namespace tamro
