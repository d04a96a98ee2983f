// A simulated board on brixo-labd through its step route: one POST /api/v1/step per action,
// the whole input state in one JSON body, everything the panel shows in the answer.
#pragma once
#include "board_session.h"
#include "step_json.h"

#include <memory>
#include <mutex>

namespace httplib {
class Client;
}

namespace brixo {

// The one way a step reaches a step route, for every board behind one: POST `body` to `path` on
// `http` (its time limits set), the answer as the read-back `reads` asks for. A refusal carries
// the server's own words. `simulated`: the answer's clock is a simulated design's.
Readback postStep(httplib::Client &http, const std::string &path, const std::string &body, const Reads &reads,
                  bool simulated);
// Time limits for connecting, sending and reading, keep-alive and no delay, as steps need them.
void stepClientLimits(httplib::Client &http, int timeLimitMs);

class StepRouteBoard : public BoardSession {
public:
    // Time limit for connecting, for sending a request and for its whole answer, as for the
    // remote-lab scans.
    static constexpr int kTimeLimitMs = 5000;

    // The board at host:port when its server offers the step route (GET /api/v1/board answers
    // a board description); null otherwise, with the reason in `why` when given.
    static std::unique_ptr<StepRouteBoard> open(const std::string &host, int port, std::string *why = nullptr);
    ~StepRouteBoard() override;

    const BoardDescription &board() const { return board_; }
    std::string kind() const override { return "step route"; }
    // Requests sent so far (for the bench and the tests: one per step).
    int requests() const { return requests_; }

protected:
    Readback doStep(const Inputs &inputs) override;
    Readback doRead(const Reads &reads) override;

private:
    StepRouteBoard(const std::string &host, int port);
    std::unique_ptr<httplib::Client> http_;
    std::mutex mutex_;
    BoardDescription board_;
    int requests_ = 0;
};

} // namespace brixo
