#include "design_output.h"

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace labd {

namespace {

const char kMarker[] = "@brixo ";
constexpr std::size_t kMarkerSize = sizeof kMarker - 1;
// An answer line is a few KiB at most (2048 CPU-data bits and the rest): text that long without
// a line end is the design's, but its last part may still hold the marker.
constexpr std::size_t kOpenLineLimit = 256 * 1024, kOpenLineKept = 16 * 1024;
constexpr std::size_t kTailBytes = 4096;
constexpr std::size_t kQueuedAnswers = 16;

} // namespace

DesignOutput::DesignOutput(int outFd, int errFd) : out_(outFd), err_(errFd)
{
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    reader_ = std::thread([this] { read(); });
}

DesignOutput::~DesignOutput()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    const uint64_t one = 1;
    if (wake_ >= 0)
        (void)!::write(wake_, &one, sizeof one);
    reader_.join();
    if (wake_ >= 0)
        ::close(wake_);
}

void DesignOutput::read()
{
    bool outOpen = out_ >= 0, errOpen = err_ >= 0;
    while (outOpen) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stop_)
                return;
        }
        pollfd fds[3] = {{out_, POLLIN, 0}, {errOpen ? err_ : -1, POLLIN, 0}, {wake_, POLLIN, 0}};
        // Without an eventfd the stop flag is looked at every 50 ms.
        const int r = ::poll(fds, 3, wake_ >= 0 ? -1 : 50);
        if (r < 0 && errno != EINTR)
            break;
        char buf[16384];
        for (int i = 0; i < 2 && r > 0; ++i) {
            if (!fds[i].revents)
                continue;
            const ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            std::lock_guard<std::mutex> lock(mutex_);
            if (n <= 0) {
                (i == 0 ? outOpen : errOpen) = false;
            } else if (i == 0) {
                line_.append(buf, size_t(n));
                takeLines(false);
            } else {
                show(std::string(buf, size_t(n)));
            }
        }
    }
    // What the design wrote on its standard error as it ended (an allocation that failed).
    for (int rounds = 0; errOpen && rounds < 64; ++rounds) {
        pollfd p{err_, POLLIN, 0};
        char buf[16384];
        const ssize_t n = ::poll(&p, 1, 0) > 0 ? ::read(err_, buf, sizeof buf) : 0;
        if (n <= 0)
            break;
        std::lock_guard<std::mutex> lock(mutex_);
        show(std::string(buf, size_t(n)));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    takeLines(true);
    ended_ = true;
    arrived_.notify_all();
}

// Called with the mutex held.
void DesignOutput::takeLines(bool all)
{
    for (size_t end; (end = line_.find('\n')) != std::string::npos || (all && !line_.empty());) {
        const std::string line = line_.substr(0, end);
        line_.erase(0, end == std::string::npos ? line_.size() : end + 1);
        const size_t at = line.find(kMarker);
        if (at == std::string::npos) {
            show(line + "\n");
            continue;
        }
        if (at > 0)
            show(line.substr(0, at) + "\n");
        if (answers_.size() < kQueuedAnswers)
            answers_.push_back(line.substr(at + kMarkerSize));
        arrived_.notify_all();
    }
    if (line_.size() > kOpenLineLimit) {
        show(line_.substr(0, line_.size() - kOpenLineKept));
        line_.erase(0, line_.size() - kOpenLineKept);
    }
}

// Called with the mutex held. Writing to our standard error takes no lock of the board's.
void DesignOutput::show(const std::string &text)
{
    tail_ += text;
    if (tail_.size() > kTailBytes)
        tail_.erase(0, tail_.size() - kTailBytes);
    if (shown_ >= kShownBytes)
        return;
    const size_t n = std::min(text.size(), kShownBytes - shown_);
    std::fwrite(text.data(), 1, n, stderr);
    shown_ += n;
    if (shown_ >= kShownBytes)
        std::fprintf(stderr, "\nbrixo-labd: the design's output truncated after %zu KiB\n", kShownBytes / 1024);
    std::fflush(stderr);
}

DesignOutput::Wait DesignOutput::next(std::string &answer, brixo::Clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(mutex_);
    arrived_.wait_until(lock, deadline, [this] { return !answers_.empty() || ended_; });
    if (!answers_.empty()) {
        answer = std::move(answers_.front());
        answers_.pop_front();
        return Answer;
    }
    return ended_ ? Ended : TimedOut;
}

void DesignOutput::clearAnswers()
{
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.clear();
}

bool DesignOutput::ended()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return ended_;
}

std::string DesignOutput::tail()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return tail_;
}

} // namespace labd
