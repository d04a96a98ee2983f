// The remote-lab request and answer on plain buffers.
#include "net_request.h"

#include "result_codes.h"

#include <cstdio>
#include <cstring>

namespace tamro {
namespace net {

void ParameterList::clear()
{
    for (int i = 0; i < kSlots; ++i) {
        kind[i] = kFreeKind;
        text[i][0] = 0;
    }
    count = 0;
}

bool ParameterList::add(int k, const std::string &t)
{
    const int needed = t.empty() ? 1 : int((t.size() + kSlotText - 1) / kSlotText);
    if (count + needed > kSlots)
        return false;
    for (int i = 0; i < needed; ++i) {
        const std::string piece = t.substr(size_t(i) * kSlotText, kSlotText);
        kind[count] = k;
        std::memcpy(text[count], piece.data(), piece.size());
        text[count][piece.size()] = 0;
        ++count;
    }
    return true;
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

bool buildRequest(const ParameterList &params, const std::string &host, std::string &request)
{
    static const char *const pieces[] = {
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n",
        "<?xml-stylesheet href=\"show1.css\" Type=\"text/css\" ?>\r\n",
        "<!--远程实验系统嵌入式Web Services数据通信~-->\r\n",
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">\n",
        "<soap:Body>\n",
    };
    std::string body;
    auto append = [&body](const std::string &piece) {
        if (body.size() + piece.size() >= size_t(kBufferSize))
            return false;
        body += piece;
        return true;
    };
    for (const char *p : pieces)
        if (!append(p))
            return false;
    for (int i = 0; i < params.count; ++i) {
        char name[3];
        std::snprintf(name, sizeof name, "%02X", params.kind[i] & 0xFF);
        if (!append(std::string("<") + name + ">\n" + params.text[i] + "</" + name + ">\n"))
            return false;
    }
    if (!append("</soap:Body>\n") || !append("</soap:Envelope>\r\n"))
        return false;
    std::string head = "POST /webservices/qqOnlineWebService.asmx HTTP/1.1\r\n";
    head += "Host: " + host + "\r\n";
    head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    head += "Content-Type: application/soap+xml; charset=utf-8\r\n\r\n";
    if (head.size() > size_t(kHeadLimit) || head.size() + body.size() >= size_t(kBufferSize))
        return false;
    request = head + body;
    return true;
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
        if (depth == 2 && watched()) {
            if (name == "ErrorOccur")
                current = TagErrorOccur;
            else if (name == "NeedReturn")
                current = TagNeedReturn;
            else if (name == "NoneReturn")
                current = TagNoneReturn;
        }
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

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string hexBytes(const uint8_t *p, int n)
{
    std::string s;
    char b[3];
    for (int i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", p[i]);
        s += b;
    }
    return s;
}

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

bool scanParameters(bool capture, int instruction, int bits, const uint8_t *in, ParameterList &params)
{
    params.clear();
    if (bits < 0 || bits > 2048 || (bits > 0 && !in))
        return false;
    bool ok = params.add(0, capture ? "1" : "0") && params.add(1, "") && params.add(3, "");
    const uint8_t instr = uint8_t(instruction);
    ok = ok && params.add(6, "04" + hexBytes(&instr, 1)) && params.add(4, "");
    if (bits == 0)
        return ok && params.add(7, "");
    const int whole = bits > 8 ? (bits - 1) / 8 : 0;
    ok = ok && params.add(2, "");
    if (whole > 0) {
        const uint8_t f = uint8_t(whole);
        ok = ok && params.add(5, hexBytes(&f, 1) + hexBytes(in, whole));
    }
    const uint8_t rest = uint8_t(bits - 8 * whole);
    return ok && params.add(6, hexBytes(&rest, 1) + hexBytes(in + whole, 1)) && params.add(4, "") && params.add(7, "");
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
