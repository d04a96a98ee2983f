#include "design_dump.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace labd {

namespace {

// A run needs room for its header at least; with less left it dumps nothing.
constexpr unsigned long long kLeastRun = 4096;
// What the simulator ends a cut dump with (Icarus's words; the Verilator bench writes the same).
const char kCutMark[] = "limit";
const char kCutEnd[] = "exceeded. $end\n";

long long fileSize(const std::string &path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? (long long)st.st_size : -1;
}

// Whether the file ends with the simulator's comment that its dump limit cut it.
bool endsCut(const std::string &path, long long size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    char tail[128] = {};
    const long long from = std::max(0ll, size - (long long)sizeof tail);
    const ssize_t n = ::pread(fd, tail, sizeof tail, from);
    ::close(fd);
    const std::string t = n > 0 ? std::string(tail, size_t(n)) : std::string();
    const size_t end = t.rfind(kCutEnd);
    return end != std::string::npos && end + std::strlen(kCutEnd) == t.size() && t.rfind(kCutMark) != std::string::npos;
}

// Copies at most `most` bytes of the regular file `from` to `to`, which it replaces only once
// the copy is whole. False with errno's reason in `error`.
bool copyFile(const std::string &from, const std::string &to, unsigned long long most, std::string &error)
{
    const int in = ::open(from.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = in < 0 ? std::strerror(errno) : "not a file";
        if (in >= 0)
            ::close(in);
        return false;
    }
    const std::string part = to + ".part-" + std::to_string(::getpid());
    const int out = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    bool ok = out >= 0;
    char buf[1 << 16];
    for (unsigned long long done = 0; ok && done < most;) {
        const ssize_t n = ::read(in, buf, size_t(std::min<unsigned long long>(sizeof buf, most - done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t w = 0; ok && w < n;) {
            const ssize_t m = ::write(out, buf + w, size_t(n - w));
            if (m < 0 && errno == EINTR)
                continue;
            ok = m > 0;
            w += m > 0 ? m : 0;
        }
        done += static_cast<unsigned long long>(n);
    }
    if (!ok)
        error = std::strerror(errno ? errno : EIO);
    ::close(in);
    if (out >= 0 && ::close(out) != 0 && ok) {
        error = std::strerror(errno);
        ok = false;
    }
    if (ok && ::rename(part.c_str(), to.c_str()) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    if (!ok && out >= 0)
        ::unlink(part.c_str());
    return ok;
}

} // namespace

DesignDump::DesignDump(std::string workDir, std::string target, unsigned long long limit)
    : workDir_(std::move(workDir)), target_(std::move(target)), limit_(limit)
{}

std::string DesignDump::runFile(const std::string &target, int run)
{
    if (run <= 1)
        return target;
    const bool vcd = target.size() > 4 && target.compare(target.size() - 4, 4, ".vcd") == 0;
    return (vcd ? target.substr(0, target.size() - 4) : target) + "-" + std::to_string(run) + ".vcd";
}

std::string DesignDump::dumpPath(int run) const { return workDir_ + "/dump-" + std::to_string(run) + ".vcd"; }

unsigned long long DesignDump::used() const
{
    unsigned long long bytes = 0;
    for (int k = 1; k <= runs_; ++k)
        bytes += (unsigned long long)std::max(0ll, fileSize(dumpPath(k)));
    return bytes;
}

std::vector<std::string> DesignDump::nextRun()
{
    std::lock_guard<std::mutex> lock(mutex_);
    const unsigned long long bytes = used();
    if (full_ || kept_ || bytes + kLeastRun > limit_) {
        if (!full_ && !kept_)
            std::fprintf(stderr,
                         "brixo-labd: the waveform dump has reached --dump-limit (%llu bytes): the simulator "
                         "started again dumps nothing\n",
                         limit_);
        full_ = true;
        return {};
    }
    ++runs_;
    budget_ = limit_ - bytes;
    return {"+brixo_dump=" + dumpPath(runs_), "+brixo_dump_limit=" + std::to_string(budget_)};
}

void DesignDump::check()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (full_ || runs_ == 0)
        return;
    const long long size = fileSize(dumpPath(runs_));
    // Only a dump near the limit can have been cut: the tail is read then, not after every step.
    if (size < 0 || (unsigned long long)size + (128u << 10) < budget_ || !endsCut(dumpPath(runs_), size))
        return;
    full_ = true;
    std::fprintf(stderr,
                 "brixo-labd: the waveform dump has reached --dump-limit (%llu bytes): dumping stopped, %s holds the "
                 "design's signals up to there\n",
                 limit_, runFile(target_, runs_).c_str());
}

void DesignDump::keep()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (kept_)
        return;
    kept_ = true;
    for (int k = 1; k <= runs_; ++k) {
        if (fileSize(dumpPath(k)) < 0)
            continue; // the simulator ended before it dumped anything
        std::string error;
        // The simulator's own limit leaves a little past it; a file it never cut is no larger.
        if (!copyFile(dumpPath(k), runFile(target_, k), limit_ + (16ull << 20), error))
            std::fprintf(stderr, "brixo-labd: cannot write the waveform dump %s: %s\n", runFile(target_, k).c_str(),
                         error.c_str());
    }
}

} // namespace labd
