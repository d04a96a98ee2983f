#include "configure_command.h"

#include "cli_texts.h"
#include "commands.h"

#include <QCoreApplication>
#include <vestrix.h>

#include <QFileInfo>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace cli {

namespace {

// Ctrl+C is held pending while the download runs and looked for between pieces: a handler
// would interrupt the adapter's timed reads and fail a piece instead of cancelling cleanly.
bool interruptPending()
{
    sigset_t pending;
    return sigpending(&pending) == 0 && sigismember(&pending, SIGINT);
}

struct Progress {
    bool bar = false;
    long long fileBytes = 0;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

int onProgress(int done, int total, void *user)
{
    const auto *p = static_cast<const Progress *>(user);
    if (p->bar) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - p->start).count();
        const QByteArray line = ('\r' + progressLine(done, total, p->fileBytes, elapsed)).toUtf8();
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
        std::fflush(stderr);
    }
    return interruptPending() ? 1 : 0;
}

} // namespace

QString progressLine(int done, int total, long long fileBytes, double elapsedSeconds)
{
    constexpr int kWidth = 30;
    const long long bytes = std::min<long long>(fileBytes, (long long)done * 500);
    const int percent = total > 0 ? int((long long)done * 100 / total) : 100;
    const int filled = total > 0 ? int((long long)done * kWidth / total) : kWidth;
    QString line = QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(kWidth - filled, QLatin1Char('-')) +
                   QLatin1Char(']');
    line += QStringLiteral(" %1%  ").arg(percent, 3);
    line += QCoreApplication::translate("cli", "%1/%2 字节").arg(bytes).arg(fileBytes);
    if (done > 0 && done < total) {
        const long long left = (long long)(elapsedSeconds / done * (total - done) + 0.5);
        line += QStringLiteral("  ") + QCoreApplication::translate("cli", "剩余 %1 秒").arg(left);
    }
    return line + QStringLiteral("   ");
}

int configureCommand(const Options &o)
{
    Progress progress;
    progress.bar = !o.quiet && ::isatty(STDERR_FILENO);
    progress.fileBytes = QFileInfo(QString::fromStdString(o.args[0])).size();
    // main() keeps SIGINT blocked in every thread for this command (a library thread must
    // not take it and die); it stays pending until the next piece looks for it.
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    SetConfigureProgress(onProgress, &progress);
    const int rc = ConfigureFPGA(o.args[0].c_str());
    SetConfigureProgress(nullptr, nullptr);
    if (interruptPending()) {
        const timespec now{0, 0};
        sigtimedwait(&interrupt, nullptr, &now); // taken: it cancelled the download
    }
    if (progress.bar)
        std::fputc('\n', stderr);
    if (rc != 0) {
        printError(libraryFailureText(rc));
        return ExitLibrary;
    }
    if (!o.quiet)
        printOut(QCoreApplication::translate("cli", "FPGA配置完成：%1 字节").arg(progress.fileBytes) +
                 QLatin1Char('\n'));
    return ExitOk;
}

} // namespace cli
