// The lab circuit of brixo-labd: the registers the panel uses, with the simulated design behind
// them. Switch and key writes reach the design at once; LED, digit and CPU-data reads show what
// it drives, a free-running clock having run the cycles owed since the request before.
#pragma once
#include "childprocess.h"
#include "circuit.h"
#include "simulator.h"

#include <mutex>

namespace labd {

struct CircuitSettings {
    double clockHz = 1000;
    int requestLimitMs = 2000;     // a step that takes longer: the design did not settle
    long maxCyclesPerStep = 50000; // owed cycles beyond this are dropped, not run
    uint32_t chipDate = 0;         // BCD date in the chip information, e.g. 0x20261207
};

class SimCircuit : public lab::Circuit {
public:
    SimCircuit(Board board, std::vector<std::string> command, std::string workDir, CircuitSettings settings);

    // Starts the simulator and takes the design's first outputs. False with the reason.
    bool start(std::string &error);

    // One scan; false with the reason when the design did not answer in time or ended. Safe to
    // call from several threads: scans are taken one after another.
    bool scanChecked(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out, std::string &error);
    // The Circuit seam: a failed scan reports a bad link.
    uint8_t scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out) override;

    // Ends the simulator at once (for a signal handler's thread: no lock taken).
    pid_t simulatorPid() const { return child_.pid(); }

    // The output registers as they last were (for tests and the bench).
    const lab::Bytes &leds() const { return leds_; }
    const lab::Bytes &digits() const { return digits_; }

private:
    bool step(bool inputsChanged, std::string &error);
    void takeOutputs(const std::string &line);

    Board board_;
    std::vector<std::string> command_;
    std::string workDir_;
    CircuitSettings settings_;
    std::mutex mutex_;
    ChildProcess child_;
    bool fresh_ = false; // outputs match the inputs and no cycle is owed
    Clock::time_point last_;
    double owed_ = 0;
    lab::InputRegister inputs_[16];
    lab::Bytes leds_, digits_, cpuData_, chipInfo_;
};

} // namespace labd
