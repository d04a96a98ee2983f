// brixo-cli: the lab board from the command line, for scripts and grading.
#include "cli_texts.h"
#include "commands.h"
#include "options.h"

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
    if (options.command != "configure")
        pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
    return cli::runCommand(options);
}
