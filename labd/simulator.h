// A simulator behind brixo-labd. It builds the student's design together with a generated bench
// that instantiates the top module and talks over its standard input and output, one line each
// way per step:
//   in:  "CYCLES V0 V1 ..."   the clock cycles to run first (with the inputs as they were), then
//                             the new value of each board input port in hex (Board::inputs order)
//   out: "@brixo B0 B1 ..."   each board output port (Board::outputs order) in binary, leftmost
//                             declared index first, with x and z as the simulator has them
// Any other output line is the design's own ($display) and goes to the server's standard error.
#pragma once
#include "board_ports.h"

#include <memory>
#include <string>
#include <vector>

namespace labd {

struct DesignFiles {
    std::vector<std::string> files;   // absolute paths
    std::vector<std::string> defines; // NAME or NAME=VALUE
    std::string top;                  // empty: the one module nobody instantiates
};

class Simulator {
public:
    virtual ~Simulator() = default;
    // Compiles the files on their own: false with the simulator's messages.
    virtual bool check(const DesignFiles &design, std::string &messages) = 0;
    // The files' text after the simulator's preprocessor.
    virtual bool preprocess(const DesignFiles &design, std::string &text, std::string &messages) = 0;
    // Builds the design with the bench; false with the messages.
    virtual bool build(const DesignFiles &design, const Board &board, std::string &messages) = 0;
    // The command that runs what build() made, in the work directory.
    virtual std::vector<std::string> command() const = 0;
};

// Both work in `workDir`, which must exist and belong to the server alone.
std::unique_ptr<Simulator> makeIcarus(const std::string &workDir);
std::unique_ptr<Simulator> makeVerilator(const std::string &workDir);

// Compiles, finds the top module and its board ports, builds the bench. False with the
// simulator's messages or the port problems, each naming the port.
bool prepareDesign(Simulator &sim, DesignFiles &design, bool keysActiveLow, Board &board, std::string &messages);

// The bench's starting values of the inputs (switches off, keys released).
std::vector<uint64_t> idleInputs(const Board &board);

} // namespace labd
