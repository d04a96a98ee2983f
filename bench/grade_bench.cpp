// `brixo-cli grade` of a class of 50 (copies of the example adder, every fifth one wrong) with
// -j 2 against the same class with -j 1, in one run: wall seconds of each and their ratio
// (x_of_one_at_a_time; the aim is 0.6 or less on two cores). Each grading is a real process
// that runs 50 brixo-cli, each with its brixo-labd and Icarus Verilog. The two alternate three
// times and the fastest of each counts, so a burst of other work on the machine weighs less.
#include "child_process.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr int kStudents = 50;
constexpr int kGradeLimitMs = 600000;
constexpr int kRounds = 3;

struct Class {
    fs::path root;
    std::vector<std::string> folders;
    Class()
    {
        char pattern[] = "/tmp/brixo-grade-bench-XXXXXX";
        root = ::mkdtemp(pattern) ? pattern : "";
        std::ifstream in(BRIXO_SOURCE_DIR "/examples/verilog/adder.v");
        std::stringstream design;
        design << in.rdbuf();
        std::string wrong = design.str();
        wrong.replace(wrong.find(" + SW[8];"), 9, ";");
        for (int i = 0; i < kStudents; ++i) {
            const fs::path folder = root / ("student" + std::to_string(i));
            fs::create_directory(folder);
            std::ofstream(folder / "adder.v") << (i % 5 == 4 ? wrong : design.str());
            folders.push_back(folder.string());
        }
    }
    ~Class()
    {
        std::error_code ec;
        if (!root.empty())
            fs::remove_all(root, ec);
    }
};

// Wall seconds of one grading, or -1 when it did not give the class's summary.
double grade(const Class &c, int jobs, std::string &summary)
{
    std::vector<std::string> argv = {
        BRIXO_CLI, "grade", "--quiet", "-j", std::to_string(jobs), BRIXO_SOURCE_DIR "/examples/verilog/adder.vectors"};
    argv.insert(argv.end(), c.folders.begin(), c.folders.end());
    brixo::SpawnOptions spawn;
    spawn.in = brixo::SpawnOptions::Null;
    spawn.err = brixo::SpawnOptions::Null;
    spawn.environment = {"LANG=C", "LC_ALL=", "LC_MESSAGES="};
    brixo::ChildProcess child;
    std::string error, line;
    const auto start = std::chrono::steady_clock::now();
    if (!child.start(argv, spawn, error))
        return -1;
    const auto deadline = start + std::chrono::milliseconds(kGradeLimitMs);
    while (child.readLine(line, deadline) == brixo::ChildProcess::Line)
        summary = line;
    int status = -1;
    while (!child.exited(status) && std::chrono::steady_clock::now() < deadline)
        ::usleep(1000);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return status == 0 ? seconds : -1;
}

void BM_GradeClassTwoAtATime(benchmark::State &state)
{
    Class c;
    const std::string expected = std::to_string(kStudents) + " students: " + std::to_string(kStudents * 4 / 5) +
                                 " passed every row, " + std::to_string(kStudents / 5) +
                                 " failed rows, 0 did not build";
    double one = 1e9, two = 1e9;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            std::string summaryOne, summaryTwo;
            const double a = grade(c, 1, summaryOne), b = grade(c, 2, summaryTwo);
            if (a < 0 || b < 0 || summaryOne != expected || summaryTwo != expected) {
                state.SkipWithError(("unexpected summary: " + summaryOne + " / " + summaryTwo).c_str());
                return;
            }
            one = std::min(one, a);
            two = std::min(two, b);
        }
        state.SetIterationTime(two);
    }
    state.counters["j1_seconds"] = one;
    state.counters["j2_seconds"] = two;
    state.counters["x_of_one_at_a_time"] = two / one;
    state.counters["students"] = kStudents;
}
BENCHMARK(BM_GradeClassTwoAtATime)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
