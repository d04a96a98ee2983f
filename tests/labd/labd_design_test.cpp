// What brixo-labd makes of a student's design, in both simulators: the inputs' idle values
// arrive at time 0 as the edges a design may wait for, in Verilog-2005 and SystemVerilog alike;
// a design that does not build gets messages about its own files, named whole, never about
// the bench the server adds; and a hostile design stays inside its sandbox and its limits,
// its work directory gone with its server.
#include "labd_process.h"

#include "step_json.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

bool contains(const std::string &text, const std::string &part) { return text.find(part) != std::string::npos; }

// A folder of the test's own, removed with it.
struct TempDir {
    TempDir()
    {
        char pattern[] = "/tmp/labd-sandbox-test-XXXXXX";
        path = mkdtemp(pattern);
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    std::string path;
};

// The key's first edge (its idle value arriving at time 0) resets the count; each press after
// it (the key reads 0 when pressed) counts.
const char *const kFirstEdge = R"(
module first_edge(input [0:0] KEY, output [3:0] LEDR);
    reg [3:0] count;
    reg ready = 1'b0;
    always @(posedge KEY[0] or negedge KEY[0]) begin
        if (!ready) begin
            ready <= 1'b1;
            count <= 4'd0;
        end else if (!KEY[0]) begin
            count <= count + 4'd1;
        end
    end
    assign LEDR = count;
endmodule
)";

uint64_t stepLeds(int port, const std::string &body)
{
    const labtest::HttpAnswer a = labtest::http(port, "POST", "/api/v1/step", body);
    brixo::StepAnswer answer;
    std::string error;
    EXPECT_EQ(a.status, 200) << a.body;
    EXPECT_TRUE(brixo::parseStepAnswer(a.body, answer, error)) << error;
    return answer.leds;
}

std::string file(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

TEST(LabServer, InputsTakeTheirIdleValuesAtTimeZeroAsAnEdge)
{
    for (const char *file : {"first_edge.v", "first_edge.sv"}) {
        const std::string design = labtest::writeDesign(file, kFirstEdge);
        for (const char *simulator : {"iverilog", "verilator"}) {
            SCOPED_TRACE(testing::Message() << file << " " << simulator);
            labtest::Labd labd;
            ASSERT_TRUE(labd.start({"--verilog", design, "--simulator", simulator, "--keys-active-low"}, 240000))
                << labd.errors();
            EXPECT_EQ(stepLeds(labd.port, "{}"), 0u);
            // Without the edge at time 0 this press would be the reset, and count nothing.
            EXPECT_EQ(stepLeds(labd.port, R"({"pulse": 1})"), 1u);
            EXPECT_EQ(stepLeds(labd.port, R"({"pulse": 1})"), 2u);
        }
    }
}

TEST(LabServer, MessagesAreAboutTheStudentsFilesNamedWhole)
{
    // A block without its end: the ports read well, and the compiler would go on into the bench.
    const std::string noEnd = labtest::writeDesign(
        "noend.v",
        "module noend(input [3:0] SW, output reg [3:0] LEDR);\n  always @* begin\n    LEDR = SW;\nendmodule\n");
    const std::string spaced = labtest::writeDesign(
        "My Adder.v", "module adder(input [3:0] SW, output [3:0] LEDR);\n  assign LEDR = SW +;\nendmodule\n");
    const struct {
        std::string file;
        const char *simulator;
        std::string said, never; // on standard error
    } cases[] = {
        {noEnd, "iverilog", noEnd + ":4: syntax error", "brixo_labd"},
        {noEnd, "verilator", noEnd + ":4:", "brixo_labd"},
        {spaced, "iverilog", spaced + ":2: syntax error", "brixo_labd"},
        {spaced, "verilator", spaced + ":2:", "My:2"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.file << " " << c.simulator);
        const labtest::Run run = labtest::runLabd({"--verilog", c.file, "--simulator", c.simulator}, 240000);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(c.never), std::string::npos) << run.err;
    }
}

} // namespace

TEST(LabServer, AHostileDesignReachesNothingOutsideItsFolderAndWorkDirectory)
{
    TempDir design, secret;
    // Beside the design: read; elsewhere: neither read nor written, by absolute path or by "../".
    file(design.path + "/rom.hex", "a5\n");
    const std::string key = file(secret.path + "/key.hex", "5a\n"), escape = design.path + "-escaped.txt";
    const std::string v = file(design.path + "/escape.v", R"(
module escape(input [3:0] SW, output [15:0] LEDR);
    reg [7:0] rom [0:0], key [0:0];
    integer f;
    initial begin
        rom[0] = 8'h00;
        key[0] = 8'h00;
        $readmemh("rom.hex", rom);
        $readmemh(")" + key + R"(", key);
        f = $fopen(")" + design.path + R"(/written.txt", "w");
        if (f != 0) $fclose(f);
        f = $fopen("../)" + fs::path(escape).filename().string() +
                                                              R"(", "w");
        if (f != 0) $fclose(f);
    end
    assign LEDR = {rom[0], key[0]};
endmodule
)");
    const struct {
        const char *simulator, *warning; // the simulator's own words for the file it did not find
    } cases[] = {{"iverilog", "Unable to open"}, {"verilator", "file not found"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.simulator);
        labtest::Labd labd;
        ASSERT_TRUE(labd.start({"--verilog", v, "--simulator", c.simulator}, 240000)) << labd.errors();
        EXPECT_EQ(stepLeds(labd.port, "{}"), 0xa500u);
        EXPECT_TRUE(contains(labd.errors(), c.warning)) << labd.errors();
        EXPECT_FALSE(fs::exists(design.path + "/written.txt"));
        EXPECT_FALSE(fs::exists(escape));
        fs::remove(escape);
    }
}

