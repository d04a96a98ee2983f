// What the lab server and one of its adapter processes say to each other: one JSON object per
// line each way, over the process's standard input and output. The process says it is ready
// once, then answers each request with one line (a download first sends its progress lines):
//   {"ready": true, "connected": BOOL, "error": TEXT}                              once, at start
//   {"op": "step", "switches", "keys", "pulse", "leds": BOOL, "digits": BOOL, "cpu_bits": N}
//     -> {"code", "message", "stage", "leds", "digits": [8 bytes], "cpu_data": HEX, "cpu_bits"}
//   {"op": "configure", "file": PATH}
//     -> {"progress": DONE, "total": PIECES} ... then {"code", "message"}
//   {"op": "cancel"}   while a download runs: it stops between pieces, code -259
//   {"op": "check"}    -> {"code", "message", "chip": TEXT, "version": N}
// A configuration travels as a file the server wrote in a private folder, so that no line is
// ever large and a process that stops reading can never block the server's write.
#pragma once
#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

namespace labd::wire {

using json = nlohmann::json;

// No line either side writes comes near this; a longer one is a broken peer.
constexpr std::size_t kLineLimit = 64 * 1024;

inline std::uint64_t number(const json &j, const char *key, std::uint64_t otherwise = 0)
{
    const auto it = j.find(key);
    return it != j.end() && it->is_number_unsigned() ? it->get<std::uint64_t>() : otherwise;
}

inline std::int64_t integer(const json &j, const char *key, std::int64_t otherwise = 0)
{
    const auto it = j.find(key);
    return it != j.end() && it->is_number_integer() ? it->get<std::int64_t>() : otherwise;
}

inline bool flag(const json &j, const char *key, bool otherwise = false)
{
    const auto it = j.find(key);
    return it != j.end() && it->is_boolean() ? it->get<bool>() : otherwise;
}

inline std::string text(const json &j, const char *key)
{
    const auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

// The object on a line, or null for anything else.
inline json parse(const std::string &line)
{
    json j = json::parse(line, nullptr, false);
    return j.is_object() ? j : json();
}

} // namespace labd::wire
