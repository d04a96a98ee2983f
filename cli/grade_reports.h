// The class's reports: one JUnit XML file with a test suite per student (taken from the
// student's own `brixo-cli test` report, or made here for a student whose rows did not run)
// and one CSV row per student.
#pragma once
#include "grade_result.h"

#include <QByteArray>
#include <QString>
#include <QXmlStreamAttributes>

#include <vector>

namespace cli {

// An XML element as read, with its text and its child elements.
struct XmlElement {
    QString name;
    QXmlStreamAttributes attributes;
    QString text;
    std::vector<XmlElement> children;
};

// The first <testsuite> of a JUnit report; false when it has none or is no well-formed XML.
bool readTestSuite(const QByteArray &report, XmlElement &suite);

// A suite for a student whose rows did not run: each row (by its line in `vectors`) a test case
// with an error saying why; `output` (what the run wrote on standard error) as its system-err.
XmlElement unrunSuite(const StudentResult &result, const QString &vectors, const std::vector<int> &rowLines,
                      const QString &why, const QString &output);

// Names the suite after the student and counts it: tests, failures and errors are set from its
// test cases, and the student's passed, failed and errors from those. Its texts lose `dirs` (see
// withoutDirs).
void adoptSuite(XmlElement &suite, StudentResult &result, const std::vector<std::string> &dirs);

// <testsuites> holding the suites in order, with the totals.
QByteArray mergedJUnit(const std::vector<XmlElement> &suites);

// name,passed,failed,errors,status,seconds, one line per student (RFC 4180).
QByteArray csvReport(const std::vector<StudentResult> &results);

} // namespace cli
