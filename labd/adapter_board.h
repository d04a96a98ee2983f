// A lab board on one of the lab PC's adapters. The driver library keeps one selected adapter per
// process, so each board is driven by a `brixo-labd adapter N` process of its own, which this
// driver starts, talks to over pipes, and restarts when it dies or stops answering.
#pragma once
#include "board_driver.h"

#include <memory>
#include <string>

namespace labd {

struct AdapterBoardOptions {
    int adapter = 0;       // index in the lab PC's adapter list
    std::string resetFile; // downloaded after every hold; empty: none
    std::string program;   // the brixo-labd to start for the adapter process
    // Bits of CPU data to read at each step (the board's panel shows that many); 0: none.
    int cpuDataBits = 0;
};

std::unique_ptr<BoardDriver> openAdapterBoard(const AdapterBoardOptions &options);

// `brixo-labd adapter N`: the adapter process itself, serving its parent on standard input and
// output until input closes. Returns the exit status.
int runAdapterProcess(int adapter);

} // namespace labd
