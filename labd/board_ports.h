// The board behind a design: which of the top module's ports stand for the switches, keys,
// clock, LEDs, digits and CPU data, by name (without regard to case), and the checks that they
// fit the board before anything runs.
#pragma once
#include "verilog_ports.h"

#include "step_json.h"

#include <string>
#include <vector>

namespace labd {

enum class Role { Switches, Keys, KeysLow, Clock, RedLeds, GreenLeds, Leds, Digit, CpuData };

struct BoardPort {
    Port port;
    Role role;
    int digit = 0; // hexN: N
};

struct Board {
    std::string top;
    std::vector<BoardPort> inputs;   // switches and keys, in the order the simulator takes them
    std::vector<BoardPort> clocks;   // driven by the server
    std::vector<BoardPort> outputs;  // in the order the simulator reports them
    bool keysActiveLow = false;      // "key" reads 0 when pressed
    std::vector<std::string> unused; // ports of no board name, left unconnected

    // What the recognised ports carry; and that as the one line of JSON that both the ready line
    // and GET /api/v1/board give.
    brixo::BoardDescription description() const;
    std::string json() const { return brixo::boardJson(description()); }
};

// Chooses the top module: `wanted` when given, else the one module nobody instantiates.
// False with a message naming the candidates otherwise.
bool chooseTop(const std::vector<Module> &modules, const std::string &wanted, const Module *&top, std::string &error);

// The board ports of `top`. False with one line per problem (a port of the wrong direction,
// a port wider than the board's, no recognised port at all), each naming the port.
bool boardPorts(const Module &top, bool keysActiveLow, Board &board, std::string &error);

// The value the design's input port gets from the panel's register bits (bit i = switch or
// key i, 1 = pressed), as the vector's value (bit 0 = the rightmost declared index).
uint64_t inputValue(const BoardPort &p, uint64_t registerBits, bool keysActiveLow);

} // namespace labd
