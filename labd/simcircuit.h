// The lab circuit of brixo-labd: the registers the panel uses, with the simulated design behind
// them. Switch and key writes reach the design at once; LED, digit and CPU-data reads show what
// it drives, a free-running clock having run the cycles owed since the request before (unless
// the clock is manual: then it runs only the cycles a step asks for). Every
// change is one step of the bench (one line to it, one answer); a request that changes nothing
// and owes no cycle makes none.
#pragma once
#include "circuit.h"
#include "design_output.h"
#include "sandbox.h"
#include "simulator.h"

#include "child_process.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace labd {

struct CircuitSettings {
    double clockHz = 1000;
    // The clock runs on by itself, the cycles owed since the request before running first; off,
    // it runs only the cycles a step asks for, so the same requests give the same outputs.
    bool freeRunning = true;
    int requestLimitMs = 2000;     // a step that takes longer: the design did not settle
    long maxCyclesPerStep = 50000; // owed cycles beyond this are dropped, not run
    uint32_t chipDate = 0;         // BCD date in the chip information, e.g. 0x20261207
    // CPU time of one simulator's life: steps are bounded on their own, this bounds a design
    // that spends it between them.
    int cpuSeconds = 3600;
    // Arguments added to the command each time a simulator starts (the dump a run writes).
    std::function<std::vector<std::string>()> runArgs;
};

// One step of the whole input state: the switch and key registers (bit i = switch or key i,
// 1 = on or pressed), the keys pressed and released together after them, the clock cycles to
// run before the outputs are read.
struct StepInputs {
    uint64_t switches = 0;
    uint32_t keys = 0;
    uint32_t pulse = 0;
    uint64_t cycles = 0;
};

// What the design shows after a step, and the bench's clock.
struct Outputs {
    lab::Bytes leds, digits, cpuData; // the registers' bytes; cpuData as wide as the design's port
    uint64_t cycles = 0;              // clock cycles run since the simulator started
    uint64_t timeNs = 0;              // the bench's simulated time
};

class SimCircuit : public lab::Circuit {
public:
    // Runs `command` in `runDir` (the design's folder, for the files it reads by a relative
    // name), as `sandbox` contains it.
    SimCircuit(Board board, std::vector<std::string> command, Sandbox sandbox, std::string runDir,
               CircuitSettings settings);
    ~SimCircuit() override;

    // Starts the simulator and takes the design's first outputs. False with the reason.
    bool start(std::string &error);

    // One scan; false with the reason when the design did not answer in time or ended (a write
    // that failed leaves the register as it was). Safe to call from several threads: scans and
    // steps are taken one after another, each whole.
    bool scanChecked(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out, std::string &error);
    // The Circuit seam: a failed scan reports a bad link.
    uint8_t scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out) override;

    // Sets the switch and key registers, pulses, runs the cycles and reads the outputs, in one
    // step of the bench. False with the reason (the text a failed scan gives).
    bool step(const StepInputs &inputs, Outputs &outputs, std::string &error);
    // Reads the outputs, after the cycles the free-running clock owes.
    bool read(Outputs &outputs, std::string &error);
    // The switch and key registers as the last write left them.
    void registers(uint64_t &switches, uint32_t &keys);

    // The simulator's process, for a thread that ends the server at once (no lock taken).
    pid_t simulatorPid() const { return pid_; }

private:
    // run() for a client's request: a failure says that the next request starts afresh.
    bool request(const std::vector<uint64_t> &values, const std::vector<uint64_t> &pressed, uint64_t after,
                 std::string &error);
    bool run(const std::vector<uint64_t> &values, const std::vector<uint64_t> &pressed, uint64_t after,
             std::string &error);
    std::vector<uint64_t> portValues(uint64_t switches, uint64_t keys) const;
    std::vector<uint64_t> registerValues() const;
    bool startChild(std::string &error);
    void stopChild();
    // Why the simulator ended, from its exit status and its last words.
    std::string endReason();
    void takeOutputs(const std::string &line);
    void copyOutputs(Outputs &outputs) const;

    Board board_;
    std::vector<std::string> command_;
    Sandbox sandbox_;
    std::string runDir_;
    CircuitSettings settings_;
    std::mutex mutex_;
    brixo::ChildProcess child_;
    std::unique_ptr<DesignOutput> output_; // reads child_'s output while it runs
    std::atomic<pid_t> pid_{-1};
    bool fresh_ = false;         // outputs match the inputs sent and no cycle is owed
    std::vector<uint64_t> sent_; // the input ports' values the bench holds
    brixo::Clock::time_point last_;
    double owed_ = 0;
    lab::InputRegister inputs_[16];
    lab::Bytes leds_, digits_, cpuData_, chipInfo_;
    uint64_t cycles_ = 0, timeNs_ = 0;
};

} // namespace labd
