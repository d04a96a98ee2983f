// brixo-labd: a simulated lab board behind the remote-lab protocol.
#include "child_process.h"
#include "options.h"
#include "server.h"
#include "sim_circuit.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace labd;

namespace {

std::string workDir;
SimCircuit *circuit = nullptr;
std::atomic<bool> ending{false};

// Ends the process from any thread: the simulator and any running build go first, then the
// work directory. Worker threads may be waiting on open client connections; they are not joined.
[[noreturn]] void finish(int status)
{
    if (ending.exchange(true))
        for (;;)
            pause();
    killRunningTool();
    if (circuit && circuit->simulatorPid() > 0) {
        kill(-circuit->simulatorPid(), SIGKILL);
        kill(circuit->simulatorPid(), SIGKILL);
    }
    std::error_code ignored;
    if (!workDir.empty())
        fs::remove_all(workDir, ignored);
    std::fflush(stdout);
    std::fflush(stderr);
    _exit(status);
}

uint32_t todayCode()
{
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    auto bcd = [](int v) { return uint32_t((v / 10) % 10 << 4 | v % 10); };
    const int year = t.tm_year + 1900;
    return bcd(year / 100) << 24 | bcd(year % 100) << 16 | bcd(t.tm_mon + 1) << 8 | bcd(t.tm_mday);
}

} // namespace

int main(int argc, char **argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    // One thread takes SIGTERM and SIGINT; every other thread has them blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
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
    if (options.stdinLifetime)
        std::thread([] {
            char buf[256];
            while (read(0, buf, sizeof buf) > 0) {
            }
            finish(0);
        }).detach();

    DesignFiles design;
    design.top = options.top;
    design.defines = options.defines;
    for (const std::string &f : options.files) {
        if (!std::ifstream(f).good()) {
            std::fprintf(stderr, "brixo-labd: cannot read %s\n", f.c_str());
            return 1;
        }
        design.files.push_back(fs::absolute(f).string());
    }
    const char *tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brixo-labd-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::fprintf(stderr, "brixo-labd: cannot make a work directory in %s\n", tmp && *tmp ? tmp : "/tmp");
        return 1;
    }
    workDir = pattern;

    std::unique_ptr<Simulator> sim = options.simulator == "verilator" ? makeVerilator(workDir) : makeIcarus(workDir);
    Board board;
    std::string messages;
    if (!prepareDesign(*sim, design, options.keysActiveLow, board, messages)) {
        std::fprintf(stderr, "%s", messages.c_str());
        if (!messages.empty() && messages.back() != '\n')
            std::fputc('\n', stderr);
        finish(1);
    }
    CircuitSettings settings;
    settings.clockHz = options.clockHz;
    settings.requestLimitMs = options.stepLimitMs;
    settings.chipDate = todayCode();
    SimCircuit simulated(board, sim->command(), workDir, settings);
    circuit = &simulated;
    if (!simulated.start(error)) {
        std::fprintf(stderr, "brixo-labd: the design does not start: %s\n", error.c_str());
        finish(1);
    }
    HttpServer server(simulated);
    const int port = server.bind(options.host, options.port);
    if (port < 0) {
        std::fprintf(stderr, "brixo-labd: cannot listen on %s:%d\n", options.host.c_str(), options.port);
        finish(1);
    }
    std::printf("listening on %s:%d\ndesign %s\n", options.host.c_str(), port, board.json().c_str());
    std::fflush(stdout);
    if (!server.serve()) {
        std::fprintf(stderr, "brixo-labd: serving on %s:%d failed\n", options.host.c_str(), port);
        finish(1);
    }
    finish(0);
}
