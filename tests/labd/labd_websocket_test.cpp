// The HTTP stack's WebSockets, in process against Beast's client on loopback: the route takes or
// refuses an upgrade, messages go both ways (and from any thread), what the stack does not take
// closes the WebSocket, a client that falls behind or goes silent is dropped, the route hears
// `closed` once, and stop() ends every WebSocket.
#include "labd/http_server.h"
#include "raw_client.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/websocket.hpp>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace websocket = beast::websocket;
using labd::http::Limits;
using labd::http::Request;
using labd::http::Response;
using labd::http::WebSocketHandler;
using labd::http::WebSocketPeer;
using labtest::RawClient;
using Client = websocket::stream<beast::tcp_stream>;

// What the test route saw, for the test to wait on.
struct Seen {
    std::mutex m;
    std::condition_variable changed;
    std::vector<std::shared_ptr<WebSocketPeer>> peers;
    std::vector<std::string> received;
    int closed = 0;

    template <class Ready>
    bool waitFor(Ready ready, int ms = 5000)
    {
        std::unique_lock<std::mutex> lock(m);
        return changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return ready(); });
    }
};

// The route: /ws?token=good opens a WebSocket that greets, echoes "echo:TEXT" as TEXT and closes
// on "close"; anything else is refused with 401.
labd::http::Routes routes(Seen &seen)
{
    labd::http::Routes r;
    r.handle = [](const Request &) { return Response{200, "text/plain", "plain", {}}; };
    r.upgrade = [&seen](const Request &request, WebSocketHandler &h, Response &refusal) {
        if (request.target != "/ws?token=good") {
            refusal = {401, "application/json", "{\"error\": \"no token\"}", {}};
            return false;
        }
        auto peer = std::make_shared<std::shared_ptr<WebSocketPeer>>();
        h.opened = [&seen, peer](std::shared_ptr<WebSocketPeer> p) {
            *peer = p;
            p->send("hello");
            std::lock_guard<std::mutex> lock(seen.m);
            seen.peers.push_back(p);
            seen.changed.notify_all();
        };
        h.received = [&seen, peer](const std::string &text) {
            if (text.rfind("echo:", 0) == 0)
                (*peer)->send(text.substr(5));
            if (text == "close")
                (*peer)->close();
            std::lock_guard<std::mutex> lock(seen.m);
            seen.received.push_back(text);
            seen.changed.notify_all();
        };
        h.closed = [&seen] {
            std::lock_guard<std::mutex> lock(seen.m);
            ++seen.closed;
            seen.changed.notify_all();
        };
        return true;
    };
    return r;
}

struct Served {
    Seen seen;
    labd::http::Server server;
    int port = -1;
    std::thread thread;
    explicit Served(const Limits &limits = Limits()) : server(routes(seen), limits, false)
    {
        port = server.bind("127.0.0.1", 0);
        thread = std::thread([this] { server.serve(); });
    }
    ~Served() { stop(); }
    void stop()
    {
        if (!thread.joinable())
            return;
        server.stop();
        thread.join();
    }
};

// A client socket on loopback; `receiveBuffer` > 0 makes the kernel hold little for it.
std::unique_ptr<Client> connectTo(asio::io_context &io, int port, int receiveBuffer = 0)
{
    asio::ip::tcp::socket socket(io);
    socket.open(asio::ip::tcp::v4());
    if (receiveBuffer > 0)
        socket.set_option(asio::socket_base::receive_buffer_size(receiveBuffer));
    socket.connect({asio::ip::make_address_v4("127.0.0.1"), static_cast<unsigned short>(port)});
    return std::make_unique<Client>(beast::tcp_stream(std::move(socket)));
}

std::unique_ptr<Client> open(asio::io_context &io, int port, int receiveBuffer = 0)
{
    auto ws = connectTo(io, port, receiveBuffer);
    ws->handshake("127.0.0.1", "/ws?token=good");
    return ws;
}

std::string readText(Client &ws)
{
    beast::flat_buffer b;
    ws.read(b);
    return beast::buffers_to_string(b.data());
}

std::string upgradeRequest(const std::string &method, const std::string &target)
{
    return method + " " + target +
           " HTTP/1.1\r\nHost: x\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
           "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n";
}

