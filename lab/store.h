// The lab server's state that outlives its process, in one database: accounts and tokens, the
// boards and their queue, the audit log. Every operation is one transaction, so several
// servers (lab PCs sharing a PostgreSQL, or processes on one SQLite file) can share it.
#pragma once
#include "accounts.h"
#include "auditlog.h"
#include "boardqueue.h"
#include "database.h"

#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>

namespace lab {

// Seconds since the epoch; tests hand in their own.
using Clock = std::function<std::int64_t()>;

struct StoreOptions {
    std::string host = "localhost"; // this lab PC, among those sharing the database
    std::string address;            // where clients reach this host's boards (HOST:PORT)
    int sliceSeconds = 900;
    int idleSeconds = 60;
    Clock clock; // the system's when empty
};

class Store {
public:
    // Opens (and on first use creates) the database at `location`. Throws StoreError.
    Store(const std::string &location, StoreOptions options);
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    Accounts &accounts() { return *accounts_; }
    BoardQueue &queue() { return *queue_; }
    AuditLog &audit() { return *audit_; }
    const StoreOptions &options() const { return options_; }
    std::int64_t now() const { return options_.clock(); }

    // Runs `work(db)` in one transaction, committed when it returns and rolled back when it
    // throws; run again from its start when it lost a race with another server.
    template <class F>
    auto transaction(F &&work) -> decltype(work(std::declval<Database &>()))
    {
        using R = decltype(work(std::declval<Database &>()));
        std::lock_guard<std::mutex> lock(mutex_);
        for (int attempt = 1;; ++attempt) {
            try {
                db_->begin();
                if constexpr (std::is_void_v<R>) {
                    work(*db_);
                    db_->commit();
                    return;
                } else {
                    R result = work(*db_);
                    db_->commit();
                    return result;
                }
            } catch (const StoreError &e) {
                db_->rollback();
                if (!e.retry() || attempt == kAttempts)
                    throw;
            } catch (...) {
                db_->rollback();
                throw;
            }
        }
    }

private:
    static constexpr int kAttempts = 5;
    std::mutex mutex_; // one connection, one statement at a time
    std::unique_ptr<Database> db_;
    StoreOptions options_;
    std::unique_ptr<Accounts> accounts_;
    std::unique_ptr<BoardQueue> queue_;
    std::unique_ptr<AuditLog> audit_;
};

} // namespace lab
