// The lab server's boards as its routes drive them: lab boards, each behind a real
// `brixo-labd adapter N` whose hidapi calls reach the test's emulated adapters (through the
// LD_PRELOAD proxy), and students' simulated boards on a real brixo-labd in its sandbox.
#include "labd/adapter_board.h"
#include "labd/student_board.h"

#include "support/adder_circuit.h"
#include "support/emu_hid_service.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/prctl.h>
#include <thread>
#include <unistd.h>

namespace {

using labd::BoardDriver;

// Our adapter processes, found among our children by their command line.
std::vector<pid_t> adapterProcesses()
{
    std::vector<pid_t> found;
    DIR *tasks = ::opendir("/proc/self/task");
    for (dirent *t; tasks && (t = ::readdir(tasks));) {
        std::ifstream children(std::string("/proc/self/task/") + t->d_name + "/children");
        for (pid_t pid; children >> pid;) {
            std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline");
            const std::string args((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
            if (args.find(std::string("adapter") + '\0') != std::string::npos)
                found.push_back(pid);
        }
    }
    if (tasks)
        ::closedir(tasks);
    return found;
}

// The work directories this process has left in the temporary folder.
int leftWorkDirs()
{
    const std::string ours = "brixo-labd-" + std::to_string(::getpid()) + "-";
    int n = 0;
    DIR *d = ::opendir("/tmp");
    for (dirent *e; d && (e = ::readdir(d));)
        n += std::string(e->d_name).rfind(ours, 0) == 0;
    if (d)
        ::closedir(d);
    return n;
}

class AdapterBoards : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 2; ++i) {
            circuits[i].setChipVersion(0x20220919);
            service.add(&adapters[i]);
        }
        // For the adapter processes alone: this process is loaded already.
        ::setenv("LD_PRELOAD", HID_PROXY, 1);
        ::setenv("BRIXO_EMU_HID_SOCKET", service.socketPath().c_str(), 1);
        ::setenv("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0", 1);
    }
    void TearDown() override
    {
        ::unsetenv("LD_PRELOAD");
        ::unsetenv("BRIXO_EMU_HID_SOCKET");
    }
    std::unique_ptr<BoardDriver> open(int adapter, const std::string &resetFile = "")
    {
        labd::AdapterBoardOptions o;
        o.adapter = adapter;
        o.resetFile = resetFile;
        o.program = BRIXO_LABD;
        o.cpuDataBits = 8;
        return labd::openAdapterBoard(o);
    }
    static brixo::Inputs switches(std::uint64_t value)
    {
        brixo::Inputs in;
        in.switches = value;
        return in;
    }
    emu::AdderCircuit circuits[2];
    emu::Adapter adapters[2] = {emu::Adapter(emu::Adapter::Kind::Hid, &circuits[0]),
                                emu::Adapter(emu::Adapter::Kind::Hid, &circuits[1])};
    emu::HidService service;
};

TEST_F(AdapterBoards, TwoBoardsStepTheirOwnAddersAtOnce)
{
    std::unique_ptr<BoardDriver> boards[2] = {open(0), open(1)};
    const std::uint64_t values[] = {0x00, 0x35, 0xFF, 0x9C, 0x21};
    std::thread drivers[2];
    for (int b = 0; b < 2; ++b)
        drivers[b] = std::thread([&, b] {
            for (std::uint64_t v : values) {
                const std::uint64_t sw = v ^ (b ? 0x11 : 0); // each board its own sums
                const brixo::Readback r = boards[b]->step(switches(sw));
                ASSERT_TRUE(r.ok()) << b << ": " << r.message;
                EXPECT_EQ(brixo::BoardLayout::redOf(r.leds), (sw & 0xF) + (sw >> 4)) << b << " " << sw;
                ASSERT_EQ(r.cpuData.size(), 1u);
                EXPECT_EQ(r.cpuData[0], sw) << "the adder's CPU data echoes the switches";
            }
        });
    for (std::thread &t : drivers)
        t.join();
    EXPECT_EQ(circuits[0].inputValue(emu::LabCircuit::Switches), 0x21u);
    EXPECT_EQ(circuits[1].inputValue(emu::LabCircuit::Switches), 0x30u);
    std::string why;
    EXPECT_TRUE(boards[0]->check(why)) << why;
    EXPECT_EQ(boards[1]->describe().top, "adapter 1");
}

