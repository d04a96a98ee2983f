// The HTTP stack's time limits, connection cap and body bounds, in process with short limits:
// whatever holds a connection without finishing a request is closed, a client that comes back is
// served, a connection past the cap is closed at once and logged, and each body is bounded by
// its route, with only so many large ones at once.
#include "labd/http_server.h"
#include "raw_client.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using labd::http::Limits;
using labd::http::Request;
using labd::http::Response;
using labtest::RawClient;

const std::string kGet = "GET /x HTTP/1.1\r\nHost: x\r\n\r\n";

// Answers a request with its method and target.
labd::http::Routes echoRoutes()
{
    labd::http::Routes r;
    r.handle = [](const Request &q) { return Response{200, "text/plain", q.method + " " + q.target, {}}; };
    return r;
}

// A server on loopback with the given limits, serving on its own thread until it goes.
struct Served {
    labd::http::Server server;
    int port = -1;
    std::thread thread;
    explicit Served(const Limits &limits, labd::http::Routes routes = echoRoutes())
        : server(std::move(routes), limits, true)
    {
        port = server.bind("127.0.0.1", 0);
        thread = std::thread([this] { server.serve(); });
    }
    ~Served()
    {
        server.stop();
        thread.join();
    }
    // Waits (at most 5 s) until the server holds `count` connections.
    bool holds(std::size_t count)
    {
        for (int i = 0; i < 500 && server.openConnections() != count; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return server.openConnections() == count;
    }
};

Limits shortLimits()
{
    Limits l;
    l.request = std::chrono::milliseconds(300);
    l.idle = std::chrono::milliseconds(600);
    l.connections = 4;
    return l;
}

TEST(HttpServer, ClosesConnectionsThatOutstayTheirTime)
{
    const struct {
        const char *what;
        std::vector<std::string> pieces; // sent 100 ms apart
        const char *answered;            // what came back before the close
    } cases[] = {
        {"silent", {}, ""},
        {"one answer, then idle", {kGet}, "HTTP/1.1 200"},
        {"a head a byte at a time", {"G", "E", "T", " ", "/", "x", " ", "H", "T", "T", "P"}, ""},
        {"a body that never ends", {"POST /x HTTP/1.1\r\nContent-Length: 100\r\n\r\n", "ab", "cd", "ef", "gh"}, ""},
    };
    Served s(shortLimits());
    ASSERT_GT(s.port, 0);
    testing::internal::CaptureStderr();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        RawClient client(s.port);
        ASSERT_TRUE(client.connected());
        for (const std::string &p : c.pieces) {
            client.send(p); // may fail once the server has closed: that is the point
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        std::string text;
        EXPECT_TRUE(client.readUntilClosed(text, 5000));
        EXPECT_EQ(text.rfind(c.answered, 0), 0u) << text;
        EXPECT_EQ(text.find("HTTP/1.1 4"), std::string::npos) << "closed, not answered: " << text;
        // A client that connects again is served as before.
        RawClient again(s.port);
        ASSERT_TRUE(again.send("GET /again HTTP/1.1\r\nConnection: close\r\n\r\n"));
        std::string answer;
        EXPECT_TRUE(again.readUntilClosed(answer, 5000));
        EXPECT_NE(answer.find("GET /again"), std::string::npos) << answer;
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find(" - - 408 "), std::string::npos) << log;
    EXPECT_NE(log.find(" GET /again 200 "), std::string::npos) << log;
    EXPECT_TRUE(s.holds(0));
}

TEST(HttpServer, ClosesConnectionsPastTheCapAtOnce)
{
    Limits l = shortLimits();
    l.idle = std::chrono::seconds(60);
    Served s(l);
    std::vector<std::unique_ptr<RawClient>> held;
    for (int i = 0; i < 4; ++i)
        held.push_back(std::make_unique<RawClient>(s.port));
    ASSERT_TRUE(s.holds(4));
    testing::internal::CaptureStderr();
    RawClient refused(s.port);
    std::string text;
    EXPECT_TRUE(refused.readUntilClosed(text, 5000));
    EXPECT_EQ(text, "");
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("connection refused: 4 connections open"), std::string::npos) << log;
    // One leaves: the next is served, with no cap per address.
    held.pop_back();
    ASSERT_TRUE(s.holds(3));
    RawClient next(s.port);
    ASSERT_TRUE(next.send(kGet));
    std::string answer;
    EXPECT_FALSE(next.readUntilClosed(answer, 500)) << "kept open for the next request";
    EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer;
}

