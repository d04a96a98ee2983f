#include "postgres_server.h"

#include "child_process.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <csignal>
#include <filesystem>
#include <glob.h>
#include <memory>
#include <pwd.h>
#include <thread>
#include <unistd.h>

namespace labtest {
namespace {

namespace fs = std::filesystem;
constexpr int kPort = 5432; // the socket is in our own directory, so no other server's
constexpr int kStartLimitMs = 60000;

std::string serverBinDir()
{
    glob_t found{};
    std::string dir;
    if (glob("/usr/lib/postgresql/*/bin/postgres", 0, nullptr, &found) == 0 && found.gl_pathc > 0)
        dir = fs::path(found.gl_pathv[found.gl_pathc - 1]).parent_path().string();
    globfree(&found);
    return dir;
}

class Server {
public:
    ~Server() { stop(); }

    bool start(std::string &why)
    {
        const std::string bin = serverBinDir();
        if (bin.empty() || !fs::exists(bin + "/initdb")) {
            why = "the PostgreSQL server binaries (initdb, postgres) are not installed in /usr/lib/postgresql/*/bin";
            return false;
        }
        dir_ = makeTempDir();
        std::vector<std::string> as;
        // initdb refuses to run as root: the server runs as the postgres user, in a directory it owns.
        if (geteuid() == 0) {
            const passwd *pw = getpwnam("postgres");
            if (!pw || chown(dir_.c_str(), pw->pw_uid, pw->pw_gid) != 0) {
                why = "running as root and there is no postgres user to run the server as";
                return false;
            }
            as = {"setpriv", "--reuid=postgres", "--regid=postgres", "--init-groups", "--"};
        }
        brixo::SpawnOptions options;
        options.dir = dir_;
        auto command = [&](std::vector<std::string> argv) {
            argv.insert(argv.begin(), as.begin(), as.end());
            return argv;
        };
        std::string output;
        if (brixo::runTool(command({bin + "/initdb", "-D", dir_ + "/data", "-U", "brixo", "-A", "trust", "-E", "UTF8",
                                    "--locale=C", "--no-sync", "--no-instructions"}),
                           options, kStartLimitMs, output) != 0) {
            why = "initdb failed: " + output;
            return false;
        }
        options.in = brixo::SpawnOptions::Null;
        options.out = brixo::SpawnOptions::Null;
        options.err = brixo::SpawnOptions::Null;
        if (!server_.start(
                command({bin + "/postgres", "-D", dir_ + "/data", "-k", dir_, "-h", "", "-p", std::to_string(kPort),
                         "-c", "fsync=off", "-c", "synchronous_commit=off", "-c", "full_page_writes=off"}),
                options, why))
            return false;
        const std::string info = "host=" + dir_ + " port=" + std::to_string(kPort) + " user=brixo dbname=postgres";
        const auto deadline = brixo::Clock::now() + std::chrono::milliseconds(kStartLimitMs);
        while (PQping(info.c_str()) != PQPING_OK) {
            int status = 0;
            if (server_.exited(status) || brixo::Clock::now() > deadline) {
                why = "postgres did not start";
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    std::string newDatabase(std::string &why)
    {
        const std::string name = "lab_test_" + std::to_string(++count_);
        const std::string info = "host=" + dir_ + " port=" + std::to_string(kPort) + " user=brixo dbname=postgres";
        PGconn *conn = PQconnectdb(info.c_str());
        PGresult *res = PQexec(conn, ("CREATE DATABASE " + name).c_str());
        const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK;
        why = ok ? "" : PQerrorMessage(conn);
        PQclear(res);
        PQfinish(conn);
        std::string host;
        for (char c : dir_)
            host += c == '/' ? std::string("%2F") : std::string(1, c);
        return ok ? "postgresql://brixo@/" + name + "?host=" + host + "&port=" + std::to_string(kPort) : "";
    }

    void stop()
    {
        if (server_.running()) {
            kill(server_.pid(), SIGINT); // a fast shutdown: sessions still open are ended
            server_.end(10000);
        }
        if (!dir_.empty())
            removeTempDir(dir_);
        dir_.clear();
    }

private:
    brixo::ChildProcess server_;
    std::string dir_;
    int count_ = 0;
};

std::unique_ptr<Server> server;
std::string startFailure;

class StopServer : public testing::Environment {
public:
    void TearDown() override { server.reset(); }
};
testing::Environment *const stopper = testing::AddGlobalTestEnvironment(new StopServer);

} // namespace

std::string newPostgresDatabase(std::string &why)
{
    if (!server && startFailure.empty()) {
        server = std::make_unique<Server>();
        if (!server->start(startFailure))
            server.reset();
    }
    if (!server) {
        why = startFailure;
        return "";
    }
    return server->newDatabase(why);
}

std::string makeTempDir()
{
    std::string pattern = (fs::temp_directory_path() / "brixo-lab-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary directory");
    return pattern;
}

void removeTempDir(const std::string &dir)
{
    std::error_code ec;
    fs::remove_all(dir, ec);
}

} // namespace labtest
