#include "vcd_recorder.h"

#include <algorithm>
#include <memory>

namespace brixo {

bool VcdRecorder::start(const std::string &path, int cpuBits, std::string &error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (vcd_ && vcd_->isOpen()) {
        error = "a recording is already running";
        return false;
    }
    vcd_ = std::make_unique<VcdWriter>();
    cpuBits_ = std::clamp(cpuBits, 0, BoardLayout::cpuDataBits);
    sw_ = vcd_->declare("sw", BoardLayout::switches);
    key_ = vcd_->declare("key", BoardLayout::keys);
    ledr_ = vcd_->declare("ledr", BoardLayout::redLeds);
    ledg_ = vcd_->declare("ledg", BoardLayout::greenLeds);
    for (int d = 0; d < BoardLayout::digits; ++d)
        hex_[d] = vcd_->declare("hex" + std::to_string(d), 8);
    cpu_ = cpuBits_ > 0 ? vcd_->declare("cpu_data", cpuBits_) : -1;
    begin_ = std::chrono::steady_clock::now();
    simulated_ = false;
    simBase_ = lastSimNs_ = lastEnd_ = 0;
    return vcd_->open(path, "1ns", "board", error);
}

bool VcdRecorder::recording() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return vcd_ && vcd_->isOpen();
}

BoardSession::Subscriber VcdRecorder::subscriber()
{
    return [this](const Inputs &in, bool wrote, const Readback &r) { record(in, wrote, r); };
}

// Where the step's read-backs go: the board's simulated time, or for a board with no clock of
// its own (or a step that failed before the board said its time) the wall clock or the last time.
std::uint64_t VcdRecorder::endOf(const Readback &r)
{
    if (r.simulated) {
        if (r.timeNs < lastSimNs_)
            simBase_ += lastSimNs_;
        lastSimNs_ = r.timeNs;
        simulated_ = true;
        return simBase_ + r.timeNs;
    }
    if (simulated_)
        return vcd_->time();
    return std::uint64_t(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - begin_).count());
}

void VcdRecorder::record(const Inputs &in, bool wrote, const Readback &r)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!vcd_ || !vcd_->isOpen())
        return;
    const std::uint64_t previousEnd = lastEnd_;
    std::uint64_t end = endOf(r);
    if (wrote) {
        // A simulated board applies the inputs, presses and releases the pulsed keys 1 ns apart
        // and reads 1 ns later, after the cycles asked for; a step with cycles began where the
        // last one ended.
        const std::uint64_t span = in.pulse ? 3 : 1;
        std::uint64_t t = r.simulated && in.cycles > 0 ? previousEnd : end >= span ? end - span : 0;
        vcd_->at(t);
        t = std::max(t, vcd_->time());
        vcd_->set(sw_, in.switches);
        vcd_->set(key_, in.keys);
        if (in.pulse) {
            vcd_->at(t + 1);
            vcd_->set(key_, in.keys | in.pulse);
            vcd_->at(t + 2);
            vcd_->set(key_, in.keys);
        }
    }
    vcd_->at(end);
    end = vcd_->time();
    lastEnd_ = end;
    if (r.hasLeds) {
        vcd_->set(ledr_, BoardLayout::redOf(r.leds));
        vcd_->set(ledg_, BoardLayout::greenOf(r.leds));
    }
    if (r.hasDigits)
        for (int d = 0; d < BoardLayout::digits; ++d)
            vcd_->set(hex_[d], r.digits[std::size_t(d)]);
    if (cpu_ >= 0 && r.cpuBits > 0) {
        // Bits the step did not read stay unknown.
        std::string bits(std::size_t(cpuBits_), 'x');
        for (int i = 0; i < cpuBits_ && i < r.cpuBits; ++i)
            if (std::size_t(i / 8) < r.cpuData.size())
                bits[std::size_t(cpuBits_ - 1 - i)] = (r.cpuData[std::size_t(i / 8)] >> (i % 8)) & 1 ? '1' : '0';
        vcd_->setBits(cpu_, bits);
    }
}

void VcdRecorder::comment(const std::string &text)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (vcd_ && vcd_->isOpen())
        vcd_->comment(text);
}

bool VcdRecorder::stop(std::string &error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    return !vcd_ || vcd_->close(error);
}

VcdRecorder::~VcdRecorder()
{
    std::string ignored;
    stop(ignored);
}

} // namespace brixo
