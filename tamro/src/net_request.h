// The remote-lab request and answer, on plain buffers (no socket): the parameter list, the
// HTTP/SOAP request text, the streaming answer parser and the decoding of its result slots.
#pragma once
#include <cstdint>
#include <string>

namespace tamro {
namespace net {

constexpr int kSlots = 30;
constexpr int kSlotText = 100;
constexpr int kBufferSize = 2048;
constexpr int kHeadLimit = 511;
constexpr int kFreeKind = 13;
constexpr const char *kAccessCode = "7B3E-C902-4F1A-E86D";

enum ResultTag { TagErrorOccur = 0, TagNeedReturn = 1, TagNoneReturn = 2, TagNone = 3 };

struct ParameterList {
    int kind[kSlots];
    char text[kSlots][kSlotText + 1];
    int count = 0;
    ParameterList() { clear(); }
    void clear();
    // Fills consecutive slots of `kind`, 100 characters each (an empty text takes one slot).
    // Refused, adding nothing, when the slots would run out.
    bool add(int kind, const std::string &text);
};

struct ResultList {
    char text[kSlots][kSlotText + 1];
    int tag[kSlots];
    int count = 0;
    bool overflow = false; // an answer needed more than 30 slots: never passes as success
    ResultList() { clear(); }
    void clear();
    void store(int tag, const std::string &text);
};

// Builds head and body into `request`. False when the request (or any piece of it) would not
// fit the 2048-byte buffer with its terminator: nothing is left out silently.
bool buildRequest(const ParameterList &params, const std::string &host, std::string &request);

// Parses an HTTP answer (head, then the XML body) into `results`.
void parseAnswer(const char *text, int length, ResultList &results);

// The parameters of one register scan (bits 0..2048; `in` holds ceil(bits / 8) bytes).
bool scanParameters(bool capture, int instruction, int bits, const uint8_t *in, ParameterList &params);

// Decodes the results of a scan: 0, -4 (write status not 01) or -27 (wrong byte count or an
// overflowing answer). With capture, ceil(bits / 8) bytes go to `out`.
int decodeScan(const ResultList &results, bool capture, int bits, uint8_t *out);

} // namespace net
} // namespace tamro
