#include "raw_client.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace labtest {

RawClient::RawClient(int port)
{
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0) {
        close(fd_);
        fd_ = -1;
    }
}

RawClient::~RawClient()
{
    if (fd_ >= 0)
        close(fd_);
}

bool RawClient::send(const std::string &bytes)
{
    size_t done = 0;
    while (fd_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return fd_ >= 0;
}

bool RawClient::readUntilClosed(std::string &text, int limitMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        pollfd p{fd_, POLLIN, 0};
        if (fd_ < 0 || left <= 0 || poll(&p, 1, int(left)) <= 0)
            return false;
        char buf[4096];
        const ssize_t n = recv(fd_, buf, sizeof buf, 0);
        if (n <= 0)
            return true; // end of stream, or reset
        text.append(buf, size_t(n));
    }
}

bool RawClient::closedWithin(int limitMs)
{
    std::string ignored;
    return readUntilClosed(ignored, limitMs);
}

} // namespace labtest
