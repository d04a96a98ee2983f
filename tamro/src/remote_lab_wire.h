// The remote-lab wire format, both ends, on plain buffers (no socket): libtamro builds requests
// and parses answers with it, brixo-labd and the tests' emulated server read requests and write
// answers with it, so the two ends cannot drift apart.
//
// A request's body is a SOAP envelope whose body holds the scan as numbered parameters, each
// "<NN>\n", its text, "</NN>\n" (NN the kind in two upper-case hex digits). Those names are not
// XML names, so no XML parser reads them: the server reads the body by this layout. An answer is
// an envelope whose body holds ErrorOccur, NeedReturn or NoneReturn elements.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tamro {
namespace net {

constexpr int kSlots = 30;
constexpr int kSlotText = 100;
constexpr int kBufferSize = 2048;
constexpr int kHeadLimit = 511;
constexpr const char *kAccessCode = "7B3E-C902-4F1A-E86D";

// Parameter kinds; 13 marks a free slot.
enum Kind { KindCapture = 0, KindAccessCode = 12, kFreeKind = 13 };

// "<NN>\n" text "</NN>\n" for a parameter of `kind`.
std::string parameterElement(int kind, const std::string &text);

// Hex texts as the wire carries them: two lower-case digits a byte; either case is read.
int hexDigit(char c);
std::string hexBytes(const uint8_t *bytes, int count);

// --- The client's side: the request it builds, the answer it parses. ---

enum ResultTag { TagErrorOccur = 0, TagNeedReturn = 1, TagNoneReturn = 2, TagNone = 3 };
// The element name of an answer tag ("NeedReturn", ...); null for TagNone.
const char *resultTagName(int tag);

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

// The parameters of a presence probe: the access code.
void probeParameters(ParameterList &params);
// The parameters of one register scan (bits 0..2048; `in` holds ceil(bits / 8) bytes).
bool scanParameters(bool capture, int instruction, int bits, const uint8_t *in, ParameterList &params);

// Parses an HTTP answer (head, then the XML body) into `results`.
void parseAnswer(const char *text, int length, ResultList &results);

// Decodes the results of a scan: 0, -4 (write status not 01) or -27 (wrong byte count or an
// overflowing answer). With capture, ceil(bits / 8) bytes go to `out`.
int decodeScan(const ResultList &results, bool capture, int bits, uint8_t *out);

// --- The server's side: the request it reads, the answer it writes. ---

// Longest body a server accepts; the client's whole request fits 2048 bytes.
constexpr size_t kMaxBody = 8192;

struct Element {
    std::string name, text;
};
// The body's parameter elements as they stand, in order. False with a reason when the body has
// no soap:Body or something else than parameter elements stands in it.
bool readElements(const std::string &body, std::vector<Element> &elements, std::string &error);

struct Request {
    enum Kind { Probe, Scan } kind = Scan;
    bool capture = false;      // the shifted-out bits are wanted back
    uint8_t instruction = 0;   // 4 bits
    int bits = 0;              // data register length, 0..2048
    std::vector<uint8_t> data; // ceil(bits / 8) bytes, least significant bit first; bits past
                               // the count cleared
};

// Reads a request body. False, with a reason in `error`, for anything the client would not send:
// a missing body element, parameters out of order, bad hex, counts that disagree, a wrong code.
bool readRequest(const std::string &body, Request &request, std::string &error);

// The buffer a scan's shifted-out bits go to: ceil(bits / 8) bytes, and one for a read of no
// bits, since the client counts whole bytes plus two.
std::vector<uint8_t> scanOutput(int bits);

// Answers. A scan's answer text is the status byte and, when captured, the data bytes after it,
// as lower-case hex; the client takes a write's status from the second digit and a read's data after the first
// byte. An error answers "02" (a bad link for a write, a wrong byte count for a read), so a client
// never takes it for data; the reason travels in a comment.
std::string answerEnvelope(const std::string &inner);
std::string answerElement(int tag, const std::string &text);
std::string probeAnswer();
std::string scanAnswer(uint8_t status, const std::vector<uint8_t> &out, bool capture);
std::string errorAnswer(const std::string &reason);

} // namespace net
} // namespace tamro
