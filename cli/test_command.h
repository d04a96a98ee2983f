// `brixo-cli test`: the vector file is read and checked before the board is touched, then run.
#pragma once
#include "options.h"
#include "vector_table.h"

#include <QString>

namespace cli {

struct TestPlan {
    QString path;
    VectorTable table;
};

// -1 when the plan is ready, else the exit code (after the message).
int prepareTest(const Options &options, TestPlan &plan);
// Runs the plan on the connected board; prints the failing rows and the summary.
int runTest(const Options &options, const TestPlan &plan);

QString vectorErrorText(const VectorError &error);

} // namespace cli
