// The HTTP stack over TLS, in process with a self-signed certificate made for the test: only a
// certificate and its own key are taken, HTTPS and wss are served, and a client that is not
// speaking TLS, or stalls in the handshake, is dropped within the request's time. The lab's own
// clients (brixo-cli, the program) reach it only with a certificate they trust.
#include "labd/http_server.h"
#include "lab_client.h"
#include "raw_client.h"

#include <httplib.h>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace fs = std::filesystem;
using labd::http::Limits;
using labd::http::Request;
using labd::http::Response;
using labtest::RawClient;
using TlsStream = beast::ssl_stream<beast::tcp_stream>;

// A certificate for 127.0.0.1, its key and another key, in a directory that goes with it.
struct Certificates {
    fs::path dir;
    Certificates()
    {
        std::string pattern = (fs::temp_directory_path() / "brixo-tls-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        const std::string d = dir.string();
        const std::string made =
            "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=127.0.0.1"
            " -addext subjectAltName=IP:127.0.0.1 -keyout " +
            d + "/key.pem -out " + d + "/cert.pem 2>/dev/null && openssl genpkey -algorithm EC -pkeyopt " +
            "ec_paramgen_curve:prime256v1 -out " + d + "/other.pem 2>/dev/null";
        EXPECT_EQ(std::system(made.c_str()), 0);
    }
    ~Certificates() { fs::remove_all(dir); }
    std::string operator[](const char *name) const { return (dir / name).string(); }
};

labd::http::Routes echoRoutes()
{
    labd::http::Routes r;
    r.handle = [](const Request &q) { return Response{200, "text/plain", "secure " + q.target, {}}; };
    r.upgrade = [](const Request &, labd::http::WebSocketHandler &h, Response &) {
        auto peer = std::make_shared<std::shared_ptr<labd::http::WebSocketPeer>>();
        h.opened = [peer](std::shared_ptr<labd::http::WebSocketPeer> p) { *peer = std::move(p); };
        h.received = [peer](const std::string &text) { (*peer)->send("echo " + text); };
        return true;
    };
    return r;
}

struct Served {
    labd::http::Server server;
    int port = -1;
    std::thread thread;
    Served(const Certificates &certs, const Limits &limits) : server(echoRoutes(), limits, false)
    {
        std::string error;
        EXPECT_TRUE(server.useTls(certs["cert.pem"], certs["key.pem"], error)) << error;
        port = server.bind("127.0.0.1", 0);
        thread = std::thread([this] { server.serve(); });
    }
    ~Served()
    {
        server.stop();
        thread.join();
    }
};

// A client that trusts only the test's certificate.
struct TlsClient {
    asio::io_context io;
    asio::ssl::context context{asio::ssl::context::tls_client};
    explicit TlsClient(const Certificates &certs)
    {
        context.set_verify_mode(asio::ssl::verify_peer);
        context.load_verify_file(certs["cert.pem"]);
    }
    std::unique_ptr<TlsStream> connect(int port)
    {
        auto s = std::make_unique<TlsStream>(io, context);
        beast::get_lowest_layer(*s).connect(
            {asio::ip::make_address_v4("127.0.0.1"), static_cast<unsigned short>(port)});
        s->handshake(asio::ssl::stream_base::client);
        return s;
    }
};

TEST(Tls, TakesOnlyACertificateWithItsOwnKey)
{
    const struct {
        const char *certificate, *key;
        bool taken;
        const char *named; // in the reason
    } cases[] = {
        {"cert.pem", "key.pem", true, ""},
        {"missing.pem", "key.pem", false, "missing.pem"},
        {"key.pem", "key.pem", false, "certificate"},
        {"cert.pem", "other.pem", false, "other.pem"},
    };
    Certificates certs;
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.certificate) + " " + c.key);
        labd::http::Server server(echoRoutes(), Limits(), false);
        std::string error;
        EXPECT_EQ(server.useTls(certs[c.certificate], certs[c.key], error), c.taken) << error;
        EXPECT_NE(error.find(c.named), std::string::npos) << error;
    }
}

TEST(Tls, ServesHttpsAndWss)
{
    Certificates certs;
    Served s(certs, Limits());
    TlsClient client(certs);
    {
        auto stream = client.connect(s.port);
        beast::http::request<beast::http::empty_body> get{beast::http::verb::get, "/a", 11};
        get.set(beast::http::field::host, "127.0.0.1");
        beast::http::write(*stream, get);
        beast::flat_buffer b;
        beast::http::response<beast::http::string_body> answer;
        beast::http::read(*stream, b, answer);
        EXPECT_EQ(answer.result_int(), 200);
        EXPECT_EQ(answer.body(), "secure /a");
    }
    beast::websocket::stream<TlsStream> ws(std::move(*client.connect(s.port)));
    ws.handshake("127.0.0.1", "/events");
    ws.write(asio::buffer(std::string("over TLS")));
    beast::flat_buffer b;
    ws.read(b);
    EXPECT_EQ(beast::buffers_to_string(b.data()), "echo over TLS");
    ws.close(beast::websocket::close_code::normal);
}

TEST(Tls, DropsAClientThatDoesNotSpeakIt)
{
    const struct {
        const char *what;
        std::string bytes;
    } cases[] = {
        {"silent", ""},
        {"plain HTTP", "GET / HTTP/1.1\r\nHost: x\r\n\r\n"},
        {"a handshake that stops short", std::string("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11)},
    };
    Certificates certs;
    Limits l;
    l.request = std::chrono::milliseconds(300);
    Served s(certs, l);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        RawClient raw(s.port);
        ASSERT_TRUE(raw.send(c.bytes));
        std::string text;
        EXPECT_TRUE(raw.readUntilClosed(text, 3000));
        EXPECT_EQ(text.find("HTTP/1."), std::string::npos) << "no answer in the clear";
    }
    TlsClient client(certs); // and the next is served
    EXPECT_NO_THROW(client.connect(s.port));
}

TEST(Tls, TheLabsClientsTrustOnlyACertificateTheyAreGiven)
{
    Certificates certs;
    Served s(certs, Limits{});
    brixo::LabUrl url;
    std::string why;
    ASSERT_TRUE(brixo::parseLabUrl("https://127.0.0.1:" + std::to_string(s.port), url, why)) << why;
    const struct {
        const char *ca; // BRIXO_LAB_CA_FILE; null: the system's store, which does not know ours
        bool served;
    } cases[] = {{nullptr, false}, {"cert.pem", true}, {"other.pem", false}};
    for (const auto &c : cases) {
        if (c.ca)
            ::setenv("BRIXO_LAB_CA_FILE", certs[c.ca].c_str(), 1);
        else
            ::unsetenv("BRIXO_LAB_CA_FILE");
        const auto client = brixo::labHttpClient(url, 5000);
        const httplib::Result r = client->Get("/api/v1/me");
        EXPECT_EQ(r && r->status == 200 && r->body == "secure /api/v1/me", c.served) << (c.ca ? c.ca : "system");
    }
    ::unsetenv("BRIXO_LAB_CA_FILE");
}

} // namespace
