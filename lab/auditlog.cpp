#include "auditlog.h"

#include "store.h"

#include <ctime>

namespace lab {
namespace {

constexpr std::size_t kFieldLimit = 200;

std::string oneLine(const std::string &text)
{
    std::string out = text.substr(0, kFieldLimit);
    for (char &c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return out;
}

bool isSha256(const std::string &text)
{
    if (text.size() != 64)
        return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    return true;
}

} // namespace

void AuditLog::record(Database &db, const std::string &event, const std::string &user, const std::string &board,
                      const std::string &detail)
{
    db.run("INSERT INTO audit (at, event, user_name, board, detail) VALUES ($1, $2, $3, $4, $5)",
           {store_.now(), event, oneLine(user), oneLine(board), oneLine(detail)});
}

bool AuditLog::recordDownload(const std::string &user, const std::string &board, const std::string &sha256,
                              std::string &error)
{
    if (!isSha256(sha256)) {
        error = "a configuration's SHA-256 is 64 hexadecimal digits";
        return false;
    }
    std::string lower = sha256;
    for (char &c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
    store_.transaction([&](Database &db) { record(db, "download", user, board, "sha256 " + lower); });
    return true;
}

std::vector<std::string> AuditLog::lines()
{
    const Result r = store_.transaction(
        [](Database &db) { return db.run("SELECT at, event, user_name, board, detail FROM audit ORDER BY seq"); });
    std::vector<std::string> out;
    for (const Row &row : r.rows) {
        std::string line = timeText(row.integer(0));
        for (std::size_t i = 1; i < 5; ++i)
            if (!row.text(i).empty())
                line += " " + row.text(i);
        out.push_back(line);
    }
    return out;
}

std::string AuditLog::timeText(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

} // namespace lab
