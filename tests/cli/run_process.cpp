#include "run_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

ProcessResult runProcess(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                         const std::function<void(int)> &started, int limitMs)
{
    ProcessResult result;
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        return result;
    // Later entries replace earlier ones of the same name.
    std::vector<std::string> envStrings;
    const auto put = [&](const std::string &entry) {
        const std::string name = entry.substr(0, entry.find('=') + 1);
        for (std::string &e : envStrings)
            if (e.compare(0, name.size(), name) == 0)
                return void(e = entry);
        envStrings.push_back(entry);
    };
    for (char **e = environ; *e; ++e)
        put(*e);
    for (const std::string &e : env)
        put(e);
    std::vector<char *> args, envs;
    for (const std::string &a : argv)
        args.push_back(const_cast<char *>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string &e : envStrings)
        envs.push_back(const_cast<char *>(e.c_str()));
    envs.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int devnull = ::open("/dev/null", O_RDONLY);
        ::dup2(devnull, 0);
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::execve(args[0], args.data(), envs.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (started)
        started(int(pid));
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    bool outOpen = true, errOpen = true, killed = false;
    while (outOpen || errOpen) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now()).count();
        if (left <= 0 && !killed) {
            ::kill(pid, SIGKILL);
            killed = true;
        }
        pollfd fds[2] = {{outOpen ? out[0] : -1, POLLIN, 0}, {errOpen ? err[0] : -1, POLLIN, 0}};
        if (::poll(fds, 2, left > 0 ? int(left) : 1000) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (!fds[i].revents)
                continue;
            char buffer[4096];
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0)
                (i ? result.err : result.out).append(buffer, size_t(n));
            else
                (i ? errOpen : outOpen) = false;
        }
    }
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until)
            ::kill(pid, SIGKILL);
        ::usleep(5000);
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}
