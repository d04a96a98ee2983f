// Who signed in or was refused, who held which board from when to when, which configuration went
// to which board: one event a line, as `brixo-labd audit` prints them.
#pragma once
#include "database.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lab {

class Store;

class AuditLog {
public:
    explicit AuditLog(Store &store) : store_(store) {}

    // Inside the caller's transaction. Texts are cut short and control characters replaced, so
    // that one event stays one line whatever a client sent.
    void record(Database &db, const std::string &event, const std::string &user, const std::string &board,
                const std::string &detail = "");
    // A configuration downloaded to a board: its SHA-256 as the caller computed it (64 hex digits).
    bool recordDownload(const std::string &user, const std::string &board, const std::string &sha256,
                        std::string &error);
    // Every event, oldest first: "TIME EVENT USER BOARD DETAIL", the empty ones left out.
    std::vector<std::string> lines();

    // "2026-12-08T09:10:00Z"
    static std::string timeText(std::int64_t seconds);

private:
    Store &store_;
};

} // namespace lab
