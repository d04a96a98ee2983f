// Where a student's design is compiled and simulated: its Verilog is untrusted code. Contained,
// every run goes through bubblewrap: no network, the system read-only, a private /tmp, no home
// directory, the work directory the one writable place and the design's folders readable,
// nothing else of the user's files; its own session and process group, killed with the server.
// Contained or not, a run gets a clean environment (HOME is the work directory) and limits on
// its address space, CPU time, file size and (contained) processes.
#pragma once
#include "child_process.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace labd {

struct SandboxLimits {
    unsigned long long memoryBytes = 2ull << 30; // address space of each process
    unsigned long long fileBytes = 64ull << 20;  // the largest file a run may write
    int processes = 256;                         // at once, beyond those the user runs already
};

class Sandbox {
public:
    Sandbox(std::string workDir, std::vector<std::string> readable, bool contained, SandboxLimits limits = {});

    const std::string &workDir() const { return workDir_; }
    bool contained() const { return contained_; }
    const SandboxLimits &limits() const { return limits_; }

    // What to start for `argv` to run in `dir` (the work directory or a readable folder), with
    // `writable` folders besides the work directory.
    std::vector<std::string> command(const std::vector<std::string> &argv, const std::string &dir,
                                     const std::vector<std::string> &writable = {}) const;
    // The options for starting command(): the clean environment with `environment` added, and
    // the limits, `cpuSeconds` of CPU time among them.
    brixo::SpawnOptions options(const std::string &dir, int cpuSeconds,
                                const std::vector<std::string> &environment = {}) const;
    // A compiler's run to its end in the work directory (brixo::runTool, contained).
    int runTool(const std::vector<std::string> &argv, int limitMs, std::string &output,
                const std::vector<std::string> &environment = {}, const std::vector<std::string> &writable = {}) const;

    // What a run that ended on `signal` ran into, e.g. "the file size limit of 64 MiB"; empty
    // for a signal that is no limit's.
    std::string limitReached(int signal) const;
    // "the memory limit of 2 GiB", the words for an allocation that failed.
    std::string memoryLimit() const;

private:
    std::string workDir_;
    std::vector<std::string> readable_;
    bool contained_;
    SandboxLimits limits_;
};

// Ends a run from the inside out: what bwrap started first, so that bwrap collects it and
// ends by itself, then the run's group. Waits (1 s at most) until the run has ended; `collect`:
// collects it too (for a server that ends next, so nothing of it is left to whoever adopts it),
// else its owner does.
void endRun(pid_t pid, bool collect = false);

// Whether bubblewrap can contain a run on this machine, probed once per process by running
// one: empty when it can, else why not (bwrap missing, user namespaces refused).
const std::string &sandboxUnavailable();

// brixo-labd --sandbox-check: one line on standard output, "sandbox: ready" or
// "sandbox: unavailable: WHY"; the exit status 0 or 3.
int reportSandbox();

// Whether a tool's or a simulator's last words say that an allocation failed.
bool outOfMemory(const std::string &said);

// "2 GiB", "64 MiB", "1536 KiB".
std::string byteSize(unsigned long long bytes);

} // namespace labd
