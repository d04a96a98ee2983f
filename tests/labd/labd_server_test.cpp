// brixo-labd as a process on loopback, driven through libtamro's network transport: the panel's
// registers reach the design and come back from it.
#include "labd_process.h"
#include "labd/circuit.h"

#include "step_json.h"

#include <tamro.h>
#include <vestrix.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <thread>

namespace {

using lab::Circuit;
using labtest::Labd;
using labtest::readBits;
using labtest::writeBits;

const std::string kAdder = std::string(BRIXO_SOURCE_DIR) + "/examples/verilog/adder.v";

// The seven-segment pattern (0 = lit) of each hexadecimal digit, as the adder's decoder has it.
const uint8_t kSegments[16] = {0x40, 0x79, 0x24, 0x30, 0x19, 0x12, 0x02, 0x78,
                               0x00, 0x10, 0x08, 0x03, 0x46, 0x21, 0x06, 0x0E};

uint64_t leds()
{
    uint64_t v = 0;
    EXPECT_EQ(readBits(Circuit::Leds, lab::kLedBits, v), 0);
    return v;
}

uint64_t digits()
{
    uint64_t v = 0;
    EXPECT_EQ(readBits(Circuit::Digits, lab::kDigitBits, v), 0);
    return v;
}

TEST(LabServer, AdderShowsSumOnLedsAndDigits)
{
    Labd labd;
    ASSERT_TRUE(labd.start({"--verilog", kAdder}));
    EXPECT_EQ(labd.design,
              R"({"top":"adder","switches":9,"keys":0,"red":5,"green":0,"digits":2,"cpu_data_bits":0,"clock":""})");
    ASSERT_EQ(labtest::selectServer(labd.port), 0);
    // The digits no hex port drives stay unlit (0xFF); the unused high bit of each pattern too.
    EXPECT_EQ(digits(), 0xFFFFFFFFFFFF0000ULL | 0x80 << 8 | kSegments[0] << 8 | 0x80 | kSegments[0]);
    const struct {
        uint64_t switches;
        unsigned sum;
    } cases[] = {{0x000, 0}, {0x023, 5}, {0x0FF, 30}, {0x18F, 24}, {0x100, 1}, {0xF0F0F0000, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.switches);
        ASSERT_EQ(writeBits(Circuit::VirtualMode, 0x0F, lab::kVirtualModeBits), 0);
        ASSERT_EQ(writeBits(Circuit::Switches, c.switches, lab::kSwitchBits), 0);
        EXPECT_EQ(leds(), c.sum);
        const uint64_t d = digits();
        EXPECT_EQ(d & 0xFF, 0x80u | kSegments[c.sum & 15]);
        EXPECT_EQ(d >> 8 & 0xFF, 0x80u | kSegments[c.sum >> 4]);
    }
    // The chip says it is simulated, the run status is idle, and the switches read back as written.
    uint8_t info[32] = {};
    ASSERT_EQ(ReadRegister(Circuit::ChipInfo, 256, info), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(info) + 20, 9), "SIMULATED");
    EXPECT_EQ(info[3] >> 4, 2) << "the version word is a date 2xxx-mm-dd";
    uint64_t status = 9, back = 0;
    EXPECT_EQ(readBits(Circuit::RunStatus, 4, status), 0);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(readBits(Circuit::Switches, lab::kSwitchBits, back), 0);
    EXPECT_EQ(back, 0xF0F0F0000ULL);
    EXPECT_EQ(labd.stop(SIGTERM), 0);
}

