// `brixo-cli test` against real brixo-labd processes on loopback, with small designs in the
// test's own directory: whose fault its exit status names, the result every run gives (the
// counts as the last line, a JUnit report with every row), the report's names, and clocked
// designs run the same way twice.
#include "cli_fixture.h"

#include <QXmlStreamReader>

#ifdef LABD_DIR
namespace {

const std::string kAdder = BRIXO_SOURCE_DIR "/examples/verilog/adder.v";

std::string lastLine(std::string out)
{
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    const size_t nl = out.rfind('\n');
    return nl == std::string::npos ? out : out.substr(nl + 1);
}

// What a JUnit file says: "testsuite NAME TESTS/FAILURES/ERRORS", then each test case's class
// name and (for one with an error) the error's message; and its system-err.
struct JUnit {
    std::string suite;
    std::vector<std::string> cases;
    std::string systemErr;
};

JUnit readJUnit(const std::string &path)
{
    JUnit j;
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return {"(missing)", {}, {}};
    QXmlStreamReader xml(&f);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        const auto attr = [&a](const char *name) { return a.value(QLatin1String(name)).toString().toStdString(); };
        if (xml.name() == QLatin1String("testsuite"))
            j.suite = attr("name") + " " + attr("tests") + "/" + attr("failures") + "/" + attr("errors");
        else if (xml.name() == QLatin1String("testcase"))
            j.cases.push_back(attr("classname"));
        else if (xml.name() == QLatin1String("error"))
            j.cases.back() += ": " + attr("message");
        else if (xml.name() == QLatin1String("system-err"))
            j.systemErr = xml.readElementText().toStdString();
    }
    if (xml.hasError())
        return {"(unreadable) " + xml.errorString().toStdString(), {}, {}};
    return j;
}

TEST_F(Cli, TestExitStatusSaysWhoseFaultItIs)
{
    const std::string passing = file("pass.txt", "S3..S0 S7..S4 R4..R0\n1 2 3\n");
    const std::string failing = file("fail.txt", "S3..S0 S7..S4 R4..R0\n1 2 3\n1 1 3\n");
    const std::string cycles = file("cycles.txt", "S0 CYCLES R0\n1 10 1\n");
    const std::string broken =
        file("broken.v", "module broken(input [3:0] SW, output [3:0] LEDR);\n  assign LEDR = SW +;\nendmodule\n");
    const struct {
        std::vector<std::string> args, env;
        int code;
        std::string last, err; // the last line of standard output; a text standard error holds
    } cases[] = {
        {{"--sim", kAdder, "test", passing}, {}, 0, "1 passed, 0 failed", ""},
        {{"--sim", kAdder, "test", failing}, {}, 1, "1 passed, 1 failed", ""},
        // The board's clock is its own: refused before the board is touched.
        {{"test", cycles}, {}, 2, "0 passed, 0 failed, 1 errors", "the column CYCLES needs a simulated design"},
        {{"--sim", kAdder, "test", passing},
         {"PATH=/nonexistent"},
         3,
         "0 passed, 0 failed, 1 errors",
         "iverilog is not installed"},
        {{"--sim", kAdder, "test", passing},
         {"BRIXO_LABD=/nonexistent/brixo-labd"},
         3,
         "0 passed, 0 failed, 1 errors",
         "brixo-labd not found"},
        {{"--sim", broken, "test", passing}, {}, 4, "0 passed, 0 failed, 1 errors", "broken.v:2:"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " " << c.args[1] << " " << (c.env.empty() ? "" : c.env[0]));
        const ProcessResult r = cli(c.args, c.env);
        EXPECT_EQ(r.exitCode, c.code) << r.err;
        EXPECT_EQ(lastLine(r.out), c.last) << r.out;
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
        EXPECT_EQ(adapter.reports.size(), 0u) << "the adapter is never touched";
    }
}

