// Child processes as the servers and tools use them: lines with a time limit, failures with a
// reason, tools cut off at their limit, and the brixo-labd launcher's start-up contract.
#include "child_process.h"
#include "lab_server.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

using namespace brixo;

namespace {
Clock::time_point in(int ms) { return Clock::now() + std::chrono::milliseconds(ms); }

// A stand-in server: a shell script given as the program, printing what the test wants.
std::string script(const std::string &body)
{
    char dir[] = "/tmp/brixo-session-test-XXXXXX";
    EXPECT_NE(::mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/labd";
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    ::chmod(path.c_str(), 0755);
    return path;
}
} // namespace

TEST(ChildProcess, LinesTimeLimitsAndEnd)
{
    ChildProcess c;
    std::string error, line;
    ASSERT_TRUE(c.start({"sh", "-c", "read x; echo got $x; sleep 5"}, SpawnOptions(), error)) << error;
    ASSERT_TRUE(c.writeLine("hello"));
    EXPECT_EQ(c.readLine(line, in(5000)), ChildProcess::Line);
    EXPECT_EQ(line, "got hello");
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(c.readLine(line, in(100)), ChildProcess::TimedOut);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_EQ(c.end(200), 128 + 15); // SIGTERM ends the shell
    EXPECT_FALSE(c.running());

    ASSERT_TRUE(c.start({"sh", "-c", "printf 'abcdefgh\\nnext\\n'"}, SpawnOptions(), error));
    EXPECT_EQ(c.readLine(line, in(5000), 3), ChildProcess::Line);
    EXPECT_EQ(line, "abc"); // cut at the limit, the rest of the line dropped
    EXPECT_EQ(c.readLine(line, in(5000)), ChildProcess::Line);
    EXPECT_EQ(line, "next");
    EXPECT_EQ(c.readLine(line, in(5000)), ChildProcess::Ended);
}

TEST(ChildProcess, EveryFailureToStartHasAReason)
{
    ChildProcess c;
    std::string error;
    EXPECT_FALSE(c.start({"/nonexistent/tool"}, SpawnOptions(), error));
    EXPECT_NE(error.find("/nonexistent/tool"), std::string::npos) << error;

    // Out of descriptors, the pipes cannot be made: the reason says so instead of nothing.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    std::vector<int> held;
    rlimit tight = old;
    tight.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    for (int fd; (fd = ::dup(0)) >= 0;)
        held.push_back(fd);
    error.clear();
    const bool started = c.start({"true"}, SpawnOptions(), error);
    for (int fd : held)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &old);
    EXPECT_FALSE(started);
    EXPECT_NE(error.find("pipe"), std::string::npos) << error;

    std::string output;
    EXPECT_EQ(runTool({"sh", "-c", "echo out; echo err >&2; exit 3"}, "", 5000, output), 3);
    EXPECT_EQ(output, "out\nerr\n");
    output.clear();
    EXPECT_EQ(runTool({"sleep", "10"}, "", 200, output), -1);
    EXPECT_NE(output.find("did not finish"), std::string::npos);
}

TEST(LabServer, StartUpContract)
{
    struct Case {
        const char *body;
        LabServer::Status status;
    } cases[] = {
        {R"(echo "listening on 127.0.0.1:4321"; echo 'design {"top":"t","switches":4}'; cat >/dev/null)",
         LabServer::Ready},
        {"echo oops >&2; exit 1", LabServer::Failed},
        {"echo 'something else'; echo more; cat >/dev/null", LabServer::Unreadable},
        {"sleep 20", LabServer::NotReady},
    };
    for (const Case &c : cases) {
        LabServer s;
        LabServerOptions o;
        o.program = script(c.body);
        o.captureErrors = true;
        const Clock::time_point start = Clock::now();
        EXPECT_EQ(s.start(o, 500), c.status) << c.body;
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(6)) << c.body;
        if (c.status == LabServer::Ready) {
            EXPECT_EQ(s.port(), 4321);
            EXPECT_EQ(s.board().switches, 4);
            EXPECT_TRUE(s.running());
            s.stop(); // its input closed: the stand-in's cat ends
            EXPECT_FALSE(s.running());
        }
        if (c.status == LabServer::Failed) {
            EXPECT_EQ(s.exitStatus(), 1);
            EXPECT_EQ(s.errors(), "oops\n");
        }
        s.stop();
        std::filesystem::remove_all(std::filesystem::path(o.program).parent_path());
    }
    LabServer s;
    LabServerOptions o;
    o.program = "/nonexistent/brixo-labd";
    EXPECT_EQ(s.start(o, 500), LabServer::NotFound);
    EXPECT_FALSE(s.startError().empty());
}
