#include "wave_command.h"

#include "commands.h"

#include "child_process.h"
#include "vcd_diagram.h"
#include "vcd_reader.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace cli {

namespace {

// Rendering a diagram of thousands of transitions takes a few seconds at most.
constexpr int kRenderLimitMs = 60000;

bool writeFile(const QString &path, const std::string &text)
{
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text.data(), qint64(text.size())) == qint64(text.size()) &&
           f.commit();
}

QString cannotWrite(const std::string &path)
{
    return QCoreApplication::translate("cli", "无法写入 %1").arg(QString::fromStdString(path));
}

} // namespace

int waveCommand(const Options &o)
{
    brixo::VcdData data;
    std::string error;
    if (!brixo::readVcdFile(o.args[0], data, error)) {
        printError(QString::fromStdString(error));
        return ExitUsage;
    }
    std::vector<brixo::DiagramTrace> traces;
    if (!brixo::diagramTraces(data, o.waveSignals, traces, error)) {
        printError(QString::fromStdString(error));
        return ExitUsage;
    }
    const std::string svg = brixo::timingDiagramSvg(data, traces);
    if (!o.svg.empty() && !writeFile(QString::fromStdString(o.svg), svg)) {
        printError(cannotWrite(o.svg));
        return ExitUsage;
    }
    if (o.png.empty())
        return ExitOk;
    if (QStandardPaths::findExecutable(QStringLiteral("rsvg-convert")).isEmpty()) {
        const QString missing =
            QCoreApplication::translate("cli", "写 PNG 需要 rsvg-convert（Debian 软件包 librsvg2-bin），它没有安装");
        printError(missing);
        return ExitLibrary;
    }
    // Without --svg the picture is drawn from a file of our own that goes with it.
    QTemporaryDir scratch;
    QString from = QString::fromStdString(o.svg);
    if (from.isEmpty()) {
        from = scratch.filePath(QStringLiteral("diagram.svg"));
        if (!scratch.isValid() || !writeFile(from, svg)) {
            printError(cannotWrite(from.toStdString()));
            return ExitLibrary;
        }
    }
    std::string said;
    const int status = brixo::runTool({"rsvg-convert", "--background-color=white", "-o", o.png, from.toStdString()},
                                      std::string(), kRenderLimitMs, said);
    if (status != 0) {
        printError(cannotWrite(o.png) + QStringLiteral(": rsvg-convert: ") +
                   QString::fromStdString(said).trimmed().section(QLatin1Char('\n'), 0, 0));
        return ExitLibrary;
    }
    return ExitOk;
}

} // namespace cli
