#include "work_dir.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace labd {

namespace {

const std::string kPrefix = "brixo-labd-";

// The server number in "brixo-labd-PID-XXXXXX", or 0 when the name is not one of ours.
pid_t serverOf(const std::string &name)
{
    if (name.compare(0, kPrefix.size(), kPrefix) != 0)
        return 0;
    const size_t digits = name.find_first_not_of("0123456789", kPrefix.size());
    if (digits == kPrefix.size() || digits == std::string::npos || digits > kPrefix.size() + 9 ||
        name.size() != digits + 7 || name[digits] != '-')
        return 0;
    return pid_t(std::atol(name.c_str() + kPrefix.size()));
}

bool serverAlive(pid_t pid)
{
    if (::kill(pid, 0) != 0 && errno == ESRCH)
        return false;
    // A number taken again by another program: its server is gone all the same.
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    return !comm || !std::getline(comm, name) || name == "brixo-labd";
}

} // namespace

bool diskFull(const std::string &dir)
{
    struct statvfs fs {};
    return ::statvfs(dir.c_str(), &fs) == 0 && (unsigned long long)fs.f_bavail * fs.f_frsize < (1ull << 20);
}

std::string workDirParent()
{
    const char *tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? tmp : "/tmp";
}

std::string makeWorkDir(const std::string &parent)
{
    std::string pattern = parent + "/" + kPrefix + std::to_string(::getpid()) + "-XXXXXX";
    return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

int removeStaleWorkDirs(const std::string &parent)
{
    int removed = 0;
    std::error_code error;
    for (const fs::directory_entry &e : fs::directory_iterator(parent, error)) {
        const std::string path = e.path().string();
        const pid_t pid = serverOf(e.path().filename().string());
        struct stat st {};
        if (pid <= 0 || pid == ::getpid() || ::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            st.st_uid != ::geteuid() || serverAlive(pid))
            continue;
        std::error_code ignored;
        removed += fs::remove_all(path, ignored) > 0;
    }
    return removed;
}

int writePrivateFile(const std::string &path, const std::string &bytes, bool replace)
{
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | (replace ? O_TRUNC : O_EXCL) | O_CLOEXEC | O_NOFOLLOW, 0600);
    int failure = fd < 0 ? errno : 0;
    for (std::size_t done = 0; !failure && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failure = n < 0 ? errno : ENOSPC;
        else
            done += std::size_t(n);
    }
    if (fd >= 0 && ::close(fd) != 0 && !failure)
        failure = errno;
    return failure;
}

} // namespace labd
