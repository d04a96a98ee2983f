#include "lab_token_store.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

constexpr qint64 kFileLimit = 1 << 20;

std::string directory()
{
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/')
        return std::string(xdg) + "/brixo";
    const char *home = std::getenv("HOME");
    if (home && *home == '/')
        return std::string(home) + "/.config/brixo";
    return std::string();
}

// The saved tokens; empty when the file is missing, unreadable, too large or open to others.
QJsonObject readAll(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return QJsonObject();
    struct stat st;
    QByteArray bytes;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0 &&
        st.st_size <= kFileLimit) {
        bytes.resize(int(st.st_size));
        const ssize_t n = ::read(fd, bytes.data(), size_t(bytes.size()));
        bytes.resize(n < 0 ? 0 : int(n));
    }
    ::close(fd);
    return QJsonDocument::fromJson(bytes).object();
}

} // namespace

std::string labTokenFile()
{
    const std::string dir = directory();
    return dir.empty() ? std::string() : dir + "/lab-tokens.json";
}

std::string loadLabToken(const std::string &url)
{
    const std::string path = labTokenFile();
    if (path.empty())
        return std::string();
    return readAll(path)
        .value(QString::fromStdString(url))
        .toObject()
        .value(QStringLiteral("token"))
        .toString()
        .toStdString();
}

bool saveLabToken(const std::string &url, const std::string &user, const std::string &token, std::string &why)
{
    const std::string dir = directory(), path = labTokenFile();
    if (path.empty()) {
        why = "neither XDG_CONFIG_HOME nor HOME names a directory";
        return false;
    }
    // The parent (~/.config) as the user has it; ours only for the user.
    const std::string parent = dir.substr(0, dir.rfind('/'));
    ::mkdir(parent.c_str(), 0700);
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
        why = dir + ": " + std::strerror(errno);
        return false;
    }
    QJsonObject all = readAll(path);
    if (token.empty())
        all.remove(QString::fromStdString(url));
    else
        all.insert(QString::fromStdString(url), QJsonObject{{QStringLiteral("user"), QString::fromStdString(user)},
                                                            {QStringLiteral("token"), QString::fromStdString(token)}});
    const QByteArray bytes = QJsonDocument(all).toJson();
    // Written beside it with mode 0600 from the start, then put in its place in one step.
    const std::string temporary = path + ".new";
    ::unlink(temporary.c_str());
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        why = temporary + ": " + std::strerror(errno);
        return false;
    }
    const bool written =
        ::write(fd, bytes.constData(), size_t(bytes.size())) == ssize_t(bytes.size()) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        why = path + ": " + std::strerror(written ? errno : savedErrno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace cli