TEST(LabServer, VerilatorRefusesCCodeOfTheDesignsOwnNamingFileAndLine)
{
    TempDir d;
    const struct {
        std::string text, said; // said: after the file's name
    } cases[] = {
        {"  initial $system(\"id\");\n", ":3: $system would run a shell command"},
        {"  initial $c(\"system(0);\");\n", ":3: $c would put C code"},
        {"  initial $c32(\"1\");\n", ":3: $c32 would put C code"},
        {"  import \"DPI-C\" function int getpid();\n", ":3: a DPI import would put C code"},
        {"`systemc_implementation\n#include <cstdlib>\n`verilog\n", ":3: `systemc_implementation would"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.said);
        // Comments and strings that name them are no reason to refuse.
        const std::string v = file(d.path + "/c.sv", "module c(input [1:0] SW, output [1:0] LEDR);\n"
                                                     "  // $system(\"x\") `systemc_header\n" +
                                                         c.text +
                                                         "  initial $display(\"$c(1) $system\");\n"
                                                         "  assign LEDR = SW;\nendmodule\n");
        const labtest::Run run = labtest::runLabd({"--verilog", v, "--simulator", "verilator"}, 60000);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(contains(run.err, v + c.said)) << run.err;
        EXPECT_EQ(run.err.find(v + ":2:"), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find(v + ":4:"), std::string::npos) << run.err;
    }
}

TEST(LabServer, ADesignPastTheMemoryLimitIsReportedAsOutOfMemory)
{
    TempDir d;
    // 512 MiB of memory words, twice the limit.
    const std::string v = file(d.path + "/big.v", "module big(input [3:0] SW, output [3:0] LEDR);\n"
                                                  "  reg [31:0] m [0:(1 << 27) - 1];\n"
                                                  "  assign LEDR = m[SW][3:0];\nendmodule\n");
    for (const char *simulator : {"iverilog", "verilator"}) {
        SCOPED_TRACE(simulator);
        const labtest::Run run =
            labtest::runLabd({"--verilog", v, "--simulator", simulator, "--mem-limit", "256M"}, 240000);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(contains(run.err, "out of memory")) << run.err;
        EXPECT_TRUE(contains(run.err, "256 MiB")) << run.err;
        EXPECT_FALSE(contains(run.err, "loop of logic")) << run.err;
    }
}

