// The lab's boards and one queue per board kind. A board is free, held by one user, being reset,
// or broken. The first free board of a kind, on any host sharing the database, goes to the first
// user waiting for that kind; a hold ends when its slice is over, when its holder lets go or
// stops sending heartbeats, and the board is then reset by the host it is attached to.
#pragma once
#include "accounts.h"
#include "database.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lab {

class Store;

struct BoardEntry {
    std::string id, kind;
};

struct BoardInfo {
    std::string id, kind, host, address;
    std::string state; // "free", "held", "resetting", "broken"
    std::string holder;
    std::int64_t secondsLeft = 0; // of the holder's slice
};

// Where a user stands.
struct Place {
    enum What { None, Queued, Holding } what = None;
    std::string kind;
    int position = 0; // 1 = next, when queued
    std::string board, host, address;
    std::int64_t secondsLeft = 0; // when holding
};

constexpr int kExtendLimitSeconds = 24 * 3600;

class BoardQueue {
public:
    explicit BoardQueue(Store &store) : store_(store) {}

    // This host's boards as its configuration lists them, served at the store's address; a board
    // of this host no longer listed is dropped (its hold ends). Throws StoreError for an id
    // another host has registered.
    void registerBoards(const std::vector<BoardEntry> &boards);

    // A user waits in one queue or holds one board at a time.
    bool join(const std::string &user, const std::string &kind, Place &place, std::string &error);
    bool leave(const std::string &user);
    bool release(const std::string &user);
    bool heartbeat(const std::string &user);
    Place me(const std::string &user);
    // Every host's boards.
    std::vector<BoardInfo> boards();

    // Teachers and admins only.
    bool extend(const Identity &by, const std::string &board, int seconds, std::string &error);
    bool markFixed(const Identity &by, const std::string &board, std::string &error);
    // The hold ends now and the board goes to be reset.
    bool kick(const Identity &by, const std::string &board, std::string &error);

    // Whether `user` holds `board` this moment: a hold whose slice or idle time has passed no
    // longer counts, even before the next sweep ends it.
    bool holds(const std::string &user, const std::string &board);
    // Where every user who waits or holds stands, in one transaction.
    std::vector<std::pair<std::string, Place>> places();
    // Why the user's last hold of `board` ended: "slice", "idle", "released", "kicked" or
    // "removed".
    std::string holdEndReason(const std::string &user, const std::string &board);
    // An idle board of this host that failed its health check: broken, out of the queue.
    bool markBroken(const std::string &board, const std::string &why);

    // This host's boards waiting for their reset (after a restart too), and its outcome: free,
    // or broken and out of the queue until marked fixed.
    std::vector<std::string> boardsToReset();
    bool resetDone(const std::string &board, bool ok, const std::string &why = "");

    // Ends the holds whose time has passed and gives free boards to those waiting; the server
    // calls it every second or so, and every operation does it for the kind it touches.
    void sweep();

    // The one simulated board a user may run; only the record of it.
    bool startSimulated(const std::string &user, std::string &error);
    void stopSimulated(const std::string &user);

    // Inside the caller's transaction: the user's hold ends and their place in a queue goes.
    void dropUser(Database &db, const std::string &user);

private:
    bool lockKind(Database &db, const std::string &kind);
    void expire(Database &db, const std::string &kind);
    void assign(Database &db, const std::string &kind);
    void endHold(Database &db, const Row &board, const std::string &why);
    void settle(Database &db, const std::string &kind);
    std::string kindOf(Database &db, const std::string &user);
    Place placeOf(Database &db, const std::string &user);
    Store &store_;
};

} // namespace lab
