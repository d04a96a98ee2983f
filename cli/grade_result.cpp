#include "grade_result.h"

#include <QCoreApplication>
#include <QStringList>

namespace cli {

namespace {

constexpr int kExitDidNotBuild = 4;
const QString kOwnPrefix = QStringLiteral("brixo-cli: ");

QStringList linesOf(const std::string &text, const std::vector<std::string> &dirs)
{
    QStringList lines;
    size_t from = 0;
    while (from < text.size() && lines.size() < 1000) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        const QString line = withoutDirs(oneLine(text.substr(from, end - from), 4096), dirs).trimmed();
        if (!line.isEmpty())
            lines.append(line);
        from = end + 1;
    }
    return lines;
}

// The compiler's first error, else its first line, else brixo-cli's own first words.
QString buildMessage(const QStringList &lines)
{
    for (const QString &l : lines)
        if (!l.startsWith(kOwnPrefix) && l.contains(QLatin1String("error"), Qt::CaseInsensitive))
            return l;
    for (const QString &l : lines)
        if (!l.startsWith(kOwnPrefix))
            return l;
    return lines.isEmpty() ? QString() : lines.first().mid(kOwnPrefix.size());
}

// brixo-cli's own first message, else the first line there is.
QString faultMessage(const QStringList &lines)
{
    for (const QString &l : lines)
        if (l.startsWith(kOwnPrefix))
            return l.mid(kOwnPrefix.size());
    return lines.isEmpty() ? QString() : lines.first();
}

QString seconds(double s) { return QString::number(s, 'g', 6); }

} // namespace

QString oneLine(const std::string &bytes, int maxChars)
{
    QString line = QString::fromUtf8(bytes.data(), int(std::min(bytes.size(), size_t(maxChars) * 4))).left(maxChars);
    for (QChar &c : line)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return line;
}

QString withoutDirs(QString text, const std::vector<std::string> &dirs)
{
    for (const std::string &d : dirs)
        if (!d.empty())
            text.replace(QString::fromStdString(d + "/"), QString());
    return text;
}

StudentResult::Status classifyOutcome(const GradeOutcome &o, const std::vector<std::string> &dirs, QString &detail)
{
    detail.clear();
    switch (o.kind) {
    case GradeOutcome::TimedOut: return StudentResult::TimedOut;
    case GradeOutcome::NotStarted: detail = oneLine(o.startError); return StudentResult::Error;
    case GradeOutcome::Exited: break;
    }
    if (o.status == 0 || o.status == 1)
        return o.status == 0 ? StudentResult::Passed : StudentResult::Failed;
    const QStringList lines = linesOf(o.err, dirs);
    if (o.status == kExitDidNotBuild) {
        detail = buildMessage(lines).left(300);
        return StudentResult::NotBuilt;
    }
    if (o.status > 128)
        detail = QCoreApplication::translate("cli", "brixo-cli 被信号 %1 终止").arg(o.status - 128);
    else
        detail = faultMessage(lines.isEmpty() ? linesOf(o.out, dirs) : lines).left(300);
    if (detail.isEmpty())
        detail = QCoreApplication::translate("cli", "brixo-cli 的退出码为 %1").arg(o.status);
    return StudentResult::Error;
}

QString statusWord(StudentResult::Status s)
{
    switch (s) {
    case StudentResult::Passed: return QStringLiteral("passed");
    case StudentResult::Failed: return QStringLiteral("failed");
    case StudentResult::NotBuilt: return QStringLiteral("did-not-build");
    case StudentResult::TimedOut: return QStringLiteral("timed-out");
    case StudentResult::NoDesign: return QStringLiteral("no-design-files");
    case StudentResult::Error: break;
    }
    return QStringLiteral("error");
}

QString statusText(const StudentResult &r, double timeoutSeconds)
{
    switch (r.status) {
    case StudentResult::NotBuilt: return QCoreApplication::translate("cli", "未能编译：%1").arg(r.detail);
    case StudentResult::TimedOut: return QCoreApplication::translate("cli", "%1 秒后超时").arg(seconds(timeoutSeconds));
    case StudentResult::NoDesign: return QCoreApplication::translate("cli", "没有设计文件");
    case StudentResult::Error: return QCoreApplication::translate("cli", "无法评分：%1").arg(r.detail);
    case StudentResult::Passed:
    case StudentResult::Failed: break;
    }
    // As the last line of `brixo-cli test`.
    QString counts = QStringLiteral("%1 passed, %2 failed").arg(r.passed).arg(r.failed);
    if (r.errors)
        counts += QStringLiteral(", %1 errors").arg(r.errors);
    return counts;
}

QString resultLine(const StudentResult &r, double timeoutSeconds)
{
    return oneLine(r.name.toStdString()) + QStringLiteral(": ") + statusText(r, timeoutSeconds);
}

QString summaryLine(const std::vector<StudentResult> &results)
{
    int count[StudentResult::Error + 1] = {};
    for (const StudentResult &r : results)
        ++count[r.status];
    QString line = QCoreApplication::translate("cli", "%1 名学生：%2 名全部通过，%3 名有失败的行，%4 名未能编译")
                       .arg(results.size())
                       .arg(count[StudentResult::Passed])
                       .arg(count[StudentResult::Failed])
                       .arg(count[StudentResult::NotBuilt]);
    if (count[StudentResult::TimedOut])
        line += QCoreApplication::translate("cli", "，%1 名超时").arg(count[StudentResult::TimedOut]);
    if (count[StudentResult::NoDesign])
        line += QCoreApplication::translate("cli", "，%1 名没有设计文件").arg(count[StudentResult::NoDesign]);
    if (count[StudentResult::Error])
        line += QCoreApplication::translate("cli", "，%1 名无法评分").arg(count[StudentResult::Error]);
    return line;
}

} // namespace cli
