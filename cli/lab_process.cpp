#include "lab_process.h"
#include "options.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cli {

namespace {

long long nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Waits for `pid` up to `limitMs`; true when it was reaped.
bool reap(int pid, int limitMs, int &status)
{
    const long long until = nowMs() + limitMs;
    for (;;) {
        const int r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid || (r < 0 && errno != EINTR))
            return true;
        if (nowMs() >= until)
            return false;
        ::usleep(10000);
    }
}

} // namespace

std::string labServerProgram(const std::string &self)
{
    if (const char *named = std::getenv("BRIXO_LABD"); named && *named)
        return named;
    const size_t slash = self.rfind('/');
    if (slash != std::string::npos) {
        const std::string beside = self.substr(0, slash + 1) + "brixo-labd";
        if (::access(beside.c_str(), X_OK) == 0)
            return beside;
    }
    return "brixo-labd";
}

int readyLinePort(const std::string &line)
{
    const std::string prefix = "listening on ";
    std::string host;
    int port = 0;
    if (line.rfind(prefix, 0) != 0 || !splitHostPort(line.substr(prefix.size()), host, port))
        return 0;
    return port;
}

LabProcess::~LabProcess() { stop(); }

LabProcess::Status LabProcess::start(const LabOptions &options, int limitMs)
{
    char self[4096];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    const std::string program = labServerProgram(n > 0 ? std::string(self, size_t(n)) : "");

    std::vector<std::string> args = {program, "--verilog"};
    args.insert(args.end(), options.files.begin(), options.files.end());
    if (!options.top.empty())
        args.insert(args.end(), {"--top", options.top});
    if (!options.simulator.empty())
        args.insert(args.end(), {"--simulator", options.simulator});
    if (options.keysActiveLow)
        args.push_back("--keys-active-low");
    args.insert(args.end(), {"--listen", "127.0.0.1:0", "--stdin-lifetime"});

    int in[2], out[2], failed[2];
    if (::pipe2(in, O_CLOEXEC) != 0)
        return NotFound;
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(failed, O_CLOEXEC) != 0) {
        ::close(in[0]), ::close(in[1]);
        return NotFound;
    }
    const int pid = ::fork();
    if (pid == 0) {
        sigset_t none; // the server gets its own signals, whatever we hold blocked
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        const char bad = 1; // exec failed: tell the parent through the close-on-exec pipe
        (void)!::write(failed[1], &bad, 1);
        ::_exit(127);
    }
    ::close(in[0]), ::close(out[1]), ::close(failed[1]);
    if (pid < 0) {
        ::close(in[1]), ::close(out[0]), ::close(failed[0]);
        return NotFound;
    }
    pid_ = pid;
    stdinWrite_ = in[1];
    char bad = 0;
    const bool execFailed = ::read(failed[0], &bad, 1) == 1;
    ::close(failed[0]);
    if (execFailed) {
        stdoutRead_ = out[0];
        stop();
        return NotFound;
    }

    // The ready line, within the limit; the design line after it is not needed here.
    std::string line;
    const long long until = nowMs() + limitMs;
    Status status = NotReady;
    for (;;) {
        const long long left = until - nowMs();
        if (left <= 0)
            break;
        pollfd p{out[0], POLLIN, 0};
        const int r = ::poll(&p, 1, int(left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        char c;
        const ssize_t got = ::read(out[0], &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            status = Failed; // it ended before it was ready
            int st = 0;
            if (reap(pid_, 2000, st)) {
                exitStatus_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
                pid_ = -1;
            }
            break;
        }
        if (c == '\n') {
            port_ = readyLinePort(line);
            status = port_ ? Ready : Failed;
            break;
        }
        if (line.size() < 256)
            line += c;
    }
    // Kept open while the server runs: a closed pipe would kill it with SIGPIPE on any later
    // line it prints.
    stdoutRead_ = out[0];
    if (status != Ready)
        stop();
    return status;
}

void LabProcess::stop()
{
    if (stdinWrite_ >= 0)
        ::close(stdinWrite_), stdinWrite_ = -1;
    if (pid_ > 0) {
        int status = 0;
        ::kill(pid_, SIGTERM);
        if (!reap(pid_, 3000, status)) {
            ::kill(pid_, SIGKILL);
            reap(pid_, 3000, status);
        }
        pid_ = -1;
    }
    if (stdoutRead_ >= 0)
        ::close(stdoutRead_), stdoutRead_ = -1;
}

} // namespace cli
