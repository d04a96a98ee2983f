// The lab server's client: the addresses it takes, the answers it believes, and a hostile server
// on loopback (an endless answer, refusals, answers of the wrong shape).
#include "lab_client.h"

#include <httplib.h>
#include <gtest/gtest.h>

#include <thread>

namespace {

using brixo::LabError;

TEST(LabClient, AddressesAreHttpOrHttpsToAHostAndPortWithNoPath)
{
    const struct {
        const char *text;
        bool ok, https;
        const char *host;
        int port;
    } cases[] = {
        {"http://127.0.0.1:8080", true, false, "127.0.0.1", 8080},
        {" https://lab.local/ ", true, true, "lab.local", 443},
        {"127.0.0.1:9", true, false, "127.0.0.1", 9},
        {"http://[::1]:81", true, false, "::1", 81},
        {"http://host", true, false, "host", 80},
        {"ftp://host:21", false, false, "", 0},
        {"http://host:8080/api", false, false, "", 0},
        {"http://user@host:1", false, false, "", 0},
        {"http://host:0", false, false, "", 0},
        {"http://host:99999", false, false, "", 0},
        {"", false, false, "", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        brixo::LabUrl url;
        std::string why;
        ASSERT_EQ(brixo::parseLabUrl(c.text, url, why), c.ok) << why;
        if (!c.ok) {
            EXPECT_FALSE(why.empty());
            continue;
        }
        EXPECT_EQ(url.https, c.https);
        EXPECT_EQ(url.host, c.host);
        EXPECT_EQ(url.port, c.port);
    }
}

TEST(LabClient, AnswersOfAnotherShapeAreRefusedAndNumbersKeptInRange)
{
    brixo::LabMe me;
    EXPECT_TRUE(brixo::parseLabMe(R"({"state":"queued","position":3,"user":"a"})", me));
    EXPECT_EQ(me.position, 3);
    EXPECT_EQ(me.secondsLeft, -1);
    EXPECT_TRUE(brixo::parseLabMe(R"({"state":"holding","board":"b1","seconds_left":99999999999})", me));
    EXPECT_EQ(me.secondsLeft, 100000000);
    for (const char *bad : {"[]", "{}", R"({"state":"flying"})", R"({"state":"holding","board":"../x"})",
                            R"({"state":"holding"})", "{", R"({"state":7})"})
        EXPECT_FALSE(brixo::parseLabMe(bad, me)) << bad;

    std::vector<brixo::LabBoardInfo> boards;
    EXPECT_TRUE(brixo::parseLabBoards(R"([{"id":"b1","kind":"k","queue":-5}])", boards));
    ASSERT_EQ(boards.size(), 1u);
    EXPECT_EQ(boards[0].queue, 0);
    for (const char *bad : {"{}", "[1]", R"([{"kind":"k"}])"})
        EXPECT_FALSE(brixo::parseLabBoards(bad, boards)) << bad;

    brixo::LabConfigureState s;
    EXPECT_TRUE(brixo::parseLabConfigure(R"({"state":"running","done":900,"total":500})", s));
    EXPECT_EQ(s.done, 500) << "never past the total";
    EXPECT_FALSE(brixo::parseLabConfigure(R"({"state":"exploded"})", s));
}

class HostileServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        server.Get("/api/v1/me", [](const httplib::Request &, httplib::Response &res) {
            // Far past any answer the client reads.
            res.set_content_provider(1ull << 40, "application/json", [](size_t, size_t, httplib::DataSink &sink) {
                static const std::string chunk(64 * 1024, ' ');
                return sink.write(chunk.data(), chunk.size());
            });
        });
        server.Post("/api/v1/login", [](const httplib::Request &req, httplib::Response &res) {
            if (req.body.find("\"wrong\"") != std::string::npos) {
                res.status = 401;
                res.set_content(R"({"error":"wrong user or password\nsecond line"})", "application/json");
            } else {
                res.set_content(R"({"token":"has a space"})", "application/json");
            }
        });
        // A step that never ends, and one refused in the server's words.
        server.Post("/api/v1/boards/b1/step", [](const httplib::Request &, httplib::Response &res) {
            res.set_content_provider(1ull << 40, "application/json", [](size_t, size_t, httplib::DataSink &sink) {
                static const std::string chunk(64 * 1024, ' ');
                return sink.write(chunk.data(), chunk.size());
            });
        });
        server.Post("/api/v1/boards/b2/step", [](const httplib::Request &, httplib::Response &res) {
            res.status = 403;
            res.set_content(R"({"error":"you do not hold board b2"})", "application/json");
        });
        server.Get("/api/v1/boards", [](const httplib::Request &, httplib::Response &res) {
            res.status = 503;
            res.set_content("not json", "text/plain");
        });
        port = server.bind_to_any_port("127.0.0.1");
        ASSERT_GT(port, 0);
        thread = std::thread([this] { server.listen_after_bind(); });
    }
    void TearDown() override
    {
        server.stop();
        thread.join();
    }
    httplib::Server server;
    std::thread thread;
    int port = 0;
};

TEST_F(HostileServer, AnswersAreBoundedAndRefusalsCarryTheServersWordsOnOneLine)
{
    brixo::LabClient client(brixo::LabUrl{false, "127.0.0.1", port}, "t");
    LabError e;
    brixo::LabMe me;
    EXPECT_FALSE(client.me(me, e));
    EXPECT_EQ(e.status, 0);
    EXPECT_NE(e.message.find("larger than"), std::string::npos) << e.message;

    std::string role;
    int seconds = 0;
    EXPECT_FALSE(client.login("a", "wrong", role, seconds, e));
    EXPECT_EQ(e.status, 401);
    EXPECT_EQ(e.message, "wrong user or password second line");
    EXPECT_FALSE(client.login("a", "right", role, seconds, e)) << "a token that could not go into a header";
    EXPECT_TRUE(client.token().empty());

    std::vector<brixo::LabBoardInfo> boards;
    EXPECT_FALSE(client.boards(boards, e));
    EXPECT_EQ(e.status, 503);
    EXPECT_EQ(e.message, "HTTP 503");
    EXPECT_FALSE(client.panel("../../etc/passwd", role, e)) << "an id that is no board's never reaches a path";

    const struct {
        const char *board, *said;
    } steps[] = {{"b1", "longer than"}, {"b2", "you do not hold board b2"}, {"../b1", "no such board"}};
    for (const auto &s : steps) {
        brixo::LabBoardSession board(client, s.board);
        const brixo::Readback r = board.step(brixo::Inputs());
        EXPECT_FALSE(r.ok()) << s.board;
        EXPECT_NE(r.message.find(s.said), std::string::npos) << r.message;
    }
}

} // namespace
