#include "junit_report.h"

#include <QFileInfo>
#include <QXmlStreamWriter>

namespace cli {

QByteArray junitReport(const QString &suite, const std::vector<RowResult> &rows, const QString &errorText)
{
    int failures = 0, errors = 0;
    double total = 0;
    for (const RowResult &r : rows) {
        failures += r.code == 0 && !r.mismatches.empty();
        errors += r.code != 0;
        total += r.seconds;
    }
    const QString name = QFileInfo(suite).fileName();
    const QString className = QFileInfo(suite).completeBaseName();
    const auto seconds = [](double s) { return QString::number(s, 'f', 6); };

    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    xml.writeAttribute(QStringLiteral("tests"), QString::number(rows.size()));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    xml.writeAttribute(QStringLiteral("errors"), QString::number(errors));
    xml.writeAttribute(QStringLiteral("time"), seconds(total));
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), name);
    xml.writeAttribute(QStringLiteral("tests"), QString::number(rows.size()));
    xml.writeAttribute(QStringLiteral("failures"), QString::number(failures));
    xml.writeAttribute(QStringLiteral("errors"), QString::number(errors));
    xml.writeAttribute(QStringLiteral("time"), seconds(total));
    for (const RowResult &r : rows) {
        xml.writeStartElement(QStringLiteral("testcase"));
        xml.writeAttribute(QStringLiteral("name"), QStringLiteral("line %1").arg(r.line));
        xml.writeAttribute(QStringLiteral("classname"), className);
        xml.writeAttribute(QStringLiteral("time"), seconds(r.seconds));
        if (r.code != 0) {
            xml.writeStartElement(QStringLiteral("error"));
            xml.writeAttribute(QStringLiteral("message"), errorText);
            xml.writeAttribute(QStringLiteral("type"), QString::number(r.code));
            xml.writeEndElement();
        } else if (!r.mismatches.empty()) {
            xml.writeStartElement(QStringLiteral("failure"));
            xml.writeAttribute(QStringLiteral("message"), QString::fromStdString(mismatchText(r)));
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("mismatch"));
            xml.writeCharacters(QString::fromStdString(failureLine(r)));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

} // namespace cli
