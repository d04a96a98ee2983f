// One client connection of the HTTP stack, over any Beast stream whose lowest layer is a
// beast::tcp_stream: plain TCP, or TLS over it (the handshake first, within the request's time
// limit). Everything runs on the connection's strand but the handler, which runs on the handler
// pool so that a slow step holds no other connection's reading or time-outs. One request is
// read, answered and written before the next is read, so pipelined requests are answered in
// their order. A WebSocket upgrade its route takes hands the stream to a WebSocketConnection.
#pragma once
#include "http_shared.h"
#include "websocket_connection.h"

#include <boost/asio/dispatch.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/thread_pool.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/stream_traits.hpp>
#include <boost/beast/core/string.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/ssl/ssl_stream.hpp>

#include <atomic>
#include <memory>
#include <optional>
#include <type_traits>

namespace labd {
namespace http {

template <class Stream>
class Connection : public std::enable_shared_from_this<Connection<Stream>> {
public:
    using Clock = std::chrono::steady_clock;

    Connection(Stream stream, std::shared_ptr<Shared> shared, std::string client)
        : stream_(std::move(stream)), shared_(std::move(shared)), client_(std::move(client)),
          buffer_(shared_->limits.headerBytes + kReadPiece)
    {
        ++shared_->open;
    }
    ~Connection() { --shared_->open; }

    void start()
    {
        boost::asio::dispatch(stream_.get_executor(), [self = this->shared_from_this()] {
            if constexpr (kTls)
                self->handshake();
            else
                self->waitForRequest();
        });
    }

private:
    static constexpr std::size_t kReadPiece = 4096, kIdlePiece = 1024;
    static constexpr bool kTls = std::is_same_v<Stream, beast::ssl_stream<beast::tcp_stream>>;

    auto &tcp() { return beast::get_lowest_layer(stream_); }
    const Limits &limits() const { return shared_->limits; }
    long long msSinceStart() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_).count();
    }

    // A client that does not finish it within the request's time is dropped.
    void handshake()
    {
        started_ = Clock::now();
        tcp().expires_after(limits().request);
        stream_.async_handshake(
            boost::asio::ssl::stream_base::server, [self = this->shared_from_this()](beast::error_code ec) {
                if (!ec)
                    return self->waitForRequest();
                if (self->shared_->logRequests)
                    self->shared_->log(logLine(self->client_, "", "", 400, self->msSinceStart(),
                                               "TLS handshake failed: " + ec.message() + "; closed"));
                self->close();
            });
    }

    // An idle connection holds no parser and a small buffer.
    void waitForRequest()
    {
        if (buffer_.size() > 0) // the next pipelined request is here already
            return readHead();
        buffer_.shrink_to_fit();
        tcp().expires_after(limits().idle);
        stream_.async_read_some(buffer_.prepare(kIdlePiece),
                                [self = this->shared_from_this()](beast::error_code ec, std::size_t n) {
                                    if (ec)
                                        return self->close();
                                    self->buffer_.commit(n);
                                    self->readHead();
                                });
    }

    void readHead()
    {
        started_ = Clock::now();
        parser_.emplace();
        applyLimits(*parser_, limits());
        tcp().expires_after(limits().request); // the whole request, head and body, from its first byte
        beast::http::async_read_header(stream_, buffer_, *parser_,
                                       [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                                           if (ec)
                                               return self->failed(ec);
                                           self->onHead();
                                       });
    }

    void onHead()
    {
        std::string why;
        if (const int status = refuseHead(parser_->get(), why))
            return refuse(status, why);
        bool large = false;
        if (const int status = limitBody(*parser_, shared_->routes, limits(), client_, large, why))
            return refuse(status, why);
        // A large body is held whole until its handler is done: only so many at once.
        if (large && !(largeBody_ = shared_->takeLargeBody()))
            return refuse(503, "too many large bodies at once; try again later");
        const auto expect = parser_->get().find(beast::http::field::expect);
        if (expect == parser_->get().end() || !beast::iequals(expect->value(), "100-continue") ||
            parser_->get().version() < 11 || parser_->is_done())
            return readBody();
        continue_.emplace(beast::http::status::continue_, parser_->get().version());
        beast::http::async_write(stream_, *continue_,
                                 [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                                     if (ec)
                                         return self->close();
                                     self->readBody();
                                 });
    }

    void readBody()
    {
        beast::http::async_read(stream_, buffer_, *parser_,
                                [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                                    if (ec)
                                        return self->failed(ec);
                                    self->handle();
                                });
    }

