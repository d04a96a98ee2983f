#include "child_process.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <set>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace brixo {

namespace {

std::mutex toolsMutex;
std::set<pid_t> runningTools;

std::string reason(const char *what) { return std::string(what) + ": " + std::strerror(errno); }

void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// fork + exec with `in`, `out` and `err` as 0, 1 and 2 (-1: keep ours).
pid_t spawn(const std::vector<std::string> &argv, const SpawnOptions &o, int in, int out, int err, std::string &error)
{
    if (argv.empty() || argv[0].empty()) {
        error = "no program to run";
        return -1;
    }
    std::vector<char *> args, env;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string &v : o.environment)
        env.push_back(const_cast<char *>(v.c_str()));
    env.push_back(nullptr);
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) {
        error = reason("cannot make a pipe");
        return -1;
    }
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        error = reason("cannot start a process");
        ::close(report[0]);
        ::close(report[1]);
        return -1;
    }
    if (pid == 0) {
        if (o.dieWithParent) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent)
                ::_exit(127);
        }
        sigset_t none; // the child gets its own signals, whatever we hold blocked
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::signal(SIGPIPE, SIG_DFL);
        if (o.ownGroup)
            ::setpgid(0, 0);
        if (in >= 0)
            ::dup2(in, 0);
        if (out >= 0)
            ::dup2(out, 1);
        if (err >= 0)
            ::dup2(err, 2);
        if (!o.cleanEnvironment)
            for (const std::string &v : o.environment)
                ::putenv(const_cast<char *>(v.c_str()));
        for (const auto &[resource, value] : o.limits) {
            const rlimit l{rlim_t(value), rlim_t(value)};
            ::setrlimit(resource, &l);
        }
        if (!o.dir.empty() && ::chdir(o.dir.c_str()) != 0) {
            const int e = errno;
            (void)!::write(report[1], &e, sizeof e);
            ::_exit(127);
        }
        // execvpe looks argv[0] up in our PATH, whatever the child's environment says.
        if (o.cleanEnvironment)
            ::execvpe(args[0], args.data(), env.data());
        else
            ::execvp(args[0], args.data());
        const int e = errno;
        (void)!::write(report[1], &e, sizeof e);
        ::_exit(127);
    }
    ::close(report[1]);
    int e = 0;
    ssize_t n;
    while ((n = ::read(report[0], &e, sizeof e)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    if (n == sizeof e) {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        error = "cannot run " + argv[0] + ": " + std::strerror(e);
        return -1;
    }
    return pid;
}

void killAndReap(pid_t pid, bool group)
{
    if (group)
        ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

int statusOf(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1; }

// A pipe for one of the child's streams: `ours` is our end, `theirs` the child's.
bool streamFor(SpawnOptions::Stream s, bool childReads, int &ours, int &theirs, std::string &error)
{
    ours = theirs = -1;
    if (s == SpawnOptions::Inherit)
        return true;
    if (s == SpawnOptions::Null) {
        theirs = ::open("/dev/null", (childReads ? O_RDONLY : O_WRONLY) | O_CLOEXEC);
        if (theirs < 0)
            error = reason("cannot open /dev/null");
        return theirs >= 0;
    }
    int p[2];
    if (::pipe2(p, O_CLOEXEC) != 0) {
        error = reason("cannot make a pipe");
        return false;
    }
    ours = childReads ? p[1] : p[0];
    theirs = childReads ? p[0] : p[1];
    return true;
}

} // namespace

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : left > 1 << 30 ? 1 << 30 : int(left);
}

bool ChildProcess::start(const std::vector<std::string> &argv, const SpawnOptions &o, std::string &error)
{
    stop();
    int theirs[3] = {-1, -1, -1}, ours[3] = {-1, -1, -1};
    const SpawnOptions::Stream streams[3] = {o.in, o.out, o.err};
    bool ok = true;
    for (int i = 0; i < 3 && ok; ++i)
        ok = streamFor(streams[i], i == 0, ours[i], theirs[i], error);
    if (ok)
        pid_ = spawn(argv, o, theirs[0], theirs[1], theirs[2], error);
    for (int &fd : theirs)
        closeFd(fd);
    if (!ok || pid_ < 0) {
        pid_ = -1;
        for (int &fd : ours)
            closeFd(fd);
        if (error.empty())
            error = "cannot start " + (argv.empty() ? std::string("a process") : argv[0]);
        return false;
    }
    group_ = o.ownGroup;
    in_ = ours[0];
    out_ = ours[1];
    err_ = ours[2];
    pending_.clear();
    return true;
}

