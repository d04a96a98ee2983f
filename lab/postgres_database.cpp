// The lab database in a PostgreSQL server that several lab PCs share, through libpq.
#include "database.h"

#include <libpq-fe.h>

namespace lab {
namespace {

class PostgresDatabase : public Database {
public:
    explicit PostgresDatabase(const std::string &url)
    {
        // Ours comes first so that the URL may set its own.
        const std::string seconds = std::to_string(kDatabaseWaitMs / 1000);
        const char *keys[] = {"connect_timeout", "dbname", nullptr};
        const char *values[] = {seconds.c_str(), url.c_str(), nullptr};
        conn_ = PQconnectdbParams(keys, values, 1);
        if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
            const std::string why = conn_ ? PQerrorMessage(conn_) : "out of memory";
            PQfinish(conn_);
            throw StoreError("cannot connect to the PostgreSQL database: " + trimmed(why));
        }
        const std::string wait = std::to_string(kDatabaseWaitMs);
        run("SET lock_timeout = " + wait);
        run("SET statement_timeout = " + wait);
        run("SET client_min_messages = warning");
    }
    ~PostgresDatabase() override { PQfinish(conn_); }

    Dialect dialect() const override { return Dialect::PostgreSQL; }
    void begin() override { run("BEGIN"); }

    Result execute(const std::string &sql, const std::vector<Value> &params) override
    {
        std::vector<std::string> texts(params.size());
        std::vector<const char *> values(params.size(), nullptr);
        for (std::size_t i = 0; i < params.size(); ++i) {
            if (const auto *v = std::get_if<std::int64_t>(&params[i]))
                texts[i] = std::to_string(*v);
            else if (const auto *s = std::get_if<std::string>(&params[i]))
                texts[i] = *s;
            else
                continue;
            values[i] = texts[i].c_str();
        }
        PGresult *res = PQexecParams(conn_, sql.c_str(), static_cast<int>(params.size()), nullptr, values.data(),
                                     nullptr, nullptr, 0);
        struct Clear {
            PGresult *res;
            ~Clear() { PQclear(res); }
        } clear{res};
        const ExecStatusType status = PQresultStatus(res);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            const char *state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
            const std::string code = state ? state : "";
            // Deadlock, serialization failure, lock wait over: the transaction may run again.
            const bool retry = code == "40P01" || code == "40001" || code == "55P03";
            throw StoreError("PostgreSQL: " + trimmed(PQerrorMessage(conn_)), retry);
        }
        Result result;
        for (int r = 0; r < PQntuples(res); ++r) {
            Row row;
            for (int c = 0; c < PQnfields(res); ++c) {
                if (PQgetisnull(res, r, c))
                    row.cells.emplace_back();
                else
                    row.cells.emplace_back(std::string(PQgetvalue(res, r, c), PQgetlength(res, r, c)));
            }
            result.rows.push_back(std::move(row));
        }
        const char *changed = PQcmdTuples(res);
        result.changed = changed && *changed ? std::stoll(changed) : 0;
        return result;
    }

private:
    static std::string trimmed(std::string s)
    {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
            s.pop_back();
        return s;
    }
    PGconn *conn_ = nullptr;
};

} // namespace

std::unique_ptr<Database> openPostgres(const std::string &url) { return std::make_unique<PostgresDatabase>(url); }

} // namespace lab
