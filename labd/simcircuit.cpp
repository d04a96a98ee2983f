#include "simcircuit.h"

#include <cmath>
#include <cstdio>
#include <sstream>

namespace labd {

SimCircuit::SimCircuit(Board board, std::vector<std::string> command, std::string workDir, CircuitSettings settings)
    : board_(std::move(board)), command_(std::move(command)), workDir_(std::move(workDir)), settings_(settings),
      leds_(lab::bytesFor(lab::kLedBits), 0), digits_(lab::kDigits, 0xFF),
      chipInfo_(lab::chipInfoBlock(settings.chipDate, "SIMULATED", 0))
{}

bool SimCircuit::start(std::string &error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (!child_.start(command_, workDir_, error))
        return false;
    last_ = Clock::now();
    fresh_ = false;
    return step(true, error);
}

bool SimCircuit::step(bool inputsChanged, std::string &error)
{
    const Clock::time_point now = Clock::now();
    long cycles = 0;
    if (!board_.clocks.empty()) {
        owed_ += std::chrono::duration<double>(now - last_).count() * settings_.clockHz;
        cycles = long(std::min(std::floor(owed_), double(settings_.maxCyclesPerStep)));
        owed_ = owed_ - double(cycles) > double(settings_.maxCyclesPerStep) ? 0 : owed_ - double(cycles);
    }
    last_ = now;
    if (fresh_ && !inputsChanged && cycles == 0)
        return true;
    if (!child_.running() && !child_.start(command_, workDir_, error))
        return false;
    std::ostringstream line;
    line << cycles << std::hex;
    for (const BoardPort &p : board_.inputs)
        line << ' ' << inputValue(p, inputs_[p.role == Role::Switches ? Switches : Keys].value(), board_.keysActiveLow);
    fresh_ = false;
    const Clock::time_point deadline = now + std::chrono::milliseconds(settings_.requestLimitMs);
    if (!child_.writeLine(line.str())) {
        child_.stop();
        error = "the simulator has ended";
        return false;
    }
    for (;;) {
        std::string out;
        switch (child_.readLine(out, deadline)) {
        case ChildProcess::TimedOut:
            child_.stop(); // started again, from reset, by the next request
            error = "the design did not settle within " + std::to_string(settings_.requestLimitMs) +
                    " ms (a loop of logic without a register?); the simulator is restarted";
            return false;
        case ChildProcess::Ended:
            child_.stop();
            error = "the simulator has ended (the design stopped it or crashed); it is started again";
            return false;
        case ChildProcess::Line:
            if (out.compare(0, 7, "@brixo ") == 0) {
                takeOutputs(out.substr(7));
                fresh_ = true;
                return true;
            }
            std::fprintf(stderr, "%s\n", out.c_str()); // the design's own $display
            break;
        }
    }
}

// x and z show as off: an LED dark, a segment unlit.
void SimCircuit::takeOutputs(const std::string &line)
{
    std::istringstream in(line);
    std::fill(leds_.begin(), leds_.end(), 0);
    std::fill(digits_.begin(), digits_.end(), 0xFF);
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
            const int first = p.role == Role::GreenLeds ? lab::kRedLeds : 0;
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
            cpuData_.assign(size_t(lab::bytesFor(width)), 0);
            for (int i = 0; i < width; ++i)
                if (at(i) == '1')
                    lab::setBitAt(cpuData_.data(), i, true);
            break;
        default: break;
        }
    }
}

bool SimCircuit::scanChecked(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out, std::string &error)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (bits <= 0)
        return true;
    switch (instruction) {
    case Switches:
    case Keys: inputs_[instruction].shift(in, bits, out); return step(true, error);
    case VirtualMode: inputs_[instruction].shift(in, bits, out); return true;
    case Leds:
    case Digits:
    case CpuData:
        if (!step(false, error))
            return false;
        lab::shiftOut(instruction == Leds ? leds_ : instruction == Digits ? digits_ : cpuData_, bits, out);
        return true;
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

} // namespace labd
