#include "childprocess.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace labd {

namespace {

std::atomic<pid_t> runningTool{-1};

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : int(left);
}

// fork + exec with the given descriptors as 0, 1 and 2 (-1: keep ours). The child dies with us.
pid_t spawn(const std::vector<std::string> &argv, const std::string &dir, int in, int out, int err, std::string &error)
{
    std::vector<char *> args;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return -1;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0) {
        error = std::strerror(errno);
        close(report[0]);
        close(report[1]);
        return -1;
    }
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        setpgid(0, 0); // a tool's own children go with it when it is killed
        if (in >= 0)
            dup2(in, 0);
        if (out >= 0)
            dup2(out, 1);
        if (err >= 0)
            dup2(err, 2);
        if (!dir.empty() && chdir(dir.c_str()) != 0) {
            const int e = errno;
            (void)!write(report[1], &e, sizeof e);
            _exit(127);
        }
        execvp(args[0], args.data());
        const int e = errno;
        (void)!write(report[1], &e, sizeof e);
        _exit(127);
    }
    close(report[1]);
    int e = 0;
    const ssize_t n = read(report[0], &e, sizeof e);
    close(report[0]);
    if (n == sizeof e) {
        waitpid(pid, nullptr, 0);
        error = "cannot run " + argv[0] + ": " + std::strerror(e);
        return -1;
    }
    return pid;
}

void killGroup(pid_t pid)
{
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

bool ChildProcess::start(const std::vector<std::string> &argv, const std::string &dir, std::string &error)
{
    stop();
    int toChild[2], fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0)
        return false;
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return false;
    }
    pid_ = spawn(argv, dir, toChild[0], fromChild[1], -1, error);
    close(toChild[0]);
    close(fromChild[1]);
    if (pid_ < 0) {
        close(toChild[1]);
        close(fromChild[0]);
        return false;
    }
    in_ = toChild[1];
    out_ = fromChild[0];
    pending_.clear();
    return true;
}

bool ChildProcess::writeLine(const std::string &line)
{
    if (pid_ < 0)
        return false;
    const std::string data = line + "\n";
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(in_, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

ChildProcess::Read ChildProcess::readLine(std::string &line, Clock::time_point deadline)
{
    for (;;) {
        const size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            line = pending_.substr(0, end);
            pending_.erase(0, end + 1);
            return Line;
        }
        if (pid_ < 0)
            return Ended;
        pollfd p{out_, POLLIN, 0};
        const int r = poll(&p, 1, msLeft(deadline));
        if (r < 0 && errno == EINTR)
            continue;
        if (r == 0)
            return TimedOut;
        char buf[4096];
        const ssize_t n = ::read(out_, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Ended;
        pending_.append(buf, size_t(n));
    }
}

void ChildProcess::stop()
{
    if (in_ >= 0)
        close(in_);
    if (out_ >= 0)
        close(out_);
    in_ = out_ = -1;
    if (pid_ > 0)
        killGroup(pid_);
    pid_ = -1;
}

int runTool(const std::vector<std::string> &argv, const std::string &dir, int limitMs, std::string &output)
{
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return -1;
    std::string error;
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const pid_t pid = spawn(argv, dir, nothing, pipeFds[1], pipeFds[1], error);
    close(pipeFds[1]);
    if (nothing >= 0)
        close(nothing);
    if (pid < 0) {
        close(pipeFds[0]);
        output += error + "\n";
        return -1;
    }
    runningTool = pid;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        pollfd p{pipeFds[0], POLLIN, 0};
        const int r = poll(&p, 1, msLeft(deadline));
        if (r < 0 && errno == EINTR)
            continue;
        if (r == 0) {
            close(pipeFds[0]);
            runningTool = -1;
            killGroup(pid);
            output += argv[0] + " did not finish within " + std::to_string(limitMs / 1000) + " s\n";
            return -1;
        }
        char buf[4096];
        const ssize_t n = read(pipeFds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (output.size() < (1u << 20)) // messages beyond a megabyte help nobody
            output.append(buf, size_t(n));
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    runningTool = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void killRunningTool()
{
    const pid_t pid = runningTool;
    if (pid > 0) {
        kill(-pid, SIGKILL);
        kill(pid, SIGKILL);
    }
}

} // namespace labd
