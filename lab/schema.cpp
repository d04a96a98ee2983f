#include "schema.h"

#include <string>

namespace lab {
namespace {

// Times are seconds since the epoch. A board has at most one holder, a user holds at most one
// board and waits in at most one queue: the unique columns keep that true whatever a server does.
const char *const kTables[] = {
    "CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS users (name TEXT PRIMARY KEY, role TEXT NOT NULL, password_hash TEXT NOT NULL, "
    "created BIGINT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS tokens (digest TEXT PRIMARY KEY, "
    "user_name TEXT NOT NULL REFERENCES users(name) ON DELETE CASCADE, expires BIGINT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS kinds (kind TEXT PRIMARY KEY)",
    "CREATE TABLE IF NOT EXISTS boards (id TEXT PRIMARY KEY, host TEXT NOT NULL, "
    "kind TEXT NOT NULL REFERENCES kinds(kind), address TEXT NOT NULL, state TEXT NOT NULL, "
    "holder TEXT UNIQUE REFERENCES users(name), held_since BIGINT, held_until BIGINT, heartbeat BIGINT)",
    "CREATE TABLE IF NOT EXISTS queue (seq {serial}, "
    "user_name TEXT NOT NULL UNIQUE REFERENCES users(name) ON DELETE CASCADE, "
    "kind TEXT NOT NULL REFERENCES kinds(kind), joined BIGINT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS simulated (user_name TEXT PRIMARY KEY REFERENCES users(name) ON DELETE CASCADE, "
    "started BIGINT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS audit (seq {serial}, at BIGINT NOT NULL, event TEXT NOT NULL, "
    "user_name TEXT NOT NULL, board TEXT NOT NULL, detail TEXT NOT NULL)",
};

std::string withTypes(const Database &db, std::string sql)
{
    const std::string serial =
        db.dialect() == Database::Dialect::PostgreSQL ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY AUTOINCREMENT";
    const std::string mark = "{serial}";
    const auto at = sql.find(mark);
    if (at != std::string::npos)
        sql.replace(at, mark.size(), serial);
    return sql;
}

} // namespace

void ensureSchema(Database &db)
{
    db.begin();
    try {
        // Two servers opening a new shared database at once must not both create it.
        if (db.dialect() == Database::Dialect::PostgreSQL)
            db.run("SELECT pg_advisory_xact_lock(7340301)");
        for (const char *table : kTables)
            db.run(withTypes(db, table));
        const Result found = db.run("SELECT version FROM schema_version");
        if (found.rows.empty()) {
            db.run("INSERT INTO schema_version (version) VALUES ($1)", {std::int64_t(kSchemaVersion)});
        } else if (found.rows[0].integer(0) > kSchemaVersion) {
            throw StoreError("the database is of a newer version (" + found.rows[0].text(0) +
                             ") than this server knows (" + std::to_string(kSchemaVersion) + ")");
        }
        db.commit();
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace lab
