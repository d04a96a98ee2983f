// The JUnit XML report of a vector run: one test suite, one test case per row of the file
// ("line N"), a failure element naming the mismatching columns, an error element for a row that
// could not run saying why, and the lab server's messages as the suite's system-err.
#pragma once
#include "vector_runner.h"

#include <QString>

#include <vector>

namespace cli {

struct TestReport {
    QString suite;     // the test suite's name
    QString className; // every test case's class name
    std::vector<RowResult> rows;
    QString systemErr; // what the simulator and its server wrote on standard error, if anything
};

QByteArray junitReport(const TestReport &report);

// Text as XML may carry it: invalid UTF-8 and characters XML 1.0 has no place for (the control
// characters a design's $display may print) become U+FFFD.
QString xmlText(const QString &text);

} // namespace cli
