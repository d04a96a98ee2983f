// brixo-labd: a simulated lab board behind the remote-lab protocol and the step route.
#include "adapter_board.h"
#include "http_lab_routes.h"
#include "http_server.h"
#include "lab_command.h"
#include "lab_mode.h"
#include "options.h"
#include "sandbox.h"
#include "serveddesign.h"

#include "child_process.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>
#include <unistd.h>

using namespace labd;

namespace {

constexpr int kExitDesignFailed = 1, kExitServerFailed = 3;
// A broken design's messages shown at most: the first ones say what is wrong.
constexpr int kShownMessageLines = 100;
constexpr size_t kShownMessageBytes = 16384;

// The first `count` lines of `text` (cut at kShownMessageBytes), and a line saying how much
// more there was.
std::string firstLines(const std::string &text, int count)
{
    size_t end = 0;
    for (int i = 0; i < count && end < text.size(); ++i) {
        const size_t nl = text.find('\n', end);
        end = nl == std::string::npos ? text.size() : nl + 1;
    }
    end = std::min(end, kShownMessageBytes);
    if (end >= text.size())
        return text;
    const std::string shown = text.substr(0, end) + (text[end - 1] == '\n' ? "" : "\n");
    return shown + "brixo-labd: " + std::to_string(text.size() - end) + " more bytes of messages left out\n";
}

// Ends the process from any thread: the running builds and the simulators go first, then the
// work directories. Nothing here waits on a client or on a step in progress; the serving and
// handler threads are not joined.
[[noreturn]] void finish(int status)
{
    static std::atomic<bool> ending{false};
    if (ending.exchange(true))
        for (;;)
            pause();
    brixo::killRunningTools();
    ServedDesign::abandonAll();
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(status);
}

} // namespace

int main(int argc, char **argv)
{
    // The lab server's account and audit commands work on its database and end.
    if (argc > 1 && (std::string(argv[1]) == "user" || std::string(argv[1]) == "audit"))
        return lab::runLabCommand(std::vector<std::string>(argv + 1, argv + argc), std::cin, std::cout, std::cerr);
    // The lab server for a class: this PC's boards and students' simulated boards.
    if (argc > 1 && std::string(argv[1]) == "lab")
        return runLabMode(std::vector<std::string>(argv + 2, argv + argc));
    // One lab board's adapter process, which the lab server starts and talks to over pipes.
    if (argc > 1 && std::string(argv[1]) == "adapter") {
        const std::string index = argc == 3 ? argv[2] : "";
        if (index.empty() || index.size() > 2 || index.find_first_not_of("0123456789") != std::string::npos) {
            std::fprintf(stderr, "brixo-labd: adapter wants the adapter's index, 0 to 99\n");
            return 2;
        }
        return runAdapterProcess(std::stoi(index));
    }
    std::signal(SIGPIPE, SIG_IGN);
    // One thread takes the signals that end the server (a closed terminal's too, so the work
    // directory goes with it); every other thread has them blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        sigaddset(&stopSignals, s);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::thread([stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        finish(0);
    }).detach();

    Options options;
    std::string error;
    if (!parseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "brixo-labd: %s\nTry 'brixo-labd --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (options.sandboxCheck)
        return reportSandbox();
    if (options.stdinLifetime)
        std::thread([] {
            char buf[256];
            while (read(0, buf, sizeof buf) > 0) {
            }
            finish(0);
        }).detach();

    std::string messages;
    Build failure = Build::Ready;
    std::unique_ptr<ServedDesign> design = ServedDesign::open(options, messages, failure);
    if (!design) {
        const std::string shown = firstLines(messages, kShownMessageLines);
        std::fprintf(stderr, "%s", shown.c_str());
        if (!shown.empty() && shown.back() != '\n')
            std::fputc('\n', stderr);
        finish(failure == Build::ToolFailed ? kExitServerFailed : kExitDesignFailed);
    }
    const Board &board = design->board();
    if (!board.unused.empty()) { // a student's "switch" for "sw" shows up here
        std::string names;
        for (const std::string &n : board.unused)
            names += (names.empty() ? "" : ", ") + n;
        std::fprintf(stderr, "brixo-labd: ports of %s with no board name, left unconnected: %s\n", board.top.c_str(),
                     names.c_str());
    }
    // Every open connection is a descriptor: a thousand idle clients must not lock out the next.
    const std::size_t openFiles = http::Server::raiseOpenFileLimit();
    http::Server server(labRoutes(labBoardOf(*design)), labLimits(openFiles), options.log);
    const int port = server.bind(options.host, options.port);
    if (port < 0) {
        std::fprintf(stderr, "brixo-labd: cannot listen on %s:%d\n", options.host.c_str(), options.port);
        finish(kExitServerFailed);
    }
    // The same text GET /api/v1/board answers.
    std::printf("listening on %s:%d\ndesign %s\n", options.host.c_str(), port, board.json().c_str());
    std::fflush(stdout);
    server.serve(); // until a signal or the end of standard input ends the process
    finish(0);
}
