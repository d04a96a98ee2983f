#include "test_command.h"

#include "cli_texts.h"
#include "commands.h"
#include "junit_report.h"
#include "panel_inventory.h"
#include "vector_runner.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

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

int prepareTest(const Options &o, TestPlan &plan)
{
    plan.path = QString::fromStdString(o.args[0]);
    QFile file(plan.path);
    if (!file.open(QIODevice::ReadOnly)) {
        printError(QCoreApplication::translate("cli", "无法读取文件 %1").arg(plan.path));
        return ExitUsage;
    }
    std::unique_ptr<PanelInventory> panel;
    if (!o.panel.empty()) {
        panel = std::make_unique<PanelInventory>();
        if (!readPanelInventory(QString::fromStdString(o.panel), *panel)) {
            printError(QCoreApplication::translate("cli", "无法读取面板文件 %1").arg(QString::fromStdString(o.panel)));
            return ExitUsage;
        }
    }
    VectorError error;
    const QByteArray text = file.read(qint64(kMaxVectorFileBytes) + 1);
    if (!readVectorTable(text.toStdString(), panel.get(), plan.table, error)) {
        printError(QStringLiteral("%1:%2: %3").arg(plan.path).arg(error.line).arg(vectorErrorText(error)));
        return ExitUsage;
    }
    return -1;
}

int runTest(const Options &o, const TestPlan &plan)
{
    std::vector<RowResult> rows;
    const int rc = runVectors(plan.table, rows);
    int passed = 0, failedRows = 0;
    for (const RowResult &r : rows) {
        if (r.passed()) {
            ++passed;
        } else if (r.code == 0) {
            ++failedRows;
            printOut(QString::fromStdString(failureLine(r)) + QLatin1Char('\n'));
        }
    }
    const QString errorText = rc ? libraryFailureText(rc) : QString();
    if (!o.junit.empty()) {
        QSaveFile report(QString::fromStdString(o.junit));
        if (!report.open(QIODevice::WriteOnly) || report.write(junitReport(plan.path, rows, errorText)) < 0 ||
            !report.commit()) {
            printError(QCoreApplication::translate("cli", "无法写入 %1").arg(QString::fromStdString(o.junit)));
            return ExitUsage;
        }
    }
    if (rc != 0) {
        printError(errorText);
        return ExitLibrary;
    }
    printOut(QStringLiteral("%1 passed, %2 failed\n").arg(passed).arg(failedRows));
    return failedRows ? ExitTestFailed : ExitOk;
}

} // namespace cli
