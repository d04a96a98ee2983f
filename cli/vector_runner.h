// Runs a vector table on a board session: for each row its switches, held keys and key pulses
// in (a key pulsed N times takes N steps), the clock cycles its CYCLES cell asks for, the wait
// its WAIT_MS cell asks for, then the output registers its columns use read back and compared.
#pragma once
#include "vector_table.h"

#include <functional>
#include <string>
#include <vector>

namespace brixo {
class BoardSession;
}

namespace cli {

struct Mismatch {
    std::string column, expected, read;
};

struct RowResult {
    int line = 0;
    std::vector<Mismatch> mismatches;
    // A row that could not run, and whose fault that was: the design's (a simulated design that
    // did not settle or ended; or one that did not build), the board link's, or the command
    // line's; NotRun for the rows after a board failure.
    enum Error { None, Design, Board, Usage, NotRun } error = None;
    int code = 0;        // Board: the library's result code
    std::string message; // why, in one line (the board's own words for a Board error)
    std::string detail;  // more lines that say why (the compiler's first messages)
    double seconds = 0;
    bool passed() const { return error == None && mismatches.empty(); }
    bool failed() const { return error == None && !mismatches.empty(); }
};

struct RunOptions {
    // The board is a simulated design on a lab server's step route: a step it refuses in its
    // own words (the design did not settle, or ended) is the design's fault, and the server
    // starts the design again from reset for the next row.
    bool simulatedDesign = false;
    // Called after each row that ran, once its steps are done (the waveform marks the row there).
    std::function<void(const RowResult &row)> rowDone;
};

// One step of the session carries at most this many clock cycles of a row, so that each stays
// well within the server's time limit for one step.
constexpr uint64_t kCyclesPerStep = 50000;

// One result per row of the table. A design fault fails its row and the run goes on; a board
// failure fails its row, the rest are NotRun, and its code is returned (else 0).
int runVectors(brixo::BoardSession &board, const VectorTable &table, std::vector<RowResult> &results,
               const RunOptions &options = {});

// "line 7: R3..R0 expected 0x5, read 0x3" (several columns joined by "; ").
std::string failureLine(const RowResult &row);
std::string mismatchText(const RowResult &row);

} // namespace cli
