// `brixo-labd lab` as a process on loopback, its boards behind adapter processes whose hidapi
// calls reach this test's emulated adapters: accounts and tokens, the queue and its time limits,
// resets that fail, downloads, students' simulated boards, a restart, and two lab PCs sharing one
// PostgreSQL.
#include "lab_server_fixture.h"
#include "postgres_server.h"

#include <openssl/sha.h>

namespace {

using labtest::eventually;
using labtest::kKind;
using labtest::LabServer;
using labtest::LabServerTest;
using labtest::LabSetup;
using labtest::Reply;
using nlohmann::json;

std::string sha256Hex(const std::string &bytes)
{
    unsigned char d[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), d);
    char hex[2 * SHA256_DIGEST_LENGTH + 1];
    for (int i = 0; i < SHA256_DIGEST_LENGTH; ++i)
        std::snprintf(hex + 2 * i, 3, "%02x", d[i]);
    return hex;
}

TEST_F(LabServerTest, TokensAreCheckedOnEveryRouteAndTeacherRoutesRefuseStudents)
{
    ASSERT_TRUE(up(server, oneBoard()));
    EXPECT_EQ(labtest::signIn(server.port, "alice", "wrong"), "");
    EXPECT_EQ(labtest::signIn(server.port, "nobody", "nobody-pw"), "");
    const Reply login =
        labtest::request(server.port, "POST", "/api/v1/login", json{{"user", "tina"}, {"password", "tina-pw"}}.dump());
    ASSERT_EQ(login.status, 200) << login.text;
    EXPECT_EQ(login.body["role"], "teacher");
    EXPECT_EQ(login.body["seconds"], 43200);
    const std::string tina = login.body["token"], alice = token("alice"), revoked = token("alice"),
                      expired = token("bob");
    ASSERT_FALSE(alice.empty());
    EXPECT_EQ(call("POST", "/api/v1/logout", revoked).status, 200);
    labtest::runSql(server.location(), "UPDATE tokens SET expires = 1 WHERE user_name = 'bob'");
    const struct {
        const char *method, *path;
        std::string token;
        int status;
    } cases[] = {
        {"GET", "/api/v1/me", "", 401},
        {"GET", "/api/v1/me", std::string(43, 'x'), 401},
        {"GET", "/api/v1/me", revoked, 401},
        {"GET", "/api/v1/me", expired, 401},
        {"GET", "/api/v1/boards", "", 401},
        {"POST", "/api/v1/boards/b1/step", "", 401},
        {"GET", "/api/v1/me", alice, 200},
        {"GET", "/api/v1/audit", alice, 403},
        {"POST", "/api/v1/boards/b1/kick", alice, 403},
        {"POST", "/api/v1/boards/b1/extend", alice, 403},
        {"POST", "/api/v1/boards/b1/fixed", alice, 403},
        {"GET", "/api/v1/boards/b1/state", alice, 403},
        {"POST", "/api/v1/boards/b1/step", alice, 403}, // not held
        {"GET", "/api/v1/boards/b1/state", tina, 200},
        {"GET", "/api/v1/nothing", alice, 404},
        {"GET", "/api/v1/queue", alice, 405},
    };
    for (const auto &c : cases)
        EXPECT_EQ(call(c.method, c.path, c.token, json::object()).status, c.status) << c.method << " " << c.path;
    EXPECT_EQ(me(alice)["state"], "none");
    EXPECT_EQ(boardNamed(alice, "b1")["state"], "free");
    EXPECT_TRUE(audited(tina, "sign-in-refused alice wrong password"));
    EXPECT_TRUE(audited(tina, "sign-in-refused nobody no such user"));
    EXPECT_TRUE(audited(tina, "sign-out alice"));
}

