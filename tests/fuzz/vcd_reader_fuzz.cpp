// Value change dumps from anywhere (a simulator's, another tool's, a hand-edited one), read by
// `brixo-cli wave` and the timing diagram: a file is read or refused with a reason, and what is
// read holds together: every change lies inside the values and at a time in order, every
// variable's trace exists, and each signal's value at any time is exactly as wide as it is.
#include "vcd_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace brixo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    VcdData vcd;
    std::string error;
    if (!parseVcd(text, vcd, error)) {
        if (error.empty())
            __builtin_trap();
        return 0;
    }
    if (vcd.variables.size() > kMaxVcdSignals || vcd.timescaleSeconds <= 0)
        __builtin_trap();
    for (const std::vector<VcdChange> &trace : vcd.traces) {
        std::uint64_t before = 0;
        for (const VcdChange &c : trace) {
            if (c.length == 0 || std::size_t(c.offset) + c.length > vcd.values.size() || c.time < before ||
                c.time > vcd.endTime)
                __builtin_trap();
            before = c.time;
        }
    }
    std::size_t checked = 0;
    for (const VcdSignal &s : vcd.variables) {
        if (s.trace < 0 || std::size_t(s.trace) >= vcd.traces.size() || s.width < 1 || s.width > kMaxVcdWidth ||
            (s.ranged && std::abs(s.msb - s.lsb) + 1 != s.width))
            __builtin_trap();
        if (++checked > 16) // the rest were built the same way; wide ones cost time, not coverage
            continue;
        if (!vcd.find(s.label()) || vcd.valueAt(s, vcd.endTime).size() != std::size_t(s.width) ||
            vcd.valueAt(s, 0).size() != std::size_t(s.width))
            __builtin_trap();
        const std::vector<VcdChange> &changes = vcd.changes(s);
        if (!changes.empty()) {
            const std::string last = vcd.valueOf(s, changes.back());
            if (last.size() != std::size_t(s.width) || last.find_first_not_of("01xz") != std::string::npos)
                __builtin_trap();
        }
    }
    return 0;
}
