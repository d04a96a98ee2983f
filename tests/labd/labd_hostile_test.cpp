// brixo-labd against clients that try to hold it: each is answered precisely and cut off at
// its bound, and a well-behaved client beside hundreds of idle connections is still served.
#include "labd_process.h"
#include "raw_client.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

namespace {

using labtest::RawClient;

const std::string kAdder = std::string(BRIXO_SOURCE_DIR) + "/examples/verilog/adder.v";

// The answers in `text`, one per status line.
std::vector<std::string> answersIn(const std::string &text)
{
    std::vector<std::string> answers;
    for (size_t at = text.find("HTTP/1.1 "); at != std::string::npos;) {
        const size_t next = text.find("HTTP/1.1 ", at + 1);
        answers.push_back(text.substr(at, next - at));
        at = next;
    }
    return answers;
}

TEST(LabHttp, BoundsHostileClientsAndServesTheRest)
{
    labtest::Labd labd;
    ASSERT_TRUE(labd.start({"--verilog", kAdder, "--log"}));
    const std::string step = "POST /api/v1/step HTTP/1.1\r\nHost: x\r\n";
    const std::string lab = "POST /webservices/qqOnlineWebService.asmx HTTP/1.1\r\nHost: x\r\n";
    auto json = [](const std::string &body, const std::string &more = "") {
        return more + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    };
    std::string chunks, pads;
    for (int i = 0; i < 10; ++i) // 10000 bytes in all, past the 8192 of any body
        chunks += "3e8\r\n" + std::string(1000, 'x') + "\r\n";
    for (int i = 0; i < 2000; ++i) // 40 KB of small fields
        pads += "X-Pad-" + std::to_string(i) + ": 0123456789\r\n";
    const struct {
        const char *what;
        std::string bytes;
        std::vector<std::pair<const char *, const char *>> answers; // status line start, a text it holds
    } cases[] = {
        {"chunked body past the limit",
         lab + "Transfer-Encoding: chunked\r\n\r\n" + chunks + "0\r\n\r\n",
         {{"HTTP/1.1 413", "body too long"}}},
        {"gzip body",
         step + json("\x1f\x8b\x08\x00", "Content-Encoding: gzip\r\n"),
         {{"HTTP/1.1 415", "content coding"}}},
        {"compressed transfer coding",
         step + "Transfer-Encoding: gzip, chunked\r\n\r\n0\r\n\r\n",
         {{"HTTP/1.1 501", "chunked"}}},
        {"huge head", "GET /api/v1/board HTTP/1.1\r\n" + pads + "\r\n", {{"HTTP/1.1 431", "too long"}}},
        {"10 GB body, never sent", lab + "Content-Length: 10737418240\r\n\r\n", {{"HTTP/1.1 413", ""}}},
        {"10 GB body on the route",
         step + "Content-Length: 10737418240\r\n\r\n",
         {{"HTTP/1.1 400", "longer than 4096"}}},
        {"three requests in one write",
         "GET /api/v1/board HTTP/1.1\r\nHost: x\r\n\r\n" + step + json(R"({"switches": 3})") + step +
             json(R"({"switches": 5})", "Connection: close\r\n"),
         {{"HTTP/1.1 200", "\"top\":\"adder\""}, {"HTTP/1.1 200", "\"leds\":3,"}, {"HTTP/1.1 200", "\"leds\":5,"}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        RawClient client(labd.port);
        ASSERT_TRUE(client.send(c.bytes));
        std::string text;
        EXPECT_TRUE(client.readUntilClosed(text, 5000)) << "the server closes after its answers";
        const std::vector<std::string> answers = answersIn(text);
        ASSERT_EQ(answers.size(), c.answers.size()) << text.substr(0, 400);
        for (size_t i = 0; i < answers.size(); ++i) {
            EXPECT_EQ(answers[i].rfind(c.answers[i].first, 0), 0u) << answers[i];
            EXPECT_NE(answers[i].find(c.answers[i].second), std::string::npos) << answers[i];
        }
    }
    // Far more idle connections than threads, and one trickling its head: a step is still answered.
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < 300; ++i) {
        idle.push_back(std::make_unique<RawClient>(labd.port));
        ASSERT_TRUE(idle.back()->connected());
    }
    ASSERT_TRUE(idle.front()->send("POST /api/v1/step HTTP/1.1\r\nHost:"));
    const labtest::HttpAnswer a = labtest::http(labd.port, "POST", "/api/v1/step", R"({"switches": 18})");
    EXPECT_EQ(a.status, 200);
    EXPECT_NE(a.body.find("\"leds\":3,"), std::string::npos) << a.body;
    // Nothing above was held whole: the head and bodies were cut at their bounds.
    const long kib = labd.residentKiB();
    EXPECT_GT(kib, 0);
    EXPECT_LT(kib, 64 * 1024);
    const std::string log = labd.errors();
    for (const char *line : {" 127.0.0.1:", " POST /api/v1/step 200 ", " GET /api/v1/board 431 ",
                             " POST /webservices/qqOnlineWebService.asmx 413 "})
        EXPECT_NE(log.find(line), std::string::npos) << line << " in\n" << log.substr(0, 2000);
    EXPECT_EQ(labd.stop(SIGTERM), 0) << "ends at once with every connection still open";
}

} // namespace
