// The seam between an emulated adapter (USB or remote-lab server) and the emulated lab circuit
// behind it: the adapter turns each register scan it is asked for into one call here.
#pragma once
#include <cstdint>

namespace emu {

class ScanTarget {
public:
    virtual ~ScanTarget() = default;

    // Loads the 4-bit instruction `instruction`, then shifts `bits` bits of `in` (least
    // significant bit first: bit n is bit n % 8 of byte n / 8) through the data register the
    // instruction selects. `bits` may be 0 (instruction only; `in` and `out` may be null).
    // The bits shifted out are stored in `out` (ceil(bits / 8) bytes; unused high bits 0)
    // when `out` is not null. Returns the status byte the adapter reports for the scan:
    // its two low bits are binary 01 when the link to the on-chip debugger is good.
    virtual uint8_t scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out) = 0;
};

} // namespace emu
