// The design brixo-labd serves, as one board session: its work directory (made and removed
// here), the simulator that built it and the lab circuit that runs it. The remote-lab scans and
// the step route both go through it, one request after another, so they drive one board.
#pragma once
#include "design_dump.h"
#include "options.h"
#include "simcircuit.h"
#include "simulator.h"

#include "board_session.h"
#include "step_json.h"

#include <memory>
#include <mutex>
#include <string>

namespace labd {

class ServedDesign : public brixo::BoardSession {
public:
    // Builds the design the options name and starts its simulator. Null with what to show on
    // standard error (the simulator's own messages, or ours naming the file or the ports) and in
    // `failure` whose fault it was: the design's (DesignFailed) or the server's (ToolFailed).
    static std::unique_ptr<ServedDesign> open(const Options &options, std::string &messages, Build &failure);
    ~ServedDesign() override;

    const Board &board() const { return board_; }
    std::string kind() const override { return "simulated design"; }

    // One remote-lab scan, as lab::Circuit::scan takes it; false with the reason.
    bool scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out, std::string &error);
    // One step-route request: a register it leaves out keeps its value; everything the design
    // shows is read back.
    brixo::Readback stepRoute(const brixo::StepRequest &request);

    // For the thread that ends the process: kills every live design's simulator and removes its
    // work directory, without waiting for a step in progress.
    static void abandonAll();

protected:
    brixo::Readback doStep(const brixo::Inputs &inputs) override;
    brixo::Readback doRead(const brixo::Reads &reads) override;

private:
    ServedDesign() = default;
    void checkDump();
    brixo::Readback readback(bool ok, const Outputs &outputs, const std::string &error, brixo::Readback::Stage stage,
                             const brixo::Reads &reads) const;

    std::string workDir_;
    std::unique_ptr<Simulator> simulator_;
    Board board_;
    std::unique_ptr<SimCircuit> circuit_;
    std::unique_ptr<DesignDump> dump_; // --dump-vcd
    // One request at a time, a step route's reading of the registers and its step together.
    std::recursive_mutex mutex_;
};

} // namespace labd
