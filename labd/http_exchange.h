// The HTTP stack's request path without sockets: the parser's bounds, what is refused before a
// body is read, the request as a handler sees it, its answer, and the log line. The connection
// runs it on a socket; the fuzz target runs it on raw bytes.
#pragma once
#include <boost/beast/core/error.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace labd {
namespace http {

namespace beast = boost::beast;

struct Limits {
    std::uint32_t headerBytes = 16384;        // the request line and every header field together
    std::uint64_t bodyBytes = 65536;          // after chunked framing is taken off; see Routes::bodyLimit
    std::chrono::milliseconds request{10000}; // from a request's first byte to its last
    std::chrono::milliseconds idle{60000};    // between two requests on one connection
    std::chrono::milliseconds write{10000};   // for an answer to leave
    std::chrono::milliseconds linger{1000};   // reading what a refused client still sends
    std::size_t connections = 4096;           // open at once, in all
    int handlerThreads = 4;
    std::size_t largeBodies = 8;       // bodies past bodyBytes being read or handled at once, in all
    std::uint32_t messageBytes = 4096; // one WebSocket message from a client
    std::size_t sendMessages = 256;    // queued for one WebSocket client before it is dropped
    std::size_t sendBytes = 1u << 20;  // the same, in bytes
};

struct Request {
    std::string method, target, client; // client: ADDRESS:PORT
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string path() const;                        // the target without its query
    std::string header(std::string_view name) const; // "" when absent; names match without case
};

struct Response {
    int status = 200;
    std::string contentType, body;
    std::vector<std::pair<std::string, std::string>> headers;
};

// A WebSocket client, as the connection that carries it offers it to its route.
class WebSocketPeer {
public:
    virtual ~WebSocketPeer() = default;
    // From any thread: queues one text message; a client that falls too far behind is dropped.
    virtual void send(std::string text) = 0;
    // From any thread: closes the connection (the route's `closed` follows).
    virtual void close() = 0;
};

// What a route does with a WebSocket it accepted. Every call comes from a handler thread, one at
// a time for one peer, `closed` last and once. A client that leaves during the opening handshake
// gets neither `opened` nor `closed`; when the server stops, `closed` comes by its destruction.
struct WebSocketHandler {
    std::function<void(std::shared_ptr<WebSocketPeer>)> opened;
    std::function<void(const std::string &text)> received;
    std::function<void()> closed;
};

struct Routes {
    // Answers a whole request; may block (it runs on a handler thread).
    std::function<Response(const Request &)> handle;
    // The bound on one request's body, given its head; Limits::bodyBytes when unset or 0.
    std::function<std::uint64_t(const Request &head)> bodyLimit;
    // For a request that asks to become a WebSocket (on a handler thread): true with the
    // handler, or false with the answer that refuses it (401, 404, ...). Unset: every upgrade
    // is refused with 404.
    std::function<bool(const Request &request, WebSocketHandler &handler, Response &refusal)> upgrade;
    // The answer to a request the stack refuses itself (400, 413, 415, 431, 501, 503), given its head
    // as far as it was read; plain text when empty.
    std::function<Response(int status, const std::string &why, const Request &head)> refuse;
};

using Parser = beast::http::request_parser<beast::http::string_body>;
using Answer = beast::http::response<beast::http::string_body>;

// The head's bound; the body's comes once the head is read, from limitBody.
void applyLimits(Parser &parser, const Limits &limits);
// For a complete head: puts the bound its route sets on the body (Limits::bodyBytes unless
// Routes::bodyLimit says more) on the parser, and 413 when the head declares a longer body.
// `large`: the body may pass Limits::bodyBytes.
int limitBody(Parser &parser, const Routes &routes, const Limits &limits, const std::string &client, bool &large,
              std::string &why);
// For a complete head: the status that refuses its body before it is read (a coded body, a
// transfer coding other than chunked), or 0 with nothing to refuse.
int refuseHead(const Parser::value_type &head, std::string &why);
// For a read that failed: the status to answer (400, 413, 431), or 0 when the client just left.
int statusForError(const beast::error_code &ec, bool headDone, std::string &why);
Request requestOf(const Parser::value_type &message, const std::string &client);
// The handler's answer; it keeps the connection open when the request allows it.
Answer answer(const Routes &routes, const Request &request, unsigned version, bool keepAlive);
// True for a GET that asks to become a WebSocket.
bool isUpgrade(const Parser::value_type &head);
// For such a request: true when its route takes it, with the route's handler; else false with
// the answer that refuses it (the connection closes after it).
bool upgradeOf(const Routes &routes, const Request &request, WebSocketHandler &handler, Answer &refused,
               unsigned version);
// The stack's own refusal; the connection closes after it.
Answer refusal(const Routes &routes, int status, const std::string &why, const Request &head, unsigned version);

// One line for standard error: time (UTC), client, method and target (printable, cut), status
// and milliseconds, and a note when there is one.
std::string logLine(const std::string &client, const std::string &method, const std::string &target, int status,
                    long long ms, const std::string &note = "");

// Every answer the bytes of one connection get, in order, as they would go on the wire: the
// path the connection takes, minus the socket. A WebSocket its route takes ends them: what
// follows is the WebSocket's.
std::string answerBytes(std::string_view bytes, const Routes &routes, const Limits &limits);

} // namespace http
} // namespace labd