TEST(LabServer, WhatADesignPrintsIsCappedAndNeverHoldsUpItsAnswer)
{
    TempDir d;
    // Each change leaves its line open; switch 3 floods far past the cap.
    const std::string v = file(d.path + "/chatty.v", R"(
module chatty(input [3:0] SW, output [3:0] LEDR);
    integer i;
    always @(SW) begin
        $write("sw=%0d;", SW);
        if (SW == 4'd3)
            for (i = 0; i < 100000; i = i + 1)
                $display("a long line of output, number %0d, that nobody reads", i);
    end
    assign LEDR = SW;
endmodule
)");
    for (const char *simulator : {"iverilog", "verilator"}) {
        SCOPED_TRACE(simulator);
        labtest::Labd labd;
        ASSERT_TRUE(labd.start({"--verilog", v, "--simulator", simulator}, 240000)) << labd.errors();
        EXPECT_EQ(stepLeds(labd.port, R"({"switches": 1})"), 1u);
        EXPECT_EQ(stepLeds(labd.port, R"({"switches": 2})"), 2u);
        EXPECT_EQ(stepLeds(labd.port, R"({"switches": 3})"), 3u);
        EXPECT_EQ(stepLeds(labd.port, R"({"switches": 4})"), 4u);
        const std::string errors = labd.errors();
        EXPECT_TRUE(contains(errors, "sw=1;")) << errors.substr(0, 2000);
        EXPECT_TRUE(contains(errors, "output truncated after 64 KiB")) << errors.substr(0, 2000);
        EXPECT_LT(errors.size(), size_t(70 * 1024));
    }
}

// The processes brixo-labd started (the simulator's sandbox or the simulator itself).
std::vector<pid_t> childrenOf(pid_t pid)
{
    std::vector<pid_t> found;
    for (const fs::directory_entry &task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task")) {
        std::ifstream children(task.path().string() + "/children");
        for (pid_t child; children >> child;)
            found.push_back(child);
    }
    return found;
}

// Kills `pid`'s group and waits (5 s at most) until it and all it started have ended.
void killAndAwait(pid_t pid)
{
    std::vector<pid_t> all{pid};
    for (size_t i = 0; i < all.size(); ++i)
        for (pid_t child : childrenOf(all[i]))
            all.push_back(child);
    kill(-pid, SIGKILL);
    for (pid_t p : all) {
        for (int i = 0; i < 500; ++i) {
            std::ifstream stat("/proc/" + std::to_string(p) + "/stat");
            std::string number, name, state;
            if (!(stat >> number >> name >> state) || state == "Z")
                break;
            usleep(10000);
        }
    }
}

TEST(LabServer, ASimulatorThatEndedFailsTheNextRequestAndItsWriteIsNotApplied)
{
    TempDir d;
    const std::string v = file(d.path + "/ender.v", "module ender(input [3:0] SW, output [3:0] LEDR);\n"
                                                    "  always @(SW) if (SW == 4'd9) $finish;\n"
                                                    "  assign LEDR = SW;\nendmodule\n");
    labtest::Labd labd;
    ASSERT_TRUE(labd.start({"--verilog", v})) << labd.errors();
    EXPECT_EQ(stepLeds(labd.port, R"({"switches": 1})"), 1u);
    // Ended by the design during a step, then killed between two requests.
    const std::function<void()> ends[] = {[] {},
                                          [&] {
                                              for (pid_t child : childrenOf(labd.pid()))
                                                  killAndAwait(child);
                                          }};
    const char *writes[] = {R"({"switches": 9})", R"({"switches": 2})"};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        ends[i]();
        const labtest::HttpAnswer a = labtest::http(labd.port, "POST", "/api/v1/step", writes[i]);
        EXPECT_EQ(a.status, 500);
        EXPECT_TRUE(contains(a.body, "the simulator has ended")) << a.body;
        // Started again from reset, with the switches as the last write that worked left them.
        EXPECT_EQ(stepLeds(labd.port, "{}"), 1u);
    }
}

std::set<std::string> workDirs(const std::string &parent)
{
    std::set<std::string> dirs;
    for (const fs::directory_entry &e : fs::directory_iterator(parent))
        if (e.path().filename().string().compare(0, 11, "brixo-labd-") == 0)
            dirs.insert(e.path().filename().string());
    return dirs;
}

TEST(LabServer, WorkDirectoriesGoWithTheirServerOrWithTheNextOne)
{
    TempDir tmp;
    ASSERT_EQ(setenv("TMPDIR", tmp.path.c_str(), 1), 0);
    const std::string v = labtest::writeDesign("through.v", "module through(input [1:0] SW, output [1:0] LEDR);\n"
                                                            "  assign LEDR = SW;\nendmodule\n");
    // Every way a server ends takes its work directory with it.
    for (int signal : {0, SIGTERM, SIGINT, SIGHUP, SIGQUIT}) {
        SCOPED_TRACE(signal);
        labtest::Labd labd;
        ASSERT_TRUE(labd.start({"--verilog", v})) << labd.errors();
        EXPECT_EQ(workDirs(tmp.path).size(), 1u);
        EXPECT_EQ(labd.stop(signal), 0);
        EXPECT_TRUE(workDirs(tmp.path).empty());
    }
    // What servers that died left behind goes when the next starts: never a running server's,
    // another kind's or another name's.
    const pid_t gone = fork();
    if (gone == 0)
        _exit(0);
    waitpid(gone, nullptr, 0);
    const std::string dead = "brixo-labd-" + std::to_string(gone) + "-aaaaaa";
    const std::string reused = "brixo-labd-" + std::to_string(getpid()) + "-bbbbbb"; // no brixo-labd
    labtest::Labd running;
    ASSERT_TRUE(running.start({"--verilog", v})) << running.errors();
    const std::set<std::string> kept = workDirs(tmp.path);
    ASSERT_EQ(kept.size(), 1u);
    for (const std::string &d : {dead, reused, std::string("brixo-labd-cccccc")}) {
        fs::create_directories(tmp.path + "/" + d + "/obj");
        file(tmp.path + "/" + d + "/obj/design", "left over");
    }
    file(tmp.path + "/brixo-labd-" + std::to_string(gone) + "-dddddd", "a file, not a work directory");
    labtest::Labd next;
    ASSERT_TRUE(next.start({"--verilog", v})) << next.errors();
    std::set<std::string> left = workDirs(tmp.path);
    EXPECT_FALSE(left.count(dead));
    EXPECT_FALSE(left.count(reused));
    EXPECT_TRUE(left.count(*kept.begin()));
    EXPECT_TRUE(left.count("brixo-labd-cccccc"));
    EXPECT_TRUE(left.count("brixo-labd-" + std::to_string(gone) + "-dddddd"));
    EXPECT_EQ(left.size(), 4u); // and the next server's own
    next.stop(SIGTERM);
    running.stop(SIGTERM);
    unsetenv("TMPDIR");
}