TEST_F(AdapterBoards, DownloadReportsEachPieceAndStopsOnCancel)
{
    std::string bytes(100 * 500 + 123, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 + i / 500);
    const struct {
        const char *name;
        int cancelAt, failAt; // data piece indexes, -1: none
        bool ok;
        std::size_t pieces; // that reached the adapter
    } cases[] = {
        {"whole", -1, -1, true, 101},
        {"cancelled", 2, -1, false, 3},
        {"refused", -1, 4, false, 5},
    };
    std::unique_ptr<BoardDriver> board = open(0);
    for (const auto &c : cases) {
        adapters[0].clearRecords();
        adapters[0].failFpgaPiece = c.failAt;
        std::atomic<bool> cancel{false};
        // The adapter holds its answer a moment after the piece that cancels, so the cancel
        // arrives before the next piece would go.
        adapters[0].onFpgaPiece = [&](int piece) {
            if (piece == c.cancelAt) {
                cancel = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(1000));
            }
        };
        std::vector<std::pair<std::size_t, std::size_t>> progress;
        std::string error;
        const bool ok = board->configure(
            bytes, [&](std::size_t done, std::size_t total) { progress.emplace_back(done, total); }, cancel, error);
        EXPECT_EQ(ok, c.ok) << c.name << ": " << error;
        ASSERT_EQ(adapters[0].fpgaPieceSizes.size(), c.pieces) << c.name << ": " << error;
        EXPECT_EQ(adapters[0].fpgaDone, c.ok) << c.name;
        EXPECT_EQ(adapters[0].fpgaAnnounced, int(bytes.size())) << c.name;
        if (c.ok) {
            EXPECT_EQ(std::string(adapters[0].fpgaData.begin(), adapters[0].fpgaData.end()), bytes);
            EXPECT_EQ(progress.size(), 102u) << "0 of 101, then one per piece";
            EXPECT_EQ(progress.back(), std::make_pair(std::size_t(101), std::size_t(101)));
        } else {
            EXPECT_EQ(error == "cancelled", c.cancelAt >= 0) << c.name << ": " << error;
        }
    }
    adapters[0].onFpgaPiece = nullptr;
    std::string error;
    std::atomic<bool> no{false};
    EXPECT_FALSE(board->configure(std::string(board->configurationLimit() + 1, 'x'), {}, no, error));
    EXPECT_FALSE(board->configure("", {}, no, error));
}

TEST_F(AdapterBoards, ResetClearsTheInputsOrFailsWithTheReason)
{
    char path[] = "/tmp/lab-boards-reset-XXXXXX";
    const int fd = ::mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, std::string(1200, 'r').data(), 1200), 1200);
    ::close(fd);
    const struct {
        const char *name;
        std::string file;
        int failAt;
        bool ok;
        const char *why;
    } cases[] = {
        {"no reset configuration", "", -1, true, ""},
        {"a reset configuration", path, -1, true, ""},
        {"a missing file", "/nonexistent/reset.rbf", -1, false, "reset configuration /nonexistent/reset.rbf"},
        {"a refused piece", path, 1, false, "was not downloaded"},
    };
    for (const auto &c : cases) {
        std::unique_ptr<BoardDriver> board = open(0, c.file);
        ASSERT_TRUE(board->step(switches(0x77)).ok()) << c.name;
        adapters[0].clearRecords();
        adapters[0].failFpgaPiece = c.failAt;
        std::string why;
        EXPECT_EQ(board->reset(why), c.ok) << c.name << ": " << why;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;
        EXPECT_EQ(adapters[0].fpgaDone, c.ok && !c.file.empty()) << c.name;
        if (c.ok) {
            EXPECT_EQ(circuits[0].inputValue(emu::LabCircuit::Switches), 0u) << c.name;
            EXPECT_EQ(board->step(brixo::Inputs()).leds, 0u) << c.name << ": cleared inputs light nothing";
        }
    }
    ::unlink(path);
}

