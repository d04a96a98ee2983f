// The one transport interface under the commands. A Transport stands for the selected device
// (chosen once, when it is selected) and opens Sessions on it; a Session carries register
// scans and request frames. HID, bulk and the remote-lab link each implement both, one per
// file; chooseTransport() is the one place that picks between them.
#pragma once
#include "frame.h"

#include <memory>
#include <string>

namespace tamro {

constexpr int kReplyLimitMs = 100;      // every HID reply
constexpr int kFpgaDataLimitMs = 500;   // the reply to an FPGA data piece
constexpr int kBulkReplyLimitMs = 1000; // bulk replies: a silent adapter must not hang the caller
// A reply gets one deadline: its time limit from the request, plus this much for each report the
// reply needs. A healthy adapter sends one report per 1 ms USB frame, so 20 ms leaves it twenty
// times its pace, while an adapter that trickles a byte at a time is cut off: a 1,006-byte
// record (16 reports) may take at most 100 + 320 ms, never minutes.
constexpr int kReportAllowanceMs = 20;

class Session {
public:
    virtual ~Session() = default;
    // One register scan (bits 0..2048): 0 or a code; with capture, ceil(bits / 8) bytes to `out`.
    virtual int scan(int instruction, int bits, const uint8_t *in, uint8_t *out, bool capture) = 0;
    // Sends the `count` pieces of one request, then collects `replyLength` bytes and checks them
    // as a normal reply. With replyLength 0 nothing is awaited.
    virtual int exchange(const Bytes *pieces, int count, Bytes &reply, int replyLength, int limitMs) = 0;
};

class Transport {
public:
    virtual ~Transport() = default;
    // The check that selecting the device makes: 0, or the code SelectDevice returns.
    virtual int select() = 0;
    // A session for one operation (or the one OpenDevice keeps). `code` is 0, -5 when the device
    // cannot be opened (null is returned), or the open handshake's failure (the session is
    // returned all the same).
    virtual std::unique_ptr<Session> open(int &code) = 0;
    // A session that needs no opening, for a scan when OpenDevice kept none; null when every
    // session must be opened first.
    virtual std::unique_ptr<Session> standingSession() = 0;
    // TAMRO_TRANSPORT_BULK, _HID or _NETWORK, for the callers that ask; the commands never do.
    virtual int kind() const = 0;
    // Drops what opening learned about the device (report lengths, bus location), so that the
    // next open learns it again.
    virtual void forget() {}
};

// The transport for a device-table entry, or null for an entry of no known kind.
std::unique_ptr<Transport> chooseTransport(const std::string &kind, const std::string &path);

std::unique_ptr<Transport> makeHidTransport(const std::string &path);
std::unique_ptr<Transport> makeBulkTransport(const std::string &path);
std::unique_ptr<Transport> makeRemoteTransport();

// What the HID and bulk sessions share: the open handshake, frames out, reply bytes in.
class FrameSession : public Session {
public:
    // 0, or -3, -6, -7, -8, -9, -16, -19, -2.
    virtual int handshake() = 0;
    // Sends one frame (or a piece of one): 0, or -19 (HID report write failed) or -9 (bulk).
    virtual int send(const uint8_t *data, int length) = 0;
    // Collects up to `wanted` reply bytes (one more is kept so that a longer reply shows as
    // longer); `reply` is resized to what arrived.
    virtual void receive(Bytes &reply, int wanted, int limitMs) = 0;

    int scan(int instruction, int bits, const uint8_t *in, uint8_t *out, bool capture) override;
    int exchange(const Bytes *pieces, int count, Bytes &reply, int replyLength, int limitMs) override;

protected:
    // Sends `request`, collects `replyLength` bytes and checks them for `kind`.
    int roundTrip(const Bytes &request, Bytes &reply, int replyLength, int limitMs, uint8_t kind);
};

} // namespace tamro
