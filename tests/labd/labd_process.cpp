#include "labd_process.h"

#include <hostui.h>
#include <tamro.h>
#include <vestrix.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace labtest {

namespace {

std::string tempDir()
{
    static std::string dir;
    if (dir.empty()) {
        char pattern[] = "/tmp/labd-test-XXXXXX";
        dir = mkdtemp(pattern);
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        });
    }
    return dir;
}

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// fork/exec brixo-labd with the given stdin/stdout descriptors and stderr into a file.
int spawn(const std::vector<std::string> &args, int in, int out, const std::string &errFile)
{
    std::vector<std::string> all{BRIXO_LABD};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int pid = fork();
    if (pid == 0) {
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

int waitFor(int pid, int limitMs)
{
    int status = 0;
    for (int waited = 0; waited < limitMs; waited += 10) {
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

} // namespace

std::string writeDesign(const std::string &name, const std::string &text)
{
    const std::string path = tempDir() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

Labd::~Labd()
{
    if (pid_ > 0)
        stop(0);
}

bool Labd::start(const std::vector<std::string> &args, int limitMs)
{
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) // the server must not hold its own stdin open
        return false;
    static int count = 0;
    errFile_ = tempDir() + "/stderr" + std::to_string(++count) + ".txt";
    std::vector<std::string> all(args);
    all.push_back("--stdin-lifetime");
    pid_ = spawn(all, in[0], out[1], errFile_);
    close(in[0]);
    close(out[1]);
    stdin_ = in[1];
    stdout_ = out[0];
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (std::count(text.begin(), text.end(), '\n') < 2) {
        const int left = int(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count());
        pollfd p{stdout_, POLLIN, 0};
        if (left <= 0 || poll(&p, 1, left) <= 0)
            return false;
        char buf[512];
        const ssize_t n = read(stdout_, buf, sizeof buf);
        if (n <= 0)
            return false;
        text.append(buf, size_t(n));
    }
    std::istringstream lines(text);
    std::string second;
    std::getline(lines, listening);
    std::getline(lines, second);
    if (second.compare(0, 7, "design ") != 0 || listening.compare(0, 13, "listening on ") != 0)
        return false;
    design = second.substr(7);
    port = std::atoi(listening.substr(listening.rfind(':') + 1).c_str());
    return port > 0;
}

std::string Labd::errors() const { return readAll(errFile_); }

long Labd::residentKiB() const
{
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::stol(line.substr(6));
    return -1;
}

int Labd::stop(int signal)
{
    if (pid_ <= 0)
        return -1;
    if (signal == 0)
        close(stdin_);
    else
        kill(pid_, signal);
    const int status = waitFor(pid_, 5000);
    if (signal != 0)
        close(stdin_);
    close(stdout_);
    pid_ = -1;
    return status;
}

Run runLabd(const std::vector<std::string> &args, int limitMs)
{
    static int count = 0;
    const std::string outFile = tempDir() + "/run" + std::to_string(++count) + ".out";
    const int in = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int pid = spawn(args, in, out, outFile + ".err");
    close(in);
    close(out);
    Run r;
    r.status = waitFor(pid, limitMs);
    r.out = readAll(outFile);
    r.err = readAll(outFile + ".err");
    return r;
}

std::string exchange(int port, const std::string &request, int quietMs)
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        send(s, request.data(), request.size(), MSG_NOSIGNAL) >= 0) {
        char buf[4096];
        pollfd p{s, POLLIN, 0};
        while (poll(&p, 1, quietMs) > 0) {
            const ssize_t n = recv(s, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            answer.append(buf, size_t(n));
        }
    }
    close(s);
    return answer;
}

HttpAnswer http(int port, const std::string &method, const std::string &path, const std::string &body,
                const std::string &headers)
{
    std::string request = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + headers;
    if (headers.find("Transfer-Encoding") == std::string::npos)
        request += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    const std::string text = exchange(port, request + "\r\n" + body, 5000);
    HttpAnswer a;
    const size_t headEnd = text.find("\r\n\r\n");
    if (text.compare(0, 9, "HTTP/1.1 ") != 0 || headEnd == std::string::npos)
        return a;
    a.status = std::atoi(text.c_str() + 9);
    const size_t type = text.find("\r\nContent-Type: ");
    if (type < headEnd)
        a.type = text.substr(type + 16, text.find("\r\n", type + 2) - type - 16);
    a.body = text.substr(headEnd + 4);
    return a;
}

int selectServer(int port)
{
    hostui::setCollecting(true);
    EnableDLLMessage(0);
    char list[TAMRO_LIST_SIZE] = {};
    ScanTAMRO(list, "127.0.0.1", port);
    for (int i = 0; i < TAMRO_LIST_SLOTS; ++i)
        if (std::strcmp(list + i * TAMRO_LIST_SLOT_SIZE, "Lantrovex") == 0)
            return ConnectDevice(i);
    return -1;
}

int writeBits(int selector, uint64_t value, int bits)
{
    unsigned char data[8];
    for (int i = 0; i < 8; ++i)
        data[i] = uint8_t(value >> (8 * i));
    return WriteRegister(selector, data, bits);
}

int readBits(int selector, int bits, uint64_t &value)
{
    unsigned char data[256] = {};
    const int rc = ReadRegister(selector, bits, data);
    value = 0;
    for (int i = 0; i < 8; ++i)
        value |= uint64_t(data[i]) << (8 * i);
    return rc;
}

} // namespace labtest
