#include "step_route_board.h"

#include <httplib.h>
#include <vestrix.h>

namespace brixo {

namespace {

int codeFor(httplib::Error e)
{
    switch (e) {
    case httplib::Error::Connection: return VESTRIX_SERVER_CONNECT_FAILED;
    case httplib::Error::Read: return VESTRIX_SERVER_TIMEOUT;
    case httplib::Error::Write: return VESTRIX_SEND_FAILED;
    case httplib::Error::ConnectionTimeout: return VESTRIX_SERVER_CONNECT_FAILED;
    default: return VESTRIX_SHORT_REMOTE_REPLY;
    }
}

} // namespace

void stepClientLimits(httplib::Client &c, int timeLimitMs)
{
    const time_t s = timeLimitMs / 1000, us = (timeLimitMs % 1000) * 1000;
    c.set_connection_timeout(s, us);
    c.set_read_timeout(s, us);
    c.set_write_timeout(s, us);
    c.set_keep_alive(true);
    c.set_tcp_nodelay(true);
}

StepRouteBoard::StepRouteBoard(const std::string &host, int port) : http_(std::make_unique<httplib::Client>(host, port))
{
    stepClientLimits(*http_, kTimeLimitMs);
}

StepRouteBoard::~StepRouteBoard() = default;

std::unique_ptr<StepRouteBoard> StepRouteBoard::open(const std::string &host, int port, std::string *why)
{
    std::unique_ptr<StepRouteBoard> b(new StepRouteBoard(host, port));
    const httplib::Result res = b->http_->Get("/api/v1/board");
    if (!res) {
        if (why)
            *why = "no answer from " + host + ":" + std::to_string(port) + " (" + httplib::to_string(res.error()) + ")";
        return nullptr;
    }
    if (res->status != 200 || !parseBoardJson(res->body, b->board_)) {
        if (why)
            *why = "the server at " + host + ":" + std::to_string(port) + " offers no step route (HTTP " +
                   std::to_string(res->status) + ")";
        return nullptr;
    }
    return b;
}

Readback postStep(httplib::Client &http, const std::string &path, const std::string &body, const Reads &reads,
                  bool simulated)
{
    Readback r;
    r.stage = Readback::Leds;
    // The answer is read into a bounded buffer: a step's answer is a few hundred bytes, and a
    // server that sends without end is cut off.
    constexpr std::size_t kAnswerLimit = 64 * 1024;
    httplib::Request req;
    req.method = "POST";
    req.path = path;
    req.body = body;
    req.headers.emplace("Content-Type", "application/json");
    std::string answer;
    bool tooLarge = false;
    req.content_receiver = [&](const char *data, size_t n, uint64_t, uint64_t) {
        if (answer.size() + n > kAnswerLimit)
            return !(tooLarge = true);
        answer.append(data, n);
        return true;
    };
    httplib::Response res;
    httplib::Error error = httplib::Error::Success;
    if (!http.send(req, res, error) || tooLarge) {
        r.code = tooLarge ? VESTRIX_BAD_REPLY : codeFor(error);
        r.message = tooLarge ? "the answer is longer than " + std::to_string(kAnswerLimit) + " bytes"
                             : httplib::to_string(error);
        return r;
    }
    if (res.status != 200) {
        // The server's own words: a design that did not settle, a simulator that ended.
        r.code = res.status == 400 ? VESTRIX_ADAPTER_BAD_DATA : VESTRIX_FPGA_LINK_FAILED;
        r.message = errorOf(answer);
        if (r.message.empty())
            r.message = "HTTP " + std::to_string(res.status);
        return r;
    }
    StepAnswer a;
    if (!parseStepAnswer(answer, a, r.message)) {
        r.code = VESTRIX_BAD_REPLY;
        return r;
    }
    r.stage = Readback::Done;
    r.simulated = simulated;
    r.cycles = a.cycles;
    r.timeNs = a.timeNs;
    if (reads.leds) {
        r.leds = a.leds;
        r.hasLeds = true;
    }
    if (reads.digits) {
        r.digits = a.digits;
        r.hasDigits = true;
    }
    if (reads.cpuBits >= 0) {
        if (reads.cpuBits > BoardLayout::cpuDataBits) {
            r.code = VESTRIX_REQUEST_TOO_LARGE;
            r.stage = Readback::CpuData;
            return r;
        }
        // The design's CPU data, zero-extended or cut to the width asked for, as a read of the
        // register would give it.
        r.cpuData.assign(std::size_t(BoardLayout::bytesFor(reads.cpuBits)), 0);
        for (int bit = 0; bit < reads.cpuBits && bit < a.cpuBits; ++bit)
            if (std::size_t(bit / 8) < a.cpuData.size() && ((a.cpuData[std::size_t(bit / 8)] >> (bit % 8)) & 1))
                r.cpuData[std::size_t(bit / 8)] |= std::uint8_t(1u << (bit % 8));
        r.cpuBits = reads.cpuBits;
    }
    return r;
}

Readback StepRouteBoard::doStep(const Inputs &in)
{
    std::lock_guard<std::mutex> lock(mutex_);
    ++requests_;
    return postStep(*http_, "/api/v1/step", stepRequestJson(in), in.reads, true);
}

Readback StepRouteBoard::doRead(const Reads &reads)
{
    // No inputs: the server runs no simulator step for them (a free-running clock still runs
    // the cycles it owes), then reads.
    std::lock_guard<std::mutex> lock(mutex_);
    ++requests_;
    return postStep(*http_, "/api/v1/step", "{}", reads, true);
}

} // namespace brixo
