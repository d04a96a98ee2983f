#include "test_command.h"

#include "board_connection.h"
#include "cli_texts.h"
#include "commands.h"
#include "junit_report.h"
#include "panel_inventory.h"
#include "vector_runner.h"

#include "board_session.h"
#include "lab_server.h"
#include "vcd_recorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <memory>

namespace cli {

QString vectorErrorText(const VectorError &e)
{
    const QString subject = QString::fromStdString(e.subject);
    switch (e.kind) {
    case VectorError::NoHeader: return QCoreApplication::translate("cli", "没有列名行");
    case VectorError::NoRows: return QCoreApplication::translate("cli", "没有测试行");
    case VectorError::UnknownColumn: return QCoreApplication::translate("cli", "未知的列名：%1").arg(subject);
    case VectorError::RepeatedBit: return QCoreApplication::translate("cli", "列 %1 与前面的列重复").arg(subject);
    case VectorError::CellCount:
        return QCoreApplication::translate("cli", "本行有 %1 个值，应为 %2 个").arg(e.found).arg(e.expected);
    case VectorError::BadValue:
        return QCoreApplication::translate("cli", "列 %1 的值无效：%2").arg(QString::fromStdString(e.column), subject);
    case VectorError::NotOnPanel: return QCoreApplication::translate("cli", "面板上没有 %1").arg(subject);
    case VectorError::TooLarge: return QCoreApplication::translate("cli", "文件太大");
    case VectorError::None: break;
    }
    return QString();
}

int prepareTest(const Options &o, TestPlan &plan, QString *why)
{
    plan.path = QString::fromStdString(o.args[0]);
    const auto refuse = [&](const QString &text) {
        printError(text);
        if (why)
            *why = text;
        return int(ExitUsage);
    };
    QFile file(plan.path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QCoreApplication::translate("cli", "无法读取文件 %1").arg(plan.path));
    std::unique_ptr<PanelInventory> panel;
    if (!o.panel.empty()) {
        panel = std::make_unique<PanelInventory>();
        if (!readPanelInventory(QString::fromStdString(o.panel), *panel))
            return refuse(
                QCoreApplication::translate("cli", "无法读取面板文件 %1").arg(QString::fromStdString(o.panel)));
    }
    VectorError error;
    const QByteArray text = file.read(qint64(kMaxVectorFileBytes) + 1);
    if (!readVectorTable(text.toStdString(), panel.get(), plan.table, error)) {
        plan.errorLine = error.line;
        return refuse(QStringLiteral("%1:%2: %3").arg(plan.path).arg(error.line).arg(vectorErrorText(error)));
    }
    return -1;
}

namespace {

std::string utf8(const QString &s) { return s.toUtf8().toStdString(); }

// Every row of the plan as not run, for one reason; the vector file itself (line 0, or the
// line its mistake is on) when its rows are not known.
std::vector<RowResult> unrun(const TestPlan &plan, RowResult::Error kind, const QString &why,
                             const std::string &detail = std::string())
{
    std::vector<RowResult> rows;
    RowResult r;
    r.error = kind;
    r.message = utf8(why);
    r.detail = detail;
    for (const Row &row : plan.table.rows) {
        r.line = row.line;
        rows.push_back(r);
    }
    if (rows.empty()) {
        r.line = plan.errorLine;
        rows.push_back(r);
    }
    return rows;
}

// The first lines the server wrote: what a design that did not build is told first.
std::string firstLines(const std::string &text, int count)
{
    std::string out;
    size_t from = 0;
    while (count > 0 && from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(from, std::min<size_t>(end - from, 1000));
        if (line.find_first_not_of(" \t\r") != std::string::npos) {
            out += line + "\n";
            --count;
        }
        from = end + 1;
    }
    return out;
}

// The first line that says "error" (a compiler may warn first), else the first line.
std::string firstError(const std::string &text)
{
    const std::string lines = firstLines(text, 100);
    for (size_t from = 0; from < lines.size();) {
        const size_t end = lines.find('\n', from);
        std::string line = lines.substr(from, end - from);
        for (char &c : line)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        if (line.find("error") != std::string::npos)
            return lines.substr(from, end - from);
        from = end + 1;
    }
    return firstLines(text, 1);
}

// The suite's and the cases' names: NAME and NAME.VECTORS with --name; the top module and the
// vector file in simulation; the vector file on a board.
void nameReport(const Options &o, const TestPlan &plan, const std::string &top, TestReport &report)
{
    const QFileInfo vectors(plan.path);
    QString name = QString::fromStdString(o.name);
    if (name.isEmpty() && !o.sim.files.empty()) {
        const std::string t = !top.empty() ? top : !o.sim.top.empty() ? o.sim.top : o.sim.files[0];
        name = !top.empty() || !o.sim.top.empty() ? QString::fromStdString(t)
                                                  : QFileInfo(QString::fromStdString(t)).completeBaseName();
        name += QLatin1Char('.') + vectors.completeBaseName();
        report.suite = report.className = name;
        return;
    }
    report.suite = name.isEmpty() ? vectors.fileName() : name;
    report.className =
        name.isEmpty() ? vectors.completeBaseName() : name + QLatin1Char('.') + vectors.completeBaseName();
}

QString lineList(const std::vector<int> &lines)
{
    QStringList texts;
    for (int l : lines)
        texts << QString::number(l);
    return (lines.size() == 1 ? QStringLiteral("line ") : QStringLiteral("lines ")) + texts.join(QStringLiteral(", "));
}

// What standard output gets: a line per failed row and per row in error (or, when no row ran,
// why), what became of the rest of the run, and the counts as the last line. The report goes
// to --junit.
int finish(const Options &o, TestReport &report, int rc, bool ranRows = false)
{
    int passed = 0, failed = 0, errors = 0;
    std::vector<int> restartedAfter, notRun;
    for (const RowResult &r : report.rows) {
        passed += r.passed();
        failed += r.failed();
        errors += r.error != RowResult::None;
        if (r.failed())
            printOut(QString::fromStdString(failureLine(r)) + QLatin1Char('\n'));
        if (!ranRows)
            continue;
        if (r.error == RowResult::Design || r.error == RowResult::Board)
            printOut(QStringLiteral("line %1: error: %2\n").arg(r.line).arg(QString::fromStdString(r.message)));
        if (r.error == RowResult::Design && &r != &report.rows.back())
            restartedAfter.push_back(r.line);
        if (r.error == RowResult::NotRun)
            notRun.push_back(r.line);
    }
    if (!ranRows && !report.rows.empty()) {
        // The detail's first line ends the message already.
        const RowResult &r = report.rows[0];
        const size_t firstEnd = r.detail.find('\n');
        const bool repeated = firstEnd != std::string::npos && r.message.size() >= firstEnd &&
                              r.message.compare(r.message.size() - firstEnd, firstEnd, r.detail, 0, firstEnd) == 0;
        printOut(QStringLiteral("no row ran: %1\n").arg(QString::fromStdString(r.message)));
        printOut(QString::fromStdString(repeated ? r.detail.substr(firstEnd + 1) : r.detail));
    }
    if (!restartedAfter.empty())
        printOut(QStringLiteral("the simulated design was started again from reset after %1; the rows after that "
                                "ran on the restarted design\n")
                     .arg(lineList(restartedAfter)));
    if (!notRun.empty())
        printOut(QStringLiteral("%1 not run\n").arg(lineList(notRun)));
    if (!o.junit.empty()) {
        QSaveFile file(QString::fromStdString(o.junit));
        if (!file.open(QIODevice::WriteOnly) || file.write(junitReport(report)) < 0 || !file.commit()) {
            printError(QCoreApplication::translate("cli", "无法写入 %1").arg(QString::fromStdString(o.junit)));
            rc = std::max(rc, int(ExitUsage));
        }
    }
    QString counts = QStringLiteral("%1 passed, %2 failed").arg(passed).arg(failed);
    if (errors)
        counts += QStringLiteral(", %1 errors").arg(errors);
    printOut(counts + QLatin1Char('\n'));
    return rc;
}

QString cyclesRefused()
{
    return QCoreApplication::translate("cli", "列 CYCLES 只能用于仿真的设计（--sim）：实验板的时钟自己运行");
}

} // namespace

int testCommand(const Options &o)
{
    TestPlan plan;
    TestReport report;
    QString why;
    int rc = prepareTest(o, plan, &why);
    nameReport(o, plan, std::string(), report);
    if (rc >= 0) {
        report.rows = unrun(plan, RowResult::Usage, why);
        return finish(o, report, rc);
    }
    const bool cycles = plan.table.has(Column::Cycles);
    // On a board of ours that is known before it is touched.
    if (cycles && o.sim.files.empty() && o.server.empty() && o.lab.empty()) {
        printError(cyclesRefused());
        report.rows = unrun(plan, RowResult::Usage, cyclesRefused());
        return finish(o, report, ExitUsage);
    }
    // The waveform's file is made before the board is touched, so a path that cannot be written
    // costs no run.
    brixo::VcdRecorder recorder;
    if (!o.vcd.empty()) {
        int cpuBits = 0;
        for (const Column &c : plan.table.columns)
            cpuBits = std::max(cpuBits, c.kind == Column::Cpu ? c.cpuBits : 0);
        std::string error;
        if (!recorder.start(o.vcd, cpuBits, error)) {
            const QString text = QCoreApplication::translate("cli", "无法写入 %1").arg(QString::fromStdString(o.vcd)) +
                                 QStringLiteral(": ") + QString::fromStdString(error);
            printError(text);
            report.rows = unrun(plan, RowResult::Usage, text);
            return finish(o, report, ExitUsage);
        }
    }
    Options run = o;
    // With CYCLES the rows say how far the design's time goes, not the clock on the wall.
    if (cycles)
        run.sim.extraArgs.push_back("--manual-clock");
    brixo::LabServer lab;
    BoardConnection board;
    rc = connectBoard(run, true, lab, board, &why);
    if (rc >= 0) {
        const std::string said = finishLab(lab);
        report.systemErr = QString::fromUtf8(said.data(), int(said.size()));
        if (rc == ExitDesign) {
            const QString first = QString::fromStdString(firstError(said)).trimmed();
            const QString reason = QStringLiteral("the design did not build or start") +
                                   (first.isEmpty() ? QString() : QStringLiteral(": ") + first);
            report.rows = unrun(plan, RowResult::Design, reason, firstLines(said, 10));
        } else {
            report.rows = unrun(plan, RowResult::Board, why);
        }
        return finish(o, report, rc);
    }
    nameReport(o, plan, lab.board().top, report);
    if (cycles && !board.stepRoute) {
        printError(cyclesRefused());
        report.rows = unrun(plan, RowResult::Usage, cyclesRefused());
        return finish(o, report, ExitUsage);
    }
    const int panelInput = board.enablePanelInput();
    RunOptions options;
    options.simulatedDesign = board.stepRoute;
    int recording = 0;
    bool vcdFailed = false;
    if (recorder.recording()) {
        recording = board.session->subscribe(recorder.subscriber());
        options.rowDone = [&recorder](const RowResult &row) { recorder.comment("line " + std::to_string(row.line)); };
    }
    const int failure = panelInput ? panelInput : runVectors(*board.session, plan.table, report.rows, options);
    if (recording) {
        board.session->unsubscribe(recording);
        std::string error;
        if (!recorder.stop(error)) {
            printError(QCoreApplication::translate("cli", "无法写入 %1").arg(QString::fromStdString(o.vcd)) +
                       QStringLiteral(": ") + QString::fromStdString(error));
            vcdFailed = true;
        }
    }
    const std::string said = finishLab(lab);
    report.systemErr = QString::fromUtf8(said.data(), int(said.size()));
    if (panelInput) {
        const QString text = libraryFailureText(panelInput);
        printError(text);
        report.rows = unrun(plan, RowResult::Board, text);
        return finish(o, report, ExitLibrary);
    }
    int stoppedAt = 0;
    bool bad = false;
    for (RowResult &r : report.rows) {
        bad |= !r.passed();
        if (r.error == RowResult::Board) {
            r.message = utf8(boardFailureText(r.code, r.message));
            stoppedAt = r.line;
            printError(QString::fromStdString(r.message));
        } else if (r.error == RowResult::NotRun) {
            r.message = "not run: the board failed at line " + std::to_string(stoppedAt);
        }
    }
    rc = failure ? ExitLibrary : bad ? ExitTestFailed : ExitOk;
    return finish(o, report, vcdFailed ? std::max(rc, int(ExitUsage)) : rc, true);
}

} // namespace cli
