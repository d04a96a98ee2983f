// HID transport: frames travel in reports of the device's report lengths, the first byte of
// each carrying the number of frame bytes that follow.
#include "result_codes.h"
#include "transport.h"
#include "usb_backend.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace tamro {

namespace {

class HidSession final : public FrameSession {
public:
    HidSession(void *device, int output, int input) : device_(device), out_(output), in_(input)
    {
        report_.resize(size_t(out_));
        input_.resize(size_t(in_));
    }
    ~HidSession() override { hidBackend().close(device_); }

    int send(const uint8_t *data, int n) override
    {
        const int room = out_ - 2;
        do {
            const int k = n < room ? n : room;
            std::fill(report_.begin(), report_.end(), 0);
            report_[1] = uint8_t(k);
            if (k > 0)
                std::memcpy(&report_[2], data, size_t(k));
            if (hidBackend().write(device_, report_.data(), report_.size()) <= 0)
                return ReportWriteFailed;
            data += k;
            n -= k;
        } while (n > 0);
        return Ok;
    }

    void receive(Bytes &reply, int wanted, int limitMs) override
    {
        using Clock = std::chrono::steady_clock;
        reply.clear();
        const size_t capacity = size_t(wanted) + 1;
        // One byte beyond the reply is asked for, so that a longer reply shows as longer.
        const size_t ask = wanted + 1 < in_ ? size_t(wanted) + 2 : size_t(in_ - 1);
        const int perReport = std::max(1, in_ - 2);
        const int reports = (wanted + perReport - 1) / perReport;
        const auto deadline = Clock::now() + std::chrono::milliseconds(limitMs + kReportAllowanceMs * reports);
        // Every useful report adds a byte at least; reports that add nothing are bounded too.
        for (int reads = 0; reply.size() < size_t(wanted) && reads <= wanted + 1; ++reads) {
            const long long left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return;
            errno = 0;
            const int got =
                hidBackend().readTimeout(device_, input_.data(), ask, int(std::min<long long>(limitMs, left)));
            if (got < 0 && errno == EINTR)
                continue; // a signal cut the wait short; the deadline still holds
            if (got <= 0)
                return;
            size_t c = std::min<size_t>(input_[0], size_t(got) - 1);
            c = std::min(c, capacity - reply.size());
            reply.insert(reply.end(), input_.begin() + 1, input_.begin() + 1 + long(c));
        }
    }

    int handshake() override
    {
        const Bytes request = openRequest();
        if (send(request.data(), int(request.size())) != Ok)
            return ReportWriteFailed;
        Bytes reply;
        receive(reply, 7, kReplyLimitMs);
        const int rc = checkReply(reply.data(), int(reply.size()), KindNormal, 7);
        return rc != Ok ? rc : openStatus(reply[4]);
    }

private:
    void *device_;
    int out_, in_;
    Bytes report_, input_;
};

class HidTransport final : public Transport {
public:
    explicit HidTransport(const std::string &path) : path_(path) {}

    int select() override
    {
        int code = Ok;
        open(code); // closed again at once
        return code == NoDeviceSelected ? NoAdapter : code;
    }

    std::unique_ptr<Session> open(int &code) override
    {
        void *device = hidBackend().open(path_);
        if (!device) {
            forget();
            code = NoDeviceSelected;
            return nullptr;
        }
        if (!learned_) { // the report descriptor is read once per selection, not per operation
            hidBackend().reportLengths(device, path_, out_, in_);
            if (out_ < 3)
                out_ = 65;
            if (in_ < 2)
                in_ = 65;
            learned_ = true;
        }
        auto session = std::make_unique<HidSession>(device, out_, in_);
        code = session->handshake();
        return session;
    }

    std::unique_ptr<Session> standingSession() override { return nullptr; }

    int kind() const override { return TAMRO_TRANSPORT_HID; }

    void forget() override { learned_ = false; }

private:
    std::string path_;
    bool learned_ = false;
    int out_ = 65, in_ = 65;
};

} // namespace

std::unique_ptr<Transport> makeHidTransport(const std::string &path) { return std::make_unique<HidTransport>(path); }

} // namespace tamro
