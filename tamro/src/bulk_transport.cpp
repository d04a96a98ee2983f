// Bulk transport: one write per frame piece, one read per reply, each with a time limit.
#include "transport.h"
#include "usb_backend.h"

#include "result_codes.h"

namespace tamro {

namespace {

class BulkSession final : public Session {
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
            if (r.empty())
                continue;
            const bool marks = r.size() >= 6 && r[0] == 0xFF && r[1] == 0xFE &&
                               r[r.size() - 2] == 0xFE && r[r.size() - 1] == 0xFF;
            if (!marks || (r.size() != 7 && r.size() != 6))
                return BadReply;
            if (r[2] == KindNormal)
                return openStatus(r[4]); // a 6-byte reply has its end mark there: -3
            if (r.size() == 6 && r[2] == KindError)
                return errorReason(r[3]);
            return BadReply;
        }
        return NoReply;
    }

private:
    void *device_;
};

} // namespace

std::unique_ptr<Session> openBulkSession(const std::string &path)
{
    void *device = bulkBackend().open(path);
    if (!device)
        return nullptr;
    return std::make_unique<BulkSession>(device);
}

std::unique_ptr<Session> openUsbSession(int kind, const std::string &path)
{
    if (kind == TransportBulk)
        return openBulkSession(path);
    if (kind == TransportHid)
        return openHidSession(path);
    return nullptr;
}

std::unique_ptr<Session> openSession(int kind, const std::string &path, int &code)
{
    std::unique_ptr<Session> s = openUsbSession(kind, path);
    code = s ? s->handshake() : NoDeviceSelected;
    return s;
}

int exchange(Session &session, const Bytes &request, Bytes &reply, int replyLength, int limitMs,
             uint8_t kind)
{
    const int sent = session.send(request.data(), int(request.size()));
    if (sent != Ok)
        return sent;
    session.receive(reply, replyLength, limitMs);
    return checkReply(reply.data(), int(reply.size()), kind, replyLength);
}

} // namespace tamro
