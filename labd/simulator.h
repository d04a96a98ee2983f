// A simulator behind brixo-labd. It builds the student's design together with a generated bench
// that instantiates the top module and talks over its standard input and output, one line each
// way per step:
//   in:  "BEFORE AFTER V0 V1 ... P0 P1 ..."
//        BEFORE clock cycles run with the inputs as they were; then each board input port
//        (Board::inputs order) takes its new value V, in hex, and settles; when some P differs
//        from its V (a key pulse) the inputs take the pressed values P, settle, and take V again;
//        then AFTER clock cycles run
//   out: "@brixo TIME CYCLES B0 B1 ..."
//        the bench's simulated time in ns and the clock cycles it has run since it started, then
//        each board output port (Board::outputs order) in binary, leftmost declared index first,
//        with x and z as the simulator has them
// The bench keeps its own time: inputs settle for 1 ns, and a clock cycle lasts one period of
// the clock rate (a design with no clock port lets the time pass all the same). Every input and
// the clock take their idle values at time 0 as an event, in either language mode, so a design
// that acts on its inputs' first edge sees it. Any other output line is the design's own
// ($display) and goes to the server's standard error.
#pragma once
#include "board_ports.h"
#include "sandbox.h"

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
    // The programs it runs, looked for on PATH before anything is built.
    virtual std::vector<std::string> tools() const = 0;
    // Compiles the files on their own: false with the simulator's messages.
    virtual bool check(const DesignFiles &design, std::string &messages) = 0;
    // The files' text after the simulator's preprocessor.
    virtual bool preprocess(const DesignFiles &design, std::string &text, std::string &messages) = 0;
    // Builds the design with the bench; false with the messages.
    virtual bool build(const DesignFiles &design, const Board &board, std::string &messages) = 0;
    // The command that runs what build() made (its files named by absolute paths).
    virtual std::vector<std::string> command() const = 0;
    // What of the design's text this simulator will not build, "FILE:LINE: why" lines: a way
    // out of the simulation into the machine; empty when there is none.
    virtual std::string refused(const std::string &file, const std::string &text) const = 0;
    // Where its tools run.
    virtual const Sandbox &sandbox() const = 0;
    // Builds what the design's own signals can be dumped from, to the file that the run's
    // arguments "+brixo_dump=PATH +brixo_dump_limit=BYTES" name: the dump starts at time 0,
    // holds the design's scopes alone, in the bench's simulated time, is flushed after each
    // step, and stops at the limit with a comment that ends "exceeded. $end". Without the
    // arguments nothing is dumped. Icarus's bench always can; a Verilator model needs tracing.
    virtual void enableDump() {}
};

// Both work in the sandbox's work directory, which must exist and belong to the server alone;
// their bench's clock runs at `clockHz` in simulated time.
std::unique_ptr<Simulator> makeIcarus(const Sandbox &sandbox, double clockHz);
std::unique_ptr<Simulator> makeVerilator(const Sandbox &sandbox, double clockHz);

// Verilator's ways to run C code of the design's own: $system, $c, DPI imports and the
// `systemc_ directives, each with its file and line, as refused() gives them.
std::string verilatorRefusals(const std::string &file, const std::string &text);

// What became of a design: built and ready, at fault itself (`messages` has the simulator's
// words about the student's own files, or the port problems, each naming the port, or what the
// simulator refuses to build, or that it needs more memory than the limit), or the server's
// tools are (a simulator not installed, a file that cannot be written, a full disk, a bench
// that does not build with a design that compiles on its own).
enum class Build { Ready, DesignFailed, ToolFailed };

// Finds the top module and its board ports and builds the design with the bench: one compile
// when all goes well (the preprocessor runs first only when the files use its directives); the
// files are compiled on their own only after a failed build, for messages that are about them
// and not about the bench.
Build prepareDesign(Simulator &sim, DesignFiles &design, bool keysActiveLow, Board &board, std::string &messages);

// Whether the files use preprocessor directives that can change what the port reader sees
// (`define, `ifdef, `include, a macro); `timescale and its kin do not count.
bool needsPreprocessor(const std::vector<std::string> &texts);

// The bench's starting values of the inputs (switches off, keys released).
std::vector<uint64_t> idleInputs(const Board &board);

// Half a period of the bench's clock in ns, at least 1.
uint64_t halfPeriodNs(double clockHz);

// Writes a generated file; false with a message naming it when any of it did not reach the disk.
bool writeGenerated(const std::string &path, const std::string &text, std::string &messages);

} // namespace labd
