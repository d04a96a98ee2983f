// brixo-labd's routes on the HTTP stack: the step route's JSON under /api/ (step_route.cpp) and,
// for every other POST, the remote-lab request, read by its layout, scanned on the board and
// answered as libtamro's client expects.
#pragma once
#include "http_exchange.h"

#include "board_session.h"
#include "step_json.h"

#include <functional>
#include <string>

namespace labd {

class ServedDesign;

// What the routes drive: the served design, or the fuzz target's stand-in for it.
struct LabBoard {
    std::function<bool(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out, std::string &error)> scan;
    std::function<brixo::Readback(const brixo::StepRequest &)> step;
    std::function<std::string()> boardJson;
};
LabBoard labBoardOf(ServedDesign &design);

http::Routes labRoutes(LabBoard board);
// The stack's bounds for brixo-labd, given how many files the process may open.
http::Limits labLimits(std::size_t openFiles);

// The step route: a request whose path is under /api/.
http::Response stepRoute(const LabBoard &board, const http::Request &request);
// What the step route answers for a request under /api/ that the stack refused.
http::Response stepRouteRefusal(int status, const std::string &why, const http::Request &head);

} // namespace labd
