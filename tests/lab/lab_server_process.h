// `brixo-labd lab` as a real process for the tests: a lab.json and its SQLite file (or a
// PostgreSQL URL) in a temporary directory of the test's own, the server started with the
// emulated adapters of the test's emu::HidService (LD_PRELOAD of the HID proxy), ready once it
// printed where it listens, stopped with SIGTERM; and the client's side: JSON requests on
// loopback with a bearer token.
#pragma once
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace labtest {

struct LabSetup {
    struct Board {
        std::string id, kind;
        int adapter = 0;
    };
    std::string database; // empty: a SQLite file in the server's directory
    std::string host = "pc1";
    int sliceSeconds = 900, idleSeconds = 60;
    std::vector<Board> boards;
    std::string hidSocket;                       // the emu::HidService's socket
    std::string panel = R"({"panel": "adder"})"; // every board's .jvp
};

class LabServer {
public:
    LabServer();
    ~LabServer(); // stops the server and removes its directory
    LabServer(const LabServer &) = delete;
    LabServer &operator=(const LabServer &) = delete;

    // Writes lab.json (a panel and a reset file beside it) and starts the server; false with
    // what it printed when it was not ready within `limitMs`. Starting again after stop() keeps
    // the directory and its database.
    bool start(const LabSetup &setup, int limitMs = 20000);
    // SIGTERM; the exit status (-1: it had to be killed).
    int stop();
    bool running() const { return pid_ > 0; }
    std::string errors() const;
    const std::string &dir() const { return dir_; }
    std::string databaseFile() const { return dir_ + "/lab.sqlite"; }
    int port = 0;

    // The database the server was or will be started on.
    std::string location() const;

private:
    std::string dir_, database_;
    int pid_ = -1;
};

// Accounts with the password NAME-pw, added straight to the database (a server may be running on
// it); role "student", "teacher" or "admin".
void addUsers(const std::string &location, const std::vector<std::pair<std::string, std::string>> &users);

// One statement on the database, as another program would change it.
void runSql(const std::string &location, const std::string &statement);

struct Reply {
    int status = 0; // 0: no answer
    nlohmann::json body;
    std::string text;
};
Reply request(int port, const std::string &method, const std::string &path, const std::string &body = "",
              const std::string &token = "");
// Signs in and returns the token, or "".
std::string signIn(int port, const std::string &user, const std::string &password);

} // namespace labtest
