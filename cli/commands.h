// The commands of brixo-cli. Each returns the exit code: 0 success, 1 a test failure,
// 2 a usage error, 3 a failure of the tool, its installation or the board link, 4 a simulated
// design that did not build or start; every failure has written one line to stderr.
#pragma once
#include "options.h"

namespace cli {

enum ExitCode { ExitOk = 0, ExitTestFailed = 1, ExitUsage = 2, ExitLibrary = 3, ExitDesign = 4 };

int runCommand(const Options &options);

void printOut(const QString &text);   // UTF-8 to standard output
void printError(const QString &line); // "brixo-cli: " + line + newline to standard error

} // namespace cli
