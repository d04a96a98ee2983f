// One WebSocket of the HTTP stack, over the stream its upgrade request came on (TCP or TLS).
// Reading, writing, pings and time-outs run on the connection's strand; the route's calls run on
// the handler pool, one at a time and in order, through its WebSocketCalls. What a client can
// make it hold is bounded: one message of Limits::messageBytes in text, a few of them waiting for
// the route (reading pauses meanwhile), and Limits::sendMessages or sendBytes waiting to go out
// to it (past that it is dropped). A client that answers no ping within Limits::idle goes.
#pragma once
#include "http_shared.h"

#include <boost/asio/post.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/stream_traits.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>

#include <chrono>
#include <deque>
#include <memory>
#include <string>

namespace labd {
namespace http {

template <class Stream>
class WebSocketConnection : public WebSocketLink, public std::enable_shared_from_this<WebSocketConnection<Stream>> {
public:
    using Upgrade = beast::http::request<beast::http::string_body>;
    using Clock = std::chrono::steady_clock;

    WebSocketConnection(Stream stream, std::shared_ptr<Shared> shared, std::string client,
                        std::shared_ptr<WebSocketCalls> calls)
        : ws_(std::move(stream)), shared_(std::move(shared)), client_(std::move(client)), calls_(std::move(calls))
    {
        ++shared_->open;
    }
    ~WebSocketConnection() override { --shared_->open; }

    // On the strand: answers the upgrade (101) and opens the WebSocket.
    void start(Upgrade request)
    {
        upgrade_ = std::move(request);
        target_ = std::string(upgrade_.target());
        beast::get_lowest_layer(ws_).expires_never(); // the WebSocket keeps its own time from here
        beast::websocket::stream_base::timeout t{};
        t.handshake_timeout = limits().request; // the opening and the closing handshake
        t.idle_timeout = limits().idle;         // a ping at half of it; nothing back by its end: gone
        t.keep_alive_pings = true;
        ws_.set_option(t);
        ws_.read_message_max(limits().messageBytes);
        ws_.async_accept(upgrade_, [self = this->shared_from_this()](beast::error_code ec) {
            self->upgrade_ = {};
            if (ec) {
                beast::get_lowest_layer(self->ws_).close();
                return;
            }
            self->opened();
        });
    }

    void abort() override { finish("closed as the server stops"); }

private:
    static constexpr int kWaitingForRoute = 8; // messages read and not yet handled; reading pauses past it

    // What the route holds: it keeps no connection alive, and does nothing once it has gone.
    class Peer : public WebSocketPeer {
    public:
        explicit Peer(std::weak_ptr<WebSocketConnection> c) : c_(std::move(c)) {}
        void send(std::string text) override
        {
            if (auto c = c_.lock())
                c->queue(std::move(text));
        }
        void close() override
        {
            if (auto c = c_.lock())
                boost::asio::post(c->ws_.get_executor(),
                                  [c] { c->closeWith(beast::websocket::close_code::normal, "closed by its route"); });
        }

    private:
        std::weak_ptr<WebSocketConnection> c_;
    };

    const Limits &limits() const { return shared_->limits; }

    void opened()
    {
        opened_ = true;
        openedAt_ = Clock::now();
        id_ = shared_->addWebSocket(this->weak_from_this(), calls_);
        auto peer = std::make_shared<Peer>(this->weak_from_this());
        boost::asio::post(calls_->strand, [calls = calls_, peer] {
            if (!calls->ended && calls->handler.opened)
                calls->handler.opened(peer);
        });
        readNext();
    }

    void readNext()
    {
        if (finished_ || closing_)
            return;
        if (waiting_ >= kWaitingForRoute) {
            paused_ = true;
            return;
        }
        ws_.async_read(in_, [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
            if (ec)
                return self->finish(ec == beast::websocket::error::message_too_big ? "message too long"
                                                                                   : "closed: " + ec.message());
            if (!self->ws_.got_text()) {
                self->in_.clear();
                return self->closeWith(beast::websocket::close_code::unknown_data, "a binary message");
            }
            self->handOver(beast::buffers_to_string(self->in_.data()));
            self->in_.clear();
            self->readNext();
        });
    }

    // One message to the route, on its strand; reading goes on when the route keeps up.
    void handOver(std::string text)
    {
        ++waiting_;
        boost::asio::post(calls_->strand, [self = this->shared_from_this(), text = std::move(text)] {
            if (!self->calls_->ended && self->calls_->handler.received)
                self->calls_->handler.received(text);
            boost::asio::post(self->ws_.get_executor(), [self] {
                --self->waiting_;
                if (self->paused_) {
                    self->paused_ = false;
                    self->readNext();
                }
            });
        });
    }

    // From any thread.
    void queue(std::string text)
    {
        if (dropped_)
            return;
        const std::size_t count = ++queued_, bytes = queuedBytes_ += text.size();
        if (count > limits().sendMessages || bytes > limits().sendBytes) {
            if (!dropped_.exchange(true))
                boost::asio::post(ws_.get_executor(), [self = this->shared_from_this()] {
                    self->finish("dropped: its client falls behind");
                });
            return;
        }
        boost::asio::post(ws_.get_executor(), [self = this->shared_from_this(), text = std::move(text)]() mutable {
            if (self->finished_)
                return;
            self->outbox_.push_back(std::move(text));
            self->writeNext();
        });
    }

    void writeNext()
    {
        if (writing_ || outbox_.empty() || finished_ || closing_)
            return;
        writing_ = true;
        ws_.text(true);
        ws_.async_write(boost::asio::buffer(outbox_.front()),
                        [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                            self->writing_ = false;
                            self->queuedBytes_ -= self->outbox_.front().size();
                            --self->queued_;
                            self->outbox_.pop_front();
                            if (ec)
                                return self->finish("closed: " + ec.message());
                            self->writeNext();
                        });
    }

    // The closing handshake, then the end; what waits to go out is dropped.
    void closeWith(beast::websocket::close_code code, const std::string &why)
    {
        if (finished_ || closing_)
            return;
        closing_ = true;
        ws_.async_close(code, [self = this->shared_from_this(), why](beast::error_code) { self->finish(why); });
    }

    // Closes the socket (whatever is under way ends with it) and tells the route, once.
    void finish(const std::string &why)
    {
        if (finished_)
            return;
        finished_ = true;
        beast::get_lowest_layer(ws_).close();
        if (!opened_)
            return;
        if (shared_->logRequests)
            shared_->log(
                logLine(client_, "GET", target_, 101,
                        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - openedAt_).count(),
                        "WebSocket " + why));
        boost::asio::post(calls_->strand, [calls = calls_, shared = shared_, id = id_] {
            calls->end();
            shared->forgetWebSocket(id);
        });
    }

    beast::websocket::stream<Stream> ws_;
    std::shared_ptr<Shared> shared_;
    std::string client_, target_;
    std::shared_ptr<WebSocketCalls> calls_;
    Upgrade upgrade_;
    beast::flat_buffer in_;
    std::deque<std::string> outbox_;
    std::atomic<std::size_t> queued_{0}, queuedBytes_{0};
    std::atomic<bool> dropped_{false};
    // On the strand only.
    bool opened_ = false, writing_ = false, closing_ = false, finished_ = false, paused_ = false;
    int waiting_ = 0;
    std::uint64_t id_ = 0;
    Clock::time_point openedAt_;
};

} // namespace http
} // namespace labd
