#include "sandbox.h"

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace labd {

namespace {

constexpr int kProbeLimitMs = 10000;

std::string found(const std::string &program)
{
    const char *path = std::getenv("PATH");
    std::istringstream dirs(path && *path ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::string full = (dir.empty() ? "." : dir) + "/" + program;
        if (::access(full.c_str(), X_OK) == 0)
            return full;
    }
    return std::string();
}

// The system as every run sees it, read-only; what it may write comes after.
std::vector<std::string> systemView(const std::string &bwrap)
{
    // The run itself is the sandbox's first process: bwrap collects it, where a reaper of
    // bwrap's own would be left for whoever adopts orphans above us.
    std::vector<std::string> a{bwrap, "--unshare-all", "--die-with-parent", "--new-session", "--as-pid-1"};
    if (::geteuid() == 0) // root keeps its capabilities in the sandbox's namespace otherwise
        a.insert(a.end(), {"--cap-drop", "ALL"});
    a.insert(a.end(), {"--ro-bind", "/usr", "/usr"});
    // Merged-/usr systems have these as links, older ones as folders.
    for (const char *d : {"/bin", "/sbin", "/lib", "/lib32", "/lib64", "/libx32"}) {
        struct stat st {};
        if (::lstat(d, &st) != 0)
            continue;
        if (S_ISLNK(st.st_mode)) {
            char target[4096];
            const ssize_t n = ::readlink(d, target, sizeof target - 1);
            if (n > 0)
                a.insert(a.end(), {"--symlink", std::string(target, size_t(n)), d});
        } else if (S_ISDIR(st.st_mode)) {
            a.insert(a.end(), {"--ro-bind", d, d});
        }
    }
    // Of /etc only what the loader, the compiler's alternatives and Verilator's Perl read.
    for (const char *f : {"/etc/ld.so.cache", "/etc/ld.so.conf", "/etc/ld.so.conf.d", "/etc/alternatives", "/etc/perl"})
        a.insert(a.end(), {"--ro-bind-try", f, f});
    a.insert(a.end(), {"--proc", "/proc", "--dev", "/dev", "--size", std::to_string(64 << 20), "--tmpfs", "/tmp"});
    return a;
}

const std::string &bwrapPath()
{
    static const std::string path = found("bwrap");
    return path;
}

// How many processes our user runs now: the process limit counts them all, so a run's own
// allowance comes on top.
unsigned long long userProcesses()
{
    unsigned long long n = 0;
    std::error_code error;
    for (const std::filesystem::directory_entry &e : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = e.path().filename().string();
        struct stat st {};
        if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0])) && ::stat(e.path().c_str(), &st) == 0 &&
            st.st_uid == ::getuid())
            ++n;
    }
    return n;
}

} // namespace

bool outOfMemory(const std::string &said)
{
    // C++'s, the C library's (LANG=C) and GCC's words for it.
    for (const char *words : {"std::bad_alloc", "Cannot allocate memory", "out of memory", "memory exhausted"})
        if (said.find(words) != std::string::npos)
            return true;
    return false;
}

std::string byteSize(unsigned long long bytes)
{
    if (bytes >= (1ull << 30) && bytes % (1ull << 30) == 0)
        return std::to_string(bytes >> 30) + " GiB";
    if (bytes >= (1ull << 20) && bytes % (1ull << 20) == 0)
        return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes >> 10) + " KiB";
}

const std::string &sandboxUnavailable()
{
    static const std::string reason = [] {
        if (bwrapPath().empty())
            return std::string("bwrap (bubblewrap) is not installed");
        std::vector<std::string> a = systemView(bwrapPath());
        a.insert(a.end(), {"--", "true"});
        std::string out;
        brixo::SpawnOptions o;
        o.dir = "/";
        o.cleanEnvironment = true;
        o.environment = {"PATH=/usr/bin:/bin"};
        if (brixo::runTool(a, o, kProbeLimitMs, out) == 0)
            return std::string();
        while (!out.empty() && out.back() == '\n')
            out.pop_back();
        return "bwrap cannot make a sandbox here" + (out.empty() ? std::string() : ": " + out.substr(0, 300));
    }();
    return reason;
}

