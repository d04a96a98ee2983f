#include "emu_c.h"

#include "support/emu_adapter.h"
#include "support/lab_circuit.h"

#include <hostui.h>

#include <memory>

namespace {
std::unique_ptr<emu::LabCircuit> circuit;
std::unique_ptr<emu::Adapter> adapter;
} // namespace

extern "C" {

void emu_c_start(void)
{
    emu::install();
    hostui::setCollecting(true);
    circuit = std::make_unique<emu::LabCircuit>();
    adapter = std::make_unique<emu::Adapter>(emu::Adapter::Kind::Hid, circuit.get());
    emu::attach(adapter.get());
    hostui::takeProgressEvents();
}

void emu_c_stop(void)
{
    emu::uninstall();
    adapter.reset();
    circuit.reset();
    hostui::setCollecting(false);
}

int emu_c_fpga_pieces(void) { return int(adapter->fpgaPieceSizes.size()); }
int emu_c_fpga_bytes(void) { return int(adapter->fpgaData.size()); }
int emu_c_fpga_done(void) { return adapter->fpgaDone ? 1 : 0; }
int emu_c_progress_events(void) { return int(hostui::takeProgressEvents().size()); }

} // extern "C"
