#include "lab_server_process.h"

#include "postgres_server.h"
#include "store.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace labtest {

namespace {

using nlohmann::json;

std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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

LabServer::LabServer() : dir_(makeTempDir()) {}

LabServer::~LabServer()
{
    stop();
    removeTempDir(dir_);
}

std::string LabServer::location() const { return database_.empty() ? databaseFile() : database_; }

bool LabServer::start(const LabSetup &setup, int limitMs)
{
    database_ = setup.database;
    json boards = json::array();
    for (const LabSetup::Board &b : setup.boards)
        boards.push_back(
            {{"id", b.id}, {"kind", b.kind}, {"adapter", b.adapter}, {"panel", "panel.jvp"}, {"reset", "blank.rbf"}});
    const json config = {{"listen", "127.0.0.1:0"},
                         {"database", location()},
                         {"host", setup.host},
                         {"slice_seconds", setup.sliceSeconds},
                         {"idle_seconds", setup.idleSeconds},
                         {"boards", boards}};
    std::ofstream(dir_ + "/lab.json") << config.dump(2);
    std::ofstream(dir_ + "/panel.jvp") << setup.panel;
    std::ofstream(dir_ + "/blank.rbf") << std::string(2000, '\x5a');

    const std::string program = BRIXO_LABD, configFile = dir_ + "/lab.json", errFile = dir_ + "/stderr.txt";
    std::vector<std::string> args{program, "lab", "--config", configFile};
    std::vector<std::string> env;
    // The first of a name wins: the test's own sanitizer options must not hide the child's.
    for (char **e = environ; *e; ++e)
        if (std::string(*e).rfind("ASAN_OPTIONS=", 0) != 0 && std::string(*e).rfind("LD_PRELOAD=", 0) != 0)
            env.push_back(*e);
    env.push_back(std::string("LD_PRELOAD=") + HID_PROXY);
    env.push_back("BRIXO_EMU_HID_SOCKET=" + setup.hidSocket);
    env.push_back("ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0");
    std::vector<char *> argv, envp;
    for (std::string &a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return false;
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL); // never outlives the test
        const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        dup2(out[1], 1);
        dup2(err, 2);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (text.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        pollfd p{out[0], POLLIN, 0};
        char buf[512];
        ssize_t n = 0;
        if (left <= 0 || poll(&p, 1, int(left)) <= 0 || (n = read(out[0], buf, sizeof buf)) <= 0)
            break;
        text.append(buf, size_t(n));
    }
    close(out[0]);
    const std::string mark = "listening on 127.0.0.1:";
    if (text.compare(0, mark.size(), mark) != 0) {
        stop();
        return false;
    }
    port = std::atoi(text.c_str() + mark.size());
    return port > 0;
}

int LabServer::stop()
{
    if (pid_ <= 0)
        return -1;
    kill(pid_, SIGTERM);
    const int status = waitFor(pid_, 10000);
    pid_ = -1;
    return status;
}

std::string LabServer::errors() const { return readAll(dir_ + "/stderr.txt"); }

void addUsers(const std::string &location, const std::vector<std::pair<std::string, std::string>> &users)
{
    lab::Store store(location, lab::StoreOptions{});
    for (const auto &[name, roleText] : users) {
        lab::Role role = lab::Role::Student;
        ASSERT_TRUE(lab::parseRole(roleText, role)) << roleText;
        std::string error;
        ASSERT_TRUE(store.accounts().add(name, role, name + "-pw", error)) << error;
    }
}

void runSql(const std::string &location, const std::string &statement)
{
    lab::Store store(location, lab::StoreOptions{});
    store.transaction([&](lab::Database &db) { db.run(statement); });
}

Reply request(int port, const std::string &method, const std::string &path, const std::string &body,
              const std::string &token)
{
    std::string req = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (!token.empty())
        req += "Authorization: Bearer " + token + "\r\n";
    req += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    Reply r;
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string text;
    if (connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0) {
        for (std::size_t sent = 0; sent < req.size();) {
            const ssize_t n = send(s, req.data() + sent, req.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                break;
            sent += size_t(n);
        }
        char buf[8192];
        pollfd p{s, POLLIN, 0};
        while (poll(&p, 1, 10000) > 0) {
            const ssize_t n = recv(s, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            text.append(buf, size_t(n));
        }
    }
    close(s);
    const std::size_t headEnd = text.find("\r\n\r\n");
    if (text.compare(0, 9, "HTTP/1.1 ") != 0 || headEnd == std::string::npos)
        return r;
    r.status = std::atoi(text.c_str() + 9);
    r.text = text.substr(headEnd + 4);
    r.body = json::parse(r.text, nullptr, false);
    return r;
}

std::string signIn(int port, const std::string &user, const std::string &password)
{
    const Reply r = request(port, "POST", "/api/v1/login", json{{"user", user}, {"password", password}}.dump());
    return r.status == 200 && r.body.contains("token") ? r.body["token"].get<std::string>() : "";
}

} // namespace labtest
