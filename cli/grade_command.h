// `brixo-cli grade VECTORS DIR...`: a class graded in simulation. Each folder is one student's
// submission (its .v and .sv files; the folder's name is the student's); each runs in a
// `brixo-cli --sim ... test` of its own, a few at a time, with one line per student as each
// finishes, a summary, and optionally one JUnit file and one CSV file for the class.
#pragma once
#include "grade_options.h"

#include <QString>

#include <string>
#include <vector>

namespace cli {

// The exit code: 0 the grading ran (whatever the students' results), 2 a usage error, 3 it
// could not run to its end.
int gradeCommand(const std::vector<std::string> &argv, const QString &version);

} // namespace cli
