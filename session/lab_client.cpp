#include "lab_client.h"

#include "host_port.h"
#include "step_route_board.h"

#include <httplib.h>
#include <vestrix.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdlib>

namespace brixo {

using nlohmann::json;

namespace {

using Clock = std::chrono::steady_clock;

std::string text(const json &o, const char *name)
{
    const auto it = o.find(name);
    return it != o.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// An integer member clamped to [lo, hi]; `fallback` when it is missing or no integer.
long long number(const json &o, const char *name, long long lo, long long hi, long long fallback)
{
    const auto it = o.find(name);
    if (it == o.end() || !it->is_number_integer())
        return fallback;
    const long long v =
        it->is_number_unsigned() && it->get<std::uint64_t>() > std::uint64_t(hi) ? hi : it->get<long long>();
    return v < lo ? lo : v > hi ? hi : v;
}

json object(const std::string &body)
{
    json o = json::parse(body, nullptr, false);
    return o.is_object() ? o : json();
}

bool transportFailure(LabError &e, const std::string &why)
{
    e.status = 0;
    e.message = why;
    return false;
}

// Board ids go into the path: anything but the plain characters the server names boards with
// is refused here rather than sent.
bool plainId(const std::string &id)
{
    if (id.empty() || id.size() > 128)
        return false;
    for (char c : id)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
              c == '.'))
            return false;
    return id != "." && id != "..";
}

} // namespace

std::string LabUrl::text() const { return (https ? "https://" : "http://") + host + ":" + std::to_string(port); }

bool parseLabUrl(const std::string &input, LabUrl &url, std::string &why)
{
    std::string t = input;
    const size_t first = t.find_first_not_of(" \t\r\n");
    t = first == std::string::npos ? std::string() : t.substr(first, t.find_last_not_of(" \t\r\n") - first + 1);
    LabUrl u;
    if (t.rfind("https://", 0) == 0) {
        u.https = true;
        t = t.substr(8);
    } else if (t.rfind("http://", 0) == 0) {
        t = t.substr(7);
    } else if (t.find("://") != std::string::npos) {
        why = "the address must begin with http:// or https://";
        return false;
    }
    if (!t.empty() && t.back() == '/')
        t.pop_back();
    if (t.empty() || t.find_first_of("/?#@ \t") != std::string::npos) {
        why = "the address must be http[s]://HOST[:PORT] with no path";
        return false;
    }
    const bool bracketed = t.front() == '[';
    const size_t colon = t.rfind(':');
    const bool hasPort = colon != std::string::npos && (!bracketed || t.rfind(']') < colon);
    if (!hasPort) {
        t += u.https ? ":443" : ":80";
    }
    if (!parseHostPort(t, u.host, u.port)) {
        why = "the address must be http[s]://HOST[:PORT], a port of 1 to 65535";
        return false;
    }
    url = u;
    return true;
}

bool parseLabMe(const std::string &body, LabMe &me)
{
    const json o = object(body);
    if (!o.is_object() || !o.contains("state"))
        return false;
    me = LabMe();
    me.user = text(o, "user");
    me.role = text(o, "role");
    me.state = text(o, "state");
    if (me.state != "none" && me.state != "queued" && me.state != "holding")
        return false;
    me.kind = text(o, "kind");
    me.board = text(o, "board");
    me.address = text(o, "address");
    me.simulated = text(o, "simulated");
    me.position = int(number(o, "position", 0, 1000000, 0));
    me.secondsLeft = int(number(o, "seconds_left", 0, 100000000, -1));
    return me.state != "holding" || plainId(me.board);
}

bool parseLabBoards(const std::string &body, std::vector<LabBoardInfo> &boards)
{
    const json a = json::parse(body, nullptr, false);
    if (!a.is_array())
        return false;
    boards.clear();
    for (const json &o : a) {
        if (!o.is_object())
            return false;
        LabBoardInfo b;
        b.id = text(o, "id");
        b.name = text(o, "name");
        b.kind = text(o, "kind");
        b.state = text(o, "state");
        b.host = text(o, "host");
        b.address = text(o, "address");
        b.holder = text(o, "holder");
        b.queue = int(number(o, "queue", 0, 1000000, 0));
        if (b.id.empty())
            return false;
        boards.push_back(b);
    }
    return true;
}

bool parseLabConfigure(const std::string &body, LabConfigureState &s)
{
    const json o = object(body);
    s = LabConfigureState();
    s.state = o.is_object() ? text(o, "state") : std::string();
    if (s.state != "idle" && s.state != "running" && s.state != "done" && s.state != "failed" && s.state != "cancelled")
        return false;
    s.total = number(o, "total", 0, 1ll << 40, 0);
    s.done = number(o, "done", 0, s.total, 0);
    s.error = text(o, "error");
    return true;
}

