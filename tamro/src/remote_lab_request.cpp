// The remote-lab request: built by the client from its parameter list, read by the server by
// its layout.
#include "remote_lab_wire.h"

#include <cstdio>
#include <cstring>

namespace tamro {
namespace net {

namespace {

const char *const kBodyOpen = "<soap:Body>\n";
const char *const kBodyClose = "</soap:Body>";

std::string elementName(int kind)
{
    char name[3];
    std::snprintf(name, sizeof name, "%02X", kind & 0xFF);
    return name;
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

bool fail(std::string &error, const std::string &why)
{
    error = why;
    return false;
}

// "%02x%02x" of a bit count and a byte.
bool shiftParam(const Element &p, int &count, uint8_t &byte)
{
    std::vector<uint8_t> v;
    if (p.name != "06" || !unhex(p.text, v) || v.size() != 2)
        return false;
    count = v[0];
    byte = v[1];
    return true;
}

} // namespace

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

std::string parameterElement(int kind, const std::string &text)
{
    const std::string name = elementName(kind);
    return "<" + name + ">\n" + text + "</" + name + ">\n";
}

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

bool buildRequest(const ParameterList &params, const std::string &host, std::string &request)
{
    static const char *const pieces[] = {
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\r\n",
        "<?xml-stylesheet href=\"show1.css\" Type=\"text/css\" ?>\r\n",
        "<!--远程实验系统嵌入式Web Services数据通信~-->\r\n",
        "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">\n",
        kBodyOpen,
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
    for (int i = 0; i < params.count; ++i)
        if (!append(parameterElement(params.kind[i], params.text[i])))
            return false;
    if (!append(std::string(kBodyClose) + "\n") || !append("</soap:Envelope>\r\n"))
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

void probeParameters(ParameterList &params)
{
    params.clear();
    params.add(KindAccessCode, kAccessCode);
}

bool scanParameters(bool capture, int instruction, int bits, const uint8_t *in, ParameterList &params)
{
    params.clear();
    if (bits < 0 || bits > 2048 || (bits > 0 && !in))
        return false;
    bool ok = params.add(KindCapture, capture ? "1" : "0") && params.add(1, "") && params.add(3, "");
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

bool readElements(const std::string &body, std::vector<Element> &elements, std::string &error)
{
    elements.clear();
    const std::string open = kBodyOpen, close = kBodyClose;
    size_t at = body.find(open);
    if (at == std::string::npos)
        return fail(error, "no soap:Body element");
    at += open.size();
    for (;;) {
        if (body.compare(at, close.size(), close) == 0)
            return true;
        if (at + 5 > body.size() || body[at] != '<' || body[at + 3] != '>' || body[at + 4] != '\n' ||
            hexDigit(body[at + 1]) < 0 || hexDigit(body[at + 2]) < 0)
            return fail(error, "expected a parameter element at byte " + std::to_string(at));
        const std::string name = body.substr(at + 1, 2);
        const std::string end = "</" + name + ">\n";
        const size_t stop = body.find(end, at + 5);
        if (stop == std::string::npos || body.find('<', at + 5) != stop)
            return fail(error, "element " + name + " is not closed");
        elements.push_back({name, body.substr(at + 5, stop - at - 5)});
        at = stop + end.size();
    }
}

bool readRequest(const std::string &body, Request &r, std::string &error)
{
    r = Request();
    if (body.size() > kMaxBody)
        return fail(error, "body longer than " + std::to_string(kMaxBody) + " bytes");
    std::vector<Element> elements;
    if (!readElements(body, elements, error))
        return false;
    // Consecutive elements of one name are one text split in 100s.
    std::vector<Element> p;
    for (const Element &e : elements) {
        if (!p.empty() && p.back().name == e.name && !p.back().text.empty() && p.back().text.size() % kSlotText == 0)
            p.back().text += e.text;
        else
            p.push_back(e);
        if (p.size() > 32)
            return fail(error, "too many parameters");
    }
    if (p.size() == 1 && p[0].name == elementName(KindAccessCode)) {
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

} // namespace net
} // namespace tamro
