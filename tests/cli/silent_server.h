// A server on 127.0.0.1 (ephemeral port) that reads each request whole, then closes the
// connection without a word, as a remote-lab server that lost its board does.
#pragma once
#include <atomic>
#include <thread>

class SilentServer {
public:
    SilentServer();
    ~SilentServer();
    SilentServer(const SilentServer &) = delete;
    SilentServer &operator=(const SilentServer &) = delete;
    int port() const { return port_; }
    // Requests read and left unanswered so far.
    int requests() const { return requests_; }

private:
    void run();
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
};
