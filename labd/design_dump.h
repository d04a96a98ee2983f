// The design's own signals as the simulator dumps them (brixo-labd --dump-vcd). The simulator
// writes only in the sandbox's work directory, so each of its runs dumps there, and the server
// copies the dumps to the user's file when it ends: the design never gets to write beside the
// user's files, and a dump it never finished is kept up to its last step (the bench flushes it
// after every step). All runs together hold at most the limit; the simulator stops there itself
// and ends its file with a comment, which the server reports once.
#pragma once
#include <mutex>
#include <string>
#include <vector>

namespace labd {

class DesignDump {
public:
    DesignDump(std::string workDir, std::string target, unsigned long long limit);

    // The arguments for the simulator's next run (the bench's plusargs): where it dumps and
    // how much it may. Empty once the limit is used up.
    std::vector<std::string> nextRun();
    // After a step: says once on standard error that the limit cut the dump.
    void check();
    // Copies every run's dump to its file: run 1 to the target, run k to NAME-k.vcd (NAME: the
    // target without .vcd). Once; the simulators have ended.
    void keep();

    // Run k's file for `target`.
    static std::string runFile(const std::string &target, int run);

private:
    std::string dumpPath(int run) const;
    unsigned long long used() const; // bytes the runs so far have written

    std::mutex mutex_;
    std::string workDir_, target_;
    unsigned long long limit_, budget_ = 0; // budget_: what the current run may write
    int runs_ = 0;
    bool full_ = false, kept_ = false;
};

} // namespace labd
