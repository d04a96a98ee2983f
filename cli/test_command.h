// `brixo-cli test`: the vector file is read and checked before the board is touched, then run.
// Whatever happens, the run ends with the line "N passed, M failed[, E errors]" and, when asked
// for, a JUnit report with every row of the file as a test case.
#pragma once
#include "options.h"
#include "vector_table.h"

#include <QString>

namespace cli {

struct TestPlan {
    QString path;
    VectorTable table;
    int errorLine = 0; // the line a vector file's mistake is on
};

// -1 when the plan is ready, else the exit code (after the message, which `why` gets too).
int prepareTest(const Options &options, TestPlan &plan, QString *why = nullptr);

// The whole command: plan, board, run, report. The exit code.
int testCommand(const Options &options);

QString vectorErrorText(const VectorError &error);

} // namespace cli
