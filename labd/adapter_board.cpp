// A lab board behind its adapter process (adapter_wire.h). Every answer has a time limit; a
// process that ends or misses one is killed and another started at once, and the call that
// found it fails: the next call waits for the new one to be ready.
#include "adapter_board.h"
#include "adapter_wire.h"
#include "work_dir.h"

#include "child_process.h"

#include <vestrix.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <unistd.h>

namespace labd {

namespace {

using brixo::Clock;
using wire::json;

// The process starts, scans the adapters and selects its own.
constexpr int kReadyLimitMs = 10000;
// A step is a handful of scans, each of which the library gives up on within a second.
constexpr int kStepLimitMs = 10000;
constexpr int kCheckLimitMs = 5000;
// Between two progress lines of a download: one piece and its reply.
constexpr int kPieceLimitMs = 5000;
// How often a download looks whether it was cancelled.
constexpr int kCancelPollMs = 50;
constexpr int kEndGraceMs = 2000;
// What a board takes at most (the largest lab FPGAs' configurations are a few MiB).
constexpr std::size_t kConfigurationLimit = 16u << 20;

class AdapterBoard : public BoardDriver {
public:
    explicit AdapterBoard(const AdapterBoardOptions &options) : o_(options)
    {
        if (o_.program.empty()) {
            char self[4096];
            const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
            o_.program = n > 0 ? std::string(self, std::size_t(n)) : "brixo-labd";
        }
        start();
    }

    ~AdapterBoard() override
    {
        child_.end(kEndGraceMs);
        if (!downloads_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(downloads_, ignored);
        }
    }

    brixo::Readback step(const brixo::Inputs &inputs) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        brixo::Readback r;
        const int cpuBits = o_.cpuDataBits > 0 ? o_.cpuDataBits : -1;
        const json request = {{"op", "step"},          {"switches", inputs.switches}, {"keys", inputs.keys},
                              {"pulse", inputs.pulse}, {"leds", inputs.reads.leds},   {"digits", inputs.reads.digits},
                              {"cpu_bits", cpuBits}};
        json a;
        if (!exchange(request, a, kStepLimitMs, r.message)) {
            r.code = VESTRIX_NO_REPLY;
            r.stage = brixo::Readback::PanelInput;
            return r;
        }
        r.code = int(wire::integer(a, "code", VESTRIX_BAD_REPLY));
        r.message = wire::text(a, "message");
        const std::int64_t stage = wire::integer(a, "stage", brixo::Readback::PanelInput);
        r.stage = stage >= brixo::Readback::Done && stage <= brixo::Readback::CpuData ? brixo::Readback::Stage(stage)
                                                                                      : brixo::Readback::PanelInput;
        if (a.contains("leds")) {
            r.leds = wire::number(a, "leds") & brixo::BoardLayout::mask(brixo::BoardLayout::ledBits);
            r.hasLeds = true;
        }
        if (const auto d = a.find("digits"); d != a.end() && d->is_array() && d->size() == r.digits.size()) {
            for (std::size_t i = 0; i < r.digits.size(); ++i)
                r.digits[i] = (*d)[i].is_number_unsigned() ? std::uint8_t((*d)[i].get<unsigned>() & 0xFF) : 0xFF;
            r.hasDigits = true;
        }
        if (cpuBits >= 0 && r.ok()) {
            std::vector<std::uint8_t> bytes;
            if (!brixo::cpuDataFromHex(wire::text(a, "cpu_data"), bytes) ||
                bytes.size() > std::size_t(cpuBits + 7) / 8) {
                r.code = VESTRIX_BAD_REPLY;
                r.stage = brixo::Readback::CpuData;
                r.message = "adapter " + std::to_string(o_.adapter) + ": unreadable CPU data";
                return r;
            }
            bytes.resize(std::size_t(cpuBits + 7) / 8, 0);
            r.cpuData = std::move(bytes);
            r.cpuBits = cpuBits;
        }
        if (r.ok() && (inputs.reads.leds != r.hasLeds || inputs.reads.digits != r.hasDigits)) {
            r.code = VESTRIX_BAD_REPLY;
            r.message = "adapter " + std::to_string(o_.adapter) + ": an answer without what was read";
        }
        return r;
    }

