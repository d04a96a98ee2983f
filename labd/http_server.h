// The HTTP stack brixo-labd serves on: Beast's parser over Asio, one io thread for every
// connection's reading, writing and time-outs, a small pool for the handlers, and bounds on
// everything a client can make it hold (see Limits). Generic: the routes come from its user.
#pragma once
#include "http_exchange.h"

#include <memory>
#include <string>

namespace labd {
namespace http {

class Server {
public:
    // `logRequests`: one line on standard error per request; a refused connection always gets one.
    Server(Routes routes, Limits limits, bool logRequests);
    ~Server();
    Server(const Server &) = delete;
    Server &operator=(const Server &) = delete;

    // Before bind(): serves HTTPS (TLS 1.2 and later) with the certificate chain and private key
    // of these PEM files. False with the reason.
    bool useTls(const std::string &certificateFile, const std::string &keyFile, std::string &error);
    // Binds to a numeric IPv4 address; port 0 lets the system choose. The bound port, or -1.
    int bind(const std::string &address, int port);
    // Serves on the calling thread until stop().
    void serve();
    // From any thread: serve() returns promptly, whatever the clients do.
    void stop();
    std::size_t openConnections() const;

    // Raises the soft limit on open files to the hard one; the soft limit then in force.
    static std::size_t raiseOpenFileLimit();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace http
} // namespace labd
