// One board of the lab server as its routes drive it: a lab board behind its adapter process, or
// a student's simulated board behind a brixo-labd of its own. The server calls a driver from one
// thread at a time (it holds the board's lock); a driver never blocks longer than its own time
// limits.
#pragma once
#include "board_session.h"
#include "step_json.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace labd {

class BoardDriver {
public:
    virtual ~BoardDriver() = default;

    // The whole input state in, the read-backs out; a failure has code != 0 and a message.
    virtual brixo::Readback step(const brixo::Inputs &inputs) = 0;
    // What the board carries, as the step route's board description.
    virtual brixo::BoardDescription describe() = 0;

    // The largest FPGA configuration the board takes.
    virtual std::size_t configurationLimit() const = 0;
    using Progress = std::function<void(std::size_t done, std::size_t total)>;
    // Downloads a configuration, reporting progress; stops between pieces once `cancel` is set,
    // false with "cancelled". False with the reason on any failure.
    virtual bool configure(const std::string &bytes, const Progress &progress, const std::atomic<bool> &cancel,
                           std::string &error) = 0;

    // After every hold: the reset configuration downloaded (when the board has one), every input
    // cleared and read back as cleared. False with the reason on any failure: the board is then
    // broken until a teacher marks it fixed.
    virtual bool reset(std::string &why) = 0;
    // The health check of an idle board: the chip answers with its information.
    virtual bool check(std::string &why) = 0;

    // A simulated board started with its design's signals dumped: ends its simulation and hands
    // over the dump (a value change dump). False with the reason when it has none; the board is
    // of no use after it.
    virtual bool dumps() const { return false; }
    virtual bool endWithDump(std::string &vcd, std::string &why)
    {
        vcd.clear();
        why = "this board dumps no signals";
        return false;
    }
};

// A design a student uploads for a simulated board of their own.
struct DesignUpload {
    std::vector<std::pair<std::string, std::string>> files; // plain name, text
    std::string top, simulator;
    bool keysActiveLow = false;
    double clockHz = 0;
    bool dump = false; // the design's own signals dumped, for the student to take at the end
};

// What a simulated board's dump may hold at most (the simulator stops dumping there).
constexpr unsigned long long kStudentDumpBytes = 8ull << 20;

// One compiler or simulator message about the student's own files.
struct DesignMessage {
    std::string file;
    int line = 0;
    std::string text;
};

} // namespace labd
