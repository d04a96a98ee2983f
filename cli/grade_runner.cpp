#include "grade_runner.h"

#include "child_process.h"
#include "grade_process_tree.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <memory>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace cli {

namespace {

using brixo::Clock;

struct Active {
    Active() = default;
    Active(const Active &) = delete;
    Active &operator=(const Active &) = delete;
    ~Active()
    {
        if (exitFd >= 0)
            ::close(exitFd);
    }
    size_t index = 0;
    std::unique_ptr<brixo::ChildProcess> child = std::make_unique<brixo::ChildProcess>();
    int exitFd = -1; // readable once it has ended (a pidfd), where the kernel has them
    Clock::time_point start, deadline;
    GradeOutcome outcome;
    bool outOpen = true, errOpen = true;
};

// Ended, but not yet reaped: its output may still wait in the pipes.
bool ended(pid_t pid)
{
    siginfo_t info{};
    return ::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid;
}

// Reads what the pipe holds into `into`, keeping its start or its end; true at its end.
bool readSome(int fd, std::string &into, bool keepEnd)
{
    char buf[8192];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return false;
    if (n <= 0)
        return true;
    if (keepEnd) {
        into.append(buf, size_t(n));
        if (into.size() > kCapturedBytes)
            into.erase(0, into.size() - kCapturedBytes);
    } else if (into.size() < kCapturedBytes) {
        into.append(buf, std::min(size_t(n), kCapturedBytes - into.size()));
    }
    return false;
}

void readReady(Active &a, int fd, bool isOut)
{
    if (readSome(fd, isOut ? a.outcome.out : a.outcome.err, isOut))
        (isOut ? a.outOpen : a.errOpen) = false;
}

// What an ended process left in its pipes (a program it started may hold them open: not waited for).
void drain(Active &a)
{
    for (int rounds = 0; rounds < 1024 && (a.outOpen || a.errOpen); ++rounds) {
        pollfd fds[2] = {{a.outOpen ? a.child->outputFd() : -1, POLLIN, 0},
                         {a.errOpen ? a.child->errorFd() : -1, POLLIN, 0}};
        if (::poll(fds, 2, 0) <= 0)
            return;
        for (int i = 0; i < 2; ++i)
            if (fds[i].revents)
                readReady(a, fds[i].fd, i == 0);
    }
}

double secondsSince(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

bool start(Active &a, const GradeRun &run, double timeoutSeconds)
{
    brixo::SpawnOptions spawn;
    spawn.dir = run.dir;
    spawn.environment = run.environment;
    spawn.in = brixo::SpawnOptions::Null;
    spawn.out = brixo::SpawnOptions::Pipe;
    spawn.err = brixo::SpawnOptions::Pipe;
    a.start = Clock::now();
    a.deadline = a.start + std::chrono::milliseconds(int64_t(timeoutSeconds * 1000));
    if (!a.child->start(run.argv, spawn, a.outcome.startError))
        return false;
    a.exitFd = int(::syscall(SYS_pidfd_open, a.child->pid(), 0));
    return true;
}

sigset_t stopSignals()
{
    sigset_t stops;
    sigemptyset(&stops);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stops, s);
    return stops;
}

} // namespace

void holdStopSignals()
{
    const sigset_t stops = stopSignals();
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
}

bool runAll(const std::vector<GradeRun> &runs, int parallel, double timeoutSeconds,
            const std::function<void(size_t, const GradeOutcome &)> &finished, const std::function<void(int)> &tick)
{
    adoptOrphans();
    holdStopSignals();
    const sigset_t stops = stopSignals();
    const int signals = ::signalfd(-1, &stops, SFD_CLOEXEC | SFD_NONBLOCK);

    std::vector<std::unique_ptr<Active>> active;
    size_t next = 0;
    bool interrupted = false;
    Clock::time_point lastTick = Clock::now();
    const auto done = [&](size_t i) {
        Active &a = *active[i];
        a.outcome.seconds = secondsSince(a.start);
        const GradeOutcome outcome = std::move(a.outcome);
        const size_t index = a.index;
        active.erase(active.begin() + std::ptrdiff_t(i));
        std::set<pid_t> keep;
        for (const auto &other : active)
            keep.insert(other->child->pid());
        reapLeftovers(keep);
        finished(index, outcome);
    };

    bool changed = true;
    while (!interrupted && (next < runs.size() || !active.empty())) {
        while (active.size() < size_t(parallel) && next < runs.size()) {
            auto a = std::make_unique<Active>();
            a->index = next;
            if (!start(*a, runs[next++], timeoutSeconds)) {
                finished(a->index, a->outcome);
                continue;
            }
            active.push_back(std::move(a));
        }
        if (changed || secondsSince(lastTick) >= 1) {
            tick(int(active.size()));
            lastTick = Clock::now();
            changed = false;
        }
        std::vector<pollfd> fds{{signals, POLLIN, 0}};
        std::vector<std::pair<Active *, bool>> owners{{nullptr, false}};
        int waitMs = 250;
        for (const auto &a : active) {
            if (a->outOpen)
                fds.push_back({a->child->outputFd(), POLLIN, 0}), owners.push_back({a.get(), true});
            if (a->errOpen)
                fds.push_back({a->child->errorFd(), POLLIN, 0}), owners.push_back({a.get(), false});
            if (a->exitFd >= 0)
                fds.push_back({a->exitFd, POLLIN, 0}), owners.push_back({nullptr, false});
            // Without a pidfd, a run whose pipes closed is looked at again soon: it is ending.
            const bool ending = a->exitFd < 0 && !a->outOpen && !a->errOpen;
            waitMs = std::min(waitMs, ending ? 5 : brixo::msLeft(a->deadline));
        }
        if (::poll(fds.data(), nfds_t(fds.size()), waitMs) < 0 && errno != EINTR)
            std::this_thread::sleep_for(std::chrono::milliseconds(waitMs));
        if (signals >= 0 && (fds[0].revents & POLLIN)) {
            signalfd_siginfo info;
            (void)!::read(signals, &info, sizeof info);
            interrupted = true;
            break;
        }
        for (size_t i = 1; i < fds.size(); ++i)
            if (fds[i].revents && owners[i].first)
                readReady(*owners[i].first, fds[i].fd, owners[i].second);
        for (size_t i = 0; i < active.size();) {
            Active &a = *active[i];
            if (ended(a.child->pid())) {
                drain(a);
                a.outcome.kind = GradeOutcome::Exited;
                a.child->exited(a.outcome.status);
            } else if (Clock::now() >= a.deadline) {
                endTrees({a.child->pid()}, kEndGraceMs);
                drain(a);
                a.child->stop();
                a.outcome.kind = GradeOutcome::TimedOut;
            } else {
                ++i;
                continue;
            }
            done(i);
            changed = true;
        }
    }
    if (interrupted) {
        std::vector<pid_t> roots;
        for (const auto &a : active)
            roots.push_back(a->child->pid());
        endTrees(roots, kEndGraceMs);
        for (const auto &a : active)
            a->child->stop();
    }
    active.clear();
    // Everything below us goes before we do; its own children are handed to us as it ends.
    const Clock::time_point until = Clock::now() + std::chrono::seconds(3);
    while (reapLeftovers({}) > 0 && Clock::now() < until) {
    }
    if (signals >= 0)
        ::close(signals);
    return !interrupted;
}

} // namespace cli
