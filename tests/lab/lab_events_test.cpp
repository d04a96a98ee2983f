// The lab server's push channel as its clients see it: one WebSocket each on a real
// `brixo-labd lab`, with places, read-backs (a step's at once, a watched board's from polling),
// download progress and the end of a hold.
#include "lab_server_fixture.h"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>

#include <mutex>
#include <sys/socket.h>

namespace {

using labtest::eventually;
using labtest::kKind;
using labtest::LabServerTest;
using nlohmann::json;
namespace beast = boost::beast;
namespace asio = boost::asio;

// A client's WebSocket: every message it gets is kept, read on a thread of its own.
class EventClient {
public:
    // False when the server refused the upgrade.
    bool open(int port, const std::string &token)
    {
        try {
            asio::ip::tcp::endpoint at(asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port));
            ws_.next_layer().connect(at);
            ws_.handshake("127.0.0.1", "/api/v1/events?token=" + token);
        } catch (const std::exception &) {
            return false;
        }
        reader_ = std::thread([this] {
            beast::flat_buffer buffer;
            beast::error_code ec;
            while (ws_.read(buffer, ec), !ec) {
                std::lock_guard<std::mutex> lock(mutex_);
                messages_.push_back(json::parse(beast::buffers_to_string(buffer.data()), nullptr, false));
                buffer.consume(buffer.size());
            }
        });
        return true;
    }
    ~EventClient()
    {
        if (ws_.next_layer().is_open())
            ::shutdown(ws_.next_layer().native_handle(), SHUT_RDWR);
        if (reader_.joinable())
            reader_.join();
    }
    void send(const json &message) { ws_.write(asio::buffer(message.dump())); }
    // The first message since `from` that `match` takes; null when none came within the limit.
    json await(const std::function<bool(const json &)> &match, std::size_t from = 0)
    {
        json found;
        eventually([&] {
            std::lock_guard<std::mutex> lock(mutex_);
            for (std::size_t i = from; i < messages_.size(); ++i)
                if (messages_[i].is_object() && match(messages_[i]))
                    return found = messages_[i], true;
            return false;
        });
        return found;
    }
    std::size_t count()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_.size();
    }

private:
    asio::io_context io_;
    beast::websocket::stream<asio::ip::tcp::socket> ws_{io_};
    std::thread reader_;
    std::mutex mutex_;
    std::vector<json> messages_;
};

auto ofType(const std::string &type, std::function<bool(const json &)> more = nullptr)
{
    return [=](const json &m) { return m.value("type", "") == type && (!more || more(m)); };
}

TEST_F(LabServerTest, EachClientHearsOfItsPlaceItsBoardsReadbacksDownloadsAndTheHoldsEnd)
{
    ASSERT_TRUE(up(server, oneBoard()));
    const std::string alice = token("alice"), tina = token("tina");
    EventClient refused, aliceEvents, tinaEvents;
    EXPECT_FALSE(refused.open(server.port, "not-a-token"));
    ASSERT_TRUE(aliceEvents.open(server.port, alice));
    ASSERT_TRUE(tinaEvents.open(server.port, tina));
    EXPECT_EQ(aliceEvents.await(ofType("place"))["state"], "none");

    ASSERT_EQ(call("POST", "/api/v1/queue", alice, {{"kind", kKind}}).status, 200);
    const json held = aliceEvents.await(ofType("place", [](const json &m) { return m["state"] == "holding"; }));
    EXPECT_EQ(held["board"], "b1");
    EXPECT_EQ(held["address"], "127.0.0.1:" + std::to_string(server.port));

    ASSERT_EQ(call("POST", "/api/v1/boards/b1/step", alice, {{"switches", 0x35}}).status, 200);
    const json pushed = aliceEvents.await(ofType("readback", [](const json &m) { return m["switches"] == 0x35; }));
    ASSERT_TRUE(pushed.is_object());
    EXPECT_EQ(pushed["leds"].get<std::uint64_t>() & 0x3FFFF, 8u);
    tinaEvents.send({{"type", "watch"}, {"board", "b1"}});
    const json watched = tinaEvents.await(ofType("readback"));
    EXPECT_EQ(watched["board"], "b1") << "the watched board is read and sent";
    EXPECT_EQ(watched["switches"], 0x35);
    aliceEvents.send({{"type", "heartbeat"}});
    aliceEvents.send({{"type", "watch"}, {"board", "b1"}});
    EXPECT_TRUE(aliceEvents.await(ofType("error")).is_object()) << "a student may not watch";

    const std::string bytes(20000, '\x3c');
    ASSERT_EQ(labtest::request(server.port, "POST", "/api/v1/boards/b1/configure", bytes, alice).status, 202);
    const json done = aliceEvents.await(ofType("configure", [](const json &m) { return m["state"] == "done"; }));
    EXPECT_EQ(done["done"], bytes.size());
    EXPECT_TRUE(tinaEvents.await(ofType("configure")).is_object());

    const std::size_t before = aliceEvents.count();
    ASSERT_EQ(call("POST", "/api/v1/boards/b1/kick", tina).status, 200);
    EXPECT_EQ(aliceEvents.await(ofType("hold_end"), before)["why"], "kicked");
    EXPECT_EQ(aliceEvents.await(ofType("place"), before)["state"], "none");
}

} // namespace
