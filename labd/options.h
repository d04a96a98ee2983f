// brixo-labd's command line.
#pragma once
#include <string>
#include <vector>

namespace labd {

struct Options {
    std::vector<std::string> files;
    std::string top;
    std::string simulator = "iverilog";
    double clockHz = 1000;
    bool manualClock = false; // the clock runs only the cycles a step asks for
    bool keysActiveLow = false;
    std::vector<std::string> defines;
    std::string host = "127.0.0.1"; // numeric once parsed
    int port = 0;
    bool allowRemote = false;
    bool stdinLifetime = false;
    bool log = false; // a line on standard error per client request
    int stepLimitMs = 2000;
    // Auto: contained where the machine allows it, else run as it is with a warning (the local
    // user's own design); Required: refuse to run without (untrusted designs); Off: never.
    enum class Sandbox { Auto, Required, Off } sandbox = Sandbox::Auto;
    bool sandboxCheck = false;                // only say whether the sandbox can be set up
    unsigned long long memLimit = 2ull << 30; // address space of each compiler and simulator process
    // The design's own signals, as the simulator dumps them (a value change dump), moved here
    // when the server ends; empty: none.
    std::string dumpVcd;
    unsigned long long dumpLimit = 32ull << 20; // the dump's bytes at most (all its runs together)
    bool help = false;
};

// False with a message for a usage error.
bool parseOptions(const std::vector<std::string> &args, Options &options, std::string &error);
std::string usageText();

} // namespace labd
