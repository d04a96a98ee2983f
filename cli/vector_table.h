// The test-vector file: a table whose first line names the columns (inputs S<n>, K<n> and
// ranges such as S7..S4; outputs R<n>, G<n>, ranges, D<n>, CPU<bits>; CYCLES, the clock cycles
// a simulated board runs before the outputs are read; WAIT_MS, a wait before they are read),
// then one row per test. `#` starts a comment; cells are separated by blanks or by commas. The
// reader checks everything up front, so a run never stops half-way over a typing mistake.
#pragma once
#include "board_layout.h"
#include "number_text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

struct Column {
    enum Kind { Switch, Key, Red, Green, Digit, Cpu, Cycles, WaitMs } kind = Switch;
    std::string name;      // as written in the header
    std::vector<int> bits; // register bit per column bit, most significant first (Cpu, Cycles, WaitMs: empty)
    int cpuBits = 0;       // Cpu: the width compared
    // What the row does to the board (as opposed to what it reads back and compares).
    bool input() const { return kind == Switch || kind == Key || kind == Cycles || kind == WaitMs; }
    int width() const { return kind == Cpu ? cpuBits : int(bits.size()); }
};

struct Cell {
    enum Kind { Value, DontCare, Pulse } kind = Value;
    uint64_t value = 0;           // Switch, Key, Red, Green, Cycles, WaitMs; Pulse: how many presses
    Radix radix = Radix::Decimal; // how the value was written, for reports
    char digit = 0;               // Digit: '0'..'9', 'A'..'F' or '-' (blank)
    std::vector<uint8_t> wide;    // Cpu: the value, least significant byte first
};

struct Row {
    int line = 0; // 1-based line number in the file
    std::vector<Cell> cells;
};

struct VectorTable {
    std::vector<Column> columns;
    std::vector<Row> rows;
    // Whether a column of this kind is there.
    bool has(Column::Kind kind) const;
};

// What a panel file says the board has: the columns may use only these, with the panel's
// numbering (green LEDs 18..35).
struct PanelInventory {
    using Layout = brixo::BoardLayout;
    std::vector<bool> switches = std::vector<bool>(Layout::switches), keys = std::vector<bool>(Layout::keys),
                      red = std::vector<bool>(Layout::redLeds), green = std::vector<bool>(Layout::greenLeds),
                      digits = std::vector<bool>(Layout::digits);
    int cpuBits = 0; // the data slots' widths together
};

struct VectorError {
    enum Kind {
        None,
        NoHeader,      // no column line
        NoRows,        // no test row
        UnknownColumn, // subject: the name
        RepeatedBit,   // subject: the column reusing a bit of an earlier one
        CellCount,     // subject: cells in the row; expected: cells in the header
        BadValue,      // subject: the cell; column: its column's name
        NotOnPanel,    // subject: the column
        TooLarge,      // the file is beyond the reader's bound
    } kind = None;
    int line = 0;
    std::string subject, column;
    int found = 0, expected = 0;
};

constexpr size_t kMaxVectorFileBytes = 16u << 20;
constexpr int kMaxCpuBits = brixo::BoardLayout::cpuDataBits;
// Bounds of one cell: presses of a key ("P*N"), clock cycles, a wait.
constexpr uint64_t kMaxPulses = 1000;
constexpr uint64_t kMaxCycles = 100000000;
constexpr uint64_t kMaxWaitMs = 60000;

// Reads `text`; `panel` (may be null) switches to the panel's numbering and limits.
bool readVectorTable(const std::string &text, const PanelInventory *panel, VectorTable &table, VectorError &error);

} // namespace cli
