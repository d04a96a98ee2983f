// The remote-lab request body read by its layout, and the answers brixo-labd sends. The body's
// elements are named "00".."0C", which are not XML names, so no XML parser reads them: inside
// <soap:Body> each parameter is "<NN>\n", its text, "</NN>\n", in the order the client adds them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace labd {

// Longest body accepted; the client's whole request fits 2048 bytes.
constexpr size_t kMaxBody = 8192;
constexpr const char *kAccessCode = "7B3E-C902-4F1A-E86D";

struct Request {
    enum Kind { Probe, Scan } kind = Scan;
    bool capture = false;      // the shifted-out bits are wanted back
    uint8_t instruction = 0;   // 4 bits
    int bits = 0;              // data register length, 0..2048
    std::vector<uint8_t> data; // ceil(bits / 8) bytes, least significant bit first
};

// Reads a request body. False, with a reason in `error`, for anything the client would not send:
// a missing body element, parameters out of order, bad hex, counts that disagree, a wrong code.
bool readRequest(const std::string &body, Request &request, std::string &error);

// Answers. A scan's answer text is the status byte and, when captured, the ceil(bits / 8) data
// bytes after it, as lower-case hex; the client takes a write's status from the second digit and
// a read's data after the first byte. An error answers "02" (a bad link for a write, a wrong byte
// count for a read), so a client never takes it for data; the reason travels in a comment.
std::string probeAnswer();
std::string scanAnswer(uint8_t status, const std::vector<uint8_t> &out, bool capture);
std::string errorAnswer(const std::string &reason);

} // namespace labd
