// The transport interface under the protocol code: open a session (with the open
// handshake), send a frame, receive a reply within a time limit, close. One implementation
// per file; openSession() is the one place that chooses.
#pragma once
#include "frame.h"

#include <memory>
#include <string>

namespace tamro {

enum TransportKind { TransportNone = 0, TransportBulk = 1, TransportHid = 2, TransportNetwork = 3 };

constexpr int kReplyLimitMs = 100;     // every HID reply
constexpr int kFpgaDataLimitMs = 500;  // the reply to an FPGA data piece
constexpr int kBulkReplyLimitMs = 1000; // bulk replies: a silent adapter must not hang the caller

class Session {
public:
    virtual ~Session() = default;
    // Runs the open handshake: 0, or -3, -6, -7, -8, -9, -16, -19, -2.
    virtual int handshake() = 0;
    // Sends one frame (or a piece of one): 0, or -19 (HID report write failed) or -9 (bulk).
    virtual int send(const uint8_t *data, int length) = 0;
    // Collects up to `wanted` reply bytes (one more is kept so that a longer reply shows as
    // longer); `reply` is resized to what arrived.
    virtual void receive(Bytes &reply, int wanted, int limitMs) = 0;
};

// Opens `path` on the given USB transport (no handshake yet); null when it cannot be opened.
std::unique_ptr<Session> openUsbSession(int kind, const std::string &path);
std::unique_ptr<Session> openHidSession(const std::string &path);
std::unique_ptr<Session> openBulkSession(const std::string &path);

// Open + handshake; `code` receives -5 when the device cannot be opened, else the
// handshake's result. The session is returned (open) even when the handshake failed.
std::unique_ptr<Session> openSession(int kind, const std::string &path, int &code);

// Send `request`, collect `replyLength` bytes, check kind 0x01 (or `kind`): 0 or a code.
int exchange(Session &session, const Bytes &request, Bytes &reply, int replyLength,
             int limitMs = kReplyLimitMs, uint8_t kind = KindNormal);

} // namespace tamro
