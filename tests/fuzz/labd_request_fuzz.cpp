// brixo-labd's request reader: any body is read or refused, never taken past its end; what is
// read is a scan the circuit can take, and its answer stays within what the client can hold.
// The same bytes then go through the HTTP stack's request path, as one connection's bytes, into
// the routes: every answer is a whole HTTP answer, and no more answers come than requests fit;
// and through routes that bound bodies per path and take WebSockets, where no body reaches a
// handler past its route's bound.
#include "labd/circuit.h"
#include "labd/http_lab_routes.h"
#include "remote_lab_wire.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// A scan that reaches the board is one the circuit can take.
bool checkedScan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out, std::string &)
{
    if (bits < 0 || bits > lab::kMaxScanBits || instruction > 0x0F || (bits > 0 && !in))
        __builtin_trap();
    if (bits % 8 && (in[bits / 8] >> (bits % 8)) != 0) // bits past the count are cleared
        __builtin_trap();
    std::memset(out, 0xA5, size_t(lab::bytesFor(bits))); // exactly as much as the route gave
    return true;
}

void body(const std::string &text)
{
    tamro::net::Request r;
    std::string error;
    if (!tamro::net::readRequest(text, r, error)) {
        if (error.empty())
            __builtin_trap();
        return;
    }
    if (r.kind == tamro::net::Request::Probe)
        return;
    if (r.data.size() != size_t(lab::bytesFor(r.bits)))
        __builtin_trap();
    std::vector<uint8_t> out = tamro::net::scanOutput(r.bits);
    checkedScan(r.instruction, r.data.empty() ? nullptr : r.data.data(), r.bits, out.data(), error);
    if (tamro::net::scanAnswer(lab::kLinkGood, out, r.capture).size() > 1024)
        __builtin_trap();
}

// Every answer in `wire` is a whole HTTP answer, and no more come than requests fit in `bytes`.
void checkAnswers(const std::string &wire, std::string_view bytes)
{
    size_t answers = 0;
    for (size_t at = 0; at < wire.size(); ++answers) {
        if (wire.compare(at, 9, "HTTP/1.1 ") != 0 && wire.compare(at, 9, "HTTP/1.0 ") != 0)
            __builtin_trap();
        const int status = std::atoi(wire.c_str() + at + 9);
        const size_t head = wire.find("\r\n\r\n", at);
        const size_t length = wire.find("Content-Length: ", at);
        if (status < 200 || status > 599 || head == std::string::npos || length > head)
            __builtin_trap();
        at = head + 4 + std::strtoul(wire.c_str() + length + 16, nullptr, 10);
        if (at > wire.size())
            __builtin_trap();
    }
    // The shortest request ("G / HTTP/1.1" and two line ends) is 16 bytes.
    if (answers > bytes.size() / 16 + 1)
        __builtin_trap();
}

void connection(std::string_view bytes)
{
    static const labd::http::Routes routes = [] {
        labd::LabBoard board;
        board.scan = checkedScan;
        board.step = [](const brixo::StepRequest &) {
            brixo::Readback r;
            r.cpuBits = 0;
            return r;
        };
        board.boardJson = [] { return std::string("{}"); };
        return labd::labRoutes(board);
    }();
    static const labd::http::Limits limits = labd::labLimits(1024);
    checkAnswers(labd::http::answerBytes(bytes, routes, limits), bytes);

    // The stack's own bounds, with a route that takes longer bodies on one path and WebSockets on
    // another: no body reaches a handler past its route's bound.
    static const labd::http::Limits small = [] {
        labd::http::Limits l;
        l.bodyBytes = 64;
        return l;
    }();
    static const labd::http::Routes bounded = [] {
        labd::http::Routes r;
        r.bodyLimit = [](const labd::http::Request &head) -> std::uint64_t { return head.path() == "/big" ? 4096 : 0; };
        r.handle = [](const labd::http::Request &q) {
            if (q.body.size() > (q.path() == "/big" ? 4096u : small.bodyBytes))
                __builtin_trap();
            return labd::http::Response{200, "text/plain", "ok", {}};
        };
        r.upgrade = [](const labd::http::Request &q, labd::http::WebSocketHandler &, labd::http::Response &refusal) {
            refusal = {401, "text/plain", "no", {}};
            return q.path() == "/ws";
        };
        return r;
    }();
    checkAnswers(labd::http::answerBytes(bytes, bounded, small), bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    body(bytes);
    connection(bytes);
    return 0;
}
