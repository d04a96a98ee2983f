// Runs the students' `brixo-cli --sim ... test` processes a few at a time, each in its own
// process group with its output captured, and ends any that outruns its time limit with all it
// started. SIGINT, SIGTERM and SIGHUP end the grading: the running ones are ended first.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace cli {

// What is kept of one run's standard output (its end, where the summary is) and of its
// standard error (its start, where the first message is).
constexpr size_t kCapturedBytes = 64 * 1024;
// How long a run that is ended gets to end its server and tools before they are killed.
constexpr int kEndGraceMs = 2000;

struct GradeRun {
    std::vector<std::string> argv;
    std::string dir;                      // its working directory
    std::vector<std::string> environment; // "NAME=VALUE" set over ours
};

struct GradeOutcome {
    enum Kind { Exited, TimedOut, NotStarted } kind = NotStarted;
    int status = -1;        // Exited: its exit status, 128 + signal when a signal ended it
    std::string out, err;   // as kept (kCapturedBytes)
    std::string startError; // NotStarted: why
    double seconds = 0;
};

// Holds SIGINT, SIGTERM and SIGHUP for runAll to take, in the calling thread: from then on
// none of them ends the process before its children and temporary files are gone.
void holdStopSignals();

// `finished` is called as each run ends, with its index; `tick` about once a second and after
// each end, with the number still running. False when a signal ended the grading.
bool runAll(const std::vector<GradeRun> &runs, int parallel, double timeoutSeconds,
            const std::function<void(size_t, const GradeOutcome &)> &finished, const std::function<void(int)> &tick);

} // namespace cli
