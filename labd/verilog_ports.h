// Just enough of Verilog to know a design's modules: their names, their ports with direction and
// declared range, and which other modules each one instantiates. It reads preprocessed text (the
// simulator's own preprocessor has expanded macros and chosen `ifdef branches); ranges may use
// the module's parameters and simple constant arithmetic. Everything else is the simulator's job.
#pragma once
#include <set>
#include <string>
#include <vector>

namespace labd {

struct Port {
    enum Direction { Input, Output, Inout } direction = Input;
    std::string name;
    long left = 0, right = 0; // the declared range [left:right]; a scalar is [0:0]
    int width() const { return int((left > right ? left - right : right - left) + 1); }
    long low() const { return left < right ? left : right; }
    // Position of declared index `index` in the vector's value (0 = least significant).
    int position(long index) const { return int(left >= right ? index - right : right - index); }
};

struct Module {
    std::string name;
    std::vector<Port> ports;
    std::set<std::string> identifiers; // every name its body mentions (instances among them)
};

// False, with a message naming the module and what could not be read, when a module's ports
// cannot be made out (a range that is no constant, an unfinished module).
bool readModules(const std::string &text, std::vector<Module> &modules, std::string &error);

// The modules no other module instantiates.
std::vector<std::string> topCandidates(const std::vector<Module> &modules);

} // namespace labd
