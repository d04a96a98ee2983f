#include "server.h"
#include "request.h"

#include <httplib.h>

#include <cstdio>

namespace labd {

namespace {
const char *kContentType = "application/soap+xml; charset=utf-8";
}

HttpServer::HttpServer(SimCircuit &circuit) : circuit_(circuit), http_(std::make_unique<httplib::Server>())
{
    // The client keeps one connection open for every scan of a session, however long the
    // student looks at the panel between clicks, and never opens another.
    http_->set_keep_alive_max_count(size_t(1) << 40);
    http_->set_keep_alive_timeout(7 * 24 * 3600);
    http_->set_payload_max_length(kMaxBody);
    http_->set_tcp_nodelay(true); // head and body go out in two writes: no wait for an ACK between
    http_->Post(".*", [this](const httplib::Request &req, httplib::Response &res) {
        Request r;
        std::string error;
        if (!readRequest(req.body, r, error)) {
            res.status = 400;
            res.set_content(errorAnswer("malformed request: " + error), kContentType);
            return;
        }
        if (r.kind == Request::Probe) {
            res.set_content(probeAnswer(), kContentType);
            return;
        }
        std::vector<uint8_t> out(size_t(lab::bytesFor(r.bits)), 0);
        if (!circuit_.scanChecked(r.instruction, r.data.empty() ? nullptr : r.data.data(), r.bits,
                                  out.empty() ? nullptr : out.data(), error)) {
            std::fprintf(stderr, "brixo-labd: %s\n", error.c_str());
            std::fflush(stderr);
            res.status = 500;
            res.set_content(errorAnswer(error), kContentType);
            return;
        }
        res.set_content(scanAnswer(lab::kLinkGood, out, r.capture), kContentType);
    });
}

HttpServer::~HttpServer() = default;

int HttpServer::bind(const std::string &address, int port)
{
    if (port == 0)
        return http_->bind_to_any_port(address.c_str());
    return http_->bind_to_port(address.c_str(), port) ? port : -1;
}

bool HttpServer::serve() { return http_->listen_after_bind(); }

void HttpServer::stop() { http_->stop(); }

} // namespace labd
