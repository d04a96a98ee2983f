// The lab server's push channel: one WebSocket per client. Each client is told its place in the
// queue when it changes, the end of its hold, the read-backs of the board it holds (or, a
// teacher, watches) whenever they change, and the progress of a download to that board. The
// queue is shared with other lab PCs, so places are read back from the store a few times a
// second rather than announced; a held board is read 20 times a second while someone listens,
// and each step's answer is pushed at once.
#pragma once
#include "http_exchange.h"
#include "lab_service.h"

#include <nlohmann/json.hpp>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace labd {

// GET /api/v1/me's members.
nlohmann::json placeJson(const lab::Identity &who, const lab::Place &place, const std::string &simulated);
// A step's answer members, and the "readback" event for a board.
nlohmann::json answerJson(const brixo::Readback &readback);
nlohmann::json readbackEvent(const std::string &board, const brixo::Inputs &inputs, const brixo::Readback &readback);
nlohmann::json configureJson(const ConfigureStatus &status);

class EventHub {
public:
    explicit EventHub(LabService &service);
    ~EventHub(); // stops
    EventHub(const EventHub &) = delete;
    EventHub &operator=(const EventHub &) = delete;

    void start();
    void stop();
    // The handler for a signed-in client's WebSocket.
    http::WebSocketHandler handlerFor(const lab::Identity &who);
    // Places may have changed (a route changed the queue): read them now.
    void nudge();
    std::size_t peerCount();

    // The service's listener.
    void stepped(const std::string &board, const brixo::Inputs &inputs, const brixo::Readback &readback);
    void configured(const std::string &board, const ConfigureStatus &status);

private:
    struct Peer {
        lab::Identity who;
        std::shared_ptr<http::WebSocketPeer> socket;
        std::string watch;                        // a teacher's watched board
        std::string held;                         // the lab board held, at the last look
        std::string simulated;                    // the simulated board, at the last look
        std::string placeShown;                   // the last place sent, without its seconds
        std::map<std::string, std::string> shown; // by board, the last read-back sent
    };
    int opened(const lab::Identity &who, const std::shared_ptr<http::WebSocketPeer> &socket);
    void received(int id, const std::string &text);
    void closed(int id);
    bool listens(const Peer &peer, const std::string &board) const;
    void sendReadback(const std::string &board, const nlohmann::json &event);
    void readPlaces();
    void pollBoards();
    void run(int periodMs, void (EventHub::*work)());

    LabService &service_;
    std::mutex mutex_;
    std::map<int, Peer> peers_;
    int nextId_ = 1;

    std::mutex runMutex_;
    std::condition_variable wake_;
    bool stopping_ = false, nudged_ = false;
    std::thread places_, poller_;
};

} // namespace labd
