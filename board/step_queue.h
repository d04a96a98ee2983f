// The panel's steps towards a board that answers slowly: at most one step is in flight and one
// waits. Input that comes while a step runs replaces the waiting one (each step carries the
// whole input state), and a key pressed and let go in that time becomes a pulse of the waiting
// step, so the press is neither lost nor sent twice. Plain logic; the board data drives it.
#pragma once
#include "board_session.h"

#include <optional>

namespace board {

class StepQueue {
public:
    // The input state after a user action. True: nothing is in flight, send it now (it is in
    // flight from here on). False: it waits, in place of what waited before.
    bool offer(const brixo::Inputs& state);
    // A read without inputs. True: send it now; false: something is in flight, whose answer
    // brings the outputs anyway, so nothing waits for it.
    bool offerRead();
    // The step in flight has been answered. After a success the waiting step, if any, is
    // returned and in flight from here on; after a failure what waited is dropped.
    std::optional<brixo::Inputs> finished(bool ok);

    bool inFlight() const { return inFlight_; }
    bool waiting() const { return waiting_.has_value(); }

private:
    bool inFlight_ = false;
    std::optional<brixo::Inputs> waiting_;
    std::uint32_t lastKeys_ = 0; // the keys of the step in flight, then of each waiting state
    std::uint32_t pressed_ = 0;  // keys that went down in a waiting state
};

} // namespace board
