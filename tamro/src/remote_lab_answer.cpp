// The remote-lab answer: written by the server, parsed and decoded by the client.
#include "remote_lab_wire.h"

#include "result_codes.h"

#include <algorithm>
#include <cstring>

namespace tamro {
namespace net {

const char *resultTagName(int tag)
{
    switch (tag) {
    case TagErrorOccur: return "ErrorOccur";
    case TagNeedReturn: return "NeedReturn";
    case TagNoneReturn: return "NoneReturn";
    default: return nullptr;
    }
}

void ResultList::clear()
{
    for (int i = 0; i < kSlots; ++i) {
        text[i][0] = 0;
        tag[i] = TagNone;
    }
    count = 0;
    overflow = false;
}

void ResultList::store(int t, const std::string &s)
{
    for (size_t at = 0; at < s.size(); at += kSlotText) {
        if (count >= kSlots) {
            overflow = true;
            return;
        }
        const std::string piece = s.substr(at, kSlotText);
        std::memcpy(text[count], piece.data(), piece.size());
        text[count][piece.size()] = 0;
        tag[count] = t;
        ++count;
    }
}

// The envelope's start tag carries an attribute: the client stops reading at the first "elope>".
std::string answerEnvelope(const std::string &inner)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<soap:Envelope "
           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">\r\n<soap:Body>\r\n" +
           inner + "\r\n</soap:Body>\r\n</soap:Envelope>";
}

std::string answerElement(int tag, const std::string &text)
{
    const std::string name = resultTagName(tag) ? resultTagName(tag) : "NoneReturn";
    return "<" + name + ">" + text + "</" + name + ">";
}

std::vector<uint8_t> scanOutput(int bits) { return std::vector<uint8_t>(size_t(std::max(1, (bits + 7) / 8)), 0); }

std::string probeAnswer() { return answerEnvelope(answerElement(TagNeedReturn, "1")); }

std::string scanAnswer(uint8_t status, const std::vector<uint8_t> &out, bool capture)
{
    std::vector<uint8_t> all{status};
    if (capture)
        all.insert(all.end(), out.begin(), out.end());
    return answerEnvelope(answerElement(TagNeedReturn, hexBytes(all.data(), int(all.size()))));
}

std::string errorAnswer(const std::string &reason)
{
    std::string safe = reason; // nothing in it may end the comment or start markup
    for (char &c : safe)
        if (c == '-' || c == '<' || c == '>' || uint8_t(c) < 0x20)
            c = ' ';
    return answerEnvelope(answerElement(TagErrorOccur, "02") + "\r\n<!-- " + safe + " -->");
}

namespace {

constexpr int kLevels = 64;

struct Parser {
    ResultList &results;
    int depth = 0;
    int seen[kLevels] = {};
    int current = TagNone;
    std::string text, tag;
    bool inTag = false;

    explicit Parser(ResultList &r) : results(r) {}

    // The answer elements count only inside the first body, and only until something nested
    // deeper than them has been seen.
    bool watched() const { return seen[0] == 1 && seen[1] == 1 && seen[3] == 0; }

    void startDocument()
    {
        results.clear();
        depth = 0;
        std::memset(seen, 0, sizeof seen);
        current = TagNone;
    }

    void deliverText()
    {
        if (!text.empty() && depth == 3 && watched() && current != TagNone) {
            results.store(current, text);
            current = TagNone;
        }
        text.clear();
    }

    void endTag()
    {
        if (tag.compare(0, 3, "!--") == 0 || tag.compare(0, 8, "![CDATA[") == 0 || tag[0] == '!')
            return;
        if (tag[0] == '?') {
            if (tag.compare(0, 4, "?xml") == 0 && (tag.size() == 4 || tag[4] == ' ' || tag[4] == '?'))
                startDocument();
            return;
        }
        if (tag[0] == '/') {
            if (depth > 0)
                --depth;
            return;
        }
        const bool empty = tag.back() == '/';
        // A tag that starts with a blank ("< />") has an empty name.
        std::string name = tag.substr(0, tag.find(' '));
        if (empty && !name.empty() && name.back() == '/')
            name.pop_back();
        if (depth < kLevels)
            ++seen[depth];
        if (depth == 2 && watched())
            for (int t : {TagErrorOccur, TagNeedReturn, TagNoneReturn})
                if (name == resultTagName(t))
                    current = t;
        if (!empty)
            ++depth;
    }

    // A '>' closes a comment or character-data section only after its own terminator.
    bool closes() const
    {
        if (tag.compare(0, 3, "!--") == 0)
            return tag.size() >= 5 && tag.compare(tag.size() - 2, 2, "--") == 0;
        if (tag.compare(0, 8, "![CDATA[") == 0)
            return tag.size() >= 10 && tag.compare(tag.size() - 2, 2, "]]") == 0;
        return true;
    }

    void run(const char *p, int n)
    {
        for (int i = 0; i < n; ++i) {
            const char c = p[i];
            if (c == '\t' || c == '\n' || c == '\r')
                continue;
            const bool special = tag.compare(0, 3, "!--") == 0 || tag.compare(0, 8, "![CDATA[") == 0;
            if (inTag) {
                if (c == '>' && closes()) {
                    inTag = false;
                    if (!tag.empty())
                        endTag();
                    tag.clear();
                } else if (c == '<' && !special) {
                    return;
                } else if (tag.size() < size_t(kBufferSize)) {
                    tag += c;
                }
            } else if (c == '<') {
                deliverText();
                inTag = true;
            } else if (c == '>') {
                return;
            } else if (c != ' ') {
                if (text.size() < size_t(kBufferSize) * 2)
                    text += c;
                else
                    results.overflow = true;
            }
        }
    }
};

} // namespace

void parseAnswer(const char *text, int length, ResultList &results)
{
    results.clear();
    int start = -1;
    for (int i = 0; i + 3 < length; ++i)
        if (std::memcmp(text + i, "\r\n\r\n", 4) == 0) {
            start = i + 4;
            break;
        }
    if (start < 0)
        return;
    Parser parser(results);
    parser.run(text + start, length - start);
}

int decodeScan(const ResultList &results, bool capture, int bits, uint8_t *out)
{
    if (results.overflow)
        return ShortRemoteReply;
    if (!capture) {
        const int digit = results.count > 0 ? hexDigit(results.text[0][1]) : -1;
        return ((digit < 0 ? 0 : digit) & 3) == 1 ? Ok : FpgaLinkFailed;
    }
    const int whole = bits > 8 ? (bits - 1) / 8 : 0;
    std::string all;
    for (int i = 0; i < results.count; ++i)
        all += results.text[i];
    if (all.size() != size_t(2 * (whole + 2)))
        return ShortRemoteReply;
    const int keep = bits > 0 ? (bits + 7) / 8 : 0;
    for (int i = 0; i < keep; ++i) {
        const int hi = hexDigit(all[size_t(2 * (i + 1))]), lo = hexDigit(all[size_t(2 * (i + 1) + 1)]);
        if (out)
            out[i] = uint8_t(((hi < 0 ? 0 : hi) << 4) | (lo < 0 ? 0 : lo));
    }
    return Ok;
}

} // namespace net
} // namespace tamro
