// The files brixo-labd generates for a design's bench: a write that fails stops the build with
// a message naming the file, before any compiler sees half a file.
#include "labd/simulator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(LabBenchFiles, AnUnwritableBenchFailsTheBuildNamingIt)
{
    const struct {
        const char *simulator;
        std::unique_ptr<labd::Simulator> (*make)(const labd::Sandbox &, double);
        const char *file; // what the simulator generates in its work directory
    } cases[] = {
        {"iverilog", labd::makeIcarus, "brixo_labd_bench.v"},
        {"verilator", labd::makeVerilator, "brixo_labd_main.cpp"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.simulator);
        char pattern[] = "/tmp/labd-bench-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        const std::string dir = pattern;
        std::ofstream(dir + "/adder.v") << "module adder(input [1:0] SW, output [1:0] LEDR);\n"
                                           "  assign LEDR = SW;\nendmodule\n";
        // A directory squatting the file's name: no write reaches it, not even root's.
        fs::create_directory(dir + "/" + c.file);
        labd::DesignFiles design;
        design.files = {dir + "/adder.v"};
        labd::Board board;
        std::string messages;
        const std::unique_ptr<labd::Simulator> sim = c.make(labd::Sandbox(dir, {dir}, false), 1000);
        // The server's fault, not the design's: the design compiles on its own.
        EXPECT_EQ(labd::prepareDesign(*sim, design, false, board, messages), labd::Build::ToolFailed);
        EXPECT_NE(messages.find("cannot write " + dir + "/" + c.file), std::string::npos) << messages;
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
}

} // namespace
