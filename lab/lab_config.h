// lab.json, the lab server's configuration: where it listens, its database, the time slice, the
// boards attached to this lab PC. Read strictly: an unknown member or a wrong type is an error
// that names the member. Relative paths are relative to the file.
#pragma once
#include "boardqueue.h"
#include "store.h"

#include <string>
#include <vector>

namespace lab {

struct BoardConfig {
    std::string id, kind;
    int adapter = 0;
    std::string panel, reset; // the panel file shown, the configuration that blanks the board
    int cpuDataBits = 0;      // not in the file: read from the panel when the server opens the board
};

struct LabConfig {
    std::string listen; // as written; also split into the two below
    std::string listenHost;
    int listenPort = 0;
    std::string host;     // "host", else the system's host name: this PC among those sharing the database
    std::string address;  // "address", else `listen`: where clients reach this PC's boards
    std::string database; // an absolute SQLite file path, or a postgresql:// URL as written
    int sliceSeconds = 900;
    int idleSeconds = 60;
    std::vector<BoardConfig> boards;
    std::string certificate, key; // both or neither
};

constexpr std::size_t kLabConfigLimit = 1 << 20; // bytes

bool parseLabConfig(const std::string &text, const std::string &dir, LabConfig &config, std::string &error);
bool readLabConfig(const std::string &path, LabConfig &config, std::string &error);

StoreOptions storeOptions(const LabConfig &config);
std::vector<BoardEntry> boardEntries(const LabConfig &config);

} // namespace lab
