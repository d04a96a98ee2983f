// The lab database in one SQLite file, through libsqlite3.
#include "database.h"

#include <cctype>
#include <sqlite3.h>

namespace lab {
namespace {

// "$7" becomes "?7": SQLite would take "$7" for a parameter named by its text, numbered in the
// order the names first appear rather than by the number.
std::string sqliteText(const std::string &sql)
{
    std::string out = sql;
    for (std::size_t i = 0; i + 1 < out.size(); ++i)
        if (out[i] == '$' && std::isdigit(static_cast<unsigned char>(out[i + 1])))
            out[i] = '?';
    return out;
}

class SqliteDatabase : public Database {
public:
    explicit SqliteDatabase(const std::string &path)
    {
        const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (rc != SQLITE_OK) {
            const std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
            sqlite3_close(db_);
            throw StoreError("cannot open " + path + ": " + why);
        }
        sqlite3_busy_timeout(db_, kDatabaseWaitMs);
        // Several processes on one file: readers never wait for the writer.
        run("PRAGMA journal_mode=WAL");
        run("PRAGMA foreign_keys=ON");
    }
    ~SqliteDatabase() override { sqlite3_close(db_); }

    Dialect dialect() const override { return Dialect::SQLite; }
    void begin() override { run("BEGIN IMMEDIATE"); }

    Result execute(const std::string &sql, const std::vector<Value> &params) override
    {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db_, sqliteText(sql).c_str(), -1, &st, nullptr) != SQLITE_OK)
            fail();
        struct Finalize {
            sqlite3_stmt *st;
            ~Finalize() { sqlite3_finalize(st); }
        } finalize{st};
        for (std::size_t i = 0; i < params.size(); ++i) {
            const int n = static_cast<int>(i + 1);
            int rc = SQLITE_OK;
            if (const auto *v = std::get_if<std::int64_t>(&params[i]))
                rc = sqlite3_bind_int64(st, n, *v);
            else if (const auto *s = std::get_if<std::string>(&params[i]))
                rc = sqlite3_bind_text(st, n, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
            else
                rc = sqlite3_bind_null(st, n);
            if (rc != SQLITE_OK)
                fail();
        }
        Result result;
        for (;;) {
            const int rc = sqlite3_step(st);
            if (rc == SQLITE_DONE)
                break;
            if (rc != SQLITE_ROW)
                fail();
            Row row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                if (sqlite3_column_type(st, c) == SQLITE_NULL) {
                    row.cells.emplace_back();
                } else {
                    const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
                    row.cells.emplace_back(std::string(t, static_cast<std::size_t>(sqlite3_column_bytes(st, c))));
                }
            }
            result.rows.push_back(std::move(row));
        }
        result.changed = sqlite3_changes(db_);
        return result;
    }

private:
    [[noreturn]] void fail()
    {
        const int code = sqlite3_errcode(db_) & 0xff;
        throw StoreError(std::string("SQLite: ") + sqlite3_errmsg(db_), code == SQLITE_BUSY || code == SQLITE_LOCKED);
    }
    sqlite3 *db_ = nullptr;
};

} // namespace

std::unique_ptr<Database> openSqlite(const std::string &path) { return std::make_unique<SqliteDatabase>(path); }

} // namespace lab
