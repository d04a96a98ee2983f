// Runs a vector table on the connected board: per row the switches and the held keys in one
// write each, then the key pulses, then one read of each output register the columns use.
#pragma once
#include "vector_table.h"

#include <string>
#include <vector>

namespace cli {

struct Mismatch {
    std::string column, expected, read;
};

struct RowResult {
    int line = 0;
    std::vector<Mismatch> mismatches;
    int code = 0; // a library failure that stopped the run at this row
    double seconds = 0;
    bool passed() const { return code == 0 && mismatches.empty(); }
};

// One result per row run; stops after the row whose board call failed and returns that code.
int runVectors(const VectorTable &table, std::vector<RowResult> &results);

// "line 7: R3..R0 expected 0x5, read 0x3" (several columns joined by "; ").
std::string failureLine(const RowResult &row);
std::string mismatchText(const RowResult &row);

} // namespace cli
