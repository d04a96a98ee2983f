// brixo-cli against a real `brixo-labd lab` on loopback, whose board is this test's emulated
// adapter with the adder circuit behind it: login, the board through the queue, a second client
// that waits for it, and a token the server refuses.
#include "run_process.h"

#include "lab_server_process.h"

#include "support/adder_circuit.h"
#include "support/emu_hid_service.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace {

using nlohmann::json;

bool has(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

class CliLab : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        hid.add(&adapter);
        labtest::addUsers(server.databaseFile(), {{"alice", "student"}, {"bob", "student"}});
        labtest::LabSetup setup;
        setup.boards = {{"b1", "adder", 0}};
        setup.hidSocket = hid.socketPath();
        ASSERT_TRUE(server.start(setup)) << server.errors();
        url = "http://127.0.0.1:" + std::to_string(server.port);
    }
    std::vector<std::string> env(const std::string &token = "") const
    {
        std::vector<std::string> e{"LANG=C", "LC_ALL=", "LC_MESSAGES=", "XDG_CONFIG_HOME=" + home.path().toStdString(),
                                   "ASAN_OPTIONS=detect_leaks=0"};
        e.push_back("BRIXO_LAB_TOKEN=" + token);
        return e;
    }
    ProcessResult cli(std::vector<std::string> args, const std::string &token = "",
                      const std::function<void(int)> &started = {})
    {
        args.insert(args.begin(), BRIXO_CLI);
        return runProcess(args, env(token), started);
    }
    // `login` with the password on standard input.
    ProcessResult login(const std::string &user, const std::string &password, const std::string &extra = "")
    {
        return runProcess({"/bin/sh", "-c", "printf '%s\\n' \"$PW\" | \"$CLI\" login " + extra + " \"$URL\" " + user},
                          [&] {
                              std::vector<std::string> e = env();
                              e.insert(e.end(), {"PW=" + password, "CLI=" BRIXO_CLI, "URL=" + url});
                              return e;
                          }());
    }
    json boards(const std::string &token)
    {
        return labtest::request(server.port, "GET", "/api/v1/boards", "", token).body;
    }
    void waitUntilQueued(const std::string &token)
    {
        for (int i = 0; i < 100; ++i) {
            if (labtest::request(server.port, "GET", "/api/v1/me", "", token).body.value("state", "") == "queued")
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    // The board's state once its reset after a hold is over.
    std::string settled(const std::string &token)
    {
        std::string state;
        for (int i = 0; i < 100 && (state = boards(token)[0].value("state", "")) == "resetting"; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return state;
    }

    QTemporaryDir home;
    emu::AdderCircuit circuit;
    emu::Adapter adapter{emu::Adapter::Kind::Hid, &circuit};
    emu::HidService hid;
    labtest::LabServer server;
    std::string url;
};

TEST_F(CliLab, LoginSavesTheTokenForTheUserAloneAndLabCommandsRunOnTheQueuedBoard)
{
    const ProcessResult in = login("alice", "alice-pw");
    ASSERT_EQ(in.exitCode, 0) << in.err;
    const std::string file = home.path().toStdString() + "/brixo/lab-tokens.json";
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::ifstream saved(file);
    const json tokens = json::parse(saved, nullptr, false);
    const std::string token = tokens.value(url, json::object()).value("token", "");
    ASSERT_FALSE(token.empty());
    EXPECT_TRUE(boards(token).is_array()) << "the saved token is the server's";

    const std::string vectors = (home.path() + QStringLiteral("/adder.txt")).toStdString();
    std::ofstream(vectors) << "S7..S4 S3..S0 R4..R0 D0\n3 4 7 7\n15 15 30 E\n9 9 0x12 3\n";
    const std::string rbf = (home.path() + QStringLiteral("/design.rbf")).toStdString();
    std::ofstream(rbf) << std::string(3000, '\x33');
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
    } cases[] = {
        {{"--lab", url, "set", "sw=0x35"}, 0, ""},
        {{"--lab", url, "--kind", "adder", "read", "leds"}, 0, "leds 0x000000000  red 0x00000  green 0x00000\n"},
        {{"--lab", url, "test", vectors}, 1, "line 4: D0 expected 3, read 2\n2 passed, 1 failed\n"},
        {{"--lab", url, "list"}, 0, "b1  adder  free  0\n"},
        {{"--lab", url, "configure", rbf}, 0, "FPGA configured: 3000 bytes\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.back());
        const ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(r.out, c.out);
        // Given back at the end: the board is free for the next.
        EXPECT_EQ(settled(token), "free");
    }
    // A board the user holds from another client is used as it is and left held.
    ASSERT_EQ(labtest::request(server.port, "POST", "/api/v1/queue", json{{"kind", "adder"}}.dump(), token).status,
              200);
    const ProcessResult held = cli({"--lab", url, "set", "sw=0x11"});
    EXPECT_EQ(held.exitCode, 0) << held.err;
    EXPECT_EQ(labtest::request(server.port, "GET", "/api/v1/me", "", token).body.value("state", ""), "holding");
    ASSERT_EQ(labtest::request(server.port, "DELETE", "/api/v1/me", "", token).status, 200);
    EXPECT_EQ(login("alice", "wrong").exitCode, 3);
    const ProcessResult printed = login("bob", "bob-pw", "--print-token");
    EXPECT_EQ(printed.exitCode, 0) << printed.err;
    EXPECT_TRUE(boards(printed.out.substr(0, printed.out.find('\n'))).is_array());
    EXPECT_EQ(cli({"logout", url}).exitCode, 0);
    EXPECT_EQ(labtest::request(server.port, "GET", "/api/v1/me", "", token).status, 401) << "revoked";
}

TEST_F(CliLab, ASecondClientWaitsInTheQueueAndGetsTheBoardOnceTheFirstGivesItBack)
{
    const std::string alice = labtest::signIn(server.port, "alice", "alice-pw"),
                      bob = labtest::signIn(server.port, "bob", "bob-pw");
    ASSERT_EQ(labtest::request(server.port, "POST", "/api/v1/queue", json{{"kind", "adder"}}.dump(), alice).status,
              200);
    // Bob waits behind alice; once he is in the queue she gives the board back.
    std::thread releaser;
    const ProcessResult waited = cli({"--lab", url, "read", "leds"}, bob, [&](int) {
        releaser = std::thread([&] {
            waitUntilQueued(bob);
            labtest::request(server.port, "DELETE", "/api/v1/me", "", alice);
        });
    });
    releaser.join();
    EXPECT_EQ(waited.exitCode, 0) << waited.err;
    EXPECT_TRUE(has(waited.err, "place 1 in the queue")) << waited.err;
    EXPECT_TRUE(has(waited.out, "leds 0x")) << waited.out;

    // Ctrl+C while waiting leaves the queue.
    ASSERT_EQ(settled(alice), "free");
    ASSERT_EQ(labtest::request(server.port, "POST", "/api/v1/queue", json{{"kind", "adder"}}.dump(), alice).status,
              200);
    std::thread interrupter;
    const ProcessResult interrupted = cli({"--lab", url, "read", "leds"}, bob, [&](int pid) {
        interrupter = std::thread([&, pid] {
            waitUntilQueued(bob);
            kill(pid, SIGINT);
        });
    });
    interrupter.join();
    EXPECT_EQ(interrupted.exitCode, 3) << interrupted.err;
    EXPECT_TRUE(has(interrupted.err, "interrupted; the board was given back")) << interrupted.err;
    EXPECT_EQ(boards(alice)[0].value("queue", -1), 0);
}

TEST_F(CliLab, ATokenTheServerRefusesEndsWithItsWords)
{
    const struct {
        std::vector<std::string> args;
        std::string token, said;
    } cases[] = {
        {{"--lab", url, "read", "leds"}, "not-a-token", "(HTTP 401)"},
        {{"--lab", url, "list"}, "", "not signed in to lab server " + url},
        {{"--lab", "http://127.0.0.1:1", "set", "sw=1"}, "x", "no answer from http://127.0.0.1:1"},
    };
    for (const auto &c : cases) {
        const ProcessResult r = cli(c.args, c.token);
        EXPECT_EQ(r.exitCode, 3) << r.err;
        EXPECT_TRUE(has(r.err, c.said)) << r.err;
    }
    // The server's own words come through.
    const ProcessResult r = cli({"--lab", url, "read", "leds"}, "not-a-token");
    const labtest::Reply direct = labtest::request(server.port, "GET", "/api/v1/me", "", "not-a-token");
    EXPECT_TRUE(has(r.err, direct.body.value("error", "?"))) << r.err;
}

} // namespace
