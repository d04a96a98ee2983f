// Bulk transport: one write per frame piece, one read per reply, each with a time limit.
#include "result_codes.h"
#include "transport.h"
#include "usb_backend.h"

namespace tamro {

namespace {

class BulkSession final : public FrameSession {
public:
    explicit BulkSession(void *device) : device_(device) {}
    ~BulkSession() override { bulkBackend().close(device_); }

    int send(const uint8_t *data, int n) override
    {
        // A failed write leaves nothing for the adapter to answer.
        return bulkBackend().write(device_, data, n, kBulkReplyLimitMs) == n ? Ok : NoReply;
    }

    void receive(Bytes &reply, int wanted, int) override
    {
        reply.resize(size_t(wanted) + 1);
        const int got = bulkBackend().read(device_, reply.data(), wanted + 1, kBulkReplyLimitMs);
        reply.resize(got > 0 ? size_t(got) : 0);
    }

    int handshake() override
    {
        const Bytes request = openRequest();
        for (int attempt = 0; attempt < 3; ++attempt) {
            send(request.data(), int(request.size()));
            Bytes r;
            receive(r, 7, kBulkReplyLimitMs);
            // A 6-byte reply is checked as such: an error reply maps its reason, and one of the
            // normal kind is a short open reply whose status byte is its end mark (-3).
            const int rc = checkReply(r.data(), int(r.size()), KindNormal, r.size() == 6 ? 6 : 7);
            if (rc == NoReply)
                continue;
            return rc != Ok ? rc : openStatus(r[4]);
        }
        return NoReply;
    }

private:
    void *device_;
};

class BulkTransport final : public Transport {
public:
    explicit BulkTransport(const std::string &path) : path_(path) {}
    ~BulkTransport() override { forget(); }

    int select() override
    {
        int code = Ok;
        open(code); // closed again at once
        return code == NoDeviceSelected ? NoAdapter : code;
    }

    std::unique_ptr<Session> open(int &code) override
    {
        if (!location_) // the bus is searched once per selection, not per operation
            location_ = bulkBackend().locate(path_);
        void *device = location_ ? bulkBackend().open(location_) : nullptr;
        if (!device) {
            forget(); // unplugged or moved: the next open looks for it again
            code = NoDeviceSelected;
            return nullptr;
        }
        auto session = std::make_unique<BulkSession>(device);
        code = session->handshake();
        return session;
    }

    std::unique_ptr<Session> standingSession() override { return nullptr; }

    int kind() const override { return TAMRO_TRANSPORT_BULK; }

    void forget() override
    {
        if (location_)
            bulkBackend().release(location_);
        location_ = nullptr;
    }

private:
    std::string path_;
    void *location_ = nullptr;
};

} // namespace

std::unique_ptr<Transport> makeBulkTransport(const std::string &path) { return std::make_unique<BulkTransport>(path); }

} // namespace tamro
