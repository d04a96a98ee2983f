// What the lab server's push channel reads of the queue: where every user stands at once, whether
// a hold still counts this moment, and why a hold ended.
#include "boardqueue.h"

#include "store.h"

#include <algorithm>

namespace lab {

bool BoardQueue::holds(const std::string &user, const std::string &board)
{
    return store_.transaction([&](Database &db) {
        return !db.run("SELECT 1 FROM boards WHERE id = $1 AND holder = $2 AND state = 'held' AND held_until > $3 "
                       "AND heartbeat + $4 > $3",
                       {board, user, store_.now(), std::int64_t(store_.options().idleSeconds)})
                    .rows.empty();
    });
}

std::vector<std::pair<std::string, Place>> BoardQueue::places()
{
    const auto [held, queued] = store_.transaction([&](Database &db) {
        return std::make_pair(
            db.run("SELECT holder, id, host, address, kind, held_until FROM boards WHERE state = 'held' ORDER BY id"),
            db.run("SELECT user_name, kind FROM queue ORDER BY kind, seq"));
    });
    std::vector<std::pair<std::string, Place>> out;
    for (const Row &b : held.rows) {
        Place p;
        p.what = Place::Holding;
        p.board = b.text(1);
        p.host = b.text(2);
        p.address = b.text(3);
        p.kind = b.text(4);
        p.secondsLeft = std::max<std::int64_t>(0, b.integer(5) - store_.now());
        out.emplace_back(b.text(0), p);
    }
    int position = 0;
    for (std::size_t i = 0; i < queued.rows.size(); ++i) {
        const Row &q = queued.rows[i];
        position = i > 0 && queued.rows[i - 1].text(1) == q.text(1) ? position + 1 : 1;
        Place p;
        p.what = Place::Queued;
        p.kind = q.text(1);
        p.position = position;
        out.emplace_back(q.text(0), p);
    }
    return out;
}

std::string BoardQueue::holdEndReason(const std::string &user, const std::string &board)
{
    const Result r = store_.transaction([&](Database &db) {
        return db.run("SELECT detail FROM audit WHERE event = 'hold-end' AND user_name = $1 AND board = $2 "
                      "ORDER BY seq DESC LIMIT 1",
                      {user, board});
    });
    const std::string detail = r.rows.empty() ? "" : r.rows[0].text(0);
    const std::pair<const char *, const char *> reasons[] = {
        {"(slice over)", "slice"}, {"(no heartbeat)", "idle"}, {"(released)", "released"}, {"(kicked by", "kicked"}};
    for (const auto &[mark, why] : reasons)
        if (detail.find(mark) != std::string::npos)
            return why;
    return "removed";
}

} // namespace lab
