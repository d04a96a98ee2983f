// A lab circuit with a design loaded: the red LEDs show the sum of the switches' low and high
// nibbles, digits 0 and 1 show it in hexadecimal, digit 3 lights segment a alone (no
// hexadecimal digit), the green LEDs count key 0's presses and the CPU data echoes the
// switches. What a client writes thus comes back through the output registers.
#pragma once
#include "support/lab_circuit.h"

#include <cstddef>
#include <cstdint>

namespace emu {

class AdderCircuit : public LabCircuit {
public:
    int presses = 0;
    uint8_t scan(uint8_t instruction, const uint8_t *in, int bits, uint8_t *out) override
    {
        const uint8_t status = LabCircuit::scan(instruction, in, bits, out);
        if (instruction == Switches || instruction == Keys)
            update();
        return status;
    }

private:
    bool key0_ = false;
    void update()
    {
        // Segment patterns of the hexadecimal digits (1 = lit), as lab boards light them.
        static const uint8_t pattern[16] = {191, 134, 219, 207, 230, 237, 253, 135,
                                            255, 231, 247, 252, 185, 222, 249, 241};
        const uint64_t sw = inputValue(Switches);
        const bool key0 = inputValue(Keys) & 1;
        presses += key0 && !key0_;
        key0_ = key0;
        const unsigned sum = unsigned(sw & 0xF) + unsigned((sw >> 4) & 0xF);
        const uint64_t leds = sum | uint64_t(presses & 0xF) << 18;
        Bytes l(5), d(8, 0xFF), c(5);
        for (int i = 0; i < 5; ++i)
            l[std::size_t(i)] = uint8_t(leds >> (8 * i)), c[std::size_t(i)] = uint8_t(sw >> (8 * i));
        d[0] = uint8_t(~pattern[sum & 0xF]); // the board's digit register: 0 = lit
        d[1] = uint8_t(~pattern[sum >> 4]);
        d[3] = 0xFE;
        setLeds(l);
        setDigits(d);
        setCpuData(c);
    }
};

} // namespace emu
