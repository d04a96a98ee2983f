// brixo-labd's step route: one POST per user action with the whole input state in its JSON
// body, everything the panel shows in the answer; and the board's description. Whatever else
// comes under /api/ gets a JSON answer saying why it is refused.
#include "http_lab_routes.h"

#include <cstdio>

namespace labd {

namespace {

const char *kJson = "application/json";
const char *kStep = "/api/v1/step";
const char *kBoard = "/api/v1/board";

http::Response json(int status, std::string body) { return {status, kJson, std::move(body), {}}; }

http::Response wrongMethod(const http::Request &req, const std::string &path, const std::string &allowed)
{
    http::Response r = json(405, brixo::errorJson(req.method + " is not allowed on " + path + "; it takes " + allowed));
    r.headers.emplace_back("Allow", allowed);
    return r;
}

http::Response step(const LabBoard &board, const http::Request &req)
{
    brixo::StepRequest request;
    std::string error;
    if (!brixo::parseStepRequest(req.body, request, error))
        return json(400, brixo::errorJson(error));
    const brixo::Readback r = board.step(request);
    if (!r.ok()) { // the reason the remote-lab scans print for the same failure
        std::fprintf(stderr, "brixo-labd: %s\n", r.message.c_str());
        std::fflush(stderr);
        return json(500, brixo::errorJson(r.message));
    }
    brixo::StepAnswer a;
    a.leds = r.leds;
    a.digits = r.digits;
    a.cpuData = r.cpuData;
    a.cpuBits = r.cpuBits;
    a.cycles = r.cycles;
    a.timeNs = r.timeNs;
    return json(200, brixo::stepAnswerJson(a, r.cpuBits));
}

} // namespace

http::Response stepRoute(const LabBoard &board, const http::Request &req)
{
    const std::string path = req.path();
    if (path == kStep)
        return req.method == "POST" ? step(board, req) : wrongMethod(req, path, "POST");
    if (path == kBoard)
        return req.method == "GET" ? json(200, board.boardJson()) : wrongMethod(req, path, "GET");
    return json(404, brixo::errorJson("no route " + path.substr(0, 200)));
}

http::Response stepRouteRefusal(int status, const std::string &why, const http::Request &)
{
    if (status == 413) // the route's own limit is the lower one: say that one
        return json(400, brixo::errorJson("body longer than " + std::to_string(brixo::kStepBodyLimit) + " bytes"));
    return json(status, brixo::errorJson(why + " (HTTP " + std::to_string(status) + ")"));
}

} // namespace labd
