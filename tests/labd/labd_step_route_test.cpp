// brixo-labd's step route as a client hits it: a real server on loopback, JSON in and out, the
// remote-lab scans on the same board beside it.
#include "labd_process.h"
#include "labd/circuit.h"

#include "step_json.h"

#include <gtest/gtest.h>

namespace {

using lab::Circuit;
using labtest::Labd;

const std::string kAdder = std::string(BRIXO_SOURCE_DIR) + "/examples/verilog/adder.v";
const uint8_t kSegments[16] = {0x40, 0x79, 0x24, 0x30, 0x19, 0x12, 0x02, 0x78,
                               0x00, 0x10, 0x08, 0x03, 0x46, 0x21, 0x06, 0x0E};

// POST /api/v1/step; the answer, which must be a 200 in JSON.
brixo::StepAnswer step(int port, const std::string &body)
{
    const labtest::HttpAnswer a = labtest::http(port, "POST", "/api/v1/step", body);
    EXPECT_EQ(a.status, 200) << body << " -> " << a.body;
    EXPECT_EQ(a.type, "application/json");
    brixo::StepAnswer answer;
    std::string error;
    EXPECT_TRUE(brixo::parseStepAnswer(a.body, answer, error)) << error << ": " << a.body;
    return answer;
}

TEST(StepRoute, DrivesTheAdderAsTheScansDo)
{
    Labd labd;
    ASSERT_TRUE(labd.start({"--verilog", kAdder}));
    const labtest::HttpAnswer board = labtest::http(labd.port, "GET", "/api/v1/board");
    EXPECT_EQ(board.status, 200);
    EXPECT_EQ(board.type, "application/json");
    EXPECT_EQ(board.body, labd.design) << "the ready line and the route describe the design alike";
    ASSERT_EQ(labtest::selectServer(labd.port), 0);
    const struct {
        int64_t scanSwitches; // written by a scan first; -1: none
        const char *body;
        unsigned sum; // on the LEDs, as the step and a scan read them, and the two digits
    } cases[] = {
        {-1, "{}", 0},
        {0x023, "{}", 5},
        {-1, R"({"switches": 255})", 30},
        {-1, R"({"keys": 0})", 30}, // a register left out keeps its value
        {0x18F, R"({"keys": 0})", 24},
        {-1, R"({"switches": 256, "cycles": 3})", 1},
        {-1, R"({"switches": 68719476735})", 31},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body);
        if (c.scanSwitches >= 0) {
            ASSERT_EQ(labtest::writeBits(Circuit::Switches, uint64_t(c.scanSwitches), lab::kSwitchBits), 0);
        }
        const brixo::StepAnswer a = step(labd.port, c.body);
        EXPECT_EQ(a.leds, c.sum);
        EXPECT_EQ(a.digits[0], 0x80 | kSegments[c.sum & 15]);
        EXPECT_EQ(a.digits[1], 0x80 | kSegments[c.sum >> 4]);
        EXPECT_EQ(a.digits[2], 0xFF);
        EXPECT_EQ(a.cpuBits, 0);
        uint64_t leds = 0;
        EXPECT_EQ(labtest::readBits(Circuit::Leds, lab::kLedBits, leds), 0);
        EXPECT_EQ(leds, c.sum);
    }
    // The register reads back as the last step wrote it (a read shifts it out: the last thing done).
    uint64_t switches = 0;
    EXPECT_EQ(labtest::readBits(Circuit::Switches, lab::kSwitchBits, switches), 0);
    EXPECT_EQ(switches, 0xFFFFFFFFFu);
}

