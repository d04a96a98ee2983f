// Child processes, started one way for every caller: the simulators brixo-labd runs a design
// in, the compilers it runs to their end, and the brixo-labd that the program and brixo-cli
// start. Every wait has a limit; a signal never lifts it.
#pragma once
#include <chrono>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace brixo {

using Clock = std::chrono::steady_clock;

struct SpawnOptions {
    std::string dir; // working directory; empty: ours
    // Each of the child's standard streams: a pipe to us, ours, or /dev/null.
    enum Stream { Pipe, Inherit, Null };
    Stream in = Pipe, out = Pipe, err = Inherit;
    // Its own process group, so that killing it kills what it started too.
    bool ownGroup = true;
    // Killed when the thread that started it ends (PR_SET_PDEATHSIG): for children that must
    // never outlive a server; not for those started from a thread that may end first.
    bool dieWithParent = true;
    // Variables set in the child's environment over ours, "NAME=VALUE".
    std::vector<std::string> environment;
    // The child's environment is `environment` alone: nothing of ours (a preload, a token)
    // reaches a program that does not need it.
    bool cleanEnvironment = false;
    // Resource limits set in the child before it runs (setrlimit: resource, soft = hard value).
    std::vector<std::pair<int, unsigned long long>> limits;
};

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;
    ~ChildProcess() { stop(); }

    // Starts argv[0] (searched in PATH). False with the reason (the pipe, the fork, or why exec
    // failed) in `error`, which is never left empty.
    bool start(const std::vector<std::string> &argv, const SpawnOptions &options, std::string &error);
    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    bool writeLine(const std::string &line);
    enum Read { Line, TimedOut, Ended };
    // The next line of its standard output (without the line end), waiting until `deadline` at
    // most. A line longer than `maxLine` is cut there (the rest is dropped up to its end).
    Read readLine(std::string &line, Clock::time_point deadline, std::size_t maxLine = 1 << 20);
    // Its standard output and error pipes (SpawnOptions::out, err == Pipe), for a reader of the
    // caller's own that waits on several children at once.
    int outputFd() const { return out_; }
    int errorFd() const { return err_; }
    // Closes our end of its standard input: a child that serves until then ends by itself.
    void closeInput();

    // Whether it has ended, without waiting; `status` is then its exit status (128 + signal).
    bool exited(int &status);
    // Kills it (and its group) at once and collects it.
    void stop();
    // Ends it gently: its input closed, then SIGTERM, then after `graceMs` SIGKILL. Returns its
    // exit status as exited() gives it, or -1.
    int end(int graceMs);

private:
    void closePipes();
    pid_t pid_ = -1;
    bool group_ = true;
    int in_ = -1, out_ = -1, err_ = -1;
    std::string pending_;
};

// Runs a tool to its end within `limitMs`; its standard output and error go to `output` (at
// most a megabyte). Returns its exit status, or -1 when it could not start, was killed by a
// signal (a line "NAME ended on signal N (WHAT)" in `output`) or timed out (with a line saying
// so in `output`).
int runTool(const std::vector<std::string> &argv, const std::string &dir, int limitMs, std::string &output);
// The same with the child's directory, environment and limits as `options` give them (its
// streams are always ours to read).
int runTool(const std::vector<std::string> &argv, const SpawnOptions &options, int limitMs, std::string &output);
// Kills every tool runTool is waiting for, with its children (for the thread that ends a server).
void killRunningTools();

// Milliseconds until `deadline`, 0 when it has passed.
int msLeft(Clock::time_point deadline);

} // namespace brixo
