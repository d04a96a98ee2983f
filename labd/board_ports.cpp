#include "board_ports.h"

#include <algorithm>
#include <cctype>

namespace labd {

namespace {

using Layout = brixo::BoardLayout;

std::string lower(std::string s)
{
    for (char &c : s)
        c = char(std::tolower(uint8_t(c)));
    return s;
}

struct Convention {
    const char *name;
    Role role;
    bool input;
    int maxWidth;
    const char *what; // for messages: what the board has that many of
};

const Convention kConventions[] = {
    {"sw", Role::Switches, true, Layout::switches, "switches"},
    {"key", Role::Keys, true, Layout::keys, "keys"},
    {"key_n", Role::KeysLow, true, Layout::keys, "keys"},
    {"ledr", Role::RedLeds, false, Layout::redLeds, "red LEDs"},
    {"ledg", Role::GreenLeds, false, Layout::greenLeds, "green LEDs"},
    {"led", Role::Leds, false, Layout::ledBits, "LEDs"},
    {"cpu_data", Role::CpuData, false, Layout::cpuDataBits, "CPU data bits"},
};

bool isClockName(const std::string &n) { return n == "clk" || n == "clock" || n.rfind("clock_", 0) == 0; }

// hex0 .. hex7 → 0..7, else -1
int digitIndex(const std::string &n)
{
    return n.size() == 4 && n.compare(0, 3, "hex") == 0 && n[3] >= '0' && n[3] <= '7' ? n[3] - '0' : -1;
}

const char *directionWord(Port::Direction d)
{
    return d == Port::Input ? "an input" : d == Port::Output ? "an output" : "an inout";
}

} // namespace

bool chooseTop(const std::vector<Module> &modules, const std::string &wanted, const Module *&top, std::string &error)
{
    top = nullptr;
    if (modules.empty()) {
        error = "the files hold no module";
        return false;
    }
    if (!wanted.empty()) {
        for (const Module &m : modules)
            if (m.name == wanted)
                top = &m;
        for (const Module &m : modules) // a student's --top Part2 for module part2
            if (!top && lower(m.name) == lower(wanted))
                top = &m;
        if (!top) {
            error = "no module named " + wanted + "; the files hold:";
            for (const Module &m : modules)
                error += " " + m.name;
        }
        return top != nullptr;
    }
    const std::vector<std::string> tops = topCandidates(modules);
    if (tops.size() == 1) {
        for (const Module &m : modules)
            if (m.name == tops.front())
                top = &m;
        return true;
    }
    error = "cannot tell the top module: ";
    if (tops.empty()) {
        error += "every module is instantiated by another; name one with --top";
    } else {
        error += "no other module instantiates";
        for (const std::string &t : tops)
            error += " " + t;
        error += "; name one with --top";
    }
    return false;
}

bool boardPorts(const Module &top, bool keysActiveLow, Board &board, std::string &error)
{
    board = Board();
    board.top = top.name;
    board.keysActiveLow = keysActiveLow;
    std::vector<std::string> problems;
    for (const Port &p : top.ports) {
        const std::string n = lower(p.name);
        const Convention *c = nullptr;
        for (const Convention &k : kConventions)
            if (n == k.name)
                c = &k;
        const int digit = digitIndex(n);
        const bool clock = isClockName(n);
        if (!c && digit < 0 && !clock) {
            board.unused.push_back(p.name);
            continue;
        }
        const bool wantInput = c ? c->input : clock;
        const Port::Direction want = wantInput ? Port::Input : Port::Output;
        if (p.direction != want) {
            problems.push_back("port " + p.name + " is " + directionWord(p.direction) + "; the board's " + p.name +
                               " must be " + directionWord(want));
            continue;
        }
        const int maxWidth = c ? c->maxWidth : digit >= 0 ? Layout::digitBits / Layout::digits : 1;
        if (p.width() > maxWidth) {
            const std::string what = c ? c->what : digit >= 0 ? "segments and a point" : "clock line";
            problems.push_back("port " + p.name + " is " + std::to_string(p.width()) + " bits wide; the board has " +
                               std::to_string(maxWidth) + " " + what);
            continue;
        }
        BoardPort bp{p, c ? c->role : digit >= 0 ? Role::Digit : Role::Clock, std::max(digit, 0)};
        if (clock)
            board.clocks.push_back(bp);
        else if (wantInput)
            board.inputs.push_back(bp);
        else
            board.outputs.push_back(bp);
    }
    if (problems.empty() && board.inputs.empty() && board.clocks.empty() && board.outputs.empty())
        problems.push_back("module " + top.name +
                           " has none of the board's ports: inputs sw, key, key_n, clk, clock or clock_*; "
                           "outputs ledr, ledg, led, hex0 to hex7, cpu_data");
    error.clear();
    for (const std::string &p : problems)
        error += (error.empty() ? "" : "\n") + p;
    return problems.empty();
}

uint64_t inputValue(const BoardPort &p, uint64_t registerBits, bool keysActiveLow)
{
    const bool invert = p.role == Role::KeysLow || (p.role == Role::Keys && keysActiveLow);
    uint64_t v = 0;
    for (int i = 0; i < p.port.width(); ++i) {
        const bool bit = ((registerBits >> i) & 1) != invert;
        if (bit)
            v |= uint64_t(1) << p.port.position(p.port.low() + i);
    }
    return v;
}

brixo::BoardDescription Board::description() const
{
    brixo::BoardDescription d;
    d.top = top;
    d.clock = clocks.empty() ? "" : clocks.front().port.name;
    for (const BoardPort &b : inputs) {
        int &count = b.role == Role::Switches ? d.switches : d.keys;
        count = std::max(count, int(b.port.width()));
    }
    const int red = Layout::redLeds;
    for (const BoardPort &b : outputs) {
        const int w = int(b.port.width());
        switch (b.role) {
        case Role::RedLeds: d.red = std::max(d.red, w); break;
        case Role::GreenLeds: d.green = std::max(d.green, w); break;
        case Role::Leds:
            d.red = std::max(d.red, std::min(w, red));
            d.green = std::max(d.green, std::max(w - red, 0));
            break;
        case Role::Digit: d.digits = std::max(d.digits, b.digit + 1); break;
        case Role::CpuData: d.cpuDataBits = w; break;
        default: break;
        }
    }
    return d;
}

} // namespace labd
