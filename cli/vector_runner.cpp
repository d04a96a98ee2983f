#include "vector_runner.h"

#include "board_session.h"
#include "output_text.h"

#include <vestrix.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace cli {

namespace {

using brixo::BoardLayout;

uint64_t bitsOf(const Column &col, uint64_t reg)
{
    uint64_t v = 0;
    for (int b : col.bits)
        v = v << 1 | ((reg >> b) & 1);
    return v;
}

void placeBits(const Column &col, uint64_t value, uint64_t &reg)
{
    const int w = int(col.bits.size());
    for (int i = 0; i < w; ++i) {
        const uint64_t mask = uint64_t(1) << col.bits[size_t(i)];
        if ((value >> (w - 1 - i)) & 1)
            reg |= mask;
        else
            reg &= ~mask;
    }
}

void compare(const Column &col, const Cell &cell, const brixo::Readback &out, RowResult &row)
{
    if (cell.kind == Cell::DontCare)
        return;
    switch (col.kind) {
    case Column::Red:
    case Column::Green: {
        const uint64_t reg = col.kind == Column::Red ? BoardLayout::redOf(out.leds) : BoardLayout::greenOf(out.leds);
        const uint64_t got = bitsOf(col, reg);
        if (got != cell.value)
            row.mismatches.push_back({col.name, formatNumber(cell.value, cell.radix, col.width()),
                                      formatNumber(got, cell.radix, col.width())});
        break;
    }
    case Column::Digit: {
        const char got = digitCharacter(out.digits[size_t(col.bits[0])]);
        if (got != cell.digit)
            row.mismatches.push_back({col.name, std::string(1, cell.digit), std::string(1, got)});
        break;
    }
    case Column::Cpu: {
        const std::string want = hexOf(cell.wide, col.cpuBits), got = hexOf(out.cpuData, col.cpuBits);
        if (want != got)
            row.mismatches.push_back({col.name, "0x" + want, "0x" + got});
        break;
    }
    default: break;
    }
}

// What one row does: its whole input state, the presses of each pulsed key, the cycles and the
// wait, and reads of just the outputs its columns compare.
struct RowPlan {
    brixo::Inputs inputs;
    uint64_t presses[BoardLayout::keys] = {};
    uint64_t mostPresses = 0, cycles = 0, waitMs = 0;
};

RowPlan rowPlan(const VectorTable &table, const Row &row)
{
    RowPlan p;
    brixo::Inputs &in = p.inputs;
    uint64_t held = 0;
    in.reads = {false, false, -1};
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const Column &col = table.columns[i];
        const Cell &cell = row.cells[i];
        if (col.kind == Column::Switch)
            placeBits(col, cell.value, in.switches);
        else if (col.kind == Column::Key && cell.kind == Cell::Pulse)
            p.presses[col.bits[0]] = cell.value, p.mostPresses = std::max(p.mostPresses, cell.value);
        else if (col.kind == Column::Key)
            placeBits(col, cell.value, held);
        else if (col.kind == Column::Cycles)
            p.cycles = cell.value;
        else if (col.kind == Column::WaitMs)
            p.waitMs = cell.value;
        in.reads.leds |= col.kind == Column::Red || col.kind == Column::Green;
        in.reads.digits |= col.kind == Column::Digit;
        if (col.kind == Column::Cpu)
            in.reads.cpuBits = std::max(in.reads.cpuBits, col.cpuBits);
    }
    in.keys = uint32_t(held);
    return p;
}

// The row's steps: the inputs with the first press of every pulsed key, one step for each
// further press, the cycles in steps of at most kCyclesPerStep, then after the wait the outputs
// (read by the last step itself when there is no wait).
brixo::Readback runRow(brixo::BoardSession &board, const RowPlan &p)
{
    const brixo::Reads none{false, false, -1};
    uint64_t cyclesLeft = p.cycles;
    brixo::Readback out;
    for (uint64_t press = 1;; ++press) {
        brixo::Inputs in = p.inputs;
        in.pulse = 0;
        for (int k = 0; k < BoardLayout::keys; ++k)
            if (p.presses[k] >= press)
                in.pulse |= 1u << k;
        in.cycles = press >= p.mostPresses ? std::min(cyclesLeft, kCyclesPerStep) : 0;
        cyclesLeft -= in.cycles;
        const bool last = press >= p.mostPresses && cyclesLeft == 0;
        in.reads = last && p.waitMs == 0 ? p.inputs.reads : none;
        out = board.step(in);
        if (!out.ok() || last)
            break;
    }
    if (out.ok() && p.waitMs > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(p.waitMs));
        out = board.read(p.inputs.reads);
    }
    return out;
}

} // namespace

int runVectors(brixo::BoardSession &board, const VectorTable &table, std::vector<RowResult> &results,
               const RunOptions &options)
{
    results.clear();
    int stopped = 0;
    for (const Row &row : table.rows) {
        RowResult result;
        result.line = row.line;
        if (stopped) {
            result.error = RowResult::NotRun;
            result.code = stopped;
            results.push_back(result);
            continue;
        }
        const auto start = std::chrono::steady_clock::now();
        const brixo::Readback out = runRow(board, rowPlan(table, row));
        if (out.ok()) {
            for (size_t i = 0; i < table.columns.size(); ++i)
                if (!table.columns[i].input())
                    compare(table.columns[i], row.cells[i], out, result);
        } else if (options.simulatedDesign && out.code == VESTRIX_FPGA_LINK_FAILED && !out.message.empty()) {
            result.error = RowResult::Design;
            result.message = out.message;
        } else {
            result.error = RowResult::Board;
            result.code = stopped = out.code;
            result.message = out.message;
        }
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (options.rowDone)
            options.rowDone(result);
        results.push_back(result);
    }
    return stopped;
}

std::string mismatchText(const RowResult &row)
{
    std::string out;
    for (const Mismatch &m : row.mismatches) {
        if (!out.empty())
            out += "; ";
        out += m.column + " expected " + m.expected + ", read " + m.read;
    }
    return out;
}

std::string failureLine(const RowResult &row) { return "line " + std::to_string(row.line) + ": " + mismatchText(row); }

} // namespace cli
