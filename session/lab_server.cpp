#include "lab_server.h"

#include "host_port.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <csignal>
#include <poll.h>
#include <unistd.h>

namespace brixo {

std::string labServerProgram(const std::string &self)
{
    if (const char *named = std::getenv("BRIXO_LABD"); named && *named)
        return named;
    const std::size_t slash = self.rfind('/');
    if (slash != std::string::npos) {
        const std::string beside = self.substr(0, slash + 1) + "brixo-labd";
        if (::access(beside.c_str(), X_OK) == 0)
            return beside;
    }
    return "brixo-labd";
}

bool parseListeningLine(const std::string &line, std::string &host, int &port)
{
    static const std::string prefix = "listening on ";
    return line.rfind(prefix, 0) == 0 && parseHostPort(line.substr(prefix.size()), host, port);
}

bool parseDesignLine(const std::string &line, BoardDescription &board)
{
    static const std::string prefix = "design ";
    return line.rfind(prefix, 0) == 0 && parseBoardJson(line.substr(prefix.size()), board);
}

LabServer::~LabServer() { stop(); }

LabServer::Status LabServer::start(const LabServerOptions &o, int limitMs)
{
    stop();
    host_.clear();
    port_ = 0;
    board_ = BoardDescription();
    exitStatus_ = -1;
    startError_.clear();
    {
        std::lock_guard<std::mutex> lock(errorsMutex_);
        errors_.clear();
    }
    std::string program = o.program;
    if (program.empty()) {
        char self[4096];
        const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
        program = labServerProgram(n > 0 ? std::string(self, std::size_t(n)) : "");
    }
    std::vector<std::string> args = {program, "--verilog"};
    args.insert(args.end(), o.files.begin(), o.files.end());
    if (!o.top.empty())
        args.insert(args.end(), {"--top", o.top});
    if (!o.simulator.empty())
        args.insert(args.end(), {"--simulator", o.simulator});
    for (const std::string &d : o.defines)
        args.insert(args.end(), {"--define", d});
    if (o.keysActiveLow)
        args.push_back("--keys-active-low");
    if (o.clockHz > 0)
        args.insert(args.end(), {"--clock-hz", std::to_string(o.clockHz)});
    args.insert(args.end(), o.extraArgs.begin(), o.extraArgs.end());
    args.insert(args.end(), {"--listen", "127.0.0.1:0", "--stdin-lifetime"});

    SpawnOptions spawn;
    spawn.in = SpawnOptions::Pipe;
    spawn.out = SpawnOptions::Pipe;
    spawn.err = o.captureErrors ? SpawnOptions::Pipe : SpawnOptions::Inherit;
    // Its life is tied to our pipe, not to the thread that happens to start it.
    spawn.dieWithParent = false;
    spawn.ownGroup = false;
    {
        std::lock_guard<std::mutex> lock(cancelMutex_);
        if (cancelled_) {
            startError_ = "cancelled";
            return NotFound;
        }
        if (!child_.start(args, spawn, startError_))
            return NotFound;
        cancelPid_ = child_.pid();
    }
    if (o.captureErrors) {
        // The reader owns a copy of the pipe: the child's own end closes when it is reaped.
        const int fd = ::fcntl(child_.errorFd(), F_DUPFD_CLOEXEC, 0);
        stopReading_ = false;
        if (fd >= 0)
            errorReader_ = std::thread(&LabServer::readErrors, this, fd);
    }

    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(limitMs);
    std::string lines[2];
    for (std::string &line : lines) {
        switch (child_.readLine(line, deadline, 64 * 1024)) {
        case ChildProcess::Line: continue;
        case ChildProcess::TimedOut: stop(); return NotReady;
        case ChildProcess::Ended: {
            // It ended before it was ready: give it a moment to be reaped for its status.
            const Clock::time_point until = Clock::now() + std::chrono::seconds(2);
            int status = -1;
            while (!reaped(status) && Clock::now() < until)
                ::usleep(5000);
            exitStatus_ = status;
            stop();
            return Failed;
        }
        }
    }
    if (!parseListeningLine(lines[0], host_, port_) || !parseDesignLine(lines[1], board_)) {
        host_.clear();
        port_ = 0;
        stop();
        return Unreadable;
    }
    return Ready;
}

void LabServer::readErrors(int fd)
{
    char buf[4096];
    for (;;) {
        // A program the server started may hold the pipe after the server is gone: look at the
        // stop flag between reads.
        pollfd p{fd, POLLIN, 0};
        const int r = ::poll(&p, 1, 100);
        if (r < 0 && errno != EINTR)
            break;
        if (r <= 0) {
            if (stopReading_)
                break;
            continue;
        }
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        std::lock_guard<std::mutex> lock(errorsMutex_);
        errors_.append(buf, std::size_t(n));
        if (errors_.size() > kLabServerErrorKeep)
            errors_.erase(0, errors_.size() - kLabServerErrorKeep);
    }
    ::close(fd);
}

std::string LabServer::errors() const
{
    std::lock_guard<std::mutex> lock(errorsMutex_);
    return errors_;
}

bool LabServer::reaped(int &status)
{
    std::lock_guard<std::mutex> lock(cancelMutex_);
    if (!child_.exited(status))
        return false;
    cancelPid_ = -1;
    return true;
}

bool LabServer::running()
{
    int status = -1;
    if (!child_.running())
        return false;
    if (reaped(status)) {
        exitStatus_ = status;
        return false;
    }
    return true;
}

void LabServer::cancel()
{
    std::lock_guard<std::mutex> lock(cancelMutex_);
    cancelled_ = true;
    if (cancelPid_ > 0)
        ::kill(cancelPid_, SIGTERM);
}

void LabServer::stop()
{
    {
        std::lock_guard<std::mutex> lock(cancelMutex_);
        cancelPid_ = -1;
    }
    // The standard output pipe stays open while it runs: a closed pipe would kill it with
    // SIGPIPE on any later line it prints. It closes here, with the rest.
    if (child_.running()) {
        const int status = child_.end(3000);
        if (status >= 0)
            exitStatus_ = status;
    }
    stopReading_ = true;
    if (errorReader_.joinable())
        errorReader_.join();
}

} // namespace brixo
