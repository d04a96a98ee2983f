// A board reached through the lab library: an adapter's board, or a remote-lab server that
// speaks only the register scans. A step is exactly the register operations the panel has always
// made, in their order: panel input on (register 2, when asked for), the switches (9), the keys
// (7), each pulse as a key write and a release, then the LEDs (8), the digits (3) and the CPU
// data (1) as `reads` asks.
#pragma once
#include "board_session.h"

#include <mutex>

namespace brixo {

// The lab library keeps one selected adapter for the whole process: whoever calls it while a
// session may be stepping on another thread takes this first.
std::recursive_mutex &vestrixMutex();

class VestrixBoard : public BoardSession {
public:
    // With panelInputEachStep every step first switches the circuit to panel input, as the
    // panel program does; brixo-cli switches it once with enablePanelInput().
    explicit VestrixBoard(bool panelInputEachStep) : panelInputEachStep_(panelInputEachStep) {}
    int enablePanelInput();
    std::string kind() const override { return "board"; }

protected:
    Readback doStep(const Inputs &inputs) override;
    Readback doRead(const Reads &reads) override;

private:
    bool readInto(const Reads &reads, Readback &r);
    bool panelInputEachStep_;
};

} // namespace brixo
