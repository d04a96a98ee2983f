#include "step_queue.h"

namespace board {

bool StepQueue::offer(const brixo::Inputs& state)
{
    if (!inFlight_) {
        inFlight_ = true;
        lastKeys_ = state.keys;
        pressed_ = 0;
        return true;
    }
    pressed_ |= state.keys & ~lastKeys_;
    lastKeys_ = state.keys;
    waiting_ = state;
    // Pressed and let go again before the board saw it: pressed and released after the inputs.
    waiting_->pulse = state.pulse | (pressed_ & ~state.keys);
    return false;
}

bool StepQueue::offerRead()
{
    if (inFlight_)
        return false;
    inFlight_ = true;
    return true;
}

std::optional<brixo::Inputs> StepQueue::finished(bool ok)
{
    inFlight_ = false;
    std::optional<brixo::Inputs> next;
    next.swap(waiting_);
    pressed_ = 0;
    if (!ok || !next)
        return std::nullopt;
    inFlight_ = true;
    lastKeys_ = next->keys;
    return next;
}

} // namespace board
