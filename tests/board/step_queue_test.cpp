// What goes to a slow board: at most one step in flight, the latest state waiting, and keys
// pressed and let go meanwhile as pulses.
#include "step_queue.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

brixo::Inputs state(std::uint64_t switches, std::uint32_t keys)
{
    brixo::Inputs in;
    in.switches = switches;
    in.keys = keys;
    return in;
}

TEST(StepQueue, InputWhileAStepRunsWaitsAsOneStepWithItsPulses)
{
    struct Case {
        const char* name;
        std::uint32_t inFlightKeys;
        std::vector<brixo::Inputs> meanwhile;
        std::uint64_t switches;
        std::uint32_t keys, pulse;
    };
    const Case cases[] = {
        {"switches: the last state", 0, {state(1, 0), state(3, 0), state(7, 0)}, 7, 0, 0},
        {"pressed and let go", 0, {state(0, 1), state(0, 0)}, 0, 0, 1},
        {"let go only", 1, {state(0, 0)}, 0, 0, 0},
        {"let go, pressed, let go", 1, {state(0, 0), state(0, 1), state(0, 0)}, 0, 0, 1},
        {"still held", 0, {state(0, 1), state(2, 1)}, 2, 1, 0},
        {"held while another taps", 1, {state(0, 3), state(0, 1)}, 0, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        board::StepQueue q;
        ASSERT_TRUE(q.offer(state(0, c.inFlightKeys)));
        for (const brixo::Inputs& in : c.meanwhile)
            EXPECT_FALSE(q.offer(in));
        EXPECT_FALSE(q.offerRead()); // the answer in flight brings the outputs
        const std::optional<brixo::Inputs> next = q.finished(true);
        ASSERT_TRUE(next.has_value());
        EXPECT_EQ(next->switches, c.switches);
        EXPECT_EQ(next->keys, c.keys);
        EXPECT_EQ(next->pulse, c.pulse);
        EXPECT_TRUE(q.inFlight());
        EXPECT_FALSE(q.finished(true).has_value());
        EXPECT_FALSE(q.inFlight());
    }
}

TEST(StepQueue, AFailureDropsWhatWaited)
{
    board::StepQueue q;
    ASSERT_TRUE(q.offer(state(1, 0)));
    EXPECT_FALSE(q.offer(state(3, 0)));
    EXPECT_FALSE(q.finished(false).has_value());
    EXPECT_FALSE(q.inFlight() || q.waiting());
    EXPECT_TRUE(q.offerRead());
    EXPECT_FALSE(q.offer(state(0, 1))); // waits behind the read
    EXPECT_EQ(q.finished(true)->keys, 1u);
}

} // namespace
