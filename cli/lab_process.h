// A brixo-labd child serving a simulated board on a free loopback port. Its standard input is
// a pipe that only this process holds, so the server ends with us even if we are killed.
#pragma once
#include <string>
#include <vector>

namespace cli {

struct LabOptions {
    std::vector<std::string> files;
    std::string top, simulator;
    bool keysActiveLow = false;
};

class LabProcess {
public:
    enum Status { Ready, NotFound, Failed, NotReady };

    LabProcess() = default;
    ~LabProcess(); // ends the server and reaps it, within a bounded wait
    LabProcess(const LabProcess &) = delete;
    LabProcess &operator=(const LabProcess &) = delete;

    // Starts brixo-labd (beside this executable, else on PATH) and waits up to `limitMs` for
    // its ready line. Failed: it ended first (`exitStatus` says how); its messages went to our
    // standard error.
    Status start(const LabOptions &options, int limitMs);
    int port() const { return port_; }
    int exitStatus() const { return exitStatus_; }

private:
    void stop();
    int pid_ = -1;
    int stdinWrite_ = -1;
    int stdoutRead_ = -1;
    int port_ = 0;
    int exitStatus_ = -1;
};

// The server program to start: the one BRIXO_LABD names, else brixo-labd beside `self` when it
// exists there, else the bare name for a PATH search.
std::string labServerProgram(const std::string &self);
// The port of a ready line "listening on 127.0.0.1:40123"; 0 when the line is not one.
int readyLinePort(const std::string &line);

} // namespace cli