bool ChildProcess::writeLine(const std::string &line)
{
    if (pid_ < 0 || in_ < 0)
        return false;
    const std::string data = line + "\n";
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(in_, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

ChildProcess::Read ChildProcess::readLine(std::string &line, Clock::time_point deadline, std::size_t maxLine)
{
    bool cut = false;
    for (;;) {
        const std::size_t end = pending_.find('\n');
        if (end != std::string::npos) {
            if (!cut)
                line = pending_.substr(0, std::min(end, maxLine));
            pending_.erase(0, end + 1);
            return Line;
        }
        if (pending_.size() > maxLine && !cut) {
            line = pending_.substr(0, maxLine);
            cut = true;
        }
        if (cut)
            pending_.clear();
        if (pid_ < 0 || out_ < 0)
            return Ended;
        pollfd p{out_, POLLIN, 0};
        const int r = ::poll(&p, 1, msLeft(deadline));
        if (r < 0 && errno == EINTR)
            continue;
        if (r == 0)
            return TimedOut;
        char buf[4096];
        const ssize_t n = ::read(out_, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return cut ? Line : Ended;
        pending_.append(buf, std::size_t(n));
    }
}

void ChildProcess::closeInput() { closeFd(in_); }

bool ChildProcess::exited(int &status)
{
    if (pid_ < 0)
        return true;
    int raw = 0;
    const pid_t r = ::waitpid(pid_, &raw, WNOHANG);
    if (r == 0 || (r < 0 && errno == EINTR))
        return false;
    status = r == pid_ ? statusOf(raw) : -1;
    if (group_)
        ::kill(-pid_, SIGKILL); // what it left behind in its group
    pid_ = -1;
    closePipes();
    return true;
}

void ChildProcess::closePipes()
{
    closeFd(in_);
    closeFd(out_);
    closeFd(err_);
}

void ChildProcess::stop()
{
    closePipes();
    if (pid_ > 0)
        killAndReap(pid_, group_);
    pid_ = -1;
}

int ChildProcess::end(int graceMs)
{
    if (pid_ < 0)
        return -1;
    closeFd(in_);
    ::kill(pid_, SIGTERM);
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(graceMs);
    int status = -1;
    while (!exited(status)) {
        if (Clock::now() >= until) {
            stop();
            return 128 + SIGKILL;
        }
        ::usleep(5000);
    }
    return status;
}

int runTool(const std::vector<std::string> &argv, const std::string &dir, int limitMs, std::string &output)
{
    SpawnOptions o;
    o.dir = dir;
    return runTool(argv, o, limitMs, output);
}

int runTool(const std::vector<std::string> &argv, const SpawnOptions &options, int limitMs, std::string &output)
{
    SpawnOptions o = options;
    o.ownGroup = true; // killed with everything it started
    o.in = SpawnOptions::Null;
    o.out = SpawnOptions::Pipe;
    o.err = SpawnOptions::Inherit;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        output += reason("cannot make a pipe") + "\n";
        return -1;
    }
    std::string error;
    const int nothing = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    // Standard output and error into one pipe, in the order the tool wrote them.
    const pid_t pid = spawn(argv, o, nothing, pipeFds[1], pipeFds[1], error);
    ::close(pipeFds[1]);
    if (nothing >= 0)
        ::close(nothing);
    if (pid < 0) {
        ::close(pipeFds[0]);
        output += error + "\n";
        return -1;
    }
    {
        std::lock_guard<std::mutex> lock(toolsMutex);
        runningTools.insert(pid);
    }
    const auto forget = [pid] {
        std::lock_guard<std::mutex> lock(toolsMutex);
        runningTools.erase(pid);
    };
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    for (;;) {
        pollfd p{pipeFds[0], POLLIN, 0};
        const int r = ::poll(&p, 1, msLeft(deadline));
        if (r < 0 && errno == EINTR)
            continue;
        if (r == 0) {
            ::close(pipeFds[0]);
            forget();
            killAndReap(pid, true);
            output += argv[0] + " did not finish within " + std::to_string(limitMs / 1000) + " s\n";
            return -1;
        }
        char buf[4096];
        const ssize_t n = ::read(pipeFds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (output.size() < (1u << 20)) // messages beyond a megabyte help nobody
            output.append(buf, std::size_t(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    forget();
    ::kill(-pid, SIGKILL); // anything it left running in its group
    if (WIFSIGNALED(status))
        output += argv[0] + " ended on signal " + std::to_string(WTERMSIG(status)) + " (" +
                  ::strsignal(WTERMSIG(status)) + ")\n";
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void killRunningTools()
{
    std::lock_guard<std::mutex> lock(toolsMutex);
    for (pid_t pid : runningTools) {
        // Its children first: one in a session of its own (a sandbox's) is out of its group.
        std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
        for (pid_t child; children >> child;)
            ::kill(child, SIGKILL);
        ::kill(-pid, SIGKILL);
        ::kill(pid, SIGKILL);
    }
}

} // namespace brixo
