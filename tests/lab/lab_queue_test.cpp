// The queue and holds on both back ends, with a clock moved by hand.
#include "store_fixture.h"

#include <set>
#include <thread>

using namespace labtest;
using lab::Place;
using lab::Role;

namespace {

class QueueTest : public StoreTest {};
LAB_STORE_BACKENDS(QueueTest);

const std::string kKind = "DE2 adder lab";

Place joined(lab::Store &store, const std::string &user, const std::string &kind = kKind)
{
    Place place;
    std::string error;
    EXPECT_TRUE(store.queue().join(user, kind, place, error)) << user << ": " << error;
    return place;
}

std::string stateOf(lab::Store &store, const std::string &board)
{
    for (const lab::BoardInfo &b : store.queue().boards())
        if (b.id == board)
            return b.state;
    return "";
}

TEST_P(QueueTest, StudentsTakeTurnsBySlicesAndOnePlaceEach)
{
    auto store = open("pc1", 5, 60);
    addUsers(*store, {{"alice", Role::Student}, {"bob", Role::Student}, {"carol", Role::Student}});
    store->queue().registerBoards({{"de2-1", kKind}, {"other-1", "other"}});
    EXPECT_EQ(joined(*store, "alice").what, Place::Holding);
    EXPECT_EQ(joined(*store, "bob").position, 1);
    EXPECT_EQ(joined(*store, "carol").position, 2);

    struct Refusal {
        std::string user, kind, error;
    } refusals[] = {
        {"alice", kKind, "already holding board de2-1"},
        {"bob", "other", "already waiting for a board of kind DE2 adder lab"},
        {"nobody", kKind, "no such user"},
    };
    for (const Refusal &r : refusals) {
        Place place;
        std::string error;
        EXPECT_FALSE(store->queue().join(r.user, r.kind, place, error));
        EXPECT_EQ(error, r.error);
    }
    std::string error;
    EXPECT_TRUE(store->queue().startSimulated("alice", error));
    EXPECT_FALSE(store->queue().startSimulated("alice", error));
    EXPECT_EQ(error, "alice already runs a simulated board");

    advance(4);
    EXPECT_EQ(store->queue().me("alice").secondsLeft, 1);
    advance(1);
    EXPECT_EQ(store->queue().me("alice").what, Place::None);
    EXPECT_EQ(stateOf(*store, "de2-1"), "resetting");
    EXPECT_EQ(store->queue().me("bob").position, 1);
    ASSERT_EQ(store->queue().boardsToReset(), std::vector<std::string>{"de2-1"});
    EXPECT_TRUE(store->queue().resetDone("de2-1", true));
    Place bob = store->queue().me("bob");
    EXPECT_EQ(bob.what, Place::Holding);
    EXPECT_EQ(bob.secondsLeft, 5);
    EXPECT_EQ(store->queue().me("carol").position, 1);

    EXPECT_FALSE(store->queue().extend({"carol", Role::Student}, "de2-1", 10, error));
    EXPECT_TRUE(store->queue().extend({"tina", Role::Teacher}, "de2-1", 10, error)) << error;
    advance(14);
    EXPECT_EQ(store->queue().me("bob").secondsLeft, 1);
    EXPECT_TRUE(store->queue().release("bob"));
    EXPECT_EQ(store->queue().me("bob").what, Place::None);
    EXPECT_TRUE(store->queue().leave("carol"));
    EXPECT_EQ(store->queue().me("carol").what, Place::None);

    const std::vector<std::string> audit = store->audit().lines();
    const std::string ends[] = {
        "hold-end alice de2-1 held from 2027-01-15T08:00:00Z to 2027-01-15T08:00:05Z (slice over)",
        "hold-extended bob de2-1 by 10 s, by tina", "hold-end bob de2-1", "(released)"};
    for (const std::string &end : ends)
        EXPECT_TRUE(std::any_of(audit.begin(), audit.end(), [&](const std::string &l) {
            return l.find(end) != std::string::npos;
        })) << end;
}

TEST_P(QueueTest, HoldEndsWithoutHeartbeat)
{
    auto store = open("pc1", 900, 3);
    addUsers(*store, {{"alice", Role::Student}});
    store->queue().registerBoards({{"de2-1", kKind}});
    joined(*store, "alice");
    for (int beat = 0; beat < 3; ++beat) {
        advance(2);
        EXPECT_TRUE(store->queue().heartbeat("alice"));
    }
    advance(2);
    EXPECT_EQ(store->queue().me("alice").what, Place::Holding);
    advance(1);
    EXPECT_EQ(store->queue().me("alice").what, Place::None);
    EXPECT_FALSE(store->queue().heartbeat("alice"));
    EXPECT_NE(store->audit().lines().back().find("(no heartbeat)"), std::string::npos);
}

TEST_P(QueueTest, FailedResetTakesTheBoardOutUntilFixed)
{
    auto store = open();
    addUsers(*store, {{"alice", Role::Student}, {"bob", Role::Student}, {"carol", Role::Student}});
    store->queue().registerBoards({{"de2-1", kKind}, {"de2-2", kKind}});
    EXPECT_EQ(joined(*store, "alice").board, "de2-1");
    store->queue().release("alice");
    EXPECT_TRUE(store->queue().resetDone("de2-1", false, "download failed"));
    EXPECT_FALSE(store->queue().resetDone("de2-1", true));
    EXPECT_EQ(joined(*store, "bob").board, "de2-2");
    EXPECT_EQ(joined(*store, "carol").position, 1);
    EXPECT_EQ(stateOf(*store, "de2-1"), "broken");
    std::string error;
    EXPECT_FALSE(store->queue().markFixed({"bob", Role::Student}, "de2-1", error));
    EXPECT_TRUE(store->queue().markFixed({"tina", Role::Teacher}, "de2-1", error)) << error;
    EXPECT_EQ(store->queue().me("carol").board, "de2-1");
    EXPECT_TRUE(store->accounts().remove("carol"));
    EXPECT_EQ(stateOf(*store, "de2-1"), "resetting");
    EXPECT_NE(store->audit().lines().at(store->audit().lines().size() - 2).find("(account removed)"),
              std::string::npos);
}

TEST_P(QueueTest, RestartFindsQueueAndHoldsInTheDatabase)
{
    {
        auto store = open("pc1", 60);
        addUsers(*store, {{"alice", Role::Student}, {"bob", Role::Student}, {"carol", Role::Student}});
        store->queue().registerBoards({{"de2-1", kKind}, {"de2-2", kKind}});
        joined(*store, "alice");
        joined(*store, "bob");
        store->queue().release("bob");
        EXPECT_EQ(joined(*store, "carol").position, 1);
    }
    advance(30);
    auto store = open("pc1", 60);
    store->queue().registerBoards({{"de2-1", kKind}, {"de2-2", kKind}});
    EXPECT_EQ(store->queue().me("alice").secondsLeft, 30);
    EXPECT_EQ(store->queue().me("carol").position, 1);
    EXPECT_EQ(store->queue().boardsToReset(), std::vector<std::string>{"de2-2"});
    advance(30);
    store->queue().sweep();
    EXPECT_EQ(store->queue().boardsToReset(), (std::vector<std::string>{"de2-1", "de2-2"}));
    store->queue().resetDone("de2-2", true);
    EXPECT_EQ(store->queue().me("carol").board, "de2-2");
}

TEST_P(QueueTest, HostsShareOneQueueAndNeverGiveABoardTwice)
{
    auto pc1 = open("pc1", 60), pc2 = open("pc2", 60);
    std::vector<std::string> students;
    for (int i = 0; i < 8; ++i)
        students.push_back("s" + std::to_string(i));
    for (const std::string &s : students)
        addUsers(*pc1, {{s, Role::Student}});
    pc1->queue().registerBoards({{"a1", kKind}, {"a2", kKind}});
    pc2->queue().registerBoards({{"b1", kKind}});
    EXPECT_THROW(pc2->queue().registerBoards({{"a1", kKind}}), lab::StoreError);

    // Every student joins from a server of their own, half of them on each host, all at once.
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < students.size(); ++i)
        threads.emplace_back([&, i] {
            auto store = open(i % 2 ? "pc2" : "pc1", 60);
            joined(*store, students[i]);
        });
    for (std::thread &t : threads)
        t.join();