    brixo::BoardDescription describe() override
    {
        using L = brixo::BoardLayout;
        brixo::BoardDescription d;
        d.top = "adapter " + std::to_string(o_.adapter);
        d.switches = L::switches;
        d.keys = L::keys;
        d.red = L::redLeds;
        d.green = L::greenLeds;
        d.digits = L::digits;
        d.cpuDataBits = o_.cpuDataBits > 0 ? o_.cpuDataBits : 0;
        return d; // its clock is the board's own oscillator: no port of a design
    }

    std::size_t configurationLimit() const override { return kConfigurationLimit; }

    bool configure(const std::string &bytes, const Progress &progress, const std::atomic<bool> &cancel,
                   std::string &error) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (bytes.empty() || bytes.size() > kConfigurationLimit) {
            error = bytes.empty()
                        ? "the configuration is empty"
                        : "the configuration is larger than " + std::to_string(kConfigurationLimit >> 20) + " MiB";
            return false;
        }
        std::string file;
        if (!writeDownload(bytes, file, error))
            return false;
        const bool ok = download(file, progress, cancel, error);
        ::unlink(file.c_str());
        return ok;
    }

    bool reset(std::string &why) override
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            static const std::atomic<bool> never{false};
            if (!o_.resetFile.empty() && !download(o_.resetFile, Progress(), never, why)) {
                why = "the reset configuration " + o_.resetFile + " was not downloaded: " + why;
                return false;
            }
        }
        // Every input cleared, then read back: each of the step's scans is answered and checked,
        // so a step that succeeds has reached the lab circuit; the chip's information then says
        // the debugger in the FPGA still answers.
        brixo::Inputs cleared;
        const brixo::Readback r = step(cleared);
        if (!r.ok()) {
            why = "the inputs were not cleared: " + r.message;
            return false;
        }
        return check(why);
    }

    bool check(std::string &why) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        json a;
        if (!exchange({{"op", "check"}}, a, kCheckLimitMs, why))
            return false;
        if (wire::integer(a, "code", VESTRIX_BAD_REPLY) != 0) {
            why = "the chip information was not read: " + wire::text(a, "message");
            return false;
        }
        return true;
    }