TEST_F(LabServerTest, SecondStudentGetsTheBoardAfterTheFirstsSliceAndItIsResetBetween)
{
    ASSERT_TRUE(up(server, oneBoard(3)));
    const std::string alice = token("alice"), bob = token("bob"), tina = token("tina");
    EXPECT_EQ(call("POST", "/api/v1/queue", alice, {{"kind", kKind}}).body["position"], 0);
    EXPECT_EQ(call("POST", "/api/v1/queue", bob, {{"kind", kKind}}).body["position"], 1);
    EXPECT_EQ(call("POST", "/api/v1/queue", bob, {{"kind", kKind}}).status, 409);
    EXPECT_EQ(call("POST", "/api/v1/queue", tina, {{"kind", "none such"}}).status, 404);
    EXPECT_EQ(call("POST", "/api/v1/queue", tina, {{"kinds", kKind}}).status, 400);
    EXPECT_EQ(me(alice)["board"], "b1");
    EXPECT_EQ(me(bob)["position"], 1);
    EXPECT_EQ(boardNamed(tina, "b1")["holder"], "alice");
    EXPECT_FALSE(boardNamed(bob, "b1").contains("holder")) << "students do not see who holds a board";

    const Reply step = call("POST", "/api/v1/boards/b1/step", alice, {{"switches", 0x35}});
    ASSERT_EQ(step.status, 200) << step.text;
    EXPECT_EQ(step.body["leds"].get<std::uint64_t>() & 0x3FFFF, 8u) << "the adder shows 5 + 3";
    EXPECT_EQ(call("POST", "/api/v1/boards/b1/step", alice, {{"switches", -1}}).status, 400);
    EXPECT_EQ(call("POST", "/api/v1/boards/b1/step", bob, {{"switches", 1}}).status, 403);
    EXPECT_EQ(call("POST", "/api/v1/boards/b9/step", alice, {{"switches", 1}}).status, 404);
    const json watched = call("GET", "/api/v1/boards/b1/state", tina).body;
    EXPECT_EQ(watched["holder"], "alice");
    EXPECT_EQ(watched["inputs"]["switches"], 0x35);

    ASSERT_TRUE(eventually([&] { return me(bob).value("board", "") == "b1"; })) << server.errors();
    EXPECT_EQ(me(alice)["state"], "none");
    EXPECT_EQ(call("POST", "/api/v1/boards/b1/step", alice, {{"switches", 1}}).status, 403);
    const Reply first = call("POST", "/api/v1/boards/b1/step", bob, json::object());
    ASSERT_EQ(first.status, 200) << first.text;
    EXPECT_EQ(first.body["leds"].get<std::uint64_t>() & 0x3FFFF, 0u) << "alice's switches were cleared by the reset";
    EXPECT_TRUE(audited(tina, "hold-end alice b1 held from"));
    EXPECT_TRUE(audited(tina, "(slice over)"));
}

TEST_F(LabServerTest, AClientThatStopsSendingHeartbeatsLosesItsHold)
{
    ASSERT_TRUE(up(server, oneBoard(900, 2)));
    const std::string alice = token("alice"), bob = token("bob");
    ASSERT_EQ(call("POST", "/api/v1/queue", alice, {{"kind", kKind}}).body["position"], 0);
    ASSERT_EQ(call("POST", "/api/v1/queue", bob, {{"kind", kKind}}).body["position"], 1);
    // alice's client is gone; bob's sends heartbeats and keeps the board well past the limit.
    ASSERT_TRUE(eventually([&] { return me(bob).value("board", "") == "b1"; })) << server.errors();
    EXPECT_EQ(me(alice)["state"], "none");
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(call("POST", "/api/v1/heartbeat", bob).status, 200);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    EXPECT_EQ(me(bob)["state"], "holding");
    EXPECT_EQ(call("DELETE", "/api/v1/me", bob).status, 200);
    EXPECT_EQ(me(bob)["state"], "none");
}