// A key-clocked counter and a free-running one beside it, the design saying on standard error
// each time its inputs change: every request is one step of the simulator (switches and keys
// change together, a pulse presses and releases once), and one that changes nothing is none.
TEST(StepRoute, PulsesAndCyclesInOneStepOfTheSimulator)
{
    const std::string design = labtest::writeDesign("clicks.v", R"(
module clicks(input CLOCK_50, input [1:0] KEY, input [3:0] SW, output reg [7:0] LEDR = 8'd0,
              output reg [7:0] LEDG = 8'd0);
    always @(posedge CLOCK_50) LEDR <= LEDR + 8'd1;
    always @(posedge KEY[0]) LEDG <= LEDG + 8'd1;
    always @(SW or KEY) $display("inputs %0d %0d", SW, KEY);
endmodule
)");
    const uint64_t period = 100000000000; // ns at 0.01 Hz: the free-running clock owes nothing meanwhile
    const struct {
        const char *body;
        int changes;     // lines the design prints
        unsigned clicks; // counted by KEY[0]
        uint64_t cycles;
    } cases[] = {
        {"{}", 0, 0, 0},
        {R"({"switches": 3, "keys": 2})", 1, 0, 0},
        {R"({"switches": 3, "keys": 2})", 0, 0, 0},
        {R"({"pulse": 1})", 2, 1, 0},
        {R"({"pulse": 1, "switches": 5})", 3, 1, 0},
        {R"({"pulse": 3})", 2, 1, 0}, // key 1 is held: pressing it again changes nothing
        {R"({"cycles": 7})", 0, 0, 7},
        {R"({"keys": 1, "pulse": 1})", 1, 1, 0}, // a held key's pulse is no press
        {R"({"keys": 0, "pulse": 1, "cycles": 2})", 3, 1, 2},
    };
    for (const char *simulator : {"iverilog", "verilator"}) {
        SCOPED_TRACE(simulator);
        Labd labd;
        ASSERT_TRUE(labd.start({"--verilog", design, "--simulator", simulator, "--clock-hz", "0.01"}, 240000))
            << labd.errors();
        brixo::StepAnswer last = step(labd.port, "{}");
        for (const auto &c : cases) {
            SCOPED_TRACE(c.body);
            const std::string before = labd.errors();
            const brixo::StepAnswer a = step(labd.port, c.body);
            const std::string said = labd.errors().substr(before.size());
            int lines = 0;
            for (size_t at = 0; (at = said.find("inputs ", at)) != std::string::npos; ++at)
                ++lines;
            EXPECT_EQ(lines, c.changes) << said;
            EXPECT_EQ(a.leds >> 18 & 0xFF, (last.leds >> 18) + c.clicks);
            EXPECT_EQ(a.cycles, last.cycles + c.cycles);
            EXPECT_EQ(a.leds & 0xFF, a.cycles & 0xFF);
            // The simulated time: each cycle a period of the clock, each change a moment.
            EXPECT_GE(a.timeNs, last.timeNs + c.cycles * period);
            EXPECT_LE(a.timeNs, last.timeNs + c.cycles * period + 3);
            EXPECT_EQ(a.timeNs == last.timeNs, c.changes == 0 && c.cycles == 0);
            last = a;
        }
    }
}

// Requests no client of the route should send: each answered in JSON, saying why, and the
// server goes on serving.
TEST(StepRoute, RefusesWhatItCannotTake)
{
    Labd labd;
    ASSERT_TRUE(labd.start({"--verilog", kAdder}));
    auto chunked = [](const std::string &body) {
        char size[16];
        std::snprintf(size, sizeof size, "%zx", body.size());
        return std::string(size) + "\r\n" + body + "\r\n0\r\n\r\n";
    };
    const std::string chunkedHead = "Transfer-Encoding: chunked\r\n";
    const struct {
        const char *method, *path;
        std::string body, headers;
        int status;
        const char *said; // in the "error" member
    } cases[] = {
        {"POST", "/api/v1/step", R"({"switches": )", "", 400, "not JSON"},
        {"POST", "/api/v1/step", "[1, 2]", "", 400, "JSON object"},
        {"POST", "/api/v1/step", R"({"switches": -1})", "", 400, "\"switches\""},
        {"POST", "/api/v1/step", R"({"keys": 1048576})", "", 400, "\"keys\""},
        {"POST", "/api/v1/step", R"({"pulse": "1"})", "", 400, "\"pulse\""},
        {"POST", "/api/v1/step", R"({"cycles": 10000001})", "", 400, "\"cycles\""},
        {"POST", "/api/v1/step", R"({"switches": 1, "leds": 3})", "", 400, "unknown member \"leds\""},
        {"POST", "/api/v1/step", "{\"switches\": 1" + std::string(5000, ' ') + "}", "", 400, "longer than 4096"},
        {"POST", "/api/v1/step", std::string(100000, '{'), "", 400, "longer than 4096"},
        {"POST", "/api/v1/step", chunked(R"({"sw": 1})"), chunkedHead, 400, "unknown member \"sw\""},
        {"GET", "/api/v1/step", "", "", 405, "POST"},
        {"POST", "/api/v1/board", "{}", "", 405, "GET"},
        {"DELETE", "/api/v1/step", "", "", 405, "POST"},
        {"GET", "/api/v2/step", "", "", 404, "/api/v2/step"},
        {"POST", "/api/steps", "{}", "", 404, "/api/steps"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.method << " " << c.path << " " << c.body.substr(0, 40));
        const labtest::HttpAnswer a = labtest::http(labd.port, c.method, c.path, c.body, c.headers);
        EXPECT_EQ(a.status, c.status) << a.body;
        EXPECT_EQ(a.type, "application/json");
        EXPECT_NE(brixo::errorOf(a.body).find(c.said), std::string::npos) << a.body;
    }
    // A chunked body the route can take, and the server still serves.
    const labtest::HttpAnswer a =
        labtest::http(labd.port, "POST", "/api/v1/step", chunked(R"({"switches": 18})"), chunkedHead);
    EXPECT_EQ(a.status, 200);
    EXPECT_EQ(step(labd.port, "{}").leds, 3u);
}

} // namespace
