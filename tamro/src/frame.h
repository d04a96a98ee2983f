// The adapter's byte frames: building requests, checking replies and decoding their contents.
// Everything here works on plain byte buffers (no device), so it can be tested and fuzzed.
#pragma once
#include <cstdint>
#include <vector>

namespace tamro {

using Bytes = std::vector<uint8_t>;

enum ReplyKind : uint8_t { KindError = 0x00, KindNormal = 0x01, KindAck = 0x02 };

constexpr int kMaxScanBits = 2048; // the whole-byte count of a scan must fit one byte

// The 8 bytes of the open request; taken twice they are the key of the enciphered replies.
extern const uint8_t kSessionPayload[8];
void sessionKey(uint32_t key[4]);

Bytes openRequest();                 // 14 bytes
Bytes queryRequest(uint8_t command); // 0xFF 0xFE command 0xFE 0xFF

// The register scan request: instruction, then `bits` bits of `data` (ceil(bits / 8) bytes,
// may be null when bits is 0). Returns false for a bit count outside 0..2048.
bool buildScanSequence(int instruction, int bits, const uint8_t *data, bool capture, Bytes &out);
// Bytes of the reply to a scan request.
int scanReplyLength(int bits, bool capture);
// Data bytes a capturing scan reply carries (F + 1).
int scanDataBytes(int bits);

// The common reply check: 0, or -9, -7, -6, -2, -16.
int checkReply(const uint8_t *reply, int received, uint8_t expectedKind, int expectedLength);
// Status byte of the open reply → 0, -8 or -3.
int openStatus(uint8_t status);
// Maps an error reply's reason to its code.
int errorReason(uint8_t reason);

// Voltage reply (12 bytes, already checked) → "%4f" text of twice the value, 6 characters
// and a terminator. -7 when a digit is not '0'..'9' (text untouched).
int decodeVoltage(const uint8_t *reply, int length, char text[7]);

struct VersionTexts {
    char version[8];
    char buildTime[30];
    char serial[9];
    char identifier[25];
};
// Version reply (34 bytes, already checked).
int decodeVersion(const uint8_t *reply, int length, VersionTexts &out);

struct InfoTexts {
    char pcb[15];   // as received, not terminated
    char date[20];  // as received
    char serial[8]; // "%08X", not terminated
    char identifier[25];
    char firmware[20]; // "HH.LL (YYYY.MM.DD)"
};
constexpr int kMinInfoReply = 77; // the last field ends at byte 74, then the end mark
// Information record reply (already checked); -7 when it is too short for its fields.
int decodeInfo(const uint8_t *reply, int length, InfoTexts &out);

} // namespace tamro
