// The remote-lab server's answers: the HTTP/XML parser, the result-slot decoding of a scan,
// the request builder for any scan, and the receive path over a real socket pair.
#include "net_connection.h"
#include "remote_lab_wire.h"

#include <hostui.h>
#include <tamro.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace tamro::net;

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    hostui::setCollecting(true);            // the "Client Error" boxes of a closing peer
    std::freopen("/dev/null", "w", stdout); // "There is no any data!"
    setReceiveLimitMs(50);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const bool capture = data[0] & 1;
    const bool viaSocket = data[0] & 2;
    const int bits = (data[1] | data[2] << 8) % 2100 - 20; // a few outside 0..2048 too
    const char *text = reinterpret_cast<const char *>(data + 3);
    const int length = int(size - 3);

    ResultList results;
    if (viaSocket) {
        int pair[2];
        if (socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0)
            return 0;
        size_t sent = 0;
        while (sent < size_t(length)) {
            const ssize_t n = ::send(pair[1], text + sent, size_t(length) - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += size_t(n);
        }
        ::close(pair[1]);
        Connection c;
        c.socket = pair[0];
        c.connected = true;
        int got = -1;
        const int code = receiveAnswer(c, got);
        if (code == 0 && (got < 6 || got >= kBufferSize))
            __builtin_trap();
        if (code == 0)
            parseAnswer(c.receive, got, results);
        hostui::takeCollected();
    } else {
        parseAnswer(text, length, results);
    }
    if (results.count < 0 || results.count > kSlots)
        __builtin_trap();

    // The output holds exactly what the caller's register buffer holds.
    std::vector<uint8_t> out(bits > 0 ? size_t((bits + 7) / 8) : 0);
    const int code = decodeScan(results, capture, bits, out.empty() ? nullptr : out.data());
    if (code != TAMRO_OK && code != TAMRO_FPGA_LINK_FAILED && code != TAMRO_SHORT_REMOTE_REPLY)
        __builtin_trap();

    // The request for the same scan, its input taken from the answer's bytes.
    std::vector<uint8_t> in(bits > 0 ? size_t((bits + 7) / 8) : 0);
    for (size_t i = 0; i < in.size(); ++i)
        in[i] = i < size_t(length) ? uint8_t(text[i]) : 0;
    ParameterList params;
    if (scanParameters(capture, data[1], bits, in.empty() ? nullptr : in.data(), params)) {
        std::string request;
        if (buildRequest(params, "127.0.0.1", request) && request.size() >= size_t(kBufferSize))
            __builtin_trap();
    }
    return 0;
}
