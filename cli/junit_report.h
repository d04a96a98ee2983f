// The JUnit XML report of a vector run: one test suite for the vector file, one test case per
// row ("line N"), a failure element naming the mismatching columns, an error element for a
// row the board could not run.
#pragma once
#include "vector_runner.h"

#include <QString>

#include <vector>

namespace cli {

// `suite` names the vector file; `errorText` is the text of the library failure, if any.
QByteArray junitReport(const QString &suite, const std::vector<RowResult> &rows, const QString &errorText);

} // namespace cli
