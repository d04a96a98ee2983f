// One connection to the lab database, SQLite or PostgreSQL, behind one interface: statements are
// written once with $1, $2, ... parameters; the back ends differ in connection, placeholders,
// locking and the schema's types.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace lab {

// The database failed or refused (not a user's mistake). `retry`: a transaction lost a race
// (deadlock, serialization, busy) and may be run again from its start.
class StoreError : public std::runtime_error {
public:
    explicit StoreError(const std::string &what, bool retry = false) : std::runtime_error(what), retry_(retry) {}
    bool retry() const { return retry_; }

private:
    bool retry_;
};

using Value = std::variant<std::nullptr_t, std::int64_t, std::string>;

struct Row {
    std::vector<std::optional<std::string>> cells;
    bool isNull(std::size_t i) const { return !cells.at(i); }
    std::string text(std::size_t i) const { return cells.at(i).value_or(std::string()); }
    std::int64_t integer(std::size_t i) const;
};

struct Result {
    std::vector<Row> rows;
    long long changed = 0; // rows an INSERT, UPDATE or DELETE changed
};

class Database {
public:
    enum class Dialect { SQLite, PostgreSQL };
    virtual ~Database() = default;
    virtual Dialect dialect() const = 0;
    // One statement; throws StoreError.
    Result run(const std::string &sql, const std::vector<Value> &params = {}) { return execute(sql, params); }
    // A transaction that writes: SQLite takes its write lock at once (BEGIN IMMEDIATE), so two
    // servers on one file queue here instead of failing at their first write.
    virtual void begin() = 0;
    void commit() { run("COMMIT"); }
    void rollback();
    // Appended to a SELECT whose rows the transaction is about to change: PostgreSQL's row lock
    // (NO KEY: rows that refer to the locked one may still be written meanwhile, so a lock on a
    // user never waits for a board given to that user); SQLite's transaction already holds the
    // whole database.
    const char *forUpdate() const { return dialect() == Dialect::PostgreSQL ? " FOR NO KEY UPDATE" : ""; }

protected:
    virtual Result execute(const std::string &sql, const std::vector<Value> &params) = 0;
};

bool isPostgresLocation(const std::string &location);
// A file path (SQLite, created when missing) or a postgresql:// URL. Throws StoreError.
std::unique_ptr<Database> openDatabase(const std::string &location);
std::unique_ptr<Database> openSqlite(const std::string &path);
std::unique_ptr<Database> openPostgres(const std::string &url);

// The longest a statement waits for a lock or the server before it fails.
constexpr int kDatabaseWaitMs = 10000;

} // namespace lab
