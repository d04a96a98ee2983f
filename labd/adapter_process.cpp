// `brixo-labd adapter N`: the process that drives one lab board's adapter for the lab server.
// The lab library keeps one selected adapter per process, so every board has a process of its
// own; it answers the requests of adapter_wire.h until its input ends or its parent is gone.
#include "adapter_board.h"
#include "adapter_wire.h"

#include "vestrix_board.h"

#include <vestrix.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace labd {

namespace {

using wire::json;

// The result code's name, as vestrix.h spells it, with its value.
std::string codeText(int code)
{
#define BRIXO_CODE_NAME(name, value) \
    if (code == (value))             \
        return #name " (" + std::to_string(value) + ")";
    VESTRIX_RESULT_CODES(BRIXO_CODE_NAME)
#undef BRIXO_CODE_NAME
    return "result " + std::to_string(code);
}

void say(const json &line)
{
    const std::string text = line.dump() + "\n";
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(1, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            ::_exit(0); // the server is gone
        done += std::size_t(n);
    }
}

json result(int code, const std::string &message = {})
{
    return {{"code", code}, {"message", code == 0 ? std::string() : message.empty() ? codeText(code) : message}};
}

// Standard input's lines as they come: the main loop waits for the next request, a download
// looks between its pieces for a cancel.
class InputLines {
public:
    // The next line within `timeoutMs` (-1: however long it takes); false when none came in
    // that time or input has ended (ended()).
    bool next(std::string &line, int timeoutMs)
    {
        for (;;) {
            const std::size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return true;
            }
            if (buffer_.size() > wire::kLineLimit)
                ended_ = true; // no request is that long: the other end is broken
            if (ended_)
                return false;
            pollfd p{0, POLLIN, 0};
            const int r = ::poll(&p, 1, timeoutMs);
            if (r < 0 && errno == EINTR)
                continue;
            if (r == 0)
                return false;
            char buf[4096];
            const ssize_t n = ::read(0, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ended_ = true;
                return false;
            }
            buffer_.append(buf, std::size_t(n));
        }
    }
    bool ended() const { return ended_; }

private:
    std::string buffer_;
    bool ended_ = false;
};

class Adapter {
public:
    explicit Adapter(int index) : index_(index) {}

    // Selects the adapter unless it is selected already; false with the reason.
    bool connect(std::string &why)
    {
        if (connected_)
            return true;
        char names[VESTRIX_LIST_SIZE] = {};
        ScanTAMRO(names, nullptr, 0);
        std::int32_t count = 0;
        std::memcpy(&count, names + VESTRIX_LIST_COUNT_OFFSET, sizeof count);
        count = count < 0 ? 0 : count > VESTRIX_LIST_SLOTS ? VESTRIX_LIST_SLOTS : count;
        if (index_ >= count) {
            why = "no adapter " + std::to_string(index_) + " (" + std::to_string(count) + " found)";
            return false;
        }
        const int rc = ConnectDevice(index_);
        if (rc != 0) {
            why = "adapter " + std::to_string(index_) + " does not connect: " + codeText(rc);
            return false;
        }
        connected_ = true;
        return true;
    }

    json step(const json &request)
    {
        std::string why;
        if (!connect(why))
            return result(VESTRIX_NO_DEVICE_SELECTED, why);
        brixo::Inputs in;
        in.switches = wire::number(request, "switches");
        in.keys = std::uint32_t(wire::number(request, "keys"));
        in.pulse = std::uint32_t(wire::number(request, "pulse"));
        in.reads.leds = wire::flag(request, "leds", true);
        in.reads.digits = wire::flag(request, "digits", true);
        in.reads.cpuBits = int(wire::integer(request, "cpu_bits", -1));
        brixo::Readback r = board_.step(in);
        failedIf(r.code);
        json answer = result(r.code, r.message);
        answer["stage"] = int(r.stage);
        if (r.hasLeds)
            answer["leds"] = r.leds;
        if (r.hasDigits)
            answer["digits"] = std::vector<int>(r.digits.begin(), r.digits.end());
        if (r.cpuBits >= 0) {
            answer["cpu_data"] = brixo::cpuDataHex(r.cpuData, r.cpuBits);
            answer["cpu_bits"] = r.cpuBits;
        }
        return answer;
    }

    json configure(const json &request, InputLines &input)
    {
        std::string why;
        if (!connect(why))
            return result(VESTRIX_NO_DEVICE_SELECTED, why);
        const std::string file = wire::text(request, "file");
        Download download{&input};
        std::lock_guard<std::recursive_mutex> lock(brixo::vestrixMutex());
        SetConfigureProgress(&Adapter::progress, &download);
        const int rc = ConfigureFPGA(file.c_str());
        SetConfigureProgress(nullptr, nullptr);
        failedIf(rc);
        return result(rc, rc == VESTRIX_DOWNLOAD_CANCELLED ? "cancelled" : "");
    }

    json check()
    {
        std::string why;
        if (!connect(why))
            return result(VESTRIX_NO_DEVICE_SELECTED, why);
        char text[VESTRIX_CHIP_TEXT_SIZE] = {};
        unsigned char kind = 0;
        std::lock_guard<std::recursive_mutex> lock(brixo::vestrixMutex());
        const int rc = ShowChipInfo(text, &kind);
        failedIf(rc);
        json answer = result(rc);
        answer["chip"] = std::string(text, strnlen(text, sizeof text));
        answer["version"] = ver_FPGA;
        return answer;
    }

private:
    struct Download {
        InputLines *input;
    };

    // After every piece: where the download is, for the server; and whether it said to stop.
    static int progress(int done, int total, void *user)
    {
        say({{"progress", done}, {"total", total}});
        InputLines &input = *static_cast<Download *>(user)->input;
        for (std::string line; input.next(line, 0);)
            if (wire::text(wire::parse(line), "op") == "cancel")
                return 1;
        return input.ended() ? 1 : 0; // the server is gone: nobody waits for the rest
    }

    // After a failed call the adapter is selected afresh (it may have been unplugged, or
    // another put in its place), unless the call failed before it reached the adapter.
    void failedIf(int code)
    {
        if (code != 0 && code != VESTRIX_DOWNLOAD_CANCELLED && code != VESTRIX_REQUEST_TOO_LARGE &&
            code != VESTRIX_FILE_OPEN_FAILED && code != VESTRIX_FILE_EMPTY)
            connected_ = false;
    }

    int index_;
    bool connected_ = false;
    brixo::VestrixBoard board_{true}; // panel input on at each step, as the panel program does
};

} // namespace

int runAdapterProcess(int index)
{
    // A parent that ended without closing our input (killed at once) still ends us.
    const pid_t parent = ::getppid();
    std::thread([parent] {
        while (::getppid() == parent)
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ::_exit(0);
    }).detach();

    Adapter adapter(index);
    std::string why;
    const bool connected = adapter.connect(why);
    say({{"ready", true}, {"connected", connected}, {"error", why}});
    InputLines input;
    for (std::string line;;) {
        if (!input.next(line, -1)) {
            if (input.ended())
                return 0;
            continue;
        }
        const json request = wire::parse(line);
        const std::string op = wire::text(request, "op");
        if (op == "step")
            say(adapter.step(request));
        else if (op == "configure")
            say(adapter.configure(request, input));
        else if (op == "check")
            say(adapter.check());
        else if (op != "cancel") // one that came after its download ended
            say(result(VESTRIX_ADAPTER_BAD_DATA, "unknown request"));
    }
}

} // namespace labd
