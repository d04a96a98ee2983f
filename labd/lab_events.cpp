#include "lab_events.h"

#include <cstdio>
#include <set>

namespace labd {

namespace {

using nlohmann::json;

constexpr int kPlacePeriodMs = 250; // places are read this often
constexpr int kPollPeriodMs = 50;   // a listened-to board is read 20 times a second
constexpr std::size_t kMessageLimit = 4096;

const char *stateName(lab::Place::What what)
{
    switch (what) {
    case lab::Place::Queued: return "queued";
    case lab::Place::Holding: return "holding";
    case lab::Place::None: break;
    }
    return "none";
}

} // namespace

json placeJson(const lab::Identity &who, const lab::Place &place, const std::string &simulated)
{
    json o = {{"user", who.name}, {"role", lab::roleName(who.role)}, {"state", stateName(place.what)}};
    if (place.what != lab::Place::None)
        o["kind"] = place.kind;
    if (place.what == lab::Place::Queued)
        o["position"] = place.position;
    if (place.what == lab::Place::Holding) {
        o["board"] = place.board;
        o["address"] = place.address;
        o["seconds_left"] = place.secondsLeft;
    }
    if (!simulated.empty())
        o["simulated"] = simulated;
    return o;
}

json answerJson(const brixo::Readback &r)
{
    json digits = json::array();
    for (std::uint8_t d : r.digits)
        digits.push_back(d);
    return {{"leds", r.leds},
            {"digits", digits},
            {"cpu_data", brixo::cpuDataHex(r.cpuData, std::max(0, r.cpuBits))},
            {"cycles", r.cycles},
            {"time_ns", r.timeNs}};
}

json readbackEvent(const std::string &board, const brixo::Inputs &inputs, const brixo::Readback &readback)
{
    json o = answerJson(readback);
    o["type"] = "readback";
    o["board"] = board;
    o["switches"] = inputs.switches;
    o["keys"] = inputs.keys;
    return o;
}

json configureJson(const ConfigureStatus &s)
{
    json o = {{"state", s.state}, {"done", s.done}, {"total", s.total}};
    if (!s.error.empty())
        o["error"] = s.error;
    return o;
}

EventHub::EventHub(LabService &service) : service_(service) {}

EventHub::~EventHub() { stop(); }

void EventHub::start()
{
    stopping_ = false;
    places_ = std::thread([this] { run(kPlacePeriodMs, &EventHub::readPlaces); });
    poller_ = std::thread([this] { run(kPollPeriodMs, &EventHub::pollBoards); });
}

void EventHub::stop()
{
    {
        std::lock_guard<std::mutex> lock(runMutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread *t : {&places_, &poller_})
        if (t->joinable())
            t->join();
    std::map<int, Peer> peers;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        peers.swap(peers_);
    }
    for (auto &[id, p] : peers)
        p.socket->close();
}

void EventHub::nudge()
{
    {
        std::lock_guard<std::mutex> lock(runMutex_);
        nudged_ = true;
    }
    wake_.notify_all();
}

std::size_t EventHub::peerCount()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return peers_.size();
}

void EventHub::run(int periodMs, void (EventHub::*work)())
{
    std::unique_lock<std::mutex> lock(runMutex_);
    while (!stopping_) {
        lock.unlock();
        try {
            (this->*work)();
        } catch (const std::exception &e) {
            std::fprintf(stderr, "brixo-labd: the push channel failed to read the lab: %s\n", e.what());
        }
        lock.lock();
        if (work == &EventHub::readPlaces) {
            wake_.wait_for(lock, std::chrono::milliseconds(periodMs), [this] { return stopping_ || nudged_; });
            nudged_ = false;
        } else {
            wake_.wait_for(lock, std::chrono::milliseconds(periodMs), [this] { return stopping_; });
        }
    }
}

http::WebSocketHandler EventHub::handlerFor(const lab::Identity &who)
{
    // A peer is known from its opening on; the calls for one peer come one at a time.
    auto id = std::make_shared<int>(0);
    http::WebSocketHandler h;
    h.opened = [this, id, who](std::shared_ptr<http::WebSocketPeer> socket) { *id = opened(who, socket); };
    h.received = [this, id](const std::string &text) { received(*id, text); };
    h.closed = [this, id] { closed(*id); };
    return h;
}

int EventHub::opened(const lab::Identity &who, const std::shared_ptr<http::WebSocketPeer> &socket)
{
    int id = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        id = nextId_++;
        peers_[id] = Peer{who, socket, "", "", "", "", {}};
    }
    nudge(); // the place goes out at connect
    return id;
}

void EventHub::closed(int id)
{
    std::lock_guard<std::mutex> lock(mutex_);
    peers_.erase(id);
}

