// The remote-lab link as a transport: selecting it connects to the stored server, and every
// scan is one request and one answer on that connection. The adapter's other commands have no
// counterpart on the server.
#include "net_connection.h"
#include "result_codes.h"
#include "state.h"
#include "transport.h"

namespace tamro {

namespace {

class RemoteSession final : public Session {
public:
    int scan(int instruction, int bits, const uint8_t *in, uint8_t *out, bool capture) override
    {
        return net::remoteScan(capture, instruction, bits, in, out);
    }

    // Settings are refused as unsupported; queries and downloads need an adapter.
    int exchange(const Bytes *, int, Bytes &, int replyLength, int) override
    {
        return replyLength == 0 ? NotSupported : NoDeviceSelected;
    }
};

class RemoteTransport final : public Transport {
public:
    // A new selection never leaves the old server connection open.
    ~RemoteTransport() override { net::closeModuleConnection(); }

    int select() override
    {
        const State &s = state();
        return net::openModuleConnection(s.serverAddress, s.serverPort);
    }

    std::unique_ptr<Session> open(int &code) override
    {
        code = Ok;
        return std::make_unique<RemoteSession>();
    }

    std::unique_ptr<Session> standingSession() override { return std::make_unique<RemoteSession>(); }

    int kind() const override { return TAMRO_TRANSPORT_NETWORK; }
};

} // namespace

std::unique_ptr<Transport> makeRemoteTransport() { return std::make_unique<RemoteTransport>(); }

} // namespace tamro