TEST_F(AdapterBoards, ADeadOrHungProcessFailsOneCallAndIsRestarted)
{
    std::unique_ptr<BoardDriver> board = open(0);
    ASSERT_TRUE(board->step(switches(0x12)).ok());
    const struct {
        const char *name;
        int signal;
        const char *why;
    } cases[] = {
        {"killed", SIGKILL, "ended"},
        {"hung", SIGSTOP, "did not answer in time"}, // after the health check's time limit
    };
    for (const auto &c : cases) {
        const std::vector<pid_t> before = adapterProcesses();
        ASSERT_EQ(before.size(), 1u) << c.name;
        ::kill(before[0], c.signal);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::string why;
        EXPECT_FALSE(board->check(why)) << c.name;
        EXPECT_NE(why.find(c.why), std::string::npos) << c.name << ": " << why;
        EXPECT_NE(why.find("restarted"), std::string::npos) << c.name << ": " << why;
        const brixo::Readback again = board->step(switches(0x34));
        ASSERT_TRUE(again.ok()) << c.name << ": " << again.message;
        EXPECT_EQ(brixo::BoardLayout::redOf(again.leds), 7u) << c.name;
        const std::vector<pid_t> after = adapterProcesses();
        ASSERT_EQ(after.size(), 1u) << c.name;
        EXPECT_NE(after[0], before[0]) << c.name;
    }
    board.reset();
    EXPECT_TRUE(adapterProcesses().empty()) << "the process ends with its board";
}

TEST(AdapterBoard, WithoutItsAdapterOrProgramEveryCallSaysSo)
{
    emu::HidService none;
    ::setenv("LD_PRELOAD", HID_PROXY, 1);
    ::setenv("BRIXO_EMU_HID_SOCKET", none.socketPath().c_str(), 1);
    ::setenv("ASAN_OPTIONS", "verify_asan_link_order=0:detect_leaks=0", 1);
    const struct {
        const char *program, *why;
    } cases[] = {
        {BRIXO_LABD, "no adapter 3 (0 found)"},
        {"/nonexistent/brixo-labd", "its process does not start"},
    };
    for (const auto &c : cases) {
        labd::AdapterBoardOptions o;
        o.adapter = 3;
        o.program = c.program;
        std::unique_ptr<BoardDriver> board = labd::openAdapterBoard(o);
        for (int call = 0; call < 2; ++call) {
            const brixo::Readback r = board->step(brixo::Inputs());
            EXPECT_FALSE(r.ok());
            EXPECT_NE(r.message.find(c.why), std::string::npos) << call << ": " << r.message;
            std::string why;
            EXPECT_FALSE(board->check(why));
            EXPECT_NE(why.find(c.why), std::string::npos) << call << ": " << why;
        }
    }
    ::unsetenv("LD_PRELOAD");
    ::unsetenv("BRIXO_EMU_HID_SOCKET");
}

// --- students' simulated boards ----------------------------------------------------------

std::string adderText()
{
    std::ifstream in(std::string(BRIXO_SOURCE_DIR) + "/examples/verilog/adder.v");
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The lab server is a brixo-labd: the servers it starts see its work directories, the students'
// files among them, as those of a server still running, and leave them alone.
class StudentBoard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::prctl(PR_GET_NAME, name_);
        ::prctl(PR_SET_NAME, "brixo-labd");
    }
    void TearDown() override { ::prctl(PR_SET_NAME, name_); }

private:
    char name_[17] = {};
};

