#include "grade_process_tree.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace cli {

namespace {

struct Stat {
    pid_t parent = 0, group = 0;
    char state = '?';
};

// /proc/PID/stat: "pid (comm) state ppid pgrp ..."; comm may hold blanks and parentheses.
bool readStat(pid_t pid, Stat &s)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(f, line))
        return false;
    const size_t close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size())
        return false;
    char *end = nullptr;
    const char *p = line.c_str() + close + 2;
    s.state = *p;
    s.parent = pid_t(std::strtol(p + 1, &end, 10));
    s.group = pid_t(std::strtol(end, &end, 10));
    return true;
}

std::map<pid_t, Stat> allProcesses()
{
    std::map<pid_t, Stat> all;
    DIR *proc = ::opendir("/proc");
    if (!proc)
        return all;
    while (const dirent *e = ::readdir(proc)) {
        char *end = nullptr;
        const long pid = std::strtol(e->d_name, &end, 10);
        Stat s;
        if (pid > 0 && *end == 0 && readStat(pid_t(pid), s))
            all[pid_t(pid)] = s;
    }
    ::closedir(proc);
    return all;
}

std::vector<pid_t> below(const std::map<pid_t, Stat> &all, pid_t root)
{
    std::vector<pid_t> found{root};
    for (size_t i = 0; i < found.size(); ++i)
        for (const auto &[pid, s] : all)
            if (s.parent == found[i])
                found.push_back(pid);
    found.erase(found.begin());
    return found;
}

bool running(pid_t pid)
{
    Stat s;
    return readStat(pid, s) && s.state != 'Z' && s.state != 'X';
}

// SIGKILL to the process and to its group unless that is ours.
void killWithGroup(pid_t pid)
{
    const pid_t group = ::getpgid(pid);
    ::kill(pid, SIGKILL);
    if (group > 0 && group != ::getpgrp())
        ::kill(-group, SIGKILL);
}

} // namespace

void adoptOrphans() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

std::vector<pid_t> descendantsOf(pid_t root) { return below(allProcesses(), root); }

void endTrees(const std::vector<pid_t> &roots, int graceMs)
{
    std::set<pid_t> trees;
    {
        const std::map<pid_t, Stat> all = allProcesses();
        for (pid_t root : roots) {
            trees.insert(root);
            for (pid_t p : below(all, root))
                trees.insert(p);
        }
    }
    for (pid_t root : roots)
        ::kill(-root, SIGTERM);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMs);
    for (;;) {
        bool left = false;
        for (pid_t p : trees)
            left = left || running(p);
        if (!left || std::chrono::steady_clock::now() >= until)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // What started since the first look is below a root that still runs.
    for (pid_t root : roots)
        for (pid_t p : descendantsOf(root))
            trees.insert(p);
    for (pid_t p : trees)
        if (running(p))
            killWithGroup(p);
}

int reapLeftovers(const std::set<pid_t> &keep)
{
    const std::map<pid_t, Stat> all = allProcesses();
    const pid_t self = ::getpid();
    int count = 0;
    for (const auto &[pid, s] : all) {
        if (s.parent != self || keep.count(pid))
            continue;
        for (pid_t p : below(all, pid))
            killWithGroup(p);
        killWithGroup(pid);
        // Killed, it is gone at once, unless the kernel holds it in an uninterruptible wait.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (::waitpid(pid, nullptr, WNOHANG) == 0 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ++count;
    }
    return count;
}

} // namespace cli
