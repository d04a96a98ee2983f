// A small reader of value change dumps (IEEE 1364 VCD), for the timing diagram and the tests:
// the variables with their scopes and ranges, every change of each, and the comments with the
// time they stand at. A file is outside input: its size, its variables' widths and its values
// are bounded and checked, and a mistake is reported with its line.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace brixo {

struct VcdChange {
    std::uint64_t time = 0;
    std::uint32_t offset = 0, length = 0; // the value as written, in VcdData::values
};

struct VcdSignal {
    std::string scope; // enclosing scopes joined by '.'
    std::string name;  // the reference without its range
    int msb = 0, lsb = 0, width = 1;
    bool ranged = false;
    int trace = 0; // variables sharing an identifier share their changes
    // "sw[35:0]", "clk", "data[3]"
    std::string label() const;
    // The declared index of bit i counted from the least significant bit.
    int indexOf(int i) const { return msb >= lsb ? lsb + i : lsb - i; }
};

struct VcdData {
    std::string timescale = "1s"; // as written, e.g. "1ns"
    double timescaleSeconds = 1;
    std::vector<VcdSignal> variables;
    std::vector<std::vector<VcdChange>> traces;
    std::string values; // every value as written, lower case, one after another
    struct Comment {
        std::uint64_t time;
        std::string text;
    };
    std::vector<Comment> comments; // those after the header
    std::uint64_t endTime = 0;     // the last time stamp

    // By reference ("sw"), label ("sw[35:0]") or either with its scope ("board.sw"); null when none.
    const VcdSignal *find(const std::string &name) const;
    const std::vector<VcdChange> &changes(const VcdSignal &s) const { return traces[std::size_t(s.trace)]; }
    // The value at time t (after every change at t), most significant bit first and as wide as
    // the signal; all x before its first change.
    std::string valueAt(const VcdSignal &s, std::uint64_t t) const;
    // A change's value as wide as the signal (VCD extends a short value with 0, or with its x or z).
    std::string valueOf(const VcdSignal &s, const VcdChange &c) const;
};

constexpr std::size_t kMaxVcdBytes = 64u << 20;
constexpr int kMaxVcdWidth = 1 << 16;
constexpr std::size_t kMaxVcdSignals = 1 << 16;

// False with "line N: why" for text that is not a value change dump this reader takes.
bool parseVcd(const std::string &text, VcdData &data, std::string &error);
bool readVcdFile(const std::string &path, VcdData &data, std::string &error);

} // namespace brixo
