// The lab server's routes: every /api/v1 route of the lab's HTTP API on the service, JSON in and
// out, the events WebSocket on the hub, and the browser client's files for every other GET.
#pragma once
#include "http_exchange.h"
#include "lab_events.h"
#include "lab_service.h"

#include <cstdint>
#include <functional>

namespace labd {

struct LabRoutesOptions {
    // Answers a GET outside /api/ (the browser client); 404 when unset.
    std::function<http::Response(const http::Request &)> staticFiles;
};

// The largest configuration body the configure route reads; the board's own bound may be lower.
constexpr std::uint64_t kConfigureBodyLimit = 16u << 20;

http::Routes labServiceRoutes(LabService &service, EventHub &hub, LabRoutesOptions options = {});

} // namespace labd