void EventHub::received(int id, const std::string &text)
{
    lab::Identity who;
    std::shared_ptr<http::WebSocketPeer> socket;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = peers_.find(id);
        if (it == peers_.end())
            return;
        who = it->second.who;
        socket = it->second.socket;
    }
    // Any message is a sign of life.
    service_.store().queue().heartbeat(who.name);
    service_.seen(who.name);
    const json m = text.size() <= kMessageLimit ? json::parse(text, nullptr, false) : json();
    if (!m.is_object() || !m.contains("type") || !m["type"].is_string()) {
        socket->send(json{{"type", "error"}, {"error", "a message is a JSON object with a \"type\""}}.dump());
        return;
    }
    const std::string type = m["type"];
    if (type == "heartbeat")
        return;
    if (type == "watch" && m.contains("board") && m["board"].is_string()) {
        if (who.role == lab::Role::Student) {
            socket->send(json{{"type", "error"}, {"error", "only a teacher may watch a board"}}.dump());
            return;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        const auto it = peers_.find(id);
        if (it != peers_.end()) {
            it->second.watch = m["board"].get<std::string>().substr(0, 200);
            it->second.shown.clear();
        }
        return;
    }
    socket->send(json{{"type", "error"}, {"error", "no message type " + type.substr(0, 64)}}.dump());
}

bool EventHub::listens(const Peer &p, const std::string &board) const
{
    return !board.empty() && (p.held == board || p.simulated == board || p.watch == board);
}

void EventHub::readPlaces()
{
    std::set<std::string> users;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto &[id, p] : peers_)
            users.insert(p.who.name);
    }
    if (users.empty())
        return;
    std::map<std::string, lab::Place> places;
    for (auto &[user, place] : service_.store().queue().places())
        if (users.count(user))
            places[user] = place;
    struct Out {
        std::shared_ptr<http::WebSocketPeer> socket;
        std::string user, ended;
        json place;
    };
    std::vector<Out> out;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto &[id, p] : peers_) {
            const auto it = places.find(p.who.name);
            const lab::Place place = it == places.end() ? lab::Place{} : it->second;
            const std::string simulated = service_.simulatedOf(p.who.name);
            json shown = placeJson(p.who, place, simulated);
            json compared = shown;
            compared.erase("seconds_left"); // counting down is no change
            Out o{p.socket, p.who.name, "", {}};
            if (!p.held.empty() && (place.what != lab::Place::Holding || place.board != p.held))
                o.ended = p.held;
            p.held = place.what == lab::Place::Holding ? place.board : "";
            p.simulated = simulated;
            if (compared.dump() != p.placeShown || !o.ended.empty()) {
                p.placeShown = compared.dump();
                shown["type"] = "place";
                o.place = shown;
            }
            if (!o.place.is_null() || !o.ended.empty())
                out.push_back(std::move(o));
        }
    }
    for (Out &o : out) {
        if (!o.ended.empty())
            o.socket->send(json{{"type", "hold_end"},
                                {"board", o.ended},
                                {"why", service_.store().queue().holdEndReason(o.user, o.ended)}}
                               .dump());
        if (!o.place.is_null())
            o.socket->send(o.place.dump());
    }
}

void EventHub::pollBoards()
{
    std::set<std::string> boards;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto &[id, p] : peers_)
            for (const std::string *b : {&p.held, &p.simulated, &p.watch})
                if (!b->empty())
                    boards.insert(*b);
    }
    for (const std::string &board : boards) {
        brixo::Inputs inputs;
        brixo::Readback readback;
        if (service_.poll(board, inputs, readback))
            sendReadback(board, readbackEvent(board, inputs, readback));
    }
}

void EventHub::sendReadback(const std::string &board, const json &event)
{
    const std::string text = event.dump();
    std::vector<std::shared_ptr<http::WebSocketPeer>> to;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto &[id, p] : peers_)
            if (listens(p, board) && p.shown[board] != text) {
                p.shown[board] = text;
                to.push_back(p.socket);
            }
    }
    for (const auto &socket : to)
        socket->send(text);
}

void EventHub::stepped(const std::string &board, const brixo::Inputs &inputs, const brixo::Readback &readback)
{
    sendReadback(board, readbackEvent(board, inputs, readback));
}

void EventHub::configured(const std::string &board, const ConfigureStatus &status)
{
    json event = configureJson(status);
    event["type"] = "configure";
    event["board"] = board;
    const std::string text = event.dump();
    std::vector<std::shared_ptr<http::WebSocketPeer>> to;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const auto &[id, p] : peers_)
            if (listens(p, board))
                to.push_back(p.socket);
    }
    for (const auto &socket : to)
        socket->send(text);
}

} // namespace labd
