#include "board_session.h"

#include <vector>

namespace brixo {

Readback BoardSession::step(const Inputs &inputs)
{
    Readback r = doStep(inputs);
    publish(inputs, true, r);
    return r;
}

Readback BoardSession::read(const Reads &reads)
{
    Readback r = doRead(reads);
    Inputs none;
    none.reads = reads;
    publish(none, false, r);
    return r;
}

int BoardSession::subscribe(Subscriber subscriber)
{
    std::lock_guard<std::mutex> lock(subscribersMutex_);
    const int handle = nextHandle_++;
    subscribers_[handle] = std::move(subscriber);
    return handle;
}

void BoardSession::unsubscribe(int handle)
{
    std::lock_guard<std::mutex> lock(subscribersMutex_);
    subscribers_.erase(handle);
}

void BoardSession::publish(const Inputs &inputs, bool wrote, const Readback &readback)
{
    // Copied out so that a subscriber may unsubscribe itself.
    std::vector<Subscriber> now;
    {
        std::lock_guard<std::mutex> lock(subscribersMutex_);
        for (const auto &s : subscribers_)
            now.push_back(s.second);
    }
    for (const Subscriber &s : now)
        s(inputs, wrote, readback);
}

} // namespace brixo
