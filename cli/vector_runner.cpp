#include "vector_runner.h"

#include "board_io.h"

#include <algorithm>
#include <chrono>

namespace cli {

namespace {

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

void compare(const Column &col, const Cell &cell, const BoardOutputs &out, RowResult &row)
{
    if (cell.kind == Cell::DontCare)
        return;
    switch (col.kind) {
    case Column::Red:
    case Column::Green: {
        const uint64_t reg = col.kind == Column::Red ? out.leds & 0x3FFFF : out.leds >> 18;
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
        const std::string want = hexOf(cell.wide, col.cpuBits), got = hexOf(out.cpu, col.cpuBits);
        if (want != got)
            row.mismatches.push_back({col.name, "0x" + want, "0x" + got});
        break;
    }
    default: break;
    }
}

int runRow(const VectorTable &table, const Row &row, RowResult &result)
{
    uint64_t switches = 0, held = 0;
    std::vector<int> pulses;
    bool leds = false, digits = false;
    int cpuBits = 0;
    for (size_t i = 0; i < table.columns.size(); ++i) {
        const Column &col = table.columns[i];
        const Cell &cell = row.cells[i];
        if (col.kind == Column::Switch)
            placeBits(col, cell.value, switches);
        else if (col.kind == Column::Key && cell.kind == Cell::Pulse)
            pulses.push_back(col.bits[0]);
        else if (col.kind == Column::Key)
            placeBits(col, cell.value, held);
        leds |= col.kind == Column::Red || col.kind == Column::Green;
        digits |= col.kind == Column::Digit;
        if (col.kind == Column::Cpu)
            cpuBits = std::max(cpuBits, col.cpuBits);
    }
    int rc = writeSwitches(switches);
    if (rc == 0)
        rc = writeKeys(uint32_t(held));
    for (size_t i = 0; rc == 0 && i < pulses.size(); ++i) {
        rc = writeKeys(uint32_t(held | (uint64_t(1) << pulses[i])));
        if (rc == 0)
            rc = writeKeys(uint32_t(held));
    }
    BoardOutputs out;
    if (rc == 0 && leds)
        rc = readLeds(out);
    if (rc == 0 && digits)
        rc = readDigits(out);
    if (rc == 0 && cpuBits > 0)
        rc = readCpu(cpuBits, out);
    if (rc != 0)
        return rc;
    for (size_t i = 0; i < table.columns.size(); ++i)
        if (!table.columns[i].input())
            compare(table.columns[i], row.cells[i], out, result);
    return 0;
}

} // namespace

int runVectors(const VectorTable &table, std::vector<RowResult> &results)
{
    results.clear();
    int rc = enablePanelInput();
    if (rc != 0)
        return rc;
    for (const Row &row : table.rows) {
        RowResult result;
        result.line = row.line;
        const auto start = std::chrono::steady_clock::now();
        result.code = runRow(table, row, result);
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        results.push_back(result);
        if (result.code != 0)
            return result.code;
    }
    return 0;
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
