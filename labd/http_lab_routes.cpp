#include "http_lab_routes.h"

#include "serveddesign.h"

#include "remote_lab_wire.h"

#include <algorithm>
#include <cstdio>

namespace labd {

namespace net = tamro::net;

namespace {

const char *kSoap = "application/soap+xml; charset=utf-8";

bool underApi(const http::Request &r) { return r.path().compare(0, 5, "/api/") == 0; }

http::Response soap(int status, std::string body) { return {status, kSoap, std::move(body), {}}; }

http::Response remoteLab(const LabBoard &board, const http::Request &req)
{
    net::Request r;
    std::string error;
    if (!net::readRequest(req.body, r, error))
        return soap(400, net::errorAnswer("malformed request: " + error));
    if (r.kind == net::Request::Probe)
        return soap(200, net::probeAnswer());
    std::vector<uint8_t> out = net::scanOutput(r.bits);
    if (!board.scan(r.instruction, r.data.empty() ? nullptr : r.data.data(), r.bits, out.data(), error)) {
        std::fprintf(stderr, "brixo-labd: %s\n", error.c_str());
        std::fflush(stderr);
        return soap(500, net::errorAnswer(error));
    }
    return soap(200, net::scanAnswer(lab::kLinkGood, out, r.capture));
}

} // namespace

LabBoard labBoardOf(ServedDesign &design)
{
    LabBoard b;
    b.scan = [&design](uint8_t instruction, const uint8_t *in, int bits, uint8_t *out, std::string &error) {
        return design.scan(instruction, in, bits, out, error);
    };
    b.step = [&design](const brixo::StepRequest &r) { return design.stepRoute(r); };
    b.boardJson = [&design] { return design.board().json(); };
    return b;
}

http::Routes labRoutes(LabBoard board)
{
    http::Routes routes;
    routes.handle = [board = std::move(board)](const http::Request &req) -> http::Response {
        if (underApi(req))
            return stepRoute(board, req);
        if (req.method == "POST")
            return remoteLab(board, req);
        return {404, "", "", {}};
    };
    routes.refuse = [](int status, const std::string &why, const http::Request &head) -> http::Response {
        if (underApi(head))
            return stepRouteRefusal(status, why, head);
        return {status, "text/plain; charset=utf-8", why + "\n", {}};
    };
    return routes;
}

http::Limits labLimits(std::size_t openFiles)
{
    http::Limits l;
    l.bodyBytes = net::kMaxBody;
    // Descriptors left over for the simulator's pipes, the work files and the log.
    const std::size_t spare = 64;
    l.connections = std::min<std::size_t>(4096, openFiles > 2 * spare ? openFiles - spare : spare);
    return l;
}

} // namespace labd