    void handle()
    {
        if (isUpgrade(parser_->get()))
            return upgrade();
        std::string body = std::move(parser_->get().body());
        auto request = std::make_shared<Request>(requestOf(parser_->get(), client_));
        request->body = std::move(body);
        const unsigned version = parser_->get().version();
        const bool keepAlive = parser_->get().keep_alive();
        parser_.reset();
        boost::asio::post(*shared_->handlers, [self = this->shared_from_this(), request, version, keepAlive,
                                               largeBody = std::move(largeBody_)]() mutable {
            auto a = std::make_shared<Answer>(answer(self->shared_->routes, *request, version, keepAlive));
            request->body = std::string();
            largeBody.reset();
            boost::asio::post(self->stream_.get_executor(),
                              [self, request, a] { self->write(a, request->method, request->target, ""); });
        });
    }

    // The route decides on its handler thread; taken, the stream becomes a WebSocket's.
    void upgrade()
    {
        if (buffer_.size() > 0) // a client may send nothing before the upgrade is answered
            return refuse(400, "bytes before the WebSocket upgrade was answered");
        auto message = std::make_shared<typename WebSocketConnection<Stream>::Upgrade>(parser_->release());
        auto request = std::make_shared<Request>(requestOf(*message, client_));
        parser_.reset();
        boost::asio::post(*shared_->handlers, [self = this->shared_from_this(), message, request] {
            auto calls = std::make_shared<WebSocketCalls>(*self->shared_->handlers);
            auto refused = std::make_shared<Answer>();
            const bool taken = upgradeOf(self->shared_->routes, *request, calls->handler, *refused, message->version());
            boost::asio::post(self->stream_.get_executor(), [self, message, request, calls, refused, taken] {
                if (!taken)
                    return self->write(refused, request->method, request->target, "WebSocket refused");
                if (self->shared_->logRequests)
                    self->shared_->log(logLine(self->client_, request->method, request->target, 101,
                                               self->msSinceStart(), "WebSocket"));
                std::make_shared<WebSocketConnection<Stream>>(std::move(self->stream_), self->shared_, self->client_,
                                                              calls)
                    ->start(std::move(*message));
            });
        });
    }

    void failed(const beast::error_code &ec)
    {
        largeBody_.reset();
        std::string why;
        const int status = statusForError(ec, parser_->is_header_done(), why);
        if (status)
            return refuse(status, why);
        if (ec == beast::error::timeout && shared_->logRequests)
            shared_->log(logLine(client_, "", "", 408, msSinceStart(), "not complete in time; closed"));
        close();
    }

    void refuse(int status, const std::string &why)
    {
        Request head = requestOf(parser_->get(), client_);
        head.body.clear();
        auto a = std::make_shared<Answer>(refusal(shared_->routes, status, why, head, parser_->get().version()));
        parser_.reset();
        write(a, head.method, head.target, why);
    }

    void write(std::shared_ptr<Answer> a, const std::string &method, const std::string &target, const std::string &note)
    {
        tcp().expires_after(limits().write);
        beast::http::async_write(
            stream_, *a, [self = this->shared_from_this(), a, method, target, note](beast::error_code ec, std::size_t) {
                if (self->shared_->logRequests)
                    self->shared_->log(logLine(self->client_, method, target, a->result_int(), self->msSinceStart(),
                                               ec ? "answer not taken; closed" : note));
                if (ec)
                    return self->close();
                if (!a->keep_alive())
                    return self->linger();
                self->waitForRequest();
            });
    }

    // Closes the sending side, then reads what the client still sends, for a short while, so
    // that its unread bytes do not reset the connection before it has read the answer.
    void linger()
    {
        if constexpr (kTls) { // close_notify, and the client's, within the same short while
            tcp().expires_after(limits().linger);
            stream_.async_shutdown([self = this->shared_from_this()](beast::error_code) { self->close(); });
            return;
        }
        beast::error_code ignored;
        tcp().socket().shutdown(boost::asio::ip::tcp::socket::shutdown_send, ignored);
        buffer_.clear();
        buffer_.shrink_to_fit();
        tcp().expires_after(limits().linger);
        drain(0);
    }

    void drain(std::size_t drained)
    {
        if (drained > 16 * kReadPiece)
            return close();
        stream_.async_read_some(buffer_.prepare(kReadPiece),
                                [self = this->shared_from_this(), drained](beast::error_code ec, std::size_t n) {
                                    if (ec)
                                        return self->close();
                                    self->drain(drained + n); // never committed: dropped as read
                                });
    }

    void close() { tcp().close(); }

    Stream stream_;
    std::shared_ptr<Shared> shared_;
    std::string client_;
    beast::flat_buffer buffer_;
    std::optional<Parser> parser_;
    std::optional<beast::http::response<beast::http::empty_body>> continue_;
    std::shared_ptr<void> largeBody_; // this request's place among the large bodies
    Clock::time_point started_ = Clock::now();
};

} // namespace http
} // namespace labd
