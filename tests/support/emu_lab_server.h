// An emulated remote-lab server: a real HTTP/1.1 server on 127.0.0.1 (ephemeral port) in its
// own thread that answers presence probes and runs register scans on an emu::ScanTarget.
#pragma once
#include "support/scan_target.h"

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace emu {

class LabServer {
public:
    enum Misbehaviour { Normal, NeverAnswer, CloseEarly, AnswerTooMuch, MalformedXml, WrongByteCount, BadStatus };

    explicit LabServer(ScanTarget *target);
    ~LabServer();
    int port() const { return port_; }

    void setMisbehaviour(Misbehaviour m) { misbehaviour_ = m; }
    void setProbeAnswer(bool need) { probeNeed_ = need; } // NoneReturn when false
    // Every request is served this long after it came, as a slow or distant server would.
    void setAnswerDelay(int ms) { delayMs_ = ms; }
    // Ends every open client connection, as a restart of the server would; new ones are served.
    void dropConnections();

    struct Request {
        std::string raw;                                         // head and body as received
        std::vector<std::pair<std::string, std::string>> params; // element name, text
    };
    std::vector<Request> requests();

private:
    void run();
    void serve(int client);
    std::string respond(const std::string &body);

    ScanTarget *target_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> misbehaviour_{Normal};
    std::atomic<bool> probeNeed_{true};
    std::atomic<int> delayMs_{0};
    std::mutex mutex_;
    std::vector<Request> requests_;
    std::vector<std::thread> clients_;
    std::vector<int> clientSockets_;
    std::thread thread_;
};

} // namespace emu
