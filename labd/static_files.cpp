#include "static_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace labd {

const char *const kContentSecurityPolicy =
    "default-src 'none'; script-src 'self'; style-src 'self'; img-src 'self' data:; connect-src 'self'; "
    "font-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";

namespace {

// The client is a few small files; nothing it serves is near these.
constexpr std::size_t kMaxTarget = 1024;
constexpr off_t kMaxFileBytes = 16 * 1024 * 1024;

struct Type {
    std::string_view suffix, type;
};
constexpr std::array<Type, 12> kTypes{{
    {".html", "text/html; charset=utf-8"},
    {".js", "text/javascript; charset=utf-8"},
    {".css", "text/css; charset=utf-8"},
    {".svg", "image/svg+xml"},
    {".png", "image/png"},
    {".jpg", "image/jpeg"},
    {".ico", "image/x-icon"},
    {".json", "application/json"},
    {".map", "application/json"},
    {".txt", "text/plain; charset=utf-8"},
    {".woff2", "font/woff2"},
    {".webmanifest", "application/manifest+json"},
}};

std::string typeOf(const std::string &path)
{
    for (const Type &t : kTypes)
        if (path.size() > t.suffix.size() &&
            path.compare(path.size() - t.suffix.size(), t.suffix.size(), t.suffix) == 0)
            return std::string(t.type);
    return "application/octet-stream";
}

http::Response plain(int status, const std::string &text)
{
    http::Response r;
    r.status = status;
    r.contentType = "text/plain; charset=utf-8";
    r.body = text + "\n";
    r.headers.emplace_back("X-Content-Type-Options", "nosniff");
    return r;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The target's path, decoded, as a relative path of plain names; false for anything else.
// Decoding happens once: a '%' that decodes to another '%' would be decoded again by nobody,
// so it is refused along with what could reach outside the root.
bool relativePath(const std::string &target, std::string &out)
{
    if (target.empty() || target.size() > kMaxTarget || target[0] != '/')
        return false;
    const std::string path = target.substr(0, target.find_first_of("?#"));
    std::string decoded;
    for (std::size_t i = 0; i < path.size(); ++i) {
        char c = path[i];
        if (c == '%') {
            const int hi = i + 2 < path.size() ? hexValue(path[i + 1]) : -1;
            const int lo = hi >= 0 ? hexValue(path[i + 2]) : -1;
            if (lo < 0)
                return false;
            c = static_cast<char>(hi * 16 + lo);
            i += 2;
            // An encoded separator or escape is never part of a name this client has.
            if (c == '/' || c == '%')
                return false;
        }
        if (c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
        decoded += c;
    }
    out.clear();
    std::size_t start = 1;
    while (start <= decoded.size()) {
        std::size_t end = decoded.find('/', start);
        if (end == std::string::npos)
            end = decoded.size();
        const std::string name = decoded.substr(start, end - start);
        // Empty names ("//") and dot names (".", "..", ".git") never reach the file system.
        if (name.empty() ? end != decoded.size() : name[0] == '.')
            return false;
        if (!name.empty())
            out += (out.empty() ? "" : "/") + name;
        start = end + 1;
    }
    if (out.empty() || decoded.back() == '/')
        out += (out.empty() ? "" : "/") + std::string("index.html");
    return true;
}

std::string etagOf(const std::string &bytes)
{
    std::uint64_t h = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    char text[48];
    std::snprintf(text, sizeof text, "\"%016llx-%zx\"", static_cast<unsigned long long>(h), bytes.size());
    return text;
}

bool etagMatches(const std::string &ifNoneMatch, const std::string &etag)
{
    if (ifNoneMatch.empty())
        return false;
    if (ifNoneMatch == "*")
        return true;
    // A list of tags, weak ones compared by their opaque part.
    std::size_t start = 0;
    while (start < ifNoneMatch.size()) {
        std::size_t end = ifNoneMatch.find(',', start);
        if (end == std::string::npos)
            end = ifNoneMatch.size();
        std::string tag = ifNoneMatch.substr(start, end - start);
        const auto first = tag.find_first_not_of(" \t");
        tag = first == std::string::npos ? "" : tag.substr(first, tag.find_last_not_of(" \t") - first + 1);
        if (tag.rfind("W/", 0) == 0)
            tag = tag.substr(2);
        if (tag == etag)
            return true;
        start = end + 1;
    }
    return false;
}

std::string realPath(const std::string &path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

// Reads a regular file of bounded size; false for anything else.
bool readFile(const std::string &path, std::string &bytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxFileBytes;
    if (ok) {
        bytes.resize(static_cast<std::size_t>(st.st_size));
        std::size_t got = 0;
        while (ok && got < bytes.size()) {
            const ssize_t n = ::read(fd, &bytes[got], bytes.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            if (ok)
                got += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    return ok;
}

} // namespace

http::Response staticFile(const http::Request &request, const std::string &webRoot)
{
    const bool head = request.method == "HEAD";
    if (request.method != "GET" && !head) {
        http::Response r = plain(405, "only GET is served here");
        r.headers.emplace_back("Allow", "GET, HEAD");
        return r;
    }
    std::string relative;
    if (!relativePath(request.target, relative))
        return plain(404, "not found");
    // Every name was checked above; a symbolic link in the tree may still lead anywhere, so
    // the file's real place must lie inside the root's.
    const std::string root = realPath(webRoot);
    const std::string file = root.empty() ? std::string() : realPath(root + "/" + relative);
    std::string bytes;
    if (file.empty() || file.compare(0, root.size() + 1, root + "/") != 0 || !readFile(file, bytes))
        return plain(404, "not found");

    http::Response r;
    const std::string etag = etagOf(bytes);
    r.headers.emplace_back("ETag", etag);
    // Always asked again, cheaply: an upgraded server's client is never served stale.
    r.headers.emplace_back("Cache-Control", "no-cache");
    r.headers.emplace_back("Content-Security-Policy", kContentSecurityPolicy);
    r.headers.emplace_back("X-Content-Type-Options", "nosniff");
    r.headers.emplace_back("Referrer-Policy", "no-referrer");
    r.headers.emplace_back("X-Frame-Options", "DENY");
    r.contentType = typeOf(relative);
    if (etagMatches(request.header("If-None-Match"), etag)) {
        r.status = 304;
        return r;
    }
    if (!head)
        r.body = std::move(bytes);
    return r;
}

std::string findWebRoot(const std::string &programPath)
{
    const auto hasIndex = [](const std::string &dir) {
        struct stat st {};
        return !dir.empty() && ::stat((dir + "/index.html").c_str(), &st) == 0 && S_ISREG(st.st_mode);
    };
    if (const char *env = std::getenv("BRIXO_WEB_ROOT"); env && *env)
        return hasIndex(env) ? realPath(env) : std::string();
    const std::string program = realPath(programPath);
    const std::string dir = program.substr(0, program.rfind('/'));
    for (const std::string &candidate : {dir + "/../share/brixo/web", dir + "/../web/dist"})
        if (hasIndex(candidate))
            return realPath(candidate);
    return "";
}

} // namespace labd
