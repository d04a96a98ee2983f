// The brixo-labd that the program and brixo-cli start for a simulated board, and how its ready
// lines are read: it listens on a free loopback port and prints
//   listening on 127.0.0.1:PORT
//   design {"top": ..., "switches": N, ...}
// once the design is built and started. Its standard input is a pipe only we hold, so it ends
// with us even if we are killed. The one time limit for that is kLabServerReadyLimitMs.
#pragma once
#include "child_process.h"
#include "step_json.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace brixo {

// How long a server may take to compile a design and listen: Verilator builds a model in
// seconds on an idle machine and in a minute or more on a loaded one.
constexpr int kLabServerReadyLimitMs = 120000;
// What is kept of a server's standard error when it is captured.
constexpr std::size_t kLabServerErrorKeep = 64 * 1024;

struct LabServerOptions {
    std::string program; // empty: labServerProgram() for this executable
    std::vector<std::string> files;
    std::vector<std::string> defines;
    std::string top, simulator;
    bool keysActiveLow = false;
    double clockHz = 0; // 0: the server's own default
    std::vector<std::string> extraArgs;
    // Keep the server's standard error (the last kLabServerErrorKeep bytes) for the caller to
    // show, instead of letting it through to ours.
    bool captureErrors = false;
};

// The program to start: the one BRIXO_LABD names, else brixo-labd beside `self` when it exists
// there, else the bare name for a PATH search.
std::string labServerProgram(const std::string &self);

// "listening on HOST:PORT" -> host and port.
bool parseListeningLine(const std::string &line, std::string &host, int &port);
// "design {json}" -> the board.
bool parseDesignLine(const std::string &line, BoardDescription &board);

class LabServer {
public:
    enum Status { Ready, NotFound, Failed, NotReady, Unreadable };

    LabServer() = default;
    ~LabServer(); // ends the server and reaps it, within a bounded wait
    LabServer(const LabServer &) = delete;
    LabServer &operator=(const LabServer &) = delete;

    // Starts the server and waits up to `limitMs` for both ready lines. NotFound: it could not
    // be started (startError() says why); Failed: it ended first (exitStatus() says how);
    // NotReady: the limit passed; Unreadable: it printed something else.
    Status start(const LabServerOptions &options, int limitMs = kLabServerReadyLimitMs);
    const std::string &host() const { return host_; }
    int port() const { return port_; }
    const BoardDescription &board() const { return board_; }
    int exitStatus() const { return exitStatus_; }
    const std::string &startError() const { return startError_; }
    // What it wrote on its standard error so far, when captured.
    std::string errors() const;
    // It was started and has not ended since.
    bool running();
    // Ends it: input closed, SIGTERM, SIGKILL after a bounded wait.
    void stop();
    // From any thread, without waiting: sends SIGTERM to the server this object is starting or
    // runs, so a start() under way returns soon; any later start() returns NotFound. For an
    // owner that must not wait on a start (a window that closes while a design compiles).
    void cancel();

private:
    void readErrors(int fd);
    // Collects the child if it has ended, without waiting.
    bool reaped(int &status);
    ChildProcess child_;
    std::string host_;
    int port_ = 0;
    BoardDescription board_;
    int exitStatus_ = -1;
    std::string startError_;
    mutable std::mutex errorsMutex_;
    std::string errors_;
    std::thread errorReader_;
    std::atomic<bool> stopReading_{false};
    // The child's pid while cancel() may signal it: cleared before it is reaped, so a signal
    // never reaches a reused pid.
    std::mutex cancelMutex_;
    pid_t cancelPid_ = -1;
    bool cancelled_ = false;
};

} // namespace brixo
