// brixo-cli's command line: global options anywhere, one command and its arguments.
#pragma once
#include "lab_server.h"

#include <QString>

#include <string>
#include <vector>

namespace cli {

struct Options {
    std::string command;           // list, info, configure, set, read, test, wave, login, logout
    std::vector<std::string> args; // the command's own arguments
    int adapter = 0;
    bool adapterGiven = false;
    std::string server;          // HOST:PORT
    std::string lab;             // a lab server's URL: its boards through the queue
    std::string kind;            // --lab: the kind of board to queue for
    int waitSeconds = 3600;      // --lab: the longest wait in the queue
    bool printToken = false;     // login: print the token instead of saving it
    brixo::LabServerOptions sim; // files given: a simulated board
    bool json = false, quiet = false, help = false, version = false;
    std::string junit, panel;
    std::string name;                  // test: the JUnit suite's name
    std::string vcd;                   // test: the waveform of the run
    std::string svg, png, waveSignals; // wave: the diagram's files and its signals
};

// False with a one-line message on a usage error.
bool parseOptions(const std::vector<std::string> &argv, Options &options, QString &error);

QString helpText();

} // namespace cli