// Keys by port name and polarity, and a counter clocked by a key; the design is written as lab
// designs come: two files, CRLF line ends, comments that are not ASCII, a top module "part2".
TEST(LabServer, KeysReachTheDesignWithTheirPolarity)
{
    auto crlf = [](std::string s) {
        for (size_t at = 0; (at = s.find('\n', at)) != std::string::npos; at += 2)
            s.insert(at, "\r");
        return s;
    };
    const std::string top = labtest::writeDesign("part2.v", crlf(R"(
// 实验二：按键计数（第二部分）
module part2(input [1:0] KEY, input [1:0] key_n, output [3:0] LEDR, output [7:0] LEDG,
             output [0:6] HEX0, output [6:0] HEX1, output [6:0] HEX2);
    presses counter(.clock(KEY[1]), .count(LEDG), .zero(HEX1));
    assign LEDR = {key_n, KEY};
    assign HEX0 = 7'b0111111; // declared index 0 is segment a: only a lit
endmodule
)"));
    const std::string part = labtest::writeDesign("presses.v", crlf(R"(
module presses(input clock, output reg [7:0] count = 8'd0, output reg [6:0] zero);
    always @(posedge clock) count <= count + 8'd1; // 每按一次加一
    always @* zero = count[7] ? 7'h7F : 7'h40; // logic of initialised registers only: a "0"
endmodule
)"));
    const struct {
        bool activeLow;
        uint64_t keys; // register bits: 1 = pressed
        uint64_t ledr; // {key_n, KEY} as the design sees them
    } cases[] = {{false, 0, 0xC}, {false, 1, 0x9}, {false, 3, 0x3}, {true, 0, 0xF}, {true, 1, 0xA}, {true, 2, 0x5}};
    for (bool activeLow : {false, true}) {
        Labd labd;
        std::vector<std::string> args{"--verilog", top, part};
        if (activeLow)
            args.push_back("--keys-active-low");
        ASSERT_TRUE(labd.start(args)) << labd.errors();
        EXPECT_EQ(labd.design.substr(0, 15), "{\"top\":\"part2\",");
        ASSERT_EQ(labtest::selectServer(labd.port), 0);
        // HEX2 is never driven: z shows unlit, as do the points of the 7-bit ports.
        EXPECT_EQ(digits() & 0xFFFFFF, 0xFFC0FEu);
        for (const auto &c : cases) {
            if (c.activeLow != activeLow)
                continue;
            SCOPED_TRACE(testing::Message() << activeLow << " " << c.keys);
            ASSERT_EQ(writeBits(Circuit::Keys, c.keys, lab::kKeyBits), 0);
            EXPECT_EQ(leds() & 0xF, c.ledr);
        }
        if (activeLow)
            continue;
        // Three clicks of key 1 clock the counter three times (the press is the rising edge).
        ASSERT_EQ(writeBits(Circuit::Keys, 0, lab::kKeyBits), 0);
        const uint64_t before = leds() >> 18;
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(writeBits(Circuit::Keys, 2, lab::kKeyBits), 0);
            ASSERT_EQ(writeBits(Circuit::Keys, 0, lab::kKeyBits), 0);
        }
        EXPECT_EQ((leds() >> 18) - before, 3u);
    }
}

TEST(LabServer, FreeRunningClockCountsInSimulatedRealTime)
{
    const std::string design = labtest::writeDesign("ticks.v", R"(
module ticks(input clk, output [17:0] LEDR, output [`CPU_BITS-1:0] Cpu_Data);
    reg [17:0] count = 18'd0;
    reg [7:0] never;
    always @(posedge clk) count <= count + 18'd1;
    assign LEDR = count;
`ifdef WITH_PATTERN
    assign Cpu_Data = {never, count, 22'h2ABCDE};
`endif
endmodule
)");
    Labd labd;
    ASSERT_TRUE(
        labd.start({"--verilog", design, "--clock-hz", "2000", "--define", "CPU_BITS=48", "--define", "WITH_PATTERN"}));
    EXPECT_NE(labd.design.find(R"("cpu_data_bits":48,"clock":"clk")"), std::string::npos) << labd.design;
    ASSERT_EQ(labtest::selectServer(labd.port), 0);
    const uint64_t first = leds();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    const uint64_t second = leds();
    // 0.25 s at 2 kHz is 500 cycles; the loaded machine's timing may stretch it, never shrink it much.
    EXPECT_GE(second - first, 400u);
    EXPECT_LE(second - first, 2000u);
    // CPU data: the count between a constant and bits never driven (x reads 0).
    uint8_t cpu[6] = {};
    ASSERT_EQ(ReadCpuData(48, cpu), 0);
    uint64_t data = 0;
    for (int i = 0; i < 6; ++i)
        data |= uint64_t(cpu[i]) << (8 * i);
    EXPECT_EQ(data & 0x3FFFFF, 0x2ABCDEu);
    EXPECT_GE(data >> 22, second);
    EXPECT_EQ(data >> 40, 0u);
}

} // namespace

namespace {

TEST(LabServer, RefusesDesignsAndCommandLinesItCannotServe)
{
    const std::string broken = labtest::writeDesign(
        "broken.v", "module broken(input [3:0] SW, output [3:0] LEDR);\n  assign LEDR = SW +;\nendmodule\n");
    const std::string quiet =
        labtest::writeDesign("quiet.v", "module quiet(input a, output b);\n  assign b = a;\nendmodule\n");
    const struct {
        std::vector<std::string> args;
        int status;
        const char *said; // on standard error
    } cases[] = {
        {{"--verilog", broken}, 1, "broken.v:2"},
        {{"--verilog", quiet}, 1, "quiet has none of the board's ports"},
        {{"--verilog", quiet + ".missing"}, 1, "cannot read"},
        {{}, 2, "--verilog"},
        {{"--verilog", kAdder, "--frobnicate"}, 2, "unknown option --frobnicate"},
        {{"--verilog", kAdder, "--simulator", "modelsim"}, 2, "iverilog or verilator"},
        {{"--verilog", kAdder, "--listen", "8.8.8.8:0"}, 2, "--allow-remote"},
        {{"--verilog", kAdder, "--listen", "127.0.0.1:99999"}, 2, "port number"},
    };
    for (const auto &c : cases) {
        const labtest::Run run = labtest::runLabd(c.args);
        SCOPED_TRACE(run.err);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.said), std::string::npos) << c.said;
    }
}

// A zero-delay loop and a design that ends the simulator: the request fails within the limit,
// the server says why and serves the next request from a restarted simulator.
TEST(LabServer, SurvivesDesignsThatHangOrEnd)
{
    const std::string design = labtest::writeDesign("unruly.v", R"(
module unruly(input [1:0] SW, input [0:0] KEY, output [1:0] LEDR);
    wire spin = SW[0] ? ~spin : 1'b0;
    always @(posedge KEY[0]) $finish;
    assign LEDR = {SW[1], spin};
endmodule
)");
    Labd labd;
    ASSERT_TRUE(labd.start({"--verilog", design, "--step-limit-ms", "1000"}));
    ASSERT_EQ(labtest::selectServer(labd.port), 0);
    const struct {
        int selector;
        uint64_t value;
        int result;
        const char *said; // added to standard error
    } steps[] = {
        {Circuit::Switches, 2, 0, ""}, {Circuit::Switches, 1, -4, "did not settle within 1000 ms"},
        {Circuit::Switches, 2, 0, ""}, {Circuit::Keys, 1, -4, "the simulator has ended"},
        {Circuit::Keys, 0, 0, ""}, // a restart with the key held would end at once again
        {Circuit::Switches, 2, 0, ""},
    };
    for (const auto &s : steps) {
        SCOPED_TRACE(testing::Message() << "step " << &s - steps);
        const std::string before = labd.errors();
        EXPECT_EQ(writeBits(s.selector, s.value, s.selector == Circuit::Keys ? lab::kKeyBits : lab::kSwitchBits),
                  s.result);
        const std::string added = labd.errors().substr(before.size());
        EXPECT_NE(added.find(s.said), std::string::npos) << added;
        if (s.result == 0) {
            EXPECT_EQ(leds(), 2u);
        }
    }
    // The step route fails the same way, with the words the server prints, in JSON.
    const struct {
        const char *body;
        int status;
        const char *said;
    } route[] = {
        {R"({"switches": 1})", 500, "did not settle within 1000 ms"},
        {R"({"switches": 2})", 200, "\"leds\":2,"},
        {R"({"keys": 1})", 500, "the simulator has ended"},
        {R"({"keys": 0})", 200, "\"leds\":2,"},
    };
    for (const auto &r : route) {
        SCOPED_TRACE(r.body);
        const std::string before = labd.errors();
        const labtest::HttpAnswer a = labtest::http(labd.port, "POST", "/api/v1/step", r.body);
        EXPECT_EQ(a.status, r.status);
        EXPECT_EQ(a.type, "application/json");
        EXPECT_NE(a.body.find(r.said), std::string::npos) << a.body;
        if (r.status != 200) {
            EXPECT_NE(labd.errors().substr(before.size()).find("brixo-labd: " + brixo::errorOf(a.body)),
                      std::string::npos);
        }
    }
    EXPECT_EQ(labd.stop(0), 0) << "ends when its standard input closes";
}

// Requests no client of ours sends: an error answer each, and the server goes on serving.
TEST(LabServer, AnswersMalformedRequestsWithAnError)
{
    Labd labd;
    ASSERT_TRUE(labd.start({"--verilog", kAdder}));
    auto post = [](const std::string &body) {
        return "POST /webservices/qqOnlineWebService.asmx HTTP/1.1\r\nHost: x\r\nConnection: "
               "close\r\nContent-Length: " +
               std::to_string(body.size()) + "\r\n\r\n" + body;
    };
    const struct {
        std::string request;
        const char *answer; // start of the status line, then a text the answer holds
        const char *holds;
    } cases[] = {
        {post("<soap:Body>\n<00>\n1</00>\n</soap:Body>"), "HTTP/1.1 400", "<ErrorOccur>02</ErrorOccur>"},
        {post("<soap:Body>\n<0C>\nguess</0C>\n</soap:Body>"), "HTTP/1.1 400", "wrong access code"},
        {post(std::string(20000, 'x')), "HTTP/1.1 413", ""},
        {"GARBAGE\r\n\r\n", "HTTP/1.1 400", ""},
    };
    for (const auto &c : cases) {
        const std::string answer = labtest::exchange(labd.port, c.request);
        EXPECT_EQ(answer.compare(0, std::strlen(c.answer), c.answer), 0) << answer;
        EXPECT_NE(answer.find(c.holds), std::string::npos) << answer;
    }
    ASSERT_EQ(labtest::selectServer(labd.port), 0);
    ASSERT_EQ(writeBits(Circuit::Switches, 0x12, lab::kSwitchBits), 0);
    EXPECT_EQ(leds(), 3u);
}

TEST(LabServer, VerilatorServesTheSameDesign)
{
    Labd labd;
    ASSERT_TRUE(labd.start({"--verilog", kAdder, "--simulator", "verilator"}, 240000)) << labd.errors();
    ASSERT_EQ(labtest::selectServer(labd.port), 0);
    ASSERT_EQ(writeBits(Circuit::Switches, 0x1FF, lab::kSwitchBits), 0);
    EXPECT_EQ(leds(), 31u);
    EXPECT_EQ(digits() & 0xFFFF, 0x80u << 8 | kSegments[1] << 8 | 0x80 | kSegments[15]);
}

} // namespace
