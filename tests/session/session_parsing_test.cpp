// What the session layer reads from outside: HOST:PORT as typed and printed, the step route's
// request and answer bodies, and the board description.
#include "host_port.h"
#include "lab_server.h"
#include "step_json.h"

#include <gtest/gtest.h>

using namespace brixo;

TEST(HostPort, ReadsWhatUsersTypeAndRefusesTheRest)
{
    struct Case {
        const char *text;
        bool allowZero, ok;
        const char *host;
        int port;
    } cases[] = {
        {"127.0.0.1:8080", false, true, "127.0.0.1", 8080},
        {"  lab.example:1 \n", false, true, "lab.example", 1},
        {"[::1]:65535", false, true, "::1", 65535},
        {"127.0.0.1:0", true, true, "127.0.0.1", 0},
        {"127.0.0.1:0", false, false, "", 0},
        {"127.0.0.1:65536", false, false, "", 0},
        {"127.0.0.1:0x50", false, false, "", 0},
        {"127.0.0.1:+80", false, false, "", 0},
        {"127.0.0.1:", false, false, "", 0},
        {":80", false, false, "", 0},
        {"localhost", false, false, "", 0},
        {"", false, false, "", 0},
        {"a b:80", false, false, "", 0},
        {"host:0000080", false, false, "", 0},
    };
    for (const Case &c : cases) {
        std::string host = "unchanged";
        int port = -7;
        EXPECT_EQ(parseHostPort(c.text, host, port, c.allowZero), c.ok) << c.text;
        EXPECT_EQ(host, c.ok ? c.host : "unchanged") << c.text;
        EXPECT_EQ(port, c.ok ? c.port : -7) << c.text;
    }
}

TEST(StepJson, RequestsAreReadStrictlyAndErrorsNameTheMember)
{
    struct Case {
        std::string body;
        bool ok;
        const char *errorHas; // the member the reason must name
    } cases[] = {
        {R"({"switches": 5, "keys": 1, "pulse": 2, "cycles": 10})", true, ""},
        {"", true, ""},
        {"{}", true, ""},
        {R"({"switches": 68719476735})", true, ""},
        {R"({"switches": 68719476736})", false, "switches"},
        {R"({"keys": 1048576})", false, "keys"},
        {R"({"pulse": -1})", false, "pulse"},
        {R"({"cycles": 1.5})", false, "cycles"},
        {R"({"cycles": 10000001})", false, "cycles"},
        {R"({"switches": "5"})", false, "switches"},
        {R"({"switch": 5})", false, "switch"},
        {R"([1, 2])", false, "object"},
        {R"({"switches": 5)", false, "JSON"},
        {std::string(5000, ' ') + "{}", false, "longer"},
    };
    for (const Case &c : cases) {
        StepRequest r;
        std::string error;
        EXPECT_EQ(parseStepRequest(c.body, r, error), c.ok) << c.body.substr(0, 60);
        if (!c.ok) {
            EXPECT_NE(error.find(c.errorHas), std::string::npos) << error;
        }
    }
    StepRequest r;
    std::string error;
    ASSERT_TRUE(parseStepRequest(R"({"switches": 5, "pulse": 2})", r, error));
    EXPECT_TRUE(r.hasSwitches);
    EXPECT_FALSE(r.hasKeys); // left out: the board keeps its keys as they are
    EXPECT_EQ(r.switches, 5u);
    EXPECT_EQ(r.pulse, 2u);
}

TEST(StepJson, AnswerRoundTripsAndCpuDataIsMostSignificantFirst)
{
    StepAnswer a;
    a.leds = 0x40010;
    a.digits = {0x40, 0x79, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00};
    a.cpuData = {0xCD, 0xAB, 0x01};
    a.cycles = 12;
    a.timeNs = 240;
    const std::string text = stepAnswerJson(a, 20);
    EXPECT_NE(text.find("\"cpu_data\":\"1abcd\""), std::string::npos) << text;
    StepAnswer back;
    std::string error;
    ASSERT_TRUE(parseStepAnswer(text, back, error)) << error;
    EXPECT_EQ(back.leds, a.leds);
    EXPECT_EQ(back.digits, a.digits);
    EXPECT_EQ(back.cpuData, (std::vector<std::uint8_t>{0xCD, 0xAB, 0x01}));
    EXPECT_EQ(back.cpuBits, 20);
    EXPECT_EQ(back.cycles, 12u);
    EXPECT_EQ(back.timeNs, 240u);

    for (const char *bad : {R"({"digits": [0,0,0,0,0,0,0,0]})", R"({"leds": 1, "digits": [0]})",
                            R"({"leds": 1, "digits": [0,0,0,0,0,0,0,256]})", R"({"leds": 68719476736, "digits": []})",
                            R"({"leds": 1, "digits": [0,0,0,0,0,0,0,0], "cpu_data": "xyz"})", "nonsense"})
        EXPECT_FALSE(parseStepAnswer(bad, back, error)) << bad;
    EXPECT_EQ(errorOf(errorJson("did not settle \xff")), "did not settle \xef\xbf\xbd");
}

TEST(LabServerLines, ReadyLinesAndBoardDescription)
{
    std::string host;
    int port = 0;
    EXPECT_TRUE(parseListeningLine("listening on 127.0.0.1:40123", host, port));
    EXPECT_EQ(port, 40123);
    EXPECT_FALSE(parseListeningLine("listening on 127.0.0.1", host, port));
    EXPECT_FALSE(parseListeningLine("design {}", host, port));

    BoardDescription b;
    ASSERT_TRUE(parseDesignLine(R"(design {"top":"adder","switches":9,"keys":40,"red":18,"green":-3,)"
                                R"("digits":2,"cpu_data_bits":4096,"clock":"CLOCK_50"})",
                                b));
    EXPECT_EQ(b.top, "adder");
    EXPECT_EQ(b.switches, 9);
    EXPECT_EQ(b.keys, 20); // clamped to the board
    EXPECT_EQ(b.green, 0);
    EXPECT_EQ(b.cpuDataBits, 2048);
    EXPECT_EQ(b.clock, "CLOCK_50");
    BoardDescription again;
    ASSERT_TRUE(parseBoardJson(boardJson(b), again));
    EXPECT_EQ(boardJson(again), boardJson(b));
    EXPECT_FALSE(parseDesignLine("design [1]", b));
    EXPECT_FALSE(parseDesignLine("listening on x:1", b));
}