TEST(WebSocket, UpgradeIsTakenOrRefusedByItsRoute)
{
    const struct {
        const char *what;
        std::string bytes;
        const char *answer; // how it begins
        const char *body;   // somewhere in it
        bool staysOpen;
    } cases[] = {
        {"taken", upgradeRequest("GET", "/ws?token=good"), "HTTP/1.1 101", "Sec-WebSocket-Accept", true},
        {"no token", upgradeRequest("GET", "/ws"), "HTTP/1.1 401", "no token", false},
        {"a bad token", upgradeRequest("GET", "/ws?token=bad"), "HTTP/1.1 401", "no token", false},
        {"frames before the answer", upgradeRequest("GET", "/ws?token=good") + "\x81\x01x", "HTTP/1.1 400", "", false},
        {"not a GET: plain HTTP", upgradeRequest("POST", "/ws?token=good"), "HTTP/1.1 200", "plain", true},
    };
    Served s;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        RawClient client(s.port);
        ASSERT_TRUE(client.send(c.bytes));
        std::string text;
        EXPECT_EQ(client.readUntilClosed(text, 500), !c.staysOpen) << text;
        EXPECT_EQ(text.rfind(c.answer, 0), 0u) << text;
        EXPECT_NE(text.find(c.body), std::string::npos) << text;
    }
    // Only the upgrade it took reached the route as a WebSocket.
    EXPECT_TRUE(s.seen.waitFor([&] { return s.seen.peers.size() == 1; }));
}

TEST(WebSocket, MessagesGoBothWaysAndFromAnyThread)
{
    Served s;
    asio::io_context io;
    auto ws = open(io, s.port);
    EXPECT_EQ(readText(*ws), "hello");
    ws->write(asio::buffer(std::string("echo:one")));
    EXPECT_EQ(readText(*ws), "one");
    ASSERT_TRUE(s.seen.waitFor([&] { return s.seen.peers.size() == 1; }));
    std::thread([peer = s.seen.peers[0]] {
        for (int i = 0; i < 100; ++i)
            peer->send("far " + std::to_string(i));
    }).join();
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(readText(*ws), "far " + std::to_string(i));
    ws->close(websocket::close_code::normal);
    EXPECT_TRUE(s.seen.waitFor([&] { return s.seen.closed == 1; }));
    EXPECT_EQ(s.seen.received, std::vector<std::string>{"echo:one"});
    // A peer kept past its end does nothing.
    s.seen.peers[0]->send("too late");
    s.seen.peers[0]->close();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(s.seen.closed, 1);
}

TEST(WebSocket, ClosesOnWhatItDoesNotTake)
{
    const struct {
        const char *what;
        std::string message;
        bool binary;
        websocket::close_code code;
    } cases[] = {
        {"binary", "abc", true, websocket::close_code::unknown_data},
        {"past the bound", std::string(4097, 'x'), false, websocket::close_code::too_big},
        {"closed by its route", "close", false, websocket::close_code::normal},
    };
    Served s;
    asio::io_context io;
    int closed = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        auto ws = open(io, s.port);
        EXPECT_EQ(readText(*ws), "hello");
        ws->binary(c.binary);
        ws->write(asio::buffer(c.message));
        beast::flat_buffer b;
        beast::error_code ec;
        ws->read(b, ec);
        EXPECT_EQ(ec, websocket::error::closed) << ec.message();
        EXPECT_EQ(ws->reason().code, c.code);
        ++closed;
        EXPECT_TRUE(s.seen.waitFor([&] { return s.seen.closed == closed; }));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(s.seen.closed, 3) << "closed once each";
    EXPECT_EQ(s.seen.received, std::vector<std::string>{"close"}) << "nothing it refused reached the route";
}

TEST(WebSocket, DropsAClientThatDoesNotRead)
{
    const struct {
        const char *what;
        int idleMs;
        bool flood; // the route sends 4 KiB messages until the client is dropped
    } cases[] = {
        {"falls behind", 60000, true},
        {"answers no ping", 400, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Limits l;
        l.idle = std::chrono::milliseconds(c.idleMs);
        Served s(l);
        asio::io_context io;
        auto ws = open(io, s.port, 4096); // and never reads
        ASSERT_TRUE(s.seen.waitFor([&] { return s.seen.peers.size() == 1; }));
        std::size_t sent = 0;
        const std::string piece(4096, 'm');
        // Without the bound on what waits, every message would queue: 40 MiB and no end.
        while (c.flood && sent < 10000 && !s.seen.waitFor([&] { return s.seen.closed > 0; }, 0)) {
            s.seen.peers[0]->send(piece);
            ++sent;
        }
        EXPECT_TRUE(s.seen.waitFor([&] { return s.seen.closed == 1; }, 5000)) << sent << " sent";
        EXPECT_LT(sent, 10000u);
    }
}

TEST(WebSocket, StopEndsEveryWebSocket)
{
    auto s = std::make_unique<Served>();
    asio::io_context io;
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 3; ++i)
        clients.push_back(open(io, s->port));
    ASSERT_TRUE(s->seen.waitFor([&] { return s->seen.peers.size() == 3; }));
    EXPECT_EQ(s->server.openConnections(), 3u) << "WebSockets count against the connection cap";
    s->stop(); // returns: serve() has ended
    EXPECT_TRUE(s->seen.waitFor([&] { return s->seen.closed == 3; }));
    for (auto &ws : clients) {
        beast::flat_buffer b;
        beast::error_code ec;
        ws->read(b, ec); // the greeting, then the end
        if (!ec)
            ws->read(b, ec);
        EXPECT_TRUE(ec) << "still open after stop()";
    }
}

} // namespace
