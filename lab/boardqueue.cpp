#include "boardqueue.h"

#include "auditlog.h"
#include "store.h"

#include <algorithm>
#include <set>

namespace lab {
namespace {

// The columns endHold reads, in its order.
const char *const kHoldColumns = "id, holder, held_since";

bool mayManage(const Identity &by) { return by.role == Role::Teacher || by.role == Role::Admin; }

} // namespace

// Every change to a kind's boards or queue takes that kind's row lock first (several kinds in
// sorted order), so two hosts assigning boards of one kind take turns and never both give one
// board away.
bool BoardQueue::lockKind(Database &db, const std::string &kind)
{
    return !db.run(std::string("SELECT kind FROM kinds WHERE kind = $1") + db.forUpdate(), {kind}).rows.empty();
}

void BoardQueue::endHold(Database &db, const Row &board, const std::string &why)
{
    db.run("UPDATE boards SET state = 'resetting', holder = NULL, held_since = NULL, held_until = NULL, "
           "heartbeat = NULL WHERE id = $1",
           {board.text(0)});
    store_.audit().record(db, "hold-end", board.text(1), board.text(0),
                          "held from " + AuditLog::timeText(board.integer(2)) + " to " +
                              AuditLog::timeText(store_.now()) + " (" + why + ")");
}

void BoardQueue::expire(Database &db, const std::string &kind)
{
    const std::int64_t now = store_.now();
    const Result held = db.run(std::string("SELECT ") + kHoldColumns +
                                   ", held_until FROM boards WHERE kind = $1 AND state = 'held' AND "
                                   "(held_until <= $2 OR heartbeat + $3 <= $2) ORDER BY id" +
                                   db.forUpdate(),
                               {kind, now, std::int64_t(store_.options().idleSeconds)});
    for (const Row &board : held.rows)
        endHold(db, board, board.integer(3) <= now ? "slice over" : "no heartbeat");
}

void BoardQueue::assign(Database &db, const std::string &kind)
{
    const Result free = db.run(
        std::string("SELECT id FROM boards WHERE kind = $1 AND state = 'free' ORDER BY host, id") + db.forUpdate(),
        {kind});
    if (free.rows.empty())
        return;
    const Result waiting = db.run("SELECT seq, user_name FROM queue WHERE kind = $1 ORDER BY seq", {kind});
    const std::int64_t now = store_.now(), until = now + store_.options().sliceSeconds;
    for (std::size_t i = 0; i < std::min(free.rows.size(), waiting.rows.size()); ++i) {
        const std::string board = free.rows[i].text(0), user = waiting.rows[i].text(1);
        db.run("DELETE FROM queue WHERE seq = $1", {waiting.rows[i].integer(0)});
        const Result given = db.run("UPDATE boards SET state = 'held', holder = $2, held_since = $3, held_until = $4, "
                                    "heartbeat = $3 WHERE id = $1 AND state = 'free'",
                                    {board, user, now, until});
        if (given.changed != 1)
            throw StoreError("board " + board + " changed while it was being given away", true);
        store_.audit().record(db, "hold-start", user, board, "until " + AuditLog::timeText(until));
    }
}

void BoardQueue::settle(Database &db, const std::string &kind)
{
    expire(db, kind);
    assign(db, kind);
}

std::string BoardQueue::kindOf(Database &db, const std::string &user)
{
    Result r = db.run("SELECT kind FROM boards WHERE holder = $1", {user});
    if (r.rows.empty())
        r = db.run("SELECT kind FROM queue WHERE user_name = $1", {user});
    return r.rows.empty() ? std::string() : r.rows[0].text(0);
}

Place BoardQueue::placeOf(Database &db, const std::string &user)
{
    Place place;
    const Result held =
        db.run("SELECT id, host, address, kind, held_until FROM boards WHERE holder = $1 AND state = 'held'", {user});
    if (!held.rows.empty()) {
        const Row &b = held.rows[0];
        place.what = Place::Holding;
        place.board = b.text(0);
        place.host = b.text(1);
        place.address = b.text(2);
        place.kind = b.text(3);
        place.secondsLeft = std::max<std::int64_t>(0, b.integer(4) - store_.now());
        return place;
    }
    const Result queued = db.run("SELECT seq, kind FROM queue WHERE user_name = $1", {user});
    if (!queued.rows.empty()) {
        place.what = Place::Queued;
        place.kind = queued.rows[0].text(1);
        place.position = static_cast<int>(
            db.run("SELECT COUNT(*) FROM queue WHERE kind = $1 AND seq <= $2", {place.kind, queued.rows[0].integer(0)})
                .rows[0]
                .integer(0));
    }
    return place;
}

void BoardQueue::registerBoards(const std::vector<BoardEntry> &boards)
{
    const StoreOptions &o = store_.options();
    store_.transaction([&](Database &db) {
        const Result mine = db.run("SELECT id, kind FROM boards WHERE host = $1", {o.host});
        std::set<std::string> kinds, listed;
        for (const BoardEntry &b : boards) {
            kinds.insert(b.kind);
            listed.insert(b.id);
        }
        for (const Row &row : mine.rows)
            kinds.insert(row.text(1));
        for (const std::string &kind : kinds) {
            db.run("INSERT INTO kinds (kind) VALUES ($1) ON CONFLICT (kind) DO NOTHING", {kind});
            lockKind(db, kind);
        }
        for (const Row &row : mine.rows) {
            if (listed.count(row.text(0)))
                continue;
            const Result held = db.run(
                std::string("SELECT ") + kHoldColumns + " FROM boards WHERE id = $1 AND state = 'held'", {row.text(0)});
            if (!held.rows.empty())
                endHold(db, held.rows[0], "board taken out");
            db.run("DELETE FROM boards WHERE id = $1", {row.text(0)});
        }
        for (const BoardEntry &b : boards) {
            const Result owner = db.run(std::string("SELECT host FROM boards WHERE id = $1") + db.forUpdate(), {b.id});
            if (!owner.rows.empty() && owner.rows[0].text(0) != o.host)
                throw StoreError("board " + b.id + " is registered by host " + owner.rows[0].text(0));
            if (owner.rows.empty())
                db.run("INSERT INTO boards (id, host, kind, address, state) VALUES ($1, $2, $3, $4, 'free')",
                       {b.id, o.host, b.kind, o.address});
            else
                db.run("UPDATE boards SET kind = $2, address = $3 WHERE id = $1", {b.id, b.kind, o.address});
        }
        for (const std::string &kind : kinds)
            settle(db, kind);
    });
}

bool BoardQueue::join(const std::string &user, const std::string &kind, Place &place, std::string &error)
{
    error = store_.transaction([&](Database &db) -> std::string {
        // The user's own row lock: two joins of one user take turns.
        if (db.run(std::string("SELECT name FROM users WHERE name = $1") + db.forUpdate(), {user}).rows.empty())
            return "no such user";
        const Place now = placeOf(db, user);
        if (now.what == Place::Holding)
            return "already holding board " + now.board;
        if (now.what == Place::Queued)
            return "already waiting for a board of kind " + now.kind;
        if (!lockKind(db, kind) || db.run("SELECT 1 FROM boards WHERE kind = $1", {kind}).rows.empty())
            return "no board of kind " + kind;
        expire(db, kind);
        db.run("INSERT INTO queue (user_name, kind, joined) VALUES ($1, $2, $3)", {user, kind, store_.now()});
        assign(db, kind);
        place = placeOf(db, user);
        return "";
    });
    return error.empty();
}

bool BoardQueue::leave(const std::string &user)
{
    return store_.transaction([&](Database &db) {
        const std::string kind = kindOf(db, user);
        if (kind.empty() || !lockKind(db, kind))
            return false;
        return db.run("DELETE FROM queue WHERE user_name = $1", {user}).changed > 0;
    });
}

bool BoardQueue::release(const std::string &user)
{
    return store_.transaction([&](Database &db) {
        const std::string kind = kindOf(db, user);
        if (kind.empty() || !lockKind(db, kind))
            return false;
        expire(db, kind);
        const Result held = db.run(std::string("SELECT ") + kHoldColumns +
                                       " FROM boards WHERE holder = $1 AND state = 'held'" + db.forUpdate(),
                                   {user});
        if (held.rows.empty())
            return false;
        endHold(db, held.rows[0], "released");
        return true;
    });
}

bool BoardQueue::heartbeat(const std::string &user)
{
    return store_.transaction([&](Database &db) {
        const std::string kind = kindOf(db, user);
        if (kind.empty() || !lockKind(db, kind))
            return false;
        settle(db, kind);
        return db.run("UPDATE boards SET heartbeat = $2 WHERE holder = $1 AND state = 'held'", {user, store_.now()})
                   .changed > 0;
    });
}

Place BoardQueue::me(const std::string &user)
{
    return store_.transaction([&](Database &db) {
        const std::string kind = kindOf(db, user);
        if (!kind.empty() && lockKind(db, kind))
            settle(db, kind);
        return placeOf(db, user);
    });
}

std::vector<BoardInfo> BoardQueue::boards()
{
    sweep();
    const Result r = store_.transaction([](Database &db) {
        return db.run("SELECT id, kind, host, address, state, holder, held_until FROM boards ORDER BY host, id");
    });
    std::vector<BoardInfo> out;
    for (const Row &row : r.rows) {
        BoardInfo b{row.text(0), row.text(1), row.text(2), row.text(3), row.text(4), row.text(5)};
        if (!row.isNull(6))
            b.secondsLeft = std::max<std::int64_t>(0, row.integer(6) - store_.now());
        out.push_back(b);
    }
    return out;
}

bool BoardQueue::extend(const Identity &by, const std::string &board, int seconds, std::string &error)
{
    if (!mayManage(by)) {
        error = "only a teacher may extend a hold";
        return false;
    }
    if (seconds < 1 || seconds > kExtendLimitSeconds) {
        error = "a hold is extended by 1 to " + std::to_string(kExtendLimitSeconds) + " seconds";
        return false;
    }
    error = store_.transaction([&](Database &db) -> std::string {
        const Result b = db.run("SELECT kind FROM boards WHERE id = $1", {board});
        if (b.rows.empty() || !lockKind(db, b.rows[0].text(0)))
            return "no board " + board;
        expire(db, b.rows[0].text(0));
        const Result r = db.run("UPDATE boards SET held_until = held_until + $2 WHERE id = $1 AND state = 'held' "
                                "RETURNING holder",
                                {board, std::int64_t(seconds)});
        if (r.rows.empty())
            return "board " + board + " is not held";
        store_.audit().record(db, "hold-extended", r.rows[0].text(0), board,
                              "by " + std::to_string(seconds) + " s, by " + by.name);
        return "";
    });
    return error.empty();
}

bool BoardQueue::markFixed(const Identity &by, const std::string &board, std::string &error)
{
    if (!mayManage(by)) {
        error = "only a teacher may mark a board fixed";
        return false;
    }
    error = store_.transaction([&](Database &db) -> std::string {
        const Result b = db.run("SELECT kind FROM boards WHERE id = $1", {board});
        if (b.rows.empty() || !lockKind(db, b.rows[0].text(0)))
            return "no board " + board;
        if (db.run("UPDATE boards SET state = 'free' WHERE id = $1 AND state = 'broken'", {board}).changed == 0)
            return "board " + board + " is not broken";
        store_.audit().record(db, "board-fixed", by.name, board);
        settle(db, b.rows[0].text(0));
        return "";
    });
    return error.empty();
}

bool BoardQueue::kick(const Identity &by, const std::string &board, std::string &error)
{
    if (!mayManage(by)) {
        error = "only a teacher may end a hold";
        return false;
    }
    error = store_.transaction([&](Database &db) -> std::string {
        const Result b = db.run("SELECT kind FROM boards WHERE id = $1", {board});
        if (b.rows.empty() || !lockKind(db, b.rows[0].text(0)))
            return "no board " + board;
        expire(db, b.rows[0].text(0));
        const Result held = db.run(std::string("SELECT ") + kHoldColumns +
                                       " FROM boards WHERE id = $1 AND state = 'held'" + db.forUpdate(),
                                   {board});
        if (held.rows.empty())
            return "board " + board + " is not held";
        endHold(db, held.rows[0], "kicked by " + by.name);
        assign(db, b.rows[0].text(0));
        return "";
    });
    return error.empty();
}

bool BoardQueue::markBroken(const std::string &board, const std::string &why)
{
    return store_.transaction([&](Database &db) {
        const Result b = db.run("SELECT kind FROM boards WHERE id = $1 AND host = $2", {board, store_.options().host});
        if (b.rows.empty() || !lockKind(db, b.rows[0].text(0)))
            return false;
        if (db.run("UPDATE boards SET state = 'broken' WHERE id = $1 AND state = 'free'", {board}).changed == 0)
            return false;
        store_.audit().record(db, "check-failed", "", board, why);
        return true;
    });
}

std::vector<std::string> BoardQueue::boardsToReset()
{
    const Result r = store_.transaction([&](Database &db) {
        return db.run("SELECT id FROM boards WHERE host = $1 AND state = 'resetting' ORDER BY id",
                      {store_.options().host});
    });
    std::vector<std::string> out;
    for (const Row &row : r.rows)
        out.push_back(row.text(0));
    return out;
}

bool BoardQueue::resetDone(const std::string &board, bool ok, const std::string &why)
{
    return store_.transaction([&](Database &db) {
        const Result b = db.run("SELECT kind FROM boards WHERE id = $1 AND host = $2", {board, store_.options().host});
        if (b.rows.empty() || !lockKind(db, b.rows[0].text(0)))
            return false;
        if (db.run("UPDATE boards SET state = $2 WHERE id = $1 AND state = 'resetting'",
                   {board, std::string(ok ? "free" : "broken")})
                .changed == 0)
            return false;
        if (!ok)
            store_.audit().record(db, "reset-failed", "", board, why);
        settle(db, b.rows[0].text(0));
        return true;
    });
}

void BoardQueue::sweep()
{
    const Result kinds =
        store_.transaction([](Database &db) { return db.run("SELECT kind FROM kinds ORDER BY kind"); });
    for (const Row &kind : kinds.rows)
        store_.transaction([&](Database &db) {
            if (lockKind(db, kind.text(0)))
                settle(db, kind.text(0));
        });
}

bool BoardQueue::startSimulated(const std::string &user, std::string &error)
{
    error = store_.transaction([&](Database &db) -> std::string {
        if (db.run("SELECT 1 FROM users WHERE name = $1", {user}).rows.empty())
            return "no such user";
        if (db.run("INSERT INTO simulated (user_name, started) VALUES ($1, $2) ON CONFLICT (user_name) DO NOTHING",
                   {user, store_.now()})
                .changed == 0)
            return user + " already runs a simulated board";
        return "";
    });
    return error.empty();
}

void BoardQueue::stopSimulated(const std::string &user)
{
    store_.transaction([&](Database &db) { db.run("DELETE FROM simulated WHERE user_name = $1", {user}); });
}

void BoardQueue::dropUser(Database &db, const std::string &user)
{
    db.run(std::string("SELECT name FROM users WHERE name = $1") + db.forUpdate(), {user});
    const std::string kind = kindOf(db, user);
    if (!kind.empty() && lockKind(db, kind)) {
        const Result held = db.run(std::string("SELECT ") + kHoldColumns +
                                       " FROM boards WHERE holder = $1 AND state = 'held'" + db.forUpdate(),
                                   {user});
        if (!held.rows.empty())
            endHold(db, held.rows[0], "account removed");
    }
    db.run("DELETE FROM queue WHERE user_name = $1", {user});
    db.run("DELETE FROM simulated WHERE user_name = $1", {user});
}

} // namespace lab