// /big takes bodies of up to 8 KiB, every other route the default 256 bytes; the answer is the
// body's length.
labd::http::Routes bodyRoutes()
{
    labd::http::Routes r;
    r.handle = [](const Request &q) { return Response{200, "text/plain", std::to_string(q.body.size()), {}}; };
    r.bodyLimit = [](const Request &head) { return head.path() == "/big" ? 8192u : 0u; };
    return r;
}

Limits bodyLimits()
{
    Limits l;
    l.bodyBytes = 256;
    l.largeBodies = 1;
    return l;
}

std::string post(const std::string &path, std::size_t length, bool chunked)
{
    std::string r = "POST " + path + " HTTP/1.1\r\nConnection: close\r\n";
    if (!chunked)
        return r + "Content-Length: " + std::to_string(length) + "\r\n\r\n" + std::string(length, 'b');
    r += "Transfer-Encoding: chunked\r\n\r\n";
    for (std::size_t left = length; left > 0; left -= std::min<std::size_t>(left, 1000)) {
        const std::size_t n = std::min<std::size_t>(left, 1000);
        char size[16];
        std::snprintf(size, sizeof size, "%zx\r\n", n);
        r += size + std::string(n, 'b') + "\r\n";
    }
    return r + "0\r\n\r\n";
}

std::string roundTrip(int port, const std::string &bytes)
{
    RawClient c(port);
    c.send(bytes);
    std::string text;
    c.readUntilClosed(text, 5000);
    return text;
}

TEST(HttpServer, BoundsEachBodyByItsRoute)
{
    const struct {
        const char *what, *path;
        std::size_t length;
        bool chunked;
        const char *answer;
    } cases[] = {
        {"a large body on the large route", "/big", 6000, false, "HTTP/1.1 200"},
        {"the same on another route", "/small", 6000, false, "HTTP/1.1 413"},
        {"past the large route's bound", "/big", 9000, false, "HTTP/1.1 413"},
        {"chunked on the large route", "/big", 6000, true, "HTTP/1.1 200"},
        {"chunked on another route", "/small", 600, true, "HTTP/1.1 413"},
        {"chunked past the large route's bound", "/big", 12000, true, "HTTP/1.1 413"},
        {"a small body on another route", "/small", 200, true, "HTTP/1.1 200"},
    };
    Served s(bodyLimits(), bodyRoutes());
    testing::internal::CaptureStderr();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = roundTrip(s.port, post(c.path, c.length, c.chunked));
        EXPECT_EQ(text.rfind(c.answer, 0), 0u) << text;
        if (text.rfind("HTTP/1.1 200", 0) == 0) {
            EXPECT_EQ(text.substr(text.find("\r\n\r\n") + 4), std::to_string(c.length));
        }
    }
    testing::internal::GetCapturedStderr();
}

TEST(HttpServer, ReadsOnlySoManyLargeBodiesAtOnce)
{
    Served s(bodyLimits(), bodyRoutes());
    testing::internal::CaptureStderr();
    const std::string large = post("/big", 6000, false);
    RawClient holder(s.port); // holds the one place, halfway through its body
    ASSERT_TRUE(holder.send(large.substr(0, large.size() - 3000)));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::string refused = roundTrip(s.port, large);
    EXPECT_EQ(refused.rfind("HTTP/1.1 503", 0), 0u) << refused;
    EXPECT_EQ(roundTrip(s.port, post("/big", 200, false)).rfind("HTTP/1.1 200", 0), 0u)
        << "a small body needs no place";
    ASSERT_TRUE(holder.send(large.substr(large.size() - 3000)));
    std::string held;
    EXPECT_TRUE(holder.readUntilClosed(held, 5000));
    EXPECT_EQ(held.rfind("HTTP/1.1 200", 0), 0u) << held;
    EXPECT_EQ(roundTrip(s.port, large).rfind("HTTP/1.1 200", 0), 0u) << "its place was given back";
    testing::internal::GetCapturedStderr();
}

} // namespace
