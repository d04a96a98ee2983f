#include "request.h"

#include <cstdio>

namespace labd {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool unhex(const std::string &text, std::vector<uint8_t> &bytes)
{
    if (text.size() % 2)
        return false;
    bytes.clear();
    for (size_t i = 0; i < text.size(); i += 2) {
        const int hi = hexDigit(text[i]), lo = hexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        bytes.push_back(uint8_t(hi << 4 | lo));
    }
    return true;
}

std::string hex(const std::vector<uint8_t> &bytes)
{
    std::string s;
    char b[3];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02x", v);
        s += b;
    }
    return s;
}

struct Param {
    std::string name, text;
};

// The parameters in order; consecutive elements of one name are one text split in 100s.
bool readParams(const std::string &body, std::vector<Param> &params, std::string &error)
{
    const std::string open = "<soap:Body>\n", close = "</soap:Body>";
    size_t at = body.find(open);
    if (at == std::string::npos) {
        error = "no soap:Body element";
        return false;
    }
    at += open.size();
    for (;;) {
        if (body.compare(at, close.size(), close) == 0)
            return true;
        if (at + 5 > body.size() || body[at] != '<' || body[at + 3] != '>' || body[at + 4] != '\n' ||
            hexDigit(body[at + 1]) < 0 || hexDigit(body[at + 2]) < 0) {
            error = "expected a parameter element at byte " + std::to_string(at);
            return false;
        }
        const std::string name = body.substr(at + 1, 2);
        const std::string end = "</" + name + ">\n";
        const size_t stop = body.find(end, at + 5);
        if (stop == std::string::npos || body.find('<', at + 5) != stop) {
            error = "element " + name + " is not closed";
            return false;
        }
        const std::string text = body.substr(at + 5, stop - at - 5);
        if (!params.empty() && params.back().name == name && params.back().text.size() % 100 == 0 &&
            !params.back().text.empty())
            params.back().text += text;
        else
            params.push_back({name, text});
        if (params.size() > 32) {
            error = "too many parameters";
            return false;
        }
        at = stop + end.size();
    }
}

// "%02x%02x" of a bit count and a byte.
bool shiftParam(const Param &p, int &count, uint8_t &byte)
{
    std::vector<uint8_t> v;
    if (p.name != "06" || !unhex(p.text, v) || v.size() != 2)
        return false;
    count = v[0];
    byte = v[1];
    return true;
}

bool fail(std::string &error, const std::string &why)
{
    error = why;
    return false;
}

} // namespace

bool readRequest(const std::string &body, Request &r, std::string &error)
{
    r = Request();
    if (body.size() > kMaxBody)
        return fail(error, "body longer than " + std::to_string(kMaxBody) + " bytes");
    std::vector<Param> p;
    if (!readParams(body, p, error))
        return false;
    if (p.size() == 1 && p[0].name == "0C") {
        if (p[0].text != kAccessCode)
            return fail(error, "wrong access code");
        r.kind = Request::Probe;
        return true;
    }
    // 00 cap, 01, 03, 06 "04" I, 04, then 07 | 02 [05] 06 04 07
    auto is = [&p](size_t i, const char *name, bool empty) {
        return i < p.size() && p[i].name == name && (!empty || p[i].text.empty());
    };
    if (!is(0, "00", false) || (p[0].text != "0" && p[0].text != "1"))
        return fail(error, "a scan begins with 00 \"0\" or \"1\"");
    r.capture = p[0].text == "1";
    int count = 0;
    uint8_t instruction = 0;
    if (!is(1, "01", true) || !is(2, "03", true) || p.size() < 4 || !shiftParam(p[3], count, instruction) ||
        count != 4 || !is(4, "04", true))
        return fail(error, "the instruction is not shifted as 01, 03, 06 \"04..\", 04");
    if (instruction > 0x0F)
        return fail(error, "instruction wider than 4 bits");
    r.instruction = instruction;
    if (is(5, "07", true) && p.size() == 6)
        return true;
    if (!is(5, "02", true))
        return fail(error, "after the instruction comes 07 or 02");
    size_t i = 6;
    if (is(i, "05", false)) {
        std::vector<uint8_t> whole;
        if (!unhex(p[i].text, whole) || whole.empty() || whole[0] + 1u != whole.size())
            return fail(error, "05 does not hold its byte count and that many bytes");
        r.data.assign(whole.begin() + 1, whole.end());
        ++i;
    }
    uint8_t last = 0;
    if (i >= p.size() || !shiftParam(p[i], count, last) || count < 1 || count > 8)
        return fail(error, "the data's last byte is not shifted by 06 with 1 to 8 bits");
    r.data.push_back(last);
    r.bits = int(r.data.size() - 1) * 8 + count;
    if (count < 8)
        r.data.back() &= uint8_t((1u << count) - 1);
    if (!is(i + 1, "04", true) || !is(i + 2, "07", true) || p.size() != i + 3)
        return fail(error, "the data is not closed by 04, 07");
    return true;
}

namespace {
// The envelope's start tag carries an attribute: the client stops reading at the first "elope>".
std::string envelope(const std::string &inner)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<soap:Envelope "
           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">\r\n<soap:Body>\r\n" +
           inner + "\r\n</soap:Body>\r\n</soap:Envelope>";
}

std::string commentSafe(std::string s)
{
    for (char &c : s)
        if (c == '-' || c == '<' || c == '>' || uint8_t(c) < 0x20)
            c = ' ';
    return s;
}
} // namespace

std::string probeAnswer() { return envelope("<NeedReturn>1</NeedReturn>"); }

std::string scanAnswer(uint8_t status, const std::vector<uint8_t> &out, bool capture)
{
    std::vector<uint8_t> all{status};
    if (capture)
        all.insert(all.end(), out.begin(), out.end());
    return envelope("<NeedReturn>" + hex(all) + "</NeedReturn>");
}

std::string errorAnswer(const std::string &reason)
{
    return envelope("<ErrorOccur>02</ErrorOccur>\r\n<!-- " + commentSafe(reason) + " -->");
}

} // namespace labd
