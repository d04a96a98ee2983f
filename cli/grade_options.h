// `brixo-cli grade`'s command line. It has options of its own (-j, --csv, --timeout) and folder
// arguments that may look like anything, so it is read apart from the board commands'.
#pragma once
#include <QString>

#include <string>
#include <vector>

namespace cli {

struct GradeOptions {
    std::string vectors;
    std::vector<std::string> dirs; // one student's submission each
    std::string panel, top, simulator, clockHz, junit, csv;
    bool keysActiveLow = false, quiet = false, help = false, version = false;
    bool noSandbox = false; // the designs are trusted: they may run where no sandbox can be set up
    int jobs = 0;           // 0: one per core
    double timeout = 120;   // seconds for one student's whole run
};

// Whether the command word of `argv` (the first word that is no option or option value) is grade.
bool isGradeCommand(const std::vector<std::string> &argv);

// False with a one-line message on a usage error.
bool parseGradeOptions(const std::vector<std::string> &argv, GradeOptions &options, QString &error);

} // namespace cli