std::unique_ptr<httplib::Client> labHttpClient(const LabUrl &url, int timeLimitMs)
{
    auto c = std::make_unique<httplib::Client>(url.text());
    stepClientLimits(*c, timeLimitMs);
    if (url.https) {
        if (const char *ca = std::getenv("BRIXO_LAB_CA_FILE"); ca && *ca)
            c->set_ca_cert_path(ca);
        c->enable_server_certificate_verification(true);
    }
    return c;
}

LabClient::LabClient(const LabUrl &url, const std::string &token)
    : url_(url), token_(token), http_(labHttpClient(url, kTimeLimitMs))
{}

LabClient::~LabClient() { stopHeartbeat(); }

std::string LabClient::token() const
{
    std::lock_guard<std::mutex> lock(tokenMutex_);
    return token_;
}

std::unique_ptr<httplib::Client> LabClient::makeClient() const { return labHttpClient(url_, kTimeLimitMs); }

bool LabClient::request(const std::string &method, const std::string &path, const std::string &body,
                        const std::string &contentType, std::string &answer, LabError &e, int *status)
{
    httplib::Request req;
    req.method = method;
    req.path = path;
    const std::string bearer = token();
    if (!bearer.empty())
        req.headers.emplace("Authorization", "Bearer " + bearer);
    if (!body.empty() || method == "POST") {
        req.body = body;
        req.headers.emplace("Content-Type", contentType.empty() ? "application/json" : contentType);
    }
    // The answer is read into a bounded buffer, and all of it within the time limit: a server
    // that sends without end, or a byte at a time, is cut off.
    answer.clear();
    bool tooLarge = false, tooSlow = false;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kTimeLimitMs);
    req.content_receiver = [&](const char *data, size_t n, uint64_t, uint64_t) {
        if (answer.size() + n > kAnswerLimit)
            return !(tooLarge = true);
        if (Clock::now() > deadline)
            return !(tooSlow = true);
        answer.append(data, n);
        return true;
    };
    httplib::Response res;
    httplib::Error error = httplib::Error::Success;
    bool sent;
    {
        std::lock_guard<std::mutex> lock(requestMutex_);
        sent = http_->send(req, res, error);
    }
    if (tooLarge)
        return transportFailure(e, "the server's answer is larger than " + std::to_string(kAnswerLimit) + " bytes");
    if (tooSlow)
        return transportFailure(e,
                                "the server's answer took longer than " + std::to_string(kTimeLimitMs / 1000) + " s");
    if (!sent)
        return transportFailure(e, "no answer from " + url_.text() + " (" + httplib::to_string(error) + ")");
    if (status)
        *status = res.status;
    if (res.status < 200 || res.status > 299) {
        e.status = res.status;
        e.message = errorOf(answer);
        if (e.message.empty())
            e.message = "HTTP " + std::to_string(res.status);
        // The server's words go to a terminal or a dialog: kept to one bounded line.
        if (e.message.size() > 1000)
            e.message.resize(1000);
        for (char &c : e.message)
            if (c == '\n' || c == '\r' || (unsigned char)c < 0x20)
                c = ' ';
        return false;
    }
    return true;
}

namespace {

// A 2xx answer that is not the route's shape.
bool badAnswer(LabError &e, const char *route)
{
    e.status = 0;
    e.message = std::string("the server's answer to ") + route + " is not what the route gives";
    return false;
}

} // namespace

bool LabClient::login(const std::string &user, const std::string &password, std::string &role, int &seconds,
                      LabError &e)
{
    const std::string body =
        json{{"user", user}, {"password", password}}.dump(-1, ' ', false, json::error_handler_t::replace);
    std::string answer;
    {
        std::lock_guard<std::mutex> lock(tokenMutex_);
        token_.clear();
    }
    if (!request("POST", "/api/v1/login", body, "application/json", answer, e))
        return false;
    const json o = object(answer);
    const std::string t = o.is_object() ? text(o, "token") : std::string();
    // The token goes into headers and a file: printable characters only.
    if (t.empty() || t.size() > 512 || t.find_first_of(" \t\r\n\"") != std::string::npos)
        return badAnswer(e, "login");
    role = text(o, "role");
    seconds = int(number(o, "seconds", 0, 100000000, 0));
    std::lock_guard<std::mutex> lock(tokenMutex_);
    token_ = t;
    return true;
}

bool LabClient::logout(LabError &e)
{
    std::string answer;
    return request("POST", "/api/v1/logout", "{}", "application/json", answer, e);
}

bool LabClient::me(LabMe &me, LabError &e)
{
    std::string answer;
    if (!request("GET", "/api/v1/me", "", "", answer, e))
        return false;
    return parseLabMe(answer, me) || badAnswer(e, "GET /api/v1/me");
}

bool LabClient::boards(std::vector<LabBoardInfo> &boards, LabError &e)
{
    std::string answer;
    if (!request("GET", "/api/v1/boards", "", "", answer, e))
        return false;
    return parseLabBoards(answer, boards) || badAnswer(e, "GET /api/v1/boards");
}

