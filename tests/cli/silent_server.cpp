#include "silent_server.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Waits up to a second for `fd` to be readable, looking at `stop` every 50 ms.
bool readable(int fd, const std::atomic<bool> &stop)
{
    for (int i = 0; i < 20 && !stop; ++i) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0)
            return true;
    }
    return false;
}

// Reads one request: its head and the body its Content-Length names. Left unread, bytes would
// make the close a reset, which the client takes for another failure than a closed connection.
bool readRequest(int client, const std::atomic<bool> &stop)
{
    std::string in;
    size_t headEnd = std::string::npos, want = 0;
    for (;;) {
        if (headEnd == std::string::npos && (headEnd = in.find("\r\n\r\n")) != std::string::npos) {
            const size_t length = in.find("Content-Length: ");
            want = headEnd + 4 + (length < headEnd ? std::strtoul(in.c_str() + length + 16, nullptr, 10) : 0);
        }
        if (headEnd != std::string::npos && in.size() >= want)
            return true;
        char buf[1024];
        if (!readable(client, stop) || in.size() > 65536)
            return false;
        const ssize_t n = ::recv(client, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        in.append(buf, size_t(n));
    }
}

} // namespace

SilentServer::SilentServer()
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(listener_, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 && ::listen(listener_, 4) == 0 &&
        ::getsockname(listener_, reinterpret_cast<sockaddr *>(&a), &len) == 0)
        port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { run(); });
}

SilentServer::~SilentServer()
{
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

void SilentServer::run()
{
    while (!stop_) {
        if (!readable(listener_, stop_))
            continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        if (readRequest(client, stop_))
            ++requests_;
        ::close(client);
    }
}
