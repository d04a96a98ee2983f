#include "lab_config.h"

#include "database.h"
#include "host_port.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <unistd.h>

namespace lab {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

// One object's members, each taken once; whatever is left over is unknown.
class Members {
public:
    Members(const json &object, std::string path) : object_(object), path_(std::move(path)) {}

    std::string name(const std::string &member) const { return path_.empty() ? member : path_ + "." + member; }

    const json *take(const std::string &member, bool required, std::string &error)
    {
        taken_.insert(member);
        const auto it = object_.find(member);
        if (it == object_.end()) {
            if (required)
                error = "'" + name(member) + "' is missing";
            return nullptr;
        }
        return &*it;
    }

    bool text(const std::string &member, bool required, std::string &out, std::string &error)
    {
        const json *v = take(member, required, error);
        if (!v)
            return error.empty();
        if (!v->is_string() || v->get_ref<const std::string &>().empty()) {
            error = "'" + name(member) + "' must be a non-empty string";
            return false;
        }
        out = v->get<std::string>();
        return true;
    }

    bool integer(const std::string &member, long long lo, long long hi, int &out, std::string &error)
    {
        const json *v = take(member, false, error);
        if (!v)
            return true;
        if (!v->is_number_integer() || v->get<long long>() < lo || v->get<long long>() > hi) {
            error = "'" + name(member) + "' must be a whole number from " + std::to_string(lo) + " to " +
                    std::to_string(hi);
            return false;
        }
        out = static_cast<int>(v->get<long long>());
        return true;
    }

    bool rest(std::string &error) const
    {
        for (auto it = object_.begin(); it != object_.end(); ++it)
            if (!taken_.count(it.key())) {
                error = "unknown member '" + name(it.key()) + "'";
                return false;
            }
        return true;
    }

private:
    const json &object_;
    std::string path_;
    std::set<std::string> taken_;
};

std::string underDir(const std::string &dir, const std::string &path)
{
    const fs::path p(path);
    return (p.is_absolute() ? p : fs::path(dir) / p).lexically_normal().string();
}

bool validId(const std::string &id)
{
    if (id.size() > 64)
        return false;
    for (char c : id)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-'))
            return false;
    return true;
}

bool readBoard(const json &item, const std::string &path, const std::string &dir, BoardConfig &b, std::string &error)
{
    if (!item.is_object()) {
        error = "'" + path + "' must be an object";
        return false;
    }
    Members m(item, path);
    if (!m.text("id", true, b.id, error) || !m.text("kind", true, b.kind, error) ||
        !m.integer("adapter", 0, 255, b.adapter, error) || !m.text("panel", true, b.panel, error) ||
        !m.text("reset", true, b.reset, error) || !m.rest(error))
        return false;
    if (!item.contains("adapter")) {
        error = "'" + m.name("adapter") + "' is missing";
        return false;
    }
    if (!validId(b.id)) {
        error = "'" + m.name("id") + "' is at most 64 letters, digits and . _ -";
        return false;
    }
    if (b.kind.size() > 100) {
        error = "'" + m.name("kind") + "' is at most 100 bytes";
        return false;
    }
    b.panel = underDir(dir, b.panel);
    b.reset = underDir(dir, b.reset);
    return true;
}

std::string systemHostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || !name[0])
        return "localhost";
    return name;
}

} // namespace

bool parseLabConfig(const std::string &text, const std::string &dir, LabConfig &config, std::string &error)
{
    json doc;
    try {
        doc = json::parse(text);
    } catch (const json::exception &e) {
        error = std::string("not JSON: ") + e.what();
        return false;
    }
    if (!doc.is_object()) {
        error = "the configuration must be a JSON object";
        return false;
    }
    LabConfig c;
    Members m(doc, "");
    error.clear();
    if (!m.text("listen", true, c.listen, error) || !m.text("database", true, c.database, error) ||
        !m.text("host", false, c.host, error) || !m.text("address", false, c.address, error) ||
        !m.integer("slice_seconds", 1, 24 * 3600, c.sliceSeconds, error) ||
        !m.integer("idle_seconds", 1, 24 * 3600, c.idleSeconds, error) ||
        !m.text("certificate", false, c.certificate, error) || !m.text("key", false, c.key, error))
        return false;
    const json *boards = m.take("boards", true, error);
    if (!boards)
        return false;
    if (!m.rest(error))
        return false;
    if (!brixo::parseHostPort(c.listen, c.listenHost, c.listenPort, true)) {
        error = "'listen' must be HOST:PORT";
        return false;
    }
    std::string h;
    int p = 0;
    if (!c.address.empty() && !brixo::parseHostPort(c.address, h, p)) {
        error = "'address' must be HOST:PORT";
        return false;
    }
    if (c.certificate.empty() != c.key.empty()) {
        error = "'certificate' and 'key' go together";
        return false;
    }
    if (!boards->is_array()) {
        error = "'boards' must be an array";
        return false;
    }
    std::set<std::string> ids;
    for (std::size_t i = 0; i < boards->size(); ++i) {
        BoardConfig b;
        const std::string path = "boards[" + std::to_string(i) + "]";
        if (!readBoard((*boards)[i], path, dir, b, error))
            return false;
        if (!ids.insert(b.id).second) {
            error = "'" + path + ".id': board " + b.id + " is listed twice";
            return false;
        }
        c.boards.push_back(std::move(b));
    }
    if (c.host.empty())
        c.host = systemHostName();
    if (c.address.empty())
        c.address = c.listen;
    if (!isPostgresLocation(c.database))
        c.database = underDir(dir, c.database);
    if (!c.certificate.empty()) {
        c.certificate = underDir(dir, c.certificate);
        c.key = underDir(dir, c.key);
    }
    config = std::move(c);
    return true;
}

bool readLabConfig(const std::string &path, LabConfig &config, std::string &error)
{
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in) {
        error = path + ": cannot be read";
        return false;
    }
    if (size > kLabConfigLimit) {
        error = path + ": larger than " + std::to_string(kLabConfigLimit) + " bytes";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const std::string dir = fs::absolute(fs::path(path)).parent_path().string();
    if (!parseLabConfig(text.str(), dir, config, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

StoreOptions storeOptions(const LabConfig &config)
{
    StoreOptions o;
    o.host = config.host;
    o.address = config.address;
    o.sliceSeconds = config.sliceSeconds;
    o.idleSeconds = config.idleSeconds;
    return o;
}

std::vector<BoardEntry> boardEntries(const LabConfig &config)
{
    std::vector<BoardEntry> out;
    for (const BoardConfig &b : config.boards)
        out.push_back({b.id, b.kind});
    return out;
}

} // namespace lab
