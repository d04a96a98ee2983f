// Records what a board session did as a value change dump: every step's inputs (switches, held
// keys, each pulse as a press and a release) and what it read back (red and green LEDs, each
// digit's byte as read, 0 = lit, and CPU data), one variable per register. The time is the
// simulated time on a simulated board, else the time since recording began, in nanoseconds.
// Thread-safe: a session's subscriber calls it on the stepping thread, stop() may come from
// another.
#pragma once
#include "board_session.h"
#include "vcd_writer.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace brixo {

class VcdRecorder {
public:
    // cpu_data is `cpuBits` wide (none when 0), as the panel shows it.
    bool start(const std::string &path, int cpuBits, std::string &error);
    bool recording() const;
    // What BoardSession::subscribe takes; it refers to this recorder.
    BoardSession::Subscriber subscriber();
    void record(const Inputs &inputs, bool wrote, const Readback &readback);
    // A comment at the time of the last thing recorded ("line 7" for a vector row).
    void comment(const std::string &text);
    // Writes the rest and closes the file; later steps are not recorded.
    bool stop(std::string &error);
    ~VcdRecorder();

private:
    std::uint64_t endOf(const Readback &r);

    mutable std::mutex mutex_;
    std::unique_ptr<VcdWriter> vcd_;
    int sw_ = -1, key_ = -1, ledr_ = -1, ledg_ = -1, hex_[BoardLayout::digits] = {}, cpu_ = -1;
    int cpuBits_ = 0;
    std::chrono::steady_clock::time_point begin_;
    bool simulated_ = false;
    // A simulated board that started again from reset counts on from where it was.
    std::uint64_t simBase_ = 0, lastSimNs_ = 0, lastEnd_ = 0;
};

} // namespace brixo
