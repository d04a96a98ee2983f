#include "board_ports.h"

#include <algorithm>
#include <cctype>

namespace labd {

namespace {

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
    {"sw", Role::Switches, true, 36, "switches"},
    {"key", Role::Keys, true, 20, "keys"},
    {"key_n", Role::KeysLow, true, 20, "keys"},
    {"ledr", Role::RedLeds, false, 18, "red LEDs"},
    {"ledg", Role::GreenLeds, false, 18, "green LEDs"},
    {"led", Role::Leds, false, 36, "LEDs"},
    {"cpu_data", Role::CpuData, false, 2048, "CPU data bits"},
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
        const int maxWidth = c ? c->maxWidth : digit >= 0 ? 8 : 1;
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

std::string Board::json() const
{
    int switches = 0, keys = 0, red = 0, green = 0, digits = 0, cpu = 0;
    for (const BoardPort &b : inputs)
        (b.role == Role::Switches ? switches : keys) =
            std::max(b.role == Role::Switches ? switches : keys, int(b.port.width()));
    for (const BoardPort &b : outputs) {
        const int w = int(b.port.width());
        switch (b.role) {
        case Role::RedLeds: red = std::max(red, w); break;
        case Role::GreenLeds: green = std::max(green, w); break;
        case Role::Leds:
            red = std::max(red, std::min(w, 18));
            green = std::max(green, std::max(w - 18, 0));
            break;
        case Role::Digit: digits = std::max(digits, b.digit + 1); break;
        case Role::CpuData: cpu = w; break;
        default: break;
        }
    }
    // Names are plain identifiers, but an escaped one may hold anything.
    auto quoted = [](const std::string &s) {
        std::string q;
        for (char c : s)
            q += c == '"' || c == '\\' ? std::string("\\") + c
                 : uint8_t(c) < 0x20   ? std::string(" ")
                                       : std::string(1, c);
        return q;
    };
    const std::string clock = clocks.empty() ? "" : clocks.front().port.name;
    return "{\"top\":\"" + quoted(top) + "\",\"switches\":" + std::to_string(switches) +
           ",\"keys\":" + std::to_string(keys) + ",\"red\":" + std::to_string(red) +
           ",\"green\":" + std::to_string(green) + ",\"digits\":" + std::to_string(digits) +
           ",\"cpu_data_bits\":" + std::to_string(cpu) + ",\"clock\":\"" + quoted(clock) + "\"}";
}

} // namespace labd
