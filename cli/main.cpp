// brixo-cli: the lab board from the command line, for scripts and grading.
#include "cli_texts.h"
#include "commands.h"
#include "grade_command.h"
#include "options.h"
#include "wave_command.h"

#include <vestrix.h>

#include <QCoreApplication>
#include <QTranslator>

#include <csignal>
#include <pthread.h>

int main(int argc, char **argv)
{
    // Blocked before any thread exists, so every thread the libraries start inherits it;
    // only `configure` keeps it blocked (it polls for Ctrl+C between pieces).
    sigset_t interrupt;
    sigemptyset(&interrupt);
    sigaddset(&interrupt, SIGINT);
    pthread_sigmask(SIG_BLOCK, &interrupt, nullptr);

    QCoreApplication app(argc, argv);
    QTranslator translator;
    const bool english = cli::installLanguage(translator);
    SetDllLanguage(english ? 1 : 0);

    std::vector<std::string> args(argv + 1, argv + argc);
    if (cli::isGradeCommand(args))
        return cli::gradeCommand(args, QStringLiteral(BRIXO_VERSION));
    cli::Options options;
    QString error;
    if (!cli::parseOptions(args, options, error)) {
        cli::printError(error);
        return cli::ExitUsage;
    }
    if (options.help) {
        cli::printOut(cli::helpText());
        return cli::ExitOk;
    }
    if (options.version) {
        cli::printOut(QStringLiteral("brixo-cli %1\n").arg(QStringLiteral(BRIXO_VERSION)));
        return cli::ExitOk;
    }
    if (!options.lab.empty()) {
        // A board held through a lab server is given back on Ctrl+C or SIGTERM: the hold's
        // guard thread takes both, so they stay blocked everywhere else.
        sigaddset(&interrupt, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &interrupt, nullptr);
    } else if (options.command != "configure") {
        pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
    }
    // A recording's diagram needs no board.
    if (options.command == "wave")
        return cli::waveCommand(options);
    return cli::runCommand(options);
}
