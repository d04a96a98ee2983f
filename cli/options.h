// brixo-cli's command line: global options anywhere, one command and its arguments.
#pragma once
#include "lab_process.h"

#include <QString>

#include <string>
#include <vector>

namespace cli {

struct Options {
    std::string command;           // list, info, configure, set, read, test
    std::vector<std::string> args; // the command's own arguments
    int adapter = 0;
    bool adapterGiven = false;
    std::string server; // HOST:PORT
    LabOptions sim;     // files given: a simulated board
    bool json = false, quiet = false, help = false, version = false;
    std::string junit, panel;
};

// False with a one-line message on a usage error.
bool parseOptions(const std::vector<std::string> &argv, Options &options, QString &error);

// Splits "HOST:PORT"; false unless the port is 1..65535 and the host is not empty.
bool splitHostPort(const std::string &text, std::string &host, int &port);

QString helpText();

} // namespace cli
