#include "grade_reports.h"

#include "junit_report.h"

#include <QFileInfo>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace cli {

namespace {

constexpr size_t kMaxDepth = 32;

QString number(double s) { return QString::number(s, 'f', 6); }

void setAttribute(QXmlStreamAttributes &attributes, const QString &name, const QString &value)
{
    for (QXmlStreamAttribute &a : attributes)
        if (a.qualifiedName() == name)
            return void(a = QXmlStreamAttribute(name, value));
    attributes.append(name, value);
}

bool hasChild(const XmlElement &e, const char *name)
{
    for (const XmlElement &c : e.children)
        if (c.name == QLatin1String(name))
            return true;
    return false;
}

struct Counts {
    int tests = 0, failures = 0, errors = 0, skipped = 0;
};

Counts countCases(const XmlElement &suite)
{
    Counts n;
    for (const XmlElement &c : suite.children) {
        if (c.name != QLatin1String("testcase"))
            continue;
        ++n.tests;
        if (hasChild(c, "error"))
            ++n.errors;
        else if (hasChild(c, "failure"))
            ++n.failures;
        else if (hasChild(c, "skipped"))
            ++n.skipped;
    }
    return n;
}

void writeElement(QXmlStreamWriter &xml, const XmlElement &e)
{
    xml.writeStartElement(e.name);
    for (const QXmlStreamAttribute &a : e.attributes)
        xml.writeAttribute(a.qualifiedName().toString(), xmlText(a.value().toString()));
    if (!e.text.isEmpty())
        xml.writeCharacters(xmlText(e.text));
    for (const XmlElement &c : e.children)
        writeElement(xml, c);
    xml.writeEndElement();
}

void stripDirs(XmlElement &e, const std::vector<std::string> &dirs)
{
    for (QXmlStreamAttribute &a : e.attributes)
        a = QXmlStreamAttribute(a.qualifiedName().toString(), withoutDirs(a.value().toString(), dirs));
    e.text = withoutDirs(e.text, dirs);
    for (XmlElement &c : e.children)
        stripDirs(c, dirs);
}

QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r'))
        bytes = '"' + bytes.replace('"', "\"\"") + '"';
    return bytes;
}

} // namespace

bool readTestSuite(const QByteArray &report, XmlElement &suite)
{
    QXmlStreamReader xml(report);
    std::vector<XmlElement> open;
    bool found = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (found)
            continue; // the rest is only checked to be well formed
        if (token == QXmlStreamReader::StartElement) {
            if (open.empty() && xml.name() != QLatin1String("testsuite"))
                continue;
            if (open.size() >= kMaxDepth)
                return false;
            open.push_back({xml.name().toString(), xml.attributes(), QString(), {}});
        } else if (token == QXmlStreamReader::Characters && !open.empty()) {
            open.back().text += xml.text();
        } else if (token == QXmlStreamReader::EndElement && !open.empty()) {
            XmlElement e = std::move(open.back());
            open.pop_back();
            if (!e.children.empty() && e.text.trimmed().isEmpty())
                e.text.clear(); // the report's indentation
            if (open.empty()) {
                suite = std::move(e);
                found = true;
            } else {
                open.back().children.push_back(std::move(e));
            }
        }
    }
    return found && !xml.hasError();
}

XmlElement unrunSuite(const StudentResult &r, const QString &vectors, const std::vector<int> &rowLines,
                      const QString &why, const QString &output)
{
    XmlElement suite{QStringLiteral("testsuite"), {}, QString(), {}};
    // The counts are set when the suite is adopted.
    for (const char *name : {"name", "tests", "failures", "errors"})
        suite.attributes.append(QLatin1String(name), QString());
    suite.attributes.append(QStringLiteral("time"), number(r.seconds));
    const QString className = r.name + QLatin1Char('.') + QFileInfo(vectors).completeBaseName();
    for (int line : rowLines) {
        XmlElement error{QStringLiteral("error"), {}, QString(), {}};
        error.attributes.append(QStringLiteral("message"), why);
        error.attributes.append(QStringLiteral("type"), statusWord(r.status));
        XmlElement testCase{QStringLiteral("testcase"), {}, QString(), {std::move(error)}};
        testCase.attributes.append(QStringLiteral("name"), QStringLiteral("line %1").arg(line));
        testCase.attributes.append(QStringLiteral("classname"), className);
        testCase.attributes.append(QStringLiteral("time"), number(0));
        suite.children.push_back(std::move(testCase));
    }
    if (!output.isEmpty())
        suite.children.push_back({QStringLiteral("system-err"), {}, output, {}});
    return suite;
}

void adoptSuite(XmlElement &suite, StudentResult &r, const std::vector<std::string> &dirs)
{
    stripDirs(suite, dirs);
    const Counts n = countCases(suite);
    setAttribute(suite.attributes, QStringLiteral("name"), r.name);
    setAttribute(suite.attributes, QStringLiteral("tests"), QString::number(n.tests));
    setAttribute(suite.attributes, QStringLiteral("failures"), QString::number(n.failures));
    setAttribute(suite.attributes, QStringLiteral("errors"), QString::number(n.errors));
    if (n.skipped)
        setAttribute(suite.attributes, QStringLiteral("skipped"), QString::number(n.skipped));
    r.passed = n.tests - n.failures - n.errors - n.skipped;
    r.failed = n.failures;
    r.errors = n.errors;
}

QByteArray mergedJUnit(const std::vector<XmlElement> &suites)
{
    Counts total;
    double seconds = 0;
    for (const XmlElement &s : suites) {
        const Counts n = countCases(s);
        total.tests += n.tests;
        total.failures += n.failures;
        total.errors += n.errors;
        seconds += s.attributes.value(QStringLiteral("time")).toDouble();
    }
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeAttribute(QStringLiteral("tests"), QString::number(total.tests));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(total.failures));
    xml.writeAttribute(QStringLiteral("errors"), QString::number(total.errors));
    xml.writeAttribute(QStringLiteral("time"), number(seconds));
    for (const XmlElement &s : suites)
        writeElement(xml, s);
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

QByteArray csvReport(const std::vector<StudentResult> &results)
{
    QByteArray out = "name,passed,failed,errors,status,seconds\r\n";
    for (const StudentResult &r : results)
        out += csvField(r.name) + ',' + QByteArray::number(r.passed) + ',' + QByteArray::number(r.failed) + ',' +
               QByteArray::number(r.errors) + ',' + csvField(statusWord(r.status)) + ',' +
               QByteArray::number(r.seconds, 'f', 2) + "\r\n";
    return out;
}

} // namespace cli
