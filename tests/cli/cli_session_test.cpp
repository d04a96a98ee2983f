// brixo-cli's board commands over a board session: on a lab server's step route one request per
// command and per vector row, the server's own words with a failed step, and a server that
// closes the connection without an answer leaving the output to brixo-cli alone.
#include "cli_fixture.h"
#include "silent_server.h"

namespace {

// The step-route requests the stand-in server recorded after its process id and arguments.
std::vector<std::string> recordedRequests(const std::string &record)
{
    QFile f(QString::fromStdString(record));
    std::vector<std::string> lines;
    if (!f.open(QIODevice::ReadOnly))
        return {"(no record)"};
    for (int skip = 0; skip < 2; ++skip)
        f.readLine();
    while (!f.atEnd())
        lines.push_back(f.readLine().trimmed().toStdString());
    return lines;
}

TEST_F(Cli, SimStepsTheBoardOncePerCommandAndRow)
{
    const std::string record = dir.filePath(QStringLiteral("labd.txt")).toStdString();
    // The adder's sums, key 0's presses on the green LEDs, the switches echoed as CPU data.
    const std::string vectors = file("v.txt", "S7..S4 S3..S0 K0 R4..R0 G3..G0 D0 CPU8\n"
                                              "2      3      P  5      1      5  0x23\n"
                                              "1      1      1  2      x      x  x\n"
                                              "7      0      P  7      3      7  x\n");
    const std::string unsettled = "brixo-cli: Failed to connect FPGA. Error code: -4 "
                                  "(the design did not settle within 2000 ms)\n";
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out, err;
        std::vector<std::string> requests;
    } cases[] = {
        {{"--sim", "adder.v", "test", vectors},
         0,
         "3 passed, 0 failed\n",
         "",
         {"board", "step 35 0 1", "step 17 1 0", "step 112 0 1"}},
        {{"--sim", "adder.v", "set", "sw=0x23", "K1=1"}, 0, "", "", {"board", "step 35 2 0"}},
        {{"--sim", "adder.v", "read", "leds", "digits", "cpu=8"},
         0,
         "leds 0x000000000  red 0x00000  green 0x00000\ndigits 00 00 00 00 00 00 00 00  shows 88888888\ncpu 0x00\n",
         "",
         {"board", "read"}},
        {{"--sim", "unsettled.v", "read", "leds"}, 3, "", unsettled, {"board", "read"}},
        // A row the design fails is an error of its own; the next rows run on the design
        // started again.
        {{"--sim", "unsettled.v", "test", vectors},
         1,
         "line 2: error: the design did not settle within 2000 ms\n"
         "line 3: error: the design did not settle within 2000 ms\n"
         "line 4: error: the design did not settle within 2000 ms\n"
         "the simulated design was started again from reset after lines 2, 3; the rows after that ran on the "
         "restarted design\n0 passed, 0 failed, 3 errors\n",
         "",
         {"board", "step 35 0 1", "step 17 1 0", "step 112 0 1"}},
    };
    for (const Case &c : cases) {
        const ProcessResult r = cli(c.args, {"BRIXO_LABD=" FAKE_LABD_DIR "/brixo-labd", "FAKE_LABD_STEP_ROUTE=1",
                                             "FAKE_LABD_RECORD=" + record});
        EXPECT_EQ(r.exitCode, c.code) << c.args[1] << " " << c.args[2] << "\n" << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[2];
        EXPECT_EQ(r.err, c.err) << c.args[2];
        EXPECT_EQ(recordedRequests(record), c.requests) << c.args[1] << " " << c.args[2];
    }
}

// libtamro's note on a connection closed without an answer goes to standard error, never into
// the JSON a script reads.
TEST_F(Cli, ServerClosingWithoutAnAnswerLeavesTheOutputAlone)
{
    SilentServer server;
    ASSERT_NE(server.port(), 0);
    const std::string address = "127.0.0.1:" + std::to_string(server.port());
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out, err;
    } cases[] = {
        // The adapter is listed; the server is not.
        {{"list", "--json"}, 0, "[{\"index\":0,\"name\":\"TA-HID\"}]\n", "There is no any data!"},
        {{"read", "--json", "leds"}, 3, "", "no remote-lab server answered at " + address},
    };
    for (const Case &c : cases) {
        const int before = server.requests();
        std::vector<std::string> args = {"--server", address};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, c.code) << c.args[0] << "\n" << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0];
        EXPECT_TRUE(contains(r.err, c.err)) << c.args[0] << ": " << r.err;
        EXPECT_GT(server.requests(), before) << c.args[0];
    }
}

} // namespace
