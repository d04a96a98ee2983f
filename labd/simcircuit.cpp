#include "simcircuit.h"

#include "board_layout.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <sstream>
#include <unistd.h>

namespace labd {

using brixo::BoardLayout;

SimCircuit::SimCircuit(Board board, std::vector<std::string> command, Sandbox sandbox, std::string runDir,
                       CircuitSettings settings)
    : board_(std::move(board)), command_(std::move(command)), sandbox_(std::move(sandbox)), runDir_(std::move(runDir)),
      settings_(settings), leds_(BoardLayout::bytesFor(BoardLayout::ledBits), 0),
      digits_(BoardLayout::digits, BoardLayout::digitDark),
      chipInfo_(lab::chipInfoBlock(settings.chipDate, "SIMULATED", 0))
{}

SimCircuit::~SimCircuit() { stopChild(); }

bool SimCircuit::start(std::string &error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!startChild(error))
        return false;
    return run(sent_, sent_, 0, error);
}

bool SimCircuit::startChild(std::string &error)
{
    brixo::SpawnOptions o = sandbox_.options(runDir_, settings_.cpuSeconds);
    o.in = brixo::SpawnOptions::Pipe;
    o.out = brixo::SpawnOptions::Pipe;
    o.err = brixo::SpawnOptions::Pipe; // the design's messages, shown by its reader
    o.ownGroup = true;
    o.dieWithParent = true;
    std::vector<std::string> command = command_;
    if (settings_.runArgs)
        for (std::string &a : settings_.runArgs())
            command.push_back(std::move(a));
    if (!child_.start(sandbox_.command(command, runDir_), o, error))
        return false;
    pid_ = child_.pid();
    output_ = std::make_unique<DesignOutput>(child_.outputFd(), child_.errorFd());
    sent_ = idleInputs(board_); // a new simulator starts from reset
    last_ = brixo::Clock::now();
    owed_ = 0;
    fresh_ = false;
    return true;
}

void SimCircuit::stopChild()
{
    // Killed first, so that its pipes end and the reader lets go of them before they close.
    if (child_.running())
        endRun(child_.pid());
    output_.reset();
    pid_ = -1;
    child_.stop();
}

std::string SimCircuit::endReason()
{
    const std::string said = output_ ? output_->tail() : std::string();
    int status = -1;
    // Its output has ended; its exit follows at once.
    for (int i = 0; i < 100 && !child_.exited(status); ++i)
        ::usleep(2000);
    if (outOfMemory(said))
        return "out of memory: the design needs more than " + sandbox_.memoryLimit() + " (--mem-limit)";
    if (status > 128 && !sandbox_.limitReached(status - 128).empty())
        return "it ran into " + sandbox_.limitReached(status - 128);
    return "the simulator has ended (the design stopped it or crashed" +
           (status > 128  ? ", signal " + std::to_string(status - 128)
            : status >= 0 ? ", exit status " + std::to_string(status)
                          : std::string()) +
           ")";
}

std::vector<uint64_t> SimCircuit::portValues(uint64_t switches, uint64_t keys) const
{
    std::vector<uint64_t> v;
    for (const BoardPort &p : board_.inputs)
        v.push_back(inputValue(p, p.role == Role::Switches ? switches : keys, board_.keysActiveLow));
    return v;
}

std::vector<uint64_t> SimCircuit::registerValues() const
{
    return portValues(inputs_[Switches].value(), inputs_[Keys].value());
}

bool SimCircuit::run(const std::vector<uint64_t> &values, const std::vector<uint64_t> &pressed, uint64_t after,
                     std::string &error)
{
    const brixo::Clock::time_point now = brixo::Clock::now();
    long before = 0;
    if (settings_.freeRunning && !board_.clocks.empty()) {
        owed_ += std::chrono::duration<double>(now - last_).count() * settings_.clockHz;
        before = long(std::min(std::floor(owed_), double(settings_.maxCyclesPerStep)));
        owed_ = owed_ - double(before) > double(settings_.maxCyclesPerStep) ? 0 : owed_ - double(before);
    }
    last_ = now;
    // A simulator that ended since the last request: that request's outputs are all it left.
    if (output_ && output_->ended()) {
        error = endReason();
        stopChild();
        return false;
    }
    if (fresh_ && values == sent_ && pressed == values && before == 0 && after == 0)
        return true;
    if (!child_.running() && !startChild(error))
        return false;
    output_->clearAnswers();
    std::ostringstream line;
    line << before << ' ' << after << std::hex;
    for (uint64_t v : values)
        line << ' ' << v;
    for (uint64_t v : pressed)
        line << ' ' << v;
    fresh_ = false;
    const brixo::Clock::time_point deadline = now + std::chrono::milliseconds(settings_.requestLimitMs);
    if (!child_.writeLine(line.str())) {
        error = endReason();
        stopChild();
        return false;
    }
    std::string out;
    switch (output_->next(out, deadline)) {
    case DesignOutput::TimedOut:
        stopChild(); // started again, from reset, by the next request
        error = after > 0 ? "the design did not run " + std::to_string(after) + " clock cycles within " +
                                std::to_string(settings_.requestLimitMs) + " ms"
                          : "the design did not settle within " + std::to_string(settings_.requestLimitMs) +
                                " ms (a loop of logic without a register?)";
        return false;
    case DesignOutput::Ended:
        error = endReason();
        stopChild();
        return false;
    case DesignOutput::Answer: break;
    }
    takeOutputs(out);
    sent_ = values;
    fresh_ = true;
    return true;
}

