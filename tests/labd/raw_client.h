// A client socket on loopback for tests that must send what no well-behaved client sends:
// bytes at their own pace, connections that never send, many at once.
#pragma once
#include <string>

namespace labtest {

class RawClient {
public:
    explicit RawClient(int port);
    ~RawClient();
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    bool connected() const { return fd_ >= 0; }
    bool send(const std::string &bytes);
    // Appends what arrives to `text` until the server closes the connection (true) or `limitMs`
    // pass (false).
    bool readUntilClosed(std::string &text, int limitMs);
    // True when the server has closed the connection (or reset it), looking for at most `limitMs`.
    bool closedWithin(int limitMs);

private:
    int fd_ = -1;
};

} // namespace labtest