// Whatever becomes of the design, every row of the file is in the report, as passed, failed or
// an error that says why, and the counts end standard output.
TEST_F(Cli, TestAlwaysGivesAResult)
{
    const std::string vectors = file("rows.txt", "S3..S0 R3..R0\n2 2\n1 0\n4 4\n6 7\n8 8\n");
    const std::string report = dir.filePath(QStringLiteral("report.xml")).toStdString();
    const struct {
        const char *name, *design;
        int code;
        std::string last;
        std::string suite; // name tests/failures/errors
        std::string said;  // in the first error's message, in the system-err and on standard output
    } cases[] = {
        {"broken.v", "module broken(input [3:0] SW, output [3:0] LEDR);\n  assign LEDR = SW +;\nendmodule\n", 4,
         "0 passed, 0 failed, 5 errors", "broken.rows 5/0/5", "broken.v:2: syntax error"},
        {"quiet.v", "module quiet(input a, output b);\n  assign b = a;\nendmodule\n", 4, "0 passed, 0 failed, 5 errors",
         "quiet.rows 5/0/5", "none of the board's ports"},
        {"ends.v",
         "module ends(input [3:0] SW, output [3:0] LEDR);\n  assign LEDR = SW;\n  initial $finish;\nendmodule\n", 4,
         "0 passed, 0 failed, 5 errors", "ends.rows 5/0/5", "the simulator has ended"},
        // SW[0] sets a loop of logic spinning: line 3 does not settle, the rest run after it.
        {"unruly.v",
         "module unruly(input [3:0] SW, output [3:0] LEDR);\n  wire spin = SW[0] ? ~spin : 1'b0;\n"
         "  assign LEDR = {SW[3:1], spin};\nendmodule\n",
         1, "3 passed, 1 failed, 1 errors", "unruly.rows 5/1/1", "did not settle"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(QString::fromStdString(report));
        const ProcessResult r = cli({"--sim", file(c.name, c.design), "test", vectors, "--junit", report});
        EXPECT_EQ(r.exitCode, c.code) << r.err;
        EXPECT_EQ(lastLine(r.out), c.last) << r.out;
        EXPECT_TRUE(contains(r.out.substr(0, r.out.size() - c.last.size() - 1), c.said)) << r.out;
        const JUnit j = readJUnit(report);
        EXPECT_EQ(j.suite, c.suite);
        ASSERT_EQ(j.cases.size(), 5u);
        const std::string &first = c.code == 4 ? j.cases[0] : j.cases[1];
        EXPECT_TRUE(contains(first, c.said)) << first;
        EXPECT_TRUE(contains(j.systemErr, c.said)) << j.systemErr;
        EXPECT_TRUE(contains(r.err, c.said)) << "the server's messages reach standard error too";
    }
}

TEST_F(Cli, TestNamesTheSuiteAfterTheStudentOrTheDesign)
{
    const std::string vectors = file("lab1.txt", "S3..S0 R3..R0\n0 0\n");
    const std::string broken = file("broken.v", "module broken(input [3:0] SW, output [3:0] LEDR);\nendmodule +\n");
    const std::string report = dir.filePath(QStringLiteral("report.xml")).toStdString();
    const struct {
        std::vector<std::string> args;
        std::string suite, className;
    } cases[] = {
        {{"--sim", kAdder, "--name", "alice"}, "alice 1/0/0", "alice.lab1"},
        {{"--sim", kAdder}, "adder.lab1 1/0/0", "adder.lab1"},
        {{"--sim", broken}, "broken.lab1 1/0/1", "broken.lab1"},
        {{"--sim", broken, "--top", "part3"}, "part3.lab1 1/0/1", "part3.lab1"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"test", vectors, "--junit", report});
        cli(args);
        const JUnit j = readJUnit(report);
        EXPECT_EQ(j.suite, c.suite);
        ASSERT_EQ(j.cases.size(), 1u);
        EXPECT_EQ(j.cases[0].substr(0, j.cases[0].find(':')), c.className);
    }
}

// A counter clocked by a key and one clocked by CLOCK_50 through a divider: with a CYCLES
// column the clock runs only as the rows say, whatever the clock rate (here a million cycles a
// second of the wall clock, that would run thousands between two rows), so two runs agree.
TEST_F(Cli, CyclesAndPressesRunReproducibly)
{
    const std::string design = file("counter.v", R"(
module counter(input [1:0] KEY, input CLOCK_50, output [7:0] LEDR, output [7:0] LEDG);
    reg [7:0] presses = 8'd0, slow = 8'd0;
    reg [3:0] divide = 4'd0;
    always @(posedge KEY[0]) presses <= presses + 8'd1;
    always @(posedge CLOCK_50) begin
        divide <= divide + 4'd1;
        if (divide == 4'd15) slow <= slow + 8'd1;
    end
    assign LEDR = presses;
    assign LEDG = slow;
endmodule
)");
    const std::string vectors = file("counter.txt", "K0   CYCLES  WAIT_MS  R7..R0  G7..G0\n"
                                                    "0    0       0        0       0\n"
                                                    "P    0       0        1       0\n"
                                                    "P*3  16      0        4       1\n"
                                                    "0    32      20       4       3\n"
                                                    "P*2  100     0        6       9\n");
    for (const char *simulator : {"iverilog", "verilator"}) {
        SCOPED_TRACE(simulator);
        for (int run = 0; run < 2; ++run) {
            const ProcessResult r =
                cli({"--sim", design, "--simulator", simulator, "--clock-hz", "1000000", "test", vectors});
            EXPECT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(r.out, "5 passed, 0 failed\n");
        }
    }
}

} // namespace
#endif
