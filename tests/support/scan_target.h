// The seam between an emulated adapter (USB or remote-lab server) and the emulated lab circuit
// behind it: the adapter turns each register scan it is asked for into one call of the circuit.
#pragma once
#include "labd/circuit.h"

namespace emu {

using ScanTarget = lab::Circuit;

} // namespace emu
