// One student's result in `brixo-cli grade`: what their run's exit status and output say, the
// line printed for them, and the class's summary line.
#pragma once
#include "grade_runner.h"

#include <QString>

#include <string>
#include <vector>

namespace cli {

struct StudentResult {
    enum Status { Passed, Failed, NotBuilt, TimedOut, NoDesign, Error };
    QString name;
    Status status = Error;
    QString detail; // NotBuilt, Error: the first message that says why
    int passed = 0, failed = 0, errors = 0;
    double seconds = 0;
};

// The status a run's outcome gives (its brixo-cli's exit status: 0 every row passed, 1 a row
// failed, 4 the design did not build or start), with the detail for NotBuilt and Error. The
// messages lose `dir` + '/' before the student's file names.
StudentResult::Status classifyOutcome(const GradeOutcome &outcome, const std::vector<std::string> &dirs,
                                      QString &detail);

// The word for the status in the CSV report and the JUnit error type.
QString statusWord(StudentResult::Status status);
// What went wrong, for every row of a student whose rows did not run: "did not build: ...".
QString statusText(const StudentResult &result, double timeoutSeconds);
// "alice: 21 passed, 0 failed", "bob: did not build: adder.v:3: syntax error".
QString resultLine(const StudentResult &result, double timeoutSeconds);
// "16 students: 9 passed every row, 4 failed rows, 3 did not build", then the other counts
// that are not zero.
QString summaryLine(const std::vector<StudentResult> &results);

// One line of text from untrusted bytes: control characters become blanks, at most `maxChars`.
QString oneLine(const std::string &bytes, int maxChars = 300);
// The text without `dir` + '/' before the student's file names, for each of `dirs`.
QString withoutDirs(QString text, const std::vector<std::string> &dirs);

} // namespace cli