bool LabClient::queue(const std::string &kind, int &position, LabError &e)
{
    std::string answer;
    const std::string body = json{{"kind", kind}}.dump(-1, ' ', false, json::error_handler_t::replace);
    if (!request("POST", "/api/v1/queue", body, "application/json", answer, e))
        return false;
    const json o = object(answer);
    if (!o.is_object() || !o.contains("position"))
        return badAnswer(e, "POST /api/v1/queue");
    position = int(number(o, "position", 0, 1000000, 0));
    return true;
}

bool LabClient::heartbeat(LabError &e)
{
    std::string answer;
    return request("POST", "/api/v1/heartbeat", "{}", "application/json", answer, e);
}

bool LabClient::release(LabError &e)
{
    std::string answer;
    return request("DELETE", "/api/v1/me", "", "", answer, e);
}

bool LabClient::panel(const std::string &board, std::string &bytes, LabError &e)
{
    if (!plainId(board))
        return transportFailure(e, "no such board");
    return request("GET", "/api/v1/boards/" + board + "/panel", "", "", bytes, e);
}

bool LabClient::describe(const std::string &board, BoardDescription &description, LabError &e)
{
    if (!plainId(board))
        return transportFailure(e, "no such board");
    std::string answer;
    if (!request("GET", "/api/v1/boards/" + board + "/describe", "", "", answer, e))
        return false;
    return parseBoardJson(answer, description) || badAnswer(e, "describe");
}

bool LabClient::configure(const std::string &board, const std::string &bytes, const ConfigureProgress &progress,
                          LabError &e, int pollMs)
{
    if (!plainId(board))
        return transportFailure(e, "no such board");
    const std::string path = "/api/v1/boards/" + board + "/configure";
    std::string answer;
    if (!request("POST", path, bytes, "application/octet-stream", answer, e))
        return false;
    LabConfigureState s;
    s.state = "running";
    s.total = number(object(answer), "total", 0, 1ll << 40, 0);
    // The server runs the download; a poll that fails is the end of following it (its own time
    // limits bound each one, and the server bounds the download).
    for (;;) {
        if (progress && !progress(s)) {
            std::string ignored;
            LabError cancelError;
            request("DELETE", path, "", "", ignored, cancelError);
            e.status = 0;
            e.message = "cancelled";
            return false;
        }
        if (s.state == "done")
            return true;
        if (s.state == "failed" || s.state == "cancelled") {
            e.status = 0;
            e.message = !s.error.empty() ? s.error : s.state;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
        if (!request("GET", path, "", "", answer, e))
            return false;
        if (!parseLabConfigure(answer, s))
            return badAnswer(e, "GET configure");
        if (s.state == "idle") // not begun yet, as the server tells it
            s.state = "running";
    }
}

void LabClient::startHeartbeat()
{
    std::lock_guard<std::mutex> lock(beatMutex_);
    if (beat_.joinable())
        return;
    beatStop_ = false;
    beat_ = std::thread([this] {
        // A client of its own, so a beat never waits behind a download's upload.
        LabClient beats(url_, token());
        std::unique_lock<std::mutex> lock(beatMutex_);
        while (!beatWake_.wait_for(lock, std::chrono::seconds(kHeartbeatSeconds), [this] { return beatStop_; })) {
            lock.unlock();
            LabError ignored;
            beats.heartbeat(ignored);
            lock.lock();
        }
    });
}

void LabClient::stopHeartbeat()
{
    std::thread beat;
    {
        std::lock_guard<std::mutex> lock(beatMutex_);
        beatStop_ = true;
        beat.swap(beat_);
    }
    beatWake_.notify_all();
    if (beat.joinable())
        beat.join();
}

namespace {

Readback noSuchBoard()
{
    Readback r;
    r.code = VESTRIX_FPGA_LINK_FAILED;
    r.stage = Readback::Leds;
    r.message = "no such board";
    return r;
}

} // namespace

LabBoardSession::LabBoardSession(LabClient &client, const std::string &board)
    : http_(labHttpClient(client.url(), LabClient::kTimeLimitMs)), board_(board),
      path_(plainId(board) ? "/api/v1/boards/" + board + "/step" : std::string())
{
    http_->set_bearer_token_auth(client.token());
}

LabBoardSession::~LabBoardSession() = default;

Readback LabBoardSession::doStep(const Inputs &in)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (path_.empty())
        return noSuchBoard();
    // A student's simulated board keeps a simulated clock; a lab board's clock is its own.
    return postStep(*http_, path_, stepRequestJson(in), in.reads, board_.rfind("sim-", 0) == 0);
}

Readback LabBoardSession::doRead(const Reads &reads)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (path_.empty())
        return noSuchBoard();
    return postStep(*http_, path_, "{}", reads, board_.rfind("sim-", 0) == 0);
}

} // namespace brixo