bool SimCircuit::request(const std::vector<uint64_t> &values, const std::vector<uint64_t> &pressed, uint64_t after,
                         std::string &error)
{
    if (run(values, pressed, after, error))
        return true;
    error += "; the simulator starts again from reset with the next request";
    return false;
}

// "TIME CYCLES B0 B1 ...". x and z show as off: an LED dark, a segment unlit.
void SimCircuit::takeOutputs(const std::string &line)
{
    std::istringstream in(line);
    in >> timeNs_ >> cycles_;
    std::fill(leds_.begin(), leds_.end(), 0);
    std::fill(digits_.begin(), digits_.end(), BoardLayout::digitDark);
    cpuData_.clear();
    for (const BoardPort &p : board_.outputs) {
        std::string bits;
        in >> bits;
        const int width = int(p.port.width());
        if (int(bits.size()) != width)
            continue;
        // Bit i of the board is declared index low + i, at |index - left| from the left.
        auto at = [&](int i) { return bits[size_t(std::labs(p.port.low() + i - p.port.left))]; };
        switch (p.role) {
        case Role::RedLeds:
        case Role::GreenLeds:
        case Role::Leds: {
            const int first = p.role == Role::GreenLeds ? BoardLayout::greenLedFirstBit : 0;
            for (int i = 0; i < width; ++i)
                if (at(i) == '1')
                    lab::setBitAt(leds_.data(), first + i, true);
            break;
        }
        case Role::Digit:
            for (int i = 0; i < width; ++i)
                if (at(i) == '0')
                    lab::setBitAt(&digits_[size_t(p.digit)], i, false);
            break;
        case Role::CpuData:
            cpuData_.assign(size_t(BoardLayout::bytesFor(width)), 0);
            for (int i = 0; i < width; ++i)
                if (at(i) == '1')
                    lab::setBitAt(cpuData_.data(), i, true);
            break;
        default: break;
        }
    }
}

void SimCircuit::copyOutputs(Outputs &o) const
{
    o.leds = leds_;
    o.digits = digits_;
    o.cpuData = cpuData_;
    o.cycles = cycles_;
    o.timeNs = timeNs_;
}

bool SimCircuit::scanChecked(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out, std::string &error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (bits <= 0)
        return true;
    switch (instruction) {
    case Switches:
    case Keys: { // a write is a step with no pulse and no cycles asked for
        const lab::InputRegister before = inputs_[instruction];
        inputs_[instruction].shift(in, bits, out);
        const std::vector<uint64_t> values = registerValues();
        if (request(values, values, 0, error))
            return true;
        inputs_[instruction] = before;
        return false;
    }
    case VirtualMode: inputs_[instruction].shift(in, bits, out); return true;
    case Leds:
    case Digits:
    case CpuData: {
        const std::vector<uint64_t> values = registerValues();
        if (!request(values, values, 0, error))
            return false;
        lab::shiftOut(instruction == Leds ? leds_ : instruction == Digits ? digits_ : cpuData_, bits, out);
        return true;
    }
    case ChipInfo: lab::shiftOut(chipInfo_, bits, out); return true;
    default: // run status idle, and every other register reads zeros
        lab::shiftOut({}, bits, out);
        return true;
    }
}

uint8_t SimCircuit::scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out)
{
    std::string error;
    return scanChecked(instruction, in, bits, out, error) ? lab::kLinkGood : 0x02;
}

bool SimCircuit::step(const StepInputs &s, Outputs &outputs, std::string &error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    // The registers as a scan write of the whole register leaves them, so the scans read them back.
    const lab::Bytes switches = BoardLayout::pack(s.switches, BoardLayout::switchBits);
    const lab::Bytes keys = BoardLayout::pack(s.keys, BoardLayout::keyBits);
    if (!request(portValues(s.switches, s.keys), portValues(s.switches, s.keys | s.pulse), s.cycles, error))
        return false;
    inputs_[Switches].shift(switches.data(), BoardLayout::switchBits, nullptr);
    inputs_[Keys].shift(keys.data(), BoardLayout::keyBits, nullptr);
    copyOutputs(outputs);
    return true;
}

bool SimCircuit::read(Outputs &outputs, std::string &error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const std::vector<uint64_t> values = registerValues();
    if (!request(values, values, 0, error))
        return false;
    copyOutputs(outputs);
    return true;
}

void SimCircuit::registers(uint64_t &switches, uint32_t &keys)
{
    std::lock_guard<std::mutex> lock(mutex_);
    switches = inputs_[Switches].value() & BoardLayout::mask(BoardLayout::switchBits);
    keys = uint32_t(inputs_[Keys].value() & BoardLayout::mask(BoardLayout::keyBits));
}

} // namespace labd
