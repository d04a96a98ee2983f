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
    bool keysActiveLow = false;
    std::vector<std::string> defines;
    std::string host = "127.0.0.1"; // numeric once parsed
    int port = 0;
    bool allowRemote = false;
    bool stdinLifetime = false;
    int stepLimitMs = 2000;
    bool help = false;
};

// False with a message for a usage error.
bool parseOptions(const std::vector<std::string> &args, Options &options, std::string &error);
std::string usageText();

} // namespace labd