private:
    std::string name() const { return "adapter " + std::to_string(o_.adapter); }

    void start()
    {
        brixo::SpawnOptions spawn;
        spawn.in = brixo::SpawnOptions::Pipe;
        spawn.out = brixo::SpawnOptions::Pipe;
        spawn.err = brixo::SpawnOptions::Inherit; // its words go to the server's log
        // Its life is tied to our pipe: the thread that restarts it may end before it.
        spawn.dieWithParent = false;
        ready_ = false;
        if (!child_.start({o_.program, "adapter", std::to_string(o_.adapter)}, spawn, startError_))
            startError_ = "its process does not start: " + startError_;
    }

    // Kills the process and starts another; the reason is the caller's failure.
    void restart(const std::string &what, std::string &why)
    {
        why = name() + ": " + what + "; its process is being restarted";
        child_.stop();
        start();
    }

    // A process runs and has said it is ready.
    bool ensure(std::string &why)
    {
        int status = -1;
        if (!child_.running() || child_.exited(status)) {
            const std::string what = !startError_.empty() && status < 0
                                         ? startError_
                                         : "its process ended (status " + std::to_string(status) + ")";
            startError_.clear();
            restart(what, why);
            return false;
        }
        if (ready_)
            return true;
        json a;
        if (!receive(a, Clock::now() + std::chrono::milliseconds(kReadyLimitMs), why))
            return false;
        if (!wire::flag(a, "ready")) {
            restart("its process did not say it is ready", why);
            return false;
        }
        ready_ = true;
        return true;
    }

    bool send(const json &request, std::string &why)
    {
        // A write to a process that just ended raises SIGPIPE: held for this thread and taken
        // here, so it neither ends the server nor reaches another thread.
        sigset_t pipe, old;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, &old);
        const bool ok = child_.writeLine(request.dump());
        if (!ok) {
            const timespec now{0, 0};
            sigtimedwait(&pipe, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
        if (!ok)
            restart("its process does not take requests", why);
        return ok;
    }

    // The next line; on a time-out, an end or an unreadable line the process is restarted.
    bool receive(json &answer, Clock::time_point deadline, std::string &why)
    {
        std::string line;
        switch (child_.readLine(line, deadline, wire::kLineLimit)) {
        case brixo::ChildProcess::Line:
            answer = wire::parse(line);
            if (answer.is_object())
                return true;
            restart("its process answered something unreadable", why);
            return false;
        case brixo::ChildProcess::TimedOut: restart("its process did not answer in time", why); return false;
        case brixo::ChildProcess::Ended: restart("its process ended", why); return false;
        }
        return false;
    }

    bool exchange(const json &request, json &answer, int limitMs, std::string &why)
    {
        return ensure(why) && send(request, why) &&
               receive(answer, Clock::now() + std::chrono::milliseconds(limitMs), why);
    }

    // The configuration in a file of our private folder, for the process to read.
    bool writeDownload(const std::string &bytes, std::string &file, std::string &error)
    {
        if (downloads_.empty() && (downloads_ = makeWorkDir(workDirParent())).empty()) {
            error = std::string("cannot make a folder for the download: ") + std::strerror(errno);
            return false;
        }
        file = downloads_ + "/configuration.rbf";
        const int failure = writePrivateFile(file, bytes, true);
        if (failure) {
            ::unlink(file.c_str());
            error = "cannot write the configuration for the download: " + std::string(std::strerror(failure));
        }
        return !failure;
    }

    // Downloads `file`, passing on its progress and, once `cancel` is set, a cancel.
    bool download(const std::string &file, const Progress &progress, const std::atomic<bool> &cancel,
                  std::string &error)
    {
        if (!ensure(error) || !send({{"op", "configure"}, {"file", file}}, error))
            return false;
        bool cancelSent = false;
        Clock::time_point lastWord = Clock::now();
        for (;;) {
            if (cancel && !cancelSent) {
                if (!send({{"op", "cancel"}}, error))
                    return false;
                cancelSent = true;
            }
            std::string line;
            const brixo::ChildProcess::Read got =
                child_.readLine(line, Clock::now() + std::chrono::milliseconds(kCancelPollMs), wire::kLineLimit);
            if (got == brixo::ChildProcess::TimedOut) {
                if (Clock::now() - lastWord < std::chrono::milliseconds(kPieceLimitMs))
                    continue;
                restart("the download stopped", error);
                return false;
            }
            if (got == brixo::ChildProcess::Ended) {
                restart("its process ended during the download", error);
                return false;
            }
            lastWord = Clock::now();
            const json a = wire::parse(line);
            if (!a.is_object()) {
                restart("its process answered something unreadable", error);
                return false;
            }
            if (a.contains("progress")) {
                const std::uint64_t done = wire::number(a, "progress"), total = wire::number(a, "total");
                if (progress && done <= total)
                    progress(std::size_t(done), std::size_t(total));
                continue;
            }
            const std::int64_t code = wire::integer(a, "code", VESTRIX_BAD_REPLY);
            if (code == 0)
                return true;
            error = code == VESTRIX_DOWNLOAD_CANCELLED ? "cancelled" : wire::text(a, "message");
            if (error.empty())
                error = "the download failed (" + std::to_string(code) + ")";
            return false;
        }
    }

    AdapterBoardOptions o_;
    brixo::ChildProcess child_;
    bool ready_ = false;
    std::string startError_;
    std::string downloads_; // our private folder for configurations on their way
    std::mutex mutex_;
};

} // namespace

std::unique_ptr<BoardDriver> openAdapterBoard(const AdapterBoardOptions &options)
{
    return std::make_unique<AdapterBoard>(options);
}

} // namespace labd
