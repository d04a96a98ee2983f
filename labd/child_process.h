// A child process with pipes to its standard input and output, read with a time limit; and a
// tool run to its end (compilers) with a time limit, its output collected.
#pragma once
#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace labd {

using Clock = std::chrono::steady_clock;

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;
    ~ChildProcess() { stop(); }

    // Starts argv[0] (searched in PATH) in `dir`; its standard error goes to ours.
    bool start(const std::vector<std::string> &argv, const std::string &dir, std::string &error);
    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }
    bool writeLine(const std::string &line);
    enum Read { Line, TimedOut, Ended };
    // The next line of its output (without the line end), waiting until `deadline` at most.
    Read readLine(std::string &line, Clock::time_point deadline);
    // Kills it (if it still runs) and collects it.
    void stop();

private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    std::string pending_;
};

// Runs a tool to its end within `limitMs`; its standard output and error go to `output`.
// Returns its exit status, or -1 when it could not start, was killed by a signal or timed out.
int runTool(const std::vector<std::string> &argv, const std::string &dir, int limitMs, std::string &output);
// Kills the tool runTool is waiting for, with its children (for the thread that ends the server).
void killRunningTool();

} // namespace labd