TEST_F(LabServerTest, ABoardWhoseResetFailsIsBrokenAndSkippedUntilATeacherFixesIt)
{
    LabSetup setup = oneBoard();
    setup.boards.push_back({"b2", kKind, 1});
    ASSERT_TRUE(up(server, setup));
    const std::string alice = token("alice"), bob = token("bob"), tina = token("tina");
    ASSERT_EQ(call("POST", "/api/v1/queue", alice, {{"kind", kKind}}).body["position"], 0);
    ASSERT_EQ(me(alice)["board"], "b1");
    adapters[0].fpgaDataStatus = 1; // the reset configuration no longer goes down
    EXPECT_EQ(call("DELETE", "/api/v1/me", alice).status, 200);
    ASSERT_TRUE(eventually([&] { return boardNamed(tina, "b1").value("state", "") == "broken"; })) << server.errors();

    ASSERT_EQ(call("POST", "/api/v1/queue", bob, {{"kind", kKind}}).body["position"], 0);
    EXPECT_EQ(me(bob)["board"], "b2") << "the broken board is given to nobody";
    ASSERT_EQ(call("POST", "/api/v1/queue", alice, {{"kind", kKind}}).body["position"], 1);
    EXPECT_EQ(call("POST", "/api/v1/boards/b1/fixed", tina).status, 409) << "its reset still fails";
    EXPECT_EQ(boardNamed(tina, "b1")["state"], "broken");
    adapters[0].fpgaDataStatus = 0;
    EXPECT_EQ(call("POST", "/api/v1/boards/b1/fixed", tina).status, 200);
    EXPECT_EQ(me(alice)["board"], "b1");
    EXPECT_EQ(call("POST", "/api/v1/boards/b2/fixed", tina).status, 409) << "b2 is not broken";
    EXPECT_TRUE(audited(tina, "reset-failed b1"));
    EXPECT_TRUE(audited(tina, "board-fixed tina b1"));
}

TEST_F(LabServerTest, DownloadOverTheNetworkReportsProgressAndStopsOnCancel)
{
    ASSERT_TRUE(up(server, oneBoard()));
    const std::string alice = token("alice"), bob = token("bob"), tina = token("tina");
    ASSERT_EQ(call("POST", "/api/v1/queue", alice, {{"kind", kKind}}).body["position"], 0);
    std::string bytes(60000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 + i / 251);
    const std::string path = "/api/v1/boards/b1/configure";
    std::atomic<int> pieceDelayMs{2};
    adapters[0].onFpgaPiece = [&](int) { std::this_thread::sleep_for(std::chrono::milliseconds(pieceDelayMs)); };
    adapters[0].clearRecords();

    EXPECT_EQ(labtest::request(server.port, "POST", path, bytes, bob).status, 403);
    EXPECT_EQ(labtest::request(server.port, "POST", path, std::string(17 << 20, 'x'), alice).status, 413);
    EXPECT_EQ(labtest::request(server.port, "POST", path, "", alice).status, 400);
    const Reply started = labtest::request(server.port, "POST", path, bytes, alice);
    ASSERT_EQ(started.status, 202) << started.text;
    EXPECT_EQ(started.body["total"], bytes.size());
    ASSERT_TRUE(eventually([&] { return call("GET", path, alice).body["state"] != "running"; }));
    const json done = call("GET", path, alice).body;
    EXPECT_EQ(done["state"], "done") << done.dump();
    EXPECT_EQ(done["done"], bytes.size());
    EXPECT_EQ(std::string(adapters[0].fpgaData.begin(), adapters[0].fpgaData.end()), bytes);
    EXPECT_TRUE(audited(tina, "download alice b1 sha256 " + sha256Hex(bytes)));

    pieceDelayMs = 40;
    const std::string large(2 << 20, '\x5a');
    ASSERT_EQ(labtest::request(server.port, "POST", path, large, alice).status, 202);
    ASSERT_TRUE(eventually([&] { return call("GET", path, alice).body["done"] > 0; }));
    EXPECT_EQ(labtest::request(server.port, "POST", path, bytes, alice).status, 409)
        << "one download at a time: " << call("GET", path, alice).text;
    EXPECT_EQ(call("POST", "/api/v1/boards/b1/step", alice, json::object()).status, 409);
    EXPECT_EQ(call("DELETE", path, alice).status, 200);
    ASSERT_TRUE(eventually([&] { return call("GET", path, alice).body["state"] != "running"; }));
    const json cancelled = call("GET", path, alice).body;
    EXPECT_EQ(cancelled["state"], "cancelled") << cancelled.dump();
    EXPECT_LT(cancelled["done"].get<std::size_t>(), large.size());
    EXPECT_EQ(call("DELETE", path, alice).status, 409) << "nothing left to cancel";
    EXPECT_EQ(call("POST", "/api/v1/boards/b1/step", alice, json::object()).status, 200);
    adapters[0].onFpgaPiece = nullptr;
}

