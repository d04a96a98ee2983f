// The remote-lab client over POSIX sockets.
#include "net_connection.h"
#include "state.h"

#include <hostui.h>
#include "result_codes.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tamro {
namespace net {

namespace {
Connection &module() { return state().connection; }
void clientError(const char *text) { hostui::showMessage(nullptr, text, "Client Error"); }

using Clock = std::chrono::steady_clock;

Clock::time_point deadlineFromNow() { return Clock::now() + std::chrono::milliseconds(state().receiveLimitMs); }

// Waits until `fd` is ready for `events`: 1 ready, 0 the deadline passed, -1 an error. A signal
// only cuts one poll short; the wait goes on for the time that is left.
int waitReady(int fd, short events, Clock::time_point deadline)
{
    for (;;) {
        const long long left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return 0;
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, int(left));
        if (r < 0 && errno == EINTR)
            continue;
        return r < 0 ? -1 : r > 0 ? 1 : 0;
    }
}

// True when the server closed the connection, or sent something nobody asked for, while it lay
// idle between two requests: either way it cannot carry the next one.
bool idleConnectionLost(const Connection &c)
{
    pollfd p{c.socket, POLLIN, 0};
    return ::poll(&p, 1, 0) != 0;
}
} // namespace

void setReceiveLimitMs(int ms) { state().receiveLimitMs = ms; }

Connection::~Connection() { close(); }

void Connection::close()
{
    if (socket >= 0)
        ::close(socket);
    socket = -1;
    connected = false;
}

int connectTo(Connection &c, const char *address, int port)
{
    c.close();
    c.socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (c.socket < 0)
        return c.lastResult = SocketCreateFailed;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (getaddrinfo(address, nullptr, &hints, &found) != 0 || !found) {
        c.close();
        return c.lastResult = BadServerAddress;
    }
    sockaddr_in to{};
    std::memcpy(&to, found->ai_addr, sizeof to);
    freeaddrinfo(found);
    to.sin_port = htons(uint16_t(port));
    // A host that never answers the connection request must not freeze the caller for the
    // system's long connect timeout: connect without blocking and wait at most the limit.
    const int flags = ::fcntl(c.socket, F_GETFL, 0);
    ::fcntl(c.socket, F_SETFL, flags | O_NONBLOCK);
    bool connected = ::connect(c.socket, reinterpret_cast<sockaddr *>(&to), sizeof to) == 0;
    if (!connected && (errno == EINPROGRESS || errno == EINTR)) { // either way it goes on by itself
        int error = 0;
        socklen_t size = sizeof error;
        connected = waitReady(c.socket, POLLOUT, deadlineFromNow()) == 1 &&
                    ::getsockopt(c.socket, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    if (!connected) {
        c.close();
        return c.lastResult = ServerConnectFailed;
    }
    ::fcntl(c.socket, F_SETFL, flags);
    c.connected = true;
    return c.lastResult = Ok;
}

int sendRequest(Connection &c, const std::string &request)
{
    if (request.size() + 1 > sizeof c.send)
        return RequestTooLarge;
    std::memcpy(c.send, request.data(), request.size() + 1);
    if (!c.connected) // a broken module connection fails at once
        return SendFailed;
    // A server that stops reading must not hold the caller either: the request gets the limit too.
    const auto deadline = deadlineFromNow();
    size_t done = 0;
    while (done < request.size()) {
        const ssize_t n = ::send(c.socket, c.send + done, request.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (waitReady(c.socket, POLLOUT, deadline) == 1)
                continue;
        } else if (n > 0) {
            done += size_t(n);
            continue;
        }
        c.close();
        return SendFailed;
    }
    return Ok;
}

int receiveAnswer(Connection &c, int &length)
{
    // The whole answer must arrive within the limit, whatever signals come meanwhile.
    const auto deadline = deadlineFromNow();
    length = 0;
    while (c.connected) {
        const int ready = waitReady(c.socket, POLLIN, deadline);
        if (ready == 0) {
            c.close(); // a late answer would be taken for the next one
            return ServerTimeout;
        }
        // Look at what has arrived, then take exactly up to the envelope's end: a byte past it
        // belongs to no answer of ours and stays unread, as if read one byte at a time.
        char chunk[kBufferSize];
        const int room = kBufferSize - 1 - length;
        const ssize_t n =
            ready < 0 ? -1 : ::recv(c.socket, chunk, size_t(room > 0 ? room : 1), MSG_DONTWAIT | MSG_PEEK);
        if (n < 0 && ready > 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK))
            continue;
        if (n < 0) {
            c.close();
            clientError("Failed receive!");
            clientError("Failed recv!");
            return -1;
        }
        if (n == 0) {
            c.close();
            // Standard error, not standard output: a library must not write into its caller's
            // output (brixo-cli read --json would carry it).
            std::fputs("There is no any data!\r\n", stderr);
            clientError("Failed recv!");
            return -1;
        }
        if (room <= 0) { // longer than the buffer: refused, never cut short
            c.close();
            return -1;
        }
        ssize_t take = 0;
        bool complete = false;
        while (take < n && !complete) {
            c.receive[length + take] = chunk[take];
            ++take;
            complete = length + take >= 6 && std::memcmp(c.receive + length + take - 6, "elope>", 6) == 0;
        }
        if (::recv(c.socket, chunk, size_t(take), MSG_DONTWAIT) != take) {
            c.close();
            return -1;
        }
        length += int(take);
        c.receive[length] = 0;
        if (complete)
            return Ok;
    }
    return -1;
}

int presenceProbe(const char *address, int port, ResultList &results)
{
    results.clear();
    ParameterList params;
    probeParameters(params);
    std::string request;
    if (!buildRequest(params, address, request))
        return RequestTooLarge;
    Connection c;
    int code = connectTo(c, address, port);
    if (code == Ok)
        code = sendRequest(c, request);
    int length = 0;
    if (code == Ok)
        code = receiveAnswer(c, length);
    c.close();
    if (code == Ok)
        parseAnswer(c.receive, length, results);
    return code;
}

int openModuleConnection(const char *address, int port) { return connectTo(module(), address, port); }

void closeModuleConnection() { module().close(); }

int remoteScan(bool capture, int instruction, int bits, const uint8_t *in, uint8_t *out)
{
    ParameterList params;
    if (!scanParameters(capture, instruction, bits, in, params))
        return NotSupported;
    std::string request;
    if (!buildRequest(params, state().serverAddress, request))
        return RequestTooLarge;
    // A connection whose answer was lost has been closed, and one the server closed (a restart) is
    // noticed here before a request goes out on it: the stored server is connected to again, once.
    Connection &c = module();
    if (c.connected && idleConnectionLost(c))
        c.close();
    int code = c.connected ? Ok : connectTo(c, state().serverAddress, state().serverPort);
    if (code == Ok)
        code = sendRequest(c, request);
    int length = 0;
    if (code == Ok)
        code = receiveAnswer(c, length);
    if (code != Ok)
        return code;
    ResultList results;
    parseAnswer(c.receive, length, results);
    return decodeScan(results, capture, bits, out);
}

} // namespace net
} // namespace tamro
