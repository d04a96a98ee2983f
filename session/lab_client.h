// A client of brixo-labd's lab mode (the routes under /api/v1 behind a token): signing in, the
// queue, a held board's panel, description, steps and FPGA download. Every request has a time
// limit and a bound on its answer; a refusal carries the server's own {"error"} text. One
// LabClient is one caller's: calls on it are serialised, and the heartbeat runs on a client of
// its own so that it never waits behind a long request.
#pragma once
#include "board_session.h"
#include "step_json.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Client;
}

namespace brixo {

// "http://HOST:PORT", "https://HOST:PORT" or "HOST:PORT" (plain HTTP); a trailing "/" is allowed,
// any other path is not. Without a port: 80 or 443.
struct LabUrl {
    bool https = false;
    std::string host;
    int port = 0;
    // "http://host:port" as the client dials it, and as tokens are filed under.
    std::string text() const;
};
bool parseLabUrl(const std::string &text, LabUrl &url, std::string &why);

// Why a call failed: the HTTP status and the server's words, or status 0 with the transport's
// reason when no answer came.
struct LabError {
    int status = 0;
    std::string message;
};

struct LabMe {
    std::string user, role;
    std::string state = "none"; // none, queued, holding
    std::string kind, board, address, simulated;
    int position = 0;
    int secondsLeft = -1; // -1: the server gave none
};

struct LabBoardInfo {
    std::string id, name, kind, state, host, address, holder;
    int queue = 0;
};

struct LabConfigureState {
    std::string state; // idle, running, done, failed, cancelled
    long long done = 0, total = 0;
    std::string error;
};

// Readers of the server's answers (the fuzz target and the tests call them directly); false
// for anything that is not the route's shape.
bool parseLabMe(const std::string &body, LabMe &me);
bool parseLabBoards(const std::string &body, std::vector<LabBoardInfo> &boards);
bool parseLabConfigure(const std::string &body, LabConfigureState &state);

class LabClient {
public:
    // Time limit for connecting, sending and each whole answer.
    static constexpr int kTimeLimitMs = 10000;
    // The largest answer read: a panel file with its pictures; JSON answers are far smaller.
    static constexpr std::size_t kAnswerLimit = 16u << 20;
    static constexpr int kHeartbeatSeconds = 10;

    explicit LabClient(const LabUrl &url, const std::string &token = std::string());
    ~LabClient(); // stops the heartbeat
    LabClient(const LabClient &) = delete;
    LabClient &operator=(const LabClient &) = delete;

    const LabUrl &url() const { return url_; }
    std::string token() const;

    // Signs in; the token is kept for the calls after it.
    bool login(const std::string &user, const std::string &password, std::string &role, int &seconds, LabError &e);
    bool logout(LabError &e);
    bool me(LabMe &me, LabError &e);
    bool boards(std::vector<LabBoardInfo> &boards, LabError &e);
    // The place in the queue for a board of `kind`; 0 when one was given at once.
    bool queue(const std::string &kind, int &position, LabError &e);
    bool heartbeat(LabError &e);
    // Gives the board back or leaves the queue.
    bool release(LabError &e);
    // The board's .jvp file as the server keeps it.
    bool panel(const std::string &board, std::string &bytes, LabError &e);
    bool describe(const std::string &board, BoardDescription &description, LabError &e);

    // Sends the configuration and follows the download on the server, polling every
    // `pollMs`; `progress` is told each state and returns false to cancel it (the download is
    // then cancelled on the server, and this returns false with "cancelled"). True once done.
    using ConfigureProgress = std::function<bool(const LabConfigureState &state)>;
    bool configure(const std::string &board, const std::string &bytes, const ConfigureProgress &progress, LabError &e,
                   int pollMs = 200);

    // A heartbeat every kHeartbeatSeconds on a thread of its own until stopHeartbeat() (or the
    // client ends); a failed one is retried at the next beat.
    void startHeartbeat();
    void stopHeartbeat();

    // One request, for the routes above and the board session: the answer's body on 2xx.
    bool request(const std::string &method, const std::string &path, const std::string &body,
                 const std::string &contentType, std::string &answer, LabError &e, int *status = nullptr);

private:
    std::unique_ptr<httplib::Client> makeClient() const;
    LabUrl url_;
    mutable std::mutex tokenMutex_;
    std::string token_;
    std::mutex requestMutex_;
    std::unique_ptr<httplib::Client> http_;

    std::mutex beatMutex_;
    std::condition_variable beatWake_;
    bool beatStop_ = false;
    std::thread beat_;
};

// The board held through a lab server: one POST /api/v1/boards/{id}/step per action, with the
// caller's token. The server reads the board and keeps its inputs; a step past the hold fails
// with the server's words.
class LabBoardSession : public BoardSession {
public:
    LabBoardSession(LabClient &client, const std::string &board);
    ~LabBoardSession() override;
    std::string kind() const override { return "lab server"; }
    const std::string &board() const { return board_; }

protected:
    Readback doStep(const Inputs &inputs) override;
    Readback doRead(const Reads &reads) override;

private:
    std::unique_ptr<httplib::Client> http_;
    std::mutex mutex_;
    std::string board_, path_;
};

// The client's own HTTP connection to a lab server, with the time limits and, for https, the
// system's certificate store (or BRIXO_LAB_CA_FILE when set).
std::unique_ptr<httplib::Client> labHttpClient(const LabUrl &url, int timeLimitMs);

} // namespace brixo