TEST_F(StudentBoard, AGoodDesignBuildsAndSteps)
{
    labd::DesignUpload d;
    d.files = {{"adder.v", adderText()}};
    std::vector<labd::DesignMessage> messages;
    std::string error;
    std::unique_ptr<BoardDriver> board = labd::startStudentBoard(d, BRIXO_LABD, messages, error);
    ASSERT_TRUE(board) << error;
    EXPECT_EQ(board->describe().top, "adder");
    brixo::Inputs in;
    in.switches = 0x1F5; // 5 + 15 + carry in
    const brixo::Readback r = board->step(in);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(brixo::BoardLayout::redOf(r.leds), 21u);
    std::string why;
    EXPECT_TRUE(board->reset(why)) << why;
    EXPECT_EQ(brixo::BoardLayout::redOf(board->step(brixo::Inputs()).leds), 0u);
    EXPECT_TRUE(board->check(why)) << why;
    std::atomic<bool> no{false};
    EXPECT_FALSE(board->configure("rbf", {}, no, why));
    EXPECT_EQ(why, "a simulated board takes no FPGA configuration");
    EXPECT_EQ(leftWorkDirs(), 1);
    board.reset();
    EXPECT_EQ(leftWorkDirs(), 0) << "the student's files go with the board";
}

TEST_F(StudentBoard, ASyntaxErrorNamesTheStudentsFileAndLine)
{
    labd::DesignUpload d;
    d.files = {{"digit.v", "module digit(input [3:0] value, output [6:0] segments);\n"
                           "  assign segments = ~value;\nendmodule\n"},
               {"top.v", "module top(input [3:0] SW, output [6:0] HEX0);\n"
                         "  digit d(.value(SW), .segments(HEX0))\n"
                         "endmodule\n"}};
    std::vector<labd::DesignMessage> messages;
    std::string error;
    EXPECT_FALSE(labd::startStudentBoard(d, BRIXO_LABD, messages, error));
    EXPECT_EQ(error, "the design does not build");
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0].file, "top.v");
    EXPECT_EQ(messages[0].line, 3) << messages[0].text;
    for (const labd::DesignMessage &m : messages)
        EXPECT_EQ(m.text.find("brixo-labd-"), std::string::npos) << "no server path: " << m.text;
    EXPECT_EQ(leftWorkDirs(), 0);
}

TEST_F(StudentBoard, HostileUploadsAreRefusedBeforeAnythingIsWritten)
{
    for (const char *name :
         {"../x.v", "/etc/x.v", ".hidden.v", "a\nb.v", "a b.v", "-top.v", "x.vhd", ".v", "dir/x.v", "x\\y.v"}) {
        std::string why;
        EXPECT_FALSE(labd::validUploadName(name, why)) << name;
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(why.find('\n'), std::string::npos) << "the reason is one line";
    }
    std::string why;
    EXPECT_TRUE(labd::validUploadName("top_2-b.sv", why)) << why;
    EXPECT_FALSE(labd::validUploadName(std::string(101, 'a') + ".v", why));

    const auto many = [](std::size_t count, std::size_t bytes) {
        labd::DesignUpload d;
        for (std::size_t i = 0; i < count; ++i)
            d.files.push_back({"f" + std::to_string(i) + ".v", std::string(bytes, ' ')});
        return d;
    };
    labd::DesignUpload twice = many(2, 10), badTop = many(1, 10), badName = many(1, 10);
    twice.files[1].first = twice.files[0].first;
    badTop.top = "-x";
    badName.files[0].first = "etc/passwd.v";
    const struct {
        const char *name;
        labd::DesignUpload upload;
        const char *why;
    } cases[] = {
        {"no files", many(0, 0), "no files"},
        {"too many files", many(labd::kUploadFileLimit + 1, 1), "more than 32 files"},
        {"a file too large", many(1, labd::kUploadFileBytes + 1), "larger than 256 KiB"},
        {"too large together", many(5, labd::kUploadFileBytes), "together"},
        {"a name twice", twice, "named twice"},
        {"a top that is no name", badTop, "no Verilog name"},
        {"a path for a name", badName, "no folder"},
    };
    for (const auto &c : cases) {
        std::vector<labd::DesignMessage> messages;
        std::string error;
        EXPECT_FALSE(labd::startStudentBoard(c.upload, BRIXO_LABD, messages, error)) << c.name;
        EXPECT_NE(error.find(c.why), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(leftWorkDirs(), 0) << c.name;
    }
}

} // namespace