TEST_F(LabServerTest, AStudentsSimulatedBoardBuildsStepsAndEndsWithItsDesignsDump)
{
    ASSERT_TRUE(up(server, oneBoard()));
    const std::string alice = token("alice"), bob = token("bob");
    const auto upload = [](const std::string &text, const json &dump) {
        return json{{"files", json::array({{{"name", "adder.v"}, {"text", text}}})}, {"dump", dump}};
    };
    const std::string adder = "module adder(input [35:0] SW, output [17:0] LEDR);\n"
                              "  wire [3:0] sum = SW[3:0] + SW[7:4];\n"
                              "  assign LEDR = {14'b0, sum};\nendmodule\n";
    const std::string step = "/api/v1/boards/sim-alice/step";

    const Reply broken = call("POST", "/api/v1/simulated", alice,
                              upload("module adder(input [35:0] SW);\n  assign = ;\nendmodule\n", false));
    ASSERT_EQ(broken.status, 422) << broken.text;
    ASSERT_FALSE(broken.body["messages"].empty()) << broken.text;
    EXPECT_EQ(broken.body["messages"][0]["file"], "adder.v");
    EXPECT_EQ(broken.body["messages"][0]["line"], 2);
    EXPECT_EQ(call("POST", "/api/v1/simulated", alice, upload(adder, "yes")).status, 400);

    const Reply started = call("POST", "/api/v1/simulated", alice, upload(adder, true));
    ASSERT_EQ(started.status, 200) << started.text;
    EXPECT_EQ(started.body["board"], "sim-alice");
    EXPECT_EQ(me(alice)["simulated"], "sim-alice");
    EXPECT_EQ(call("POST", step, bob, {{"switches", 0x35}}).status, 403) << "a simulated board is its owner's";
    const Reply stepped = call("POST", step, alice, {{"switches", 0x35}});
    ASSERT_EQ(stepped.status, 200) << stepped.text;
    EXPECT_EQ(stepped.body["leds"], 8);

    const Reply dump = call("POST", "/api/v1/simulated/dump", alice);
    ASSERT_EQ(dump.status, 200) << dump.text;
    EXPECT_NE(dump.text.find("$enddefinitions"), std::string::npos) << dump.text.substr(0, 400);
    EXPECT_NE(dump.text.find(" sum "), std::string::npos) << "the design's own signals";
    EXPECT_NE(dump.text.find("b1000 "), std::string::npos) << "the sum the step made";
    EXPECT_EQ(call("POST", step, alice, json::object()).status, 404) << "the dump ended the board";
    EXPECT_FALSE(me(alice).contains("simulated"));
    EXPECT_EQ(call("POST", "/api/v1/simulated/dump", alice).status, 404);

    ASSERT_EQ(call("POST", "/api/v1/simulated", alice, upload(adder, false)).status, 200);
    EXPECT_EQ(call("POST", "/api/v1/simulated/dump", alice).status, 409) << "started without a dump";
    EXPECT_EQ(call("POST", step, alice, json::object()).status, 200) << "and kept running";
    EXPECT_EQ(call("DELETE", "/api/v1/simulated", alice).status, 200);
    EXPECT_EQ(call("POST", step, alice, json::object()).status, 404);
}

