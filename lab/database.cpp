#include "database.h"

#include <cstdlib>

namespace lab {

std::int64_t Row::integer(std::size_t i) const
{
    const std::string t = text(i);
    char *end = nullptr;
    const long long v = std::strtoll(t.c_str(), &end, 10);
    if (t.empty() || *end)
        throw StoreError("not a number in the database: '" + t + "'");
    return v;
}

void Database::rollback()
{
    try {
        run("ROLLBACK");
    } catch (const StoreError &) {
        // The failure that led here already ended the transaction.
    }
}

bool isPostgresLocation(const std::string &location)
{
    return location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0;
}

std::unique_ptr<Database> openDatabase(const std::string &location)
{
    if (location.empty())
        throw StoreError("no database given");
    return isPostgresLocation(location) ? openPostgres(location) : openSqlite(location);
}

} // namespace lab
