// Reading a design's top module and fitting its ports to the board.
#include "labd/board_ports.h"

#include <gtest/gtest.h>

namespace {

bool board(const std::string &text, const std::string &top, labd::Board &b, std::string &error)
{
    std::vector<labd::Module> modules;
    const labd::Module *m = nullptr;
    return labd::readModules(text, modules, error) && labd::chooseTop(modules, top, m, error) &&
           labd::boardPorts(*m, false, b, error);
}

TEST(LabPorts, DescribesTheBoardTheTopModuleCarries)
{
    const struct {
        const char *why;
        std::string text;
        const char *json;
    } cases[] = {
        {"a lab design: two files' worth, CRLF, comments not ASCII, parameters, an instance",
         "// 第二部分：加法器\r\nmodule digit(input [3:0] v, output [6:0] s); assign s = 0; endmodule\r\n"
         "module part2 #(parameter N = 8, M = N * 2 + 4) (\r\n"
         "  input CLOCK_50, input [N-1:0] SW, input [1:0] KEY, /* 键 */\r\n"
         "  output [M-1:0] LED, output [0:6] HEX0, output [7:0] hex3, output [31:0] Cpu_Data);\r\n"
         "  localparam W = $clog2(N);\r\n  digit d0(.v(SW[3:0]), .s(HEX0));\r\nendmodule\r\n",
         R"({"top":"part2","switches":8,"keys":2,"red":18,"green":2,"digits":4,"cpu_data_bits":32,"clock":"CLOCK_50"})"},
        {"ports declared in the body, one declaration for two names, unrecognised ports ignored",
         "module counter(clk, key_n, ledg, ledr, extra);\n input clk; input [3:0] key_n;\n"
         " output reg [7:0] ledg, ledr;\n input [2:0] extra;\nendmodule\n",
         R"({"top":"counter","switches":0,"keys":4,"red":8,"green":8,"digits":0,"cpu_data_bits":0,"clock":"clk"})"},
        {"a list continued without direction keeps the range, SystemVerilog types",
         "module m(input logic [35:0] sw, output logic [17:0] ledr, ledg);\nendmodule\n",
         R"({"top":"m","switches":36,"keys":0,"red":18,"green":18,"digits":0,"cpu_data_bits":0,"clock":""})"},
    };
    for (const auto &c : cases) {
        labd::Board b;
        std::string error;
        ASSERT_TRUE(board(c.text, "", b, error)) << c.why << ": " << error;
        EXPECT_EQ(b.json(), c.json) << c.why;
    }
}

TEST(LabPorts, NamesEveryPortThatDoesNotFit)
{
    const struct {
        std::string text, top;
        std::vector<const char *> said; // each must appear in the message
    } cases[] = {
        {"module quiet(input a, output b); endmodule", "", {"quiet", "none of the board's ports"}},
        {"module m(input [36:0] SW, output [18:0] LEDR, output [8:0] HEX2, input [1:0] clk); endmodule",
         "",
         {"SW is 37 bits", "36 switches", "LEDR is 19 bits", "HEX2 is 9 bits", "clk is 2 bits"}},
        {"module m(output [3:0] sw, input [3:0] LEDG, inout [6:0] hex0); endmodule",
         "",
         {"sw is an output", "LEDG is an input", "hex0 is an inout"}},
        {"module a(input [1:0] sw); endmodule\nmodule b(input [1:0] sw); endmodule",
         "",
         {"no other module instantiates a b", "--top"}},
        {"module a(input [1:0] sw); endmodule", "part3", {"no module named part3", "a"}},
        {"module m #(parameter N = 4) (input [N-1:0] sw, input [W:0] key); endmodule", "", {"range of port key"}},
        {"module m(input [3:0] sw);", "", {"m has no endmodule"}},
    };
    for (const auto &c : cases) {
        labd::Board b;
        std::string error;
        EXPECT_FALSE(board(c.text, c.top, b, error)) << c.text;
        for (const char *s : c.said)
            EXPECT_NE(error.find(s), std::string::npos) << "\"" << s << "\" not in: " << error;
    }
}

// Bit i of the register goes to declared index (lowest + i), whatever the range's direction.
TEST(LabPorts, InputBitsFollowTheDeclaredIndex)
{
    const struct {
        labd::Role role;
        long left, right;
        bool activeLow;
        uint64_t reg, value;
    } cases[] = {
        {labd::Role::Switches, 7, 0, false, 0x1, 0x01},
        {labd::Role::Switches, 0, 7, false, 0x1, 0x80}, // [0:7]: index 0 is the vector's top bit
        {labd::Role::Switches, 8, 1, false, 0x3, 0x03}, // [8:1]: switch 0 is index 1
        {labd::Role::Switches, 3, 0, false, 0xF0, 0x0}, // a narrower port uses the low bits
        {labd::Role::Keys, 3, 0, false, 0x2, 0x2},
        {labd::Role::Keys, 3, 0, true, 0x2, 0xD},
        {labd::Role::KeysLow, 3, 0, false, 0x2, 0xD},
        {labd::Role::KeysLow, 0, 3, true, 0x1, 0x7},
    };
    for (const auto &c : cases) {
        labd::BoardPort p{{labd::Port::Input, "p", c.left, c.right}, c.role, 0};
        EXPECT_EQ(labd::inputValue(p, c.reg, c.activeLow), c.value) << c.left << ":" << c.right << " " << c.reg;
    }
}

} // namespace