void endRun(pid_t pid, bool collect)
{
    if (pid <= 0)
        return;
    std::ifstream children("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    bool inner = false;
    for (pid_t child; children >> child; inner = true)
        ::kill(child, SIGKILL); // the sandbox's first process: everything in it ends with it
    for (int i = 0; inner && i < 500; ++i) {
        siginfo_t info{};
        if (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
            break;
        ::usleep(2000);
    }
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    for (int i = 0; collect && i < 500 && ::waitpid(pid, nullptr, WNOHANG) == 0; ++i)
        ::usleep(2000);
}

int reportSandbox()
{
    const std::string &why = sandboxUnavailable();
    std::printf("sandbox: %s\n", why.empty() ? "ready" : ("unavailable: " + why).c_str());
    return why.empty() ? 0 : 3;
}

Sandbox::Sandbox(std::string workDir, std::vector<std::string> readable, bool contained, SandboxLimits limits)
    : workDir_(std::move(workDir)), readable_(std::move(readable)), contained_(contained), limits_(limits)
{}

std::vector<std::string> Sandbox::command(const std::vector<std::string> &argv, const std::string &dir,
                                          const std::vector<std::string> &writable) const
{
    if (!contained_)
        return argv;
    std::vector<std::string> a = systemView(bwrapPath());
    std::set<std::string> bound;
    for (const std::string &r : readable_)
        if (bound.insert(r).second)
            a.insert(a.end(), {"--ro-bind", r, r});
    for (const std::string &w : writable)
        a.insert(a.end(), {"--bind", w, w});
    a.insert(a.end(), {"--bind", workDir_, workDir_, "--chdir", dir.empty() ? workDir_ : dir, "--"});
    a.insert(a.end(), argv.begin(), argv.end());
    return a;
}

brixo::SpawnOptions Sandbox::options(const std::string &dir, int cpuSeconds,
                                     const std::vector<std::string> &environment) const
{
    brixo::SpawnOptions o;
    o.dir = dir.empty() ? workDir_ : dir;
    o.cleanEnvironment = true;
    const char *path = std::getenv("PATH");
    o.environment = {std::string("PATH=") + (path && *path ? path : "/usr/local/bin:/usr/bin:/bin"), "LANG=C",
                     "LC_ALL=C", "HOME=" + workDir_, "TMPDIR=" + (contained_ ? std::string("/tmp") : workDir_)};
    o.environment.insert(o.environment.end(), environment.begin(), environment.end());
    o.limits = {{RLIMIT_AS, limits_.memoryBytes},
                {RLIMIT_FSIZE, limits_.fileBytes},
                {RLIMIT_CPU, (unsigned long long)cpuSeconds},
                {RLIMIT_NPROC, userProcesses() + (unsigned long long)limits_.processes},
                {RLIMIT_CORE, 0}};
    return o;
}

int Sandbox::runTool(const std::vector<std::string> &argv, int limitMs, std::string &output,
                     const std::vector<std::string> &environment, const std::vector<std::string> &writable) const
{
    const int status = brixo::runTool(command(argv, workDir_, writable),
                                      options(workDir_, (limitMs + 999) / 1000, environment), limitMs, output);
    // bwrap ends with 128 + the signal that ended what it ran.
    if (contained_ && status > 128 && status < 128 + 65)
        output +=
            argv[0] + " ended on signal " + std::to_string(status - 128) + " (" + ::strsignal(status - 128) + ")\n";
    return status;
}

std::string Sandbox::limitReached(int signal) const
{
    switch (signal) {
    case SIGXCPU: return "the CPU time limit";
    case SIGXFSZ: return "the file size limit of " + byteSize(limits_.fileBytes);
    default: return std::string();
    }
}

std::string Sandbox::memoryLimit() const { return "the memory limit of " + byteSize(limits_.memoryBytes); }

} // namespace labd
