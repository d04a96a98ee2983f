#include "vector_table.h"

#include <cctype>
#include <set>
#include <utility>

namespace cli {

namespace {

std::string trim(const std::string &s)
{
    size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r'))
        --b;
    return s.substr(a, b - a);
}

// Cells of one line without its comment; a line with a comma is split at commas only.
std::vector<std::string> cellsOf(const std::string &raw)
{
    const std::string line = trim(raw.substr(0, raw.find('#')));
    std::vector<std::string> out;
    if (line.empty())
        return out;
    if (line.find(',') != std::string::npos) {
        size_t from = 0;
        for (;;) {
            const size_t comma = line.find(',', from);
            out.push_back(trim(line.substr(from, comma - from)));
            if (comma == std::string::npos)
                break;
            from = comma + 1;
        }
        return out;
    }
    std::string cell;
    for (char c : line) {
        if (c == ' ' || c == '\t' || c == '\r') {
            if (!cell.empty())
                out.push_back(cell), cell.clear();
        } else {
            cell += c;
        }
    }
    if (!cell.empty())
        out.push_back(cell);
    return out;
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool decimal(const std::string &s, int &n)
{
    if (s.empty() || s.size() > 4)
        return false;
    n = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
    }
    return true;
}

// Letter and number of one end of a column name ("S7"), false when it is none.
bool end(const std::string &s, char &letter, int &n)
{
    if (s.size() < 2)
        return false;
    letter = s[0];
    return decimal(s.substr(1), n);
}

bool parseColumn(const std::string &written, bool panelNumbering, Column &col)
{
    const std::string s = upper(written);
    col = Column();
    col.name = written;
    if (s == "CYCLES" || s == "WAIT_MS") {
        col.kind = s == "CYCLES" ? Column::Cycles : Column::WaitMs;
        return true;
    }
    if (s.rfind("CPU", 0) == 0) {
        col.kind = Column::Cpu;
        return decimal(s.substr(3), col.cpuBits) && col.cpuBits >= 1 && col.cpuBits <= kMaxCpuBits;
    }
    char first, last;
    int from, to;
    const size_t dots = s.find("..");
    if (dots == std::string::npos) {
        if (!end(s, first, from))
            return false;
        last = first, to = from;
    } else if (!end(s.substr(0, dots), first, from) || !end(s.substr(dots + 2), last, to) || first != last ||
               first == 'D') {
        return false;
    }
    using Layout = brixo::BoardLayout;
    int count, base = 0;
    switch (first) {
    case 'S': col.kind = Column::Switch, count = Layout::switches; break;
    case 'K': col.kind = Column::Key, count = Layout::keys; break;
    case 'R': col.kind = Column::Red, count = Layout::redLeds; break;
    case 'G':
        col.kind = Column::Green, count = Layout::greenLeds, base = panelNumbering ? Layout::greenLedFirstBit : 0;
        break;
    case 'D': col.kind = Column::Digit, count = Layout::digits; break;
    default: return false;
    }
    for (int n : {from, to})
        if (n < base || n >= base + count)
            return false;
    for (int n = from;; n += from < to ? 1 : -1) {
        col.bits.push_back(n - base);
        if (n == to)
            break;
    }
    return true;
}

bool onPanel(const Column &col, const PanelInventory &panel)
{
    const std::vector<bool> *have = nullptr;
    switch (col.kind) {
    case Column::Switch: have = &panel.switches; break;
    case Column::Key: have = &panel.keys; break;
    case Column::Red: have = &panel.red; break;
    case Column::Green: have = &panel.green; break;
    case Column::Digit: have = &panel.digits; break;
    case Column::Cpu: return col.cpuBits <= panel.cpuBits;
    case Column::Cycles:
    case Column::WaitMs: return true;
    }
    for (int b : col.bits)
        if (b >= int(have->size()) || !(*have)[size_t(b)])
            return false;
    return true;
}

bool parseCell(const std::string &text, const Column &col, Cell &cell)
{
    cell = Cell();
    if (!col.input() && (text == "x" || text == "X")) {
        cell.kind = Cell::DontCare;
        return true;
    }
    // "P" presses and releases the key once, "P*N" N times.
    if (col.kind == Column::Key && col.bits.size() == 1 && !text.empty() && (text[0] == 'P' || text[0] == 'p')) {
        cell.kind = Cell::Pulse;
        cell.value = 1;
        if (text.size() == 1)
            return true;
        return text[1] == '*' && parseNumber(text.substr(2), cell.value) && cell.value >= 1 && cell.value <= kMaxPulses;
    }
    if (col.kind == Column::Cycles || col.kind == Column::WaitMs)
        return parseNumber(text, cell.value, &cell.radix) &&
               cell.value <= (col.kind == Column::Cycles ? kMaxCycles : kMaxWaitMs);
    if (col.kind == Column::Digit) {
        if (text.size() != 1 || !(std::isxdigit(static_cast<unsigned char>(text[0])) || text[0] == '-'))
            return false;
        cell.digit = char(std::toupper(static_cast<unsigned char>(text[0])));
        return true;
    }
    if (col.kind == Column::Cpu) {
        std::string hex = text;
        if (hex.size() > 2 && hex[0] == '0' && (hex[1] == 'x' || hex[1] == 'X'))
            hex = hex.substr(2);
        if (hex.empty() || hex.size() > size_t(kMaxCpuBits / 4) + 64)
            return false;
        cell.wide.assign(size_t(brixo::BoardLayout::bytesFor(col.cpuBits)), 0);
        for (size_t i = 0; i < hex.size(); ++i) {
            const char c = hex[hex.size() - 1 - i];
            if (!std::isxdigit(static_cast<unsigned char>(c)))
                return false;
            const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10;
            const size_t bit = i * 4;
            for (int k = 0; k < 4; ++k) {
                if (!((d >> k) & 1))
                    continue;
                if (bit + size_t(k) >= size_t(col.cpuBits))
                    return false; // more bits than the column compares
                cell.wide[(bit + size_t(k)) / 8] |= uint8_t(1u << ((bit + size_t(k)) % 8));
            }
        }
        cell.radix = Radix::Hex;
        return true;
    }
    if (!parseNumber(text, cell.value, &cell.radix))
        return false;
    const int w = col.width();
    return w >= 64 || cell.value < (uint64_t(1) << w);
}

} // namespace

bool VectorTable::has(Column::Kind kind) const
{
    for (const Column &c : columns)
        if (c.kind == kind)
            return true;
    return false;
}

bool readVectorTable(const std::string &text, const PanelInventory *panel, VectorTable &table, VectorError &error)
{
    table = VectorTable();
    error = VectorError();
    if (text.size() > kMaxVectorFileBytes) {
        error.kind = VectorError::TooLarge;
        return false;
    }
    std::set<std::pair<int, int>> used; // (kind, bit) already named by a column
    bool cpuUsed = false;
    // Editors on some systems start UTF-8 files with a byte-order mark.
    size_t from = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    int line = 0;
    while (from <= text.size()) {
        size_t nl = text.find('\n', from);
        if (nl == std::string::npos)
            nl = text.size();
        ++line;
        const std::vector<std::string> cells = cellsOf(text.substr(from, nl - from));
        from = nl + 1;
        if (cells.empty())
            continue;
        error.line = line;
        if (table.columns.empty()) {
            for (const std::string &name : cells) {
                Column col;
                if (!parseColumn(name, panel != nullptr, col)) {
                    error.kind = VectorError::UnknownColumn, error.subject = name;
                    return false;
                }
                if (panel && !onPanel(col, *panel)) {
                    error.kind = VectorError::NotOnPanel, error.subject = name;
                    return false;
                }
                bool repeated = (col.kind == Column::Cpu && cpuUsed) ||
                                ((col.kind == Column::Cycles || col.kind == Column::WaitMs) && table.has(col.kind));
                cpuUsed |= col.kind == Column::Cpu;
                for (int b : col.bits)
                    repeated |= !used.insert({int(col.kind), b}).second;
                if (repeated) {
                    error.kind = VectorError::RepeatedBit, error.subject = name;
                    return false;
                }
                table.columns.push_back(col);
            }
            continue;
        }
        if (cells.size() != table.columns.size()) {
            error.kind = VectorError::CellCount;
            error.found = int(cells.size()), error.expected = int(table.columns.size());
            return false;
        }
        Row row;
        row.line = line;
        row.cells.resize(cells.size());
        for (size_t i = 0; i < cells.size(); ++i) {
            if (!parseCell(cells[i], table.columns[i], row.cells[i])) {
                error.kind = VectorError::BadValue;
                error.subject = cells[i], error.column = table.columns[i].name;
                return false;
            }
        }
        table.rows.push_back(std::move(row));
    }
    if (table.columns.empty() || table.rows.empty()) {
        // No rows: named at the header's line.
        error.kind = table.columns.empty() ? VectorError::NoHeader : VectorError::NoRows;
        error.line = table.columns.empty() ? line : error.line;
        return false;
    }
    error = VectorError();
    return true;
}

} // namespace cli
