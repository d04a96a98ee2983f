// What a running simulator prints, read on a thread of its own so that a design that floods its
// output never holds up a step nor the board's lock: the bench's answer lines ("@brixo ...",
// found even after a $write that left its line open) wait for the step that asked; everything
// else is the design's own and goes to the server's standard error, the first kShownBytes of it,
// then one line saying the rest was left out.
#pragma once
#include "child_process.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace labd {

class DesignOutput {
public:
    static constexpr std::size_t kShownBytes = 64 * 1024;

    // Reads `outFd` (the bench's answers and the design's $display) and `errFd` (-1: none).
    DesignOutput(int outFd, int errFd);
    // Stops reading; the descriptors stay open (the process owns them).
    ~DesignOutput();
    DesignOutput(const DesignOutput &) = delete;
    DesignOutput &operator=(const DesignOutput &) = delete;

    enum Wait { Answer, TimedOut, Ended };
    // The next answer line (what follows the marker), waiting until `deadline` at most.
    Wait next(std::string &answer, brixo::Clock::time_point deadline);
    // Drops answers that came without being asked for.
    void clearAnswers();
    // Its standard output has ended: the simulator has ended or is ending.
    bool ended();
    // The last few KiB the design printed, for the reason it ended.
    std::string tail();

private:
    void read();
    void takeLines(bool all);
    void show(const std::string &text);

    int out_, err_, wake_ = -1;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::deque<std::string> answers_;
    std::string line_, tail_;
    std::size_t shown_ = 0;
    bool ended_ = false, stop_ = false;
    std::thread reader_;
};

} // namespace labd