TEST_F(LabServerTest, ARestartKeepsHoldsAndTheQueueAndResetsBoardsLeftWaiting)
{
    LabSetup setup = oneBoard();
    setup.boards.push_back({"b2", "other", 1});
    ASSERT_TRUE(up(server, setup));
    std::string alice = token("alice"), bob = token("bob");
    ASSERT_EQ(call("POST", "/api/v1/queue", alice, {{"kind", kKind}}).body["position"], 0);
    ASSERT_EQ(call("POST", "/api/v1/queue", bob, {{"kind", kKind}}).body["position"], 1);
    ASSERT_EQ(call("POST", "/api/v1/boards/b1/step", alice, {{"switches", 0x12}}).status, 200);
    EXPECT_EQ(server.stop(), 0) << server.errors();
    // As a server stopped in the middle of a reset leaves it.
    labtest::runSql(server.location(), "UPDATE boards SET state = 'resetting' WHERE id = 'b2'");
    adapters[1].clearRecords();
    ASSERT_TRUE(up(server, setup, false));
    EXPECT_EQ(me(alice)["board"], "b1") << "tokens and holds are in the database";
    EXPECT_EQ(me(bob)["position"], 1);
    EXPECT_EQ(call("POST", "/api/v1/boards/b1/step", alice, json::object()).status, 200);
    EXPECT_EQ(call("POST", "/api/v1/boards/b1/step", bob, json::object()).status, 403);
    ASSERT_TRUE(eventually([&] { return boardNamed(alice, "b2").value("state", "") == "free"; }));
    EXPECT_EQ(adapters[1].fpgaData.size(), 2000u) << "the reset configuration went to b2";
}

TEST_F(LabServerTest, TwoLabPcsOnOnePostgresShareTheQueue)
{
    std::string why;
    const std::string url = labtest::newPostgresDatabase(why);
    if (url.empty())
        GTEST_SKIP() << "no PostgreSQL: " << why;
    LabServer other;
    LabSetup a, b;
    a.database = b.database = url;
    a.host = "pc-a";
    b.host = "pc-b";
    a.boards = {{"a1", kKind, 0}};
    b.boards = {{"b1", kKind, 1}};
    ASSERT_TRUE(up(server, a));
    ASSERT_TRUE(up(other, b, false));
    const std::string alice = token("alice"), bob = token("bob");
    ASSERT_EQ(call("POST", "/api/v1/queue", alice, {{"kind", kKind}}).body["position"], 0);
    ASSERT_EQ(call("POST", "/api/v1/queue", bob, {{"kind", kKind}}).body["position"], 0);
    const std::string addressB = "127.0.0.1:" + std::to_string(other.port);
    const json bobAt = me(bob);
    EXPECT_EQ(bobAt["board"], "b1") << "pc-a's board is alice's; bob gets pc-b's";
    EXPECT_EQ(bobAt["address"], addressB);
    EXPECT_EQ(boardNamed(alice, "a1")["address"], "127.0.0.1:" + std::to_string(server.port));
    EXPECT_EQ(boardNamed(alice, "b1")["address"], addressB);
    EXPECT_EQ(boardNamed(alice, "b1")["host"], "pc-b");

    const Reply wrongHost = call("POST", "/api/v1/boards/b1/step", bob, {{"switches", 0x11}});
    EXPECT_EQ(wrongHost.status, 409);
    EXPECT_EQ(wrongHost.body["address"], addressB);
    const Reply there =
        labtest::request(other.port, "POST", "/api/v1/boards/b1/step", json{{"switches", 0x11}}.dump(), bob);
    ASSERT_EQ(there.status, 200) << there.text;
    EXPECT_EQ(there.body["leds"].get<std::uint64_t>() & 0x3FFFF, 2u);
    EXPECT_EQ(circuits[1].inputValue(emu::LabCircuit::Switches), 0x11u);
}

} // namespace
