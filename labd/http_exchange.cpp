#include "http_exchange.h"

#include <boost/beast/core/string.hpp>
#include <boost/beast/http/error.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/websocket/rfc6455.hpp>

#include <ctime>
#include <limits>
#include <sstream>

namespace labd {
namespace http {

namespace bhttp = beast::http;

namespace {

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// What a hostile target may put into a log line: printable ASCII only, and not all of it.
std::string printable(std::string_view text, size_t most)
{
    std::string out;
    for (size_t i = 0; i < text.size() && i < most; ++i)
        out += text[i] > 0x20 && text[i] < 0x7F ? text[i] : '?';
    if (text.size() > most)
        out += "...";
    return out;
}

Answer build(const Response &r, unsigned version, bool keepAlive)
{
    Answer a{static_cast<bhttp::status>(r.status), version};
    if (!r.contentType.empty())
        a.set(bhttp::field::content_type, r.contentType);
    for (const auto &[name, value] : r.headers)
        a.set(name, value);
    a.body() = r.body;
    a.keep_alive(keepAlive);
    a.prepare_payload();
    return a;
}

} // namespace

void applyLimits(Parser &parser, const Limits &limits)
{
    parser.header_limit(limits.headerBytes);
    // A declared length is checked against the route's bound after the head (limitBody). Not
    // boost::none: Beast compares a declared length with it as if it were the least bound.
    parser.body_limit(std::numeric_limits<std::uint64_t>::max());
}

int limitBody(Parser &parser, const Routes &routes, const Limits &limits, const std::string &client, bool &large,
              std::string &why)
{
    std::uint64_t bound = limits.bodyBytes;
    if (routes.bodyLimit) {
        Request head = requestOf(parser.get(), client);
        if (const std::uint64_t own = routes.bodyLimit(head))
            bound = own;
    }
    const auto declared = parser.content_length();
    if (declared && *declared > bound) {
        why = "body too long";
        return 413;
    }
    parser.body_limit(bound);
    large = bound > limits.bodyBytes && (parser.chunked() || (declared && *declared > limits.bodyBytes));
    return 0;
}

std::string Request::path() const { return target.substr(0, target.find('?')); }

std::string Request::header(std::string_view name) const
{
    for (const auto &[n, value] : headers)
        if (sameName(n, name))
            return value;
    return "";
}

int refuseHead(const Parser::value_type &head, std::string &why)
{
    if (head.find(bhttp::field::content_encoding) != head.end()) {
        why = "a body in a content coding is not taken";
        return 415;
    }
    const auto te = head.find(bhttp::field::transfer_encoding);
    if (te != head.end() && !beast::iequals(te->value(), "chunked")) {
        why = "no transfer coding but chunked is taken";
        return 501;
    }
    return 0;
}

int statusForError(const beast::error_code &ec, bool headDone, std::string &why)
{
    if (ec == bhttp::error::end_of_stream || ec == bhttp::error::partial_message || ec == beast::error::timeout ||
        ec.category() != bhttp::make_error_code(bhttp::error::end_of_stream).category())
        return 0; // the client left, or its time ran out: nobody to answer
    if (ec == bhttp::error::body_limit) {
        why = "body too long";
        return 413;
    }
    if (ec == bhttp::error::header_limit || (ec == bhttp::error::buffer_overflow && !headDone)) {
        why = "request head too long";
        return 431;
    }
    why = "malformed request: " + ec.message();
    return 400;
}

Request requestOf(const Parser::value_type &message, const std::string &client)
{
    Request r;
    r.method = std::string(message.method_string());
    r.target = std::string(message.target());
    r.client = client;
    for (const auto &field : message)
        r.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
    r.body = message.body();
    return r;
}

Answer answer(const Routes &routes, const Request &request, unsigned version, bool keepAlive)
{
    return build(routes.handle(request), version, keepAlive);
}

bool isUpgrade(const Parser::value_type &head) { return beast::websocket::is_upgrade(head); }

bool upgradeOf(const Routes &routes, const Request &request, WebSocketHandler &handler, Answer &refused,
               unsigned version)
{
    Response r{404, "text/plain; charset=utf-8", "no WebSocket here\n", {}};
    if (routes.upgrade && routes.upgrade(request, handler, r))
        return true;
    refused = build(r, version, false);
    return false;
}

Answer refusal(const Routes &routes, int status, const std::string &why, const Request &head, unsigned version)
{
    Response r;
    if (routes.refuse)
        r = routes.refuse(status, why, head);
    else {
        r.status = status;
        r.contentType = "text/plain; charset=utf-8";
        r.body = why + "\n";
    }
    return build(r, version ? version : 11, false);
}

std::string logLine(const std::string &client, const std::string &method, const std::string &target, int status,
                    long long ms, const std::string &note)
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%S", &utc);
    const long long milli = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    char millis[8];
    std::snprintf(millis, sizeof millis, ".%03lldZ", milli);
    std::string line = std::string(stamp) + millis + " " + client + " " +
                       (method.empty() ? "-" : printable(method, 20)) + " " +
                       (target.empty() ? "-" : printable(target, 200)) + " " + std::to_string(status) + " " +
                       std::to_string(ms) + " ms";
    if (!note.empty())
        line += " (" + note + ")";
    return line + "\n";
}

std::string answerBytes(std::string_view bytes, const Routes &routes, const Limits &limits)
{
    std::ostringstream wire;
    auto put = [&bytes](Parser &p, beast::error_code &ec) {
        const size_t used = p.put(boost::asio::buffer(bytes.data(), bytes.size()), ec);
        bytes.remove_prefix(used);
        if (ec == bhttp::error::need_more)
            ec = {};
        return used;
    };
    while (!bytes.empty()) {
        Parser p;
        applyLimits(p, limits);
        beast::error_code ec;
        put(p, ec);
        std::string why;
        int status = ec ? statusForError(ec, p.is_header_done(), why) : 0;
        if (!ec && !p.is_header_done())
            break; // the head never completes: the request's time runs out
        bool large = false;
        if (!ec)
            status = refuseHead(p.get(), why);
        if (!ec && !status)
            status = limitBody(p, routes, limits, "fuzz", large, why);
        while (!ec && !status && !p.is_done() && !bytes.empty() && put(p, ec) > 0) {
        }
        if (ec)
            status = statusForError(ec, p.is_header_done(), why);
        if (status) {
            Request head = requestOf(p.get(), "fuzz");
            head.body.clear();
            wire << refusal(routes, status, why, head, p.get().version());
            break;
        }
        if (ec || !p.is_done())
            break;
        const Request request = requestOf(p.get(), "fuzz");
        if (isUpgrade(p.get())) {
            WebSocketHandler handler;
            Answer refused;
            if (!upgradeOf(routes, request, handler, refused, p.get().version()))
                wire << refused;
            break;
        }
        const Answer a = answer(routes, request, p.get().version(), p.get().keep_alive());
        wire << a;
        if (!a.keep_alive())
            break;
    }
    return wire.str();
}

} // namespace http
} // namespace labd