    std::set<std::string> boards;
    std::set<int> positions;
    std::string holderOnPc1;
    for (const std::string &s : students) {
        const Place p = pc2->queue().me(s);
        if (p.what == Place::Holding) {
            EXPECT_TRUE(boards.insert(p.board).second) << p.board << " given twice";
            EXPECT_EQ(p.address, p.host + ".lab:8080");
            if (p.host == "pc1")
                holderOnPc1 = s;
        } else {
            EXPECT_TRUE(positions.insert(p.position).second) << s;
        }
    }
    EXPECT_EQ(boards, (std::set<std::string>{"a1", "a2", "b1"}));
    EXPECT_EQ(positions, (std::set<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(pc2->queue().boards().size(), 3u);

    // pc1's board goes to the first in line, whichever host they joined at.
    std::string first;
    for (const std::string &s : students)
        if (pc1->queue().me(s).position == 1)
            first = s;
    const std::string freed = pc1->queue().me(holderOnPc1).board;
    pc2->queue().release(holderOnPc1);
    EXPECT_EQ(pc2->queue().boardsToReset(), std::vector<std::string>{});
    EXPECT_EQ(pc1->queue().boardsToReset(), std::vector<std::string>{freed});
    pc1->queue().resetDone(freed, true);
    EXPECT_EQ(pc2->queue().me(first).board, freed);
}

} // namespace
