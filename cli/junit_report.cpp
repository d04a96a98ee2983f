#include "junit_report.h"

#include <QXmlStreamWriter>

namespace cli {

namespace {

QString errorType(RowResult::Error e)
{
    switch (e) {
    case RowResult::Design: return QStringLiteral("design");
    case RowResult::Board: return QStringLiteral("board");
    case RowResult::Usage: return QStringLiteral("usage");
    case RowResult::NotRun: return QStringLiteral("not-run");
    case RowResult::None: break;
    }
    return QString();
}

QString text(const std::string &s) { return xmlText(QString::fromStdString(s)); }

} // namespace

QString xmlText(const QString &in)
{
    QString out = in;
    for (int i = 0; i < out.size(); ++i) {
        const ushort c = out.at(i).unicode();
        const bool pair = QChar::isHighSurrogate(c) && i + 1 < out.size() && out.at(i + 1).isLowSurrogate();
        if (pair) {
            ++i;
            continue;
        }
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || QChar::isSurrogate(c) || c == 0xFFFE || c == 0xFFFF)
            out[i] = QChar(QChar::ReplacementCharacter);
    }
    return out;
}

QByteArray junitReport(const TestReport &report)
{
    int failures = 0, errors = 0;
    double total = 0;
    for (const RowResult &r : report.rows) {
        failures += r.failed();
        errors += r.error != RowResult::None;
        total += r.seconds;
    }
    const auto seconds = [](double s) { return QString::number(s, 'f', 6); };
    const auto counts = [&](QXmlStreamWriter &xml) {
        xml.writeAttribute(QStringLiteral("tests"), QString::number(report.rows.size()));
        xml.writeAttribute(QStringLiteral("failures"), QString::number(failures));
        xml.writeAttribute(QStringLiteral("errors"), QString::number(errors));
        xml.writeAttribute(QStringLiteral("time"), seconds(total));
    };

    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("testsuites"));
    counts(xml);
    xml.writeStartElement(QStringLiteral("testsuite"));
    xml.writeAttribute(QStringLiteral("name"), xmlText(report.suite));
    counts(xml);
    for (const RowResult &r : report.rows) {
        xml.writeStartElement(QStringLiteral("testcase"));
        xml.writeAttribute(QStringLiteral("name"), QStringLiteral("line %1").arg(r.line));
        xml.writeAttribute(QStringLiteral("classname"), xmlText(report.className));
        xml.writeAttribute(QStringLiteral("time"), seconds(r.seconds));
        if (r.error != RowResult::None) {
            xml.writeStartElement(QStringLiteral("error"));
            xml.writeAttribute(QStringLiteral("message"), text(r.message));
            xml.writeAttribute(QStringLiteral("type"), errorType(r.error));
            if (!r.detail.empty())
                xml.writeCharacters(text(r.detail));
            xml.writeEndElement();
        } else if (!r.mismatches.empty()) {
            xml.writeStartElement(QStringLiteral("failure"));
            xml.writeAttribute(QStringLiteral("message"), text(mismatchText(r)));
            xml.writeAttribute(QStringLiteral("type"), QStringLiteral("mismatch"));
            xml.writeCharacters(text(failureLine(r)));
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    if (!report.systemErr.isEmpty())
        xml.writeTextElement(QStringLiteral("system-err"), xmlText(report.systemErr));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

} // namespace cli
