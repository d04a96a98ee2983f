// What every connection of one HTTP server shares: its routes and bounds, the handler pool, the
// counts that bound it in all (open connections, large bodies), and the open WebSockets, which
// a stopping server closes and whose routes it tells.
#pragma once
#include "http_exchange.h"

#include <boost/asio/strand.hpp>
#include <boost/asio/thread_pool.hpp>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

namespace labd {
namespace http {

// The route's side of one WebSocket: its handler, and the strand on the handler pool that keeps
// its calls one at a time and in order.
struct WebSocketCalls {
    WebSocketHandler handler;
    boost::asio::strand<boost::asio::thread_pool::executor_type> strand;
    std::atomic<bool> ended{false};
    explicit WebSocketCalls(boost::asio::thread_pool &pool) : strand(boost::asio::make_strand(pool)) {}
    // `closed`, once, whoever comes first: the connection's end or the server's.
    void end()
    {
        if (!ended.exchange(true) && handler.closed)
            handler.closed();
    }
};

// An open WebSocket as the server sees it: something to close when it stops.
class WebSocketLink {
public:
    virtual ~WebSocketLink() = default;
    // On the io thread: closes the connection now and tells the route.
    virtual void abort() = 0;
};

struct Shared {
    Routes routes;
    Limits limits;
    bool logRequests = false;
    boost::asio::thread_pool *handlers = nullptr;
    std::atomic<std::size_t> open{0};
    void log(const std::string &line) const;

    // A place for one body past Limits::bodyBytes while it is read and handled, or null when
    // Limits::largeBodies are already held.
    std::shared_ptr<void> takeLargeBody()
    {
        if (++*largeBodies > limits.largeBodies) {
            --*largeBodies;
            return nullptr;
        }
        auto count = largeBodies;
        return std::shared_ptr<void>(count.get(), [count](void *) { --*count; });
    }
    std::shared_ptr<std::atomic<std::size_t>> largeBodies = std::make_shared<std::atomic<std::size_t>>(0);

    // The WebSockets whose routes have been told `opened`, until they are told `closed`.
    struct OpenWebSocket {
        std::weak_ptr<WebSocketLink> link;
        std::shared_ptr<WebSocketCalls> calls;
    };
    std::uint64_t addWebSocket(std::weak_ptr<WebSocketLink> link, std::shared_ptr<WebSocketCalls> calls)
    {
        std::lock_guard<std::mutex> lock(webSocketsMutex);
        webSockets.emplace(++lastWebSocket, OpenWebSocket{std::move(link), std::move(calls)});
        return lastWebSocket;
    }
    void forgetWebSocket(std::uint64_t id)
    {
        std::lock_guard<std::mutex> lock(webSocketsMutex);
        webSockets.erase(id);
    }
    std::map<std::uint64_t, OpenWebSocket> openWebSockets()
    {
        std::lock_guard<std::mutex> lock(webSocketsMutex);
        return webSockets;
    }
    // For the server's end: the list, emptied.
    std::map<std::uint64_t, OpenWebSocket> takeWebSockets()
    {
        std::lock_guard<std::mutex> lock(webSocketsMutex);
        return std::exchange(webSockets, {});
    }

private:
    std::mutex webSocketsMutex;
    std::map<std::uint64_t, OpenWebSocket> webSockets;
    std::uint64_t lastWebSocket = 0;
};

} // namespace http
} // namespace labd
