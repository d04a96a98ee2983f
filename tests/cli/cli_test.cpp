// brixo-cli as a user runs it: a real process over the real libvestrix and libtamro, whose
// hidapi calls reach emulated adapters in this test through the LD_PRELOAD proxy. The lab
// circuit adds the low and high nibbles of the switches, counts key 0's presses and shows the
// sum on the digits, so what `set` writes comes back through `read` and `test`.
#include "cli_fixture.h"

#include "jvp_format.h"
#include "support/emu_lab_server.h"

#include <QFile>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <csignal>
#include <cstdlib>
#include <set>

namespace {

TEST_F(Cli, ListsAndRefusesWithExitCodes)
{
    struct Case {
        std::vector<std::string> args, env;
        uint8_t link;
        int code;
        std::string out, err;
    } cases[] = {
        {{"list"}, {}, 1, 0, "0  TA-HID\n", ""},
        {{"list", "--json"}, {}, 1, 0, "[{\"index\":0,\"name\":\"TA-HID\"}]\n", ""},
        {{"frob"}, {}, 1, 2, "", "brixo-cli: unknown command: frob\n"},
        {{"read"}, {}, 1, 2, "", "read needs leds, digits or cpu=BITS"},
        {{"read", "ledz"}, {}, 1, 2, "", "invalid read item: ledz"},
        {{"set", "S36=1"}, {}, 1, 2, "", "invalid assignment: S36=1"},
        {{"set", "sw=0x1000000000"}, {}, 1, 2, "", "invalid assignment"},
        {{"--json", "set", "sw=1"}, {}, 1, 2, "", "option --json does not apply to set"},
        {{"--server", "localhost"}, {}, 1, 2, "", "invalid value: --server localhost"},
        {{"configure"}, {}, 1, 2, "", "configure needs one .rbf file"},
        {{"test", "/nonexistent/v.txt"},
         {},
         1,
         2,
         "no row ran: cannot read /nonexistent/v.txt\n0 passed, 0 failed, 1 errors\n",
         "cannot read /nonexistent/v.txt"},
        {{"--adapter", "3", "read", "leds"}, {}, 1, 3, "", "no adapter 3 (1 found)"},
        {{"read", "leds"}, {}, 3, 3, "", "brixo-cli: Failed to connect FPGA. Error code: -4\n"},
        {{"read", "leds"}, {"LANG=zh_CN.UTF-8"}, 3, 3, "", "brixo-cli: 连接FPGA失败。 错误代码：-4\n"},
    };
    for (const Case &c : cases) {
        circuit.linkStatus = c.link;
        const ProcessResult r = cli(c.args, c.env);
        const std::string what = c.args[0] + (c.args.size() > 1 ? " " + c.args[1] : "");
        EXPECT_EQ(r.exitCode, c.code) << what << "\n" << r.err;
        EXPECT_EQ(r.out, c.out) << what;
        EXPECT_TRUE(c.err.empty() ? r.err.empty() : contains(r.err, c.err)) << what << ": " << r.err;
    }
}

TEST_F(Cli, SetReachesTheCircuitAndReadShowsItsOutputs)
{
    struct Case {
        std::vector<std::string> set, read;
        uint64_t switches;
        std::string out;
    } cases[] = {
        {{"sw=0x23"},
         {"read", "leds", "digits"},
         0x23,
         "leds 0x000000005  red 0x00005  green 0x00000\ndigits 12 40 FF FE FF FF FF FF  shows 50-?----\n"},
        {{"S0=1", "S4=1", "S5=1"}, {"read", "cpu=8"}, 0x31, "cpu 0x31\n"},
        {{"sw=0b11111111", "S0=0"},
         {"read", "--json", "leds", "digits"},
         0xFE,
         "{\"digits\":{\"bytes\":[33,121,255,254,255,255,255,255],\"shows\":\"D1-?----\"},"
         "\"leds\":{\"green\":\"0x00000\",\"red\":\"0x0001D\",\"value\":\"0x00000001D\"}}\n"},
    };
    // The same circuit behind the emulated adapter and behind a remote-lab server.
    emu::LabServer server(&circuit);
    const std::vector<std::string> boards[] = {{}, {"--server", "127.0.0.1:" + std::to_string(server.port())}};
    for (const auto &board : boards) {
        for (const Case &c : cases) {
            circuit.clearRecords();
            std::vector<std::string> set = board, read = board;
            set.push_back("set");
            set.insert(set.end(), c.set.begin(), c.set.end());
            read.insert(read.end(), c.read.begin(), c.read.end());
            const ProcessResult s = cli(set);
            ASSERT_EQ(s.exitCode, 0) << s.err;
            EXPECT_EQ(circuit.inputValue(emu::LabCircuit::Switches), c.switches);
            EXPECT_EQ(circuit.input(emu::LabCircuit::Switches).bits, 36);
            EXPECT_EQ(circuit.inputValue(emu::LabCircuit::VirtualMode), 0x0Fu);
            const ProcessResult r = cli(read);
            EXPECT_EQ(r.exitCode, 0) << r.err;
            EXPECT_EQ(r.out, c.out) << board.size();
        }
    }
}

TEST_F(Cli, ConfigureReportsAndCancelsBetweenPieces)
{
    struct Case {
        int size, interruptAt;
        int code;
        std::string out, err;
        bool done;
    } cases[] = {
        {2501, -1, 0, "FPGA configured: 2501 bytes\n", "", true},
        {50000, 3, 3, "", "brixo-cli: The FPGA configuration download was cancelled. Error code: -259\n", false},
    };
    for (const Case &c : cases) {
        adapter.clearRecords();
        const std::string rbf = file("design.rbf", std::string(size_t(c.size), '\x5A'));
        std::atomic<int> child{0};
        adapter.onFpgaPiece = [&](int piece) {
            if (piece == c.interruptAt)
                ::kill(child.load(), SIGINT);
        };
        const ProcessResult r = cli({"configure", rbf}, {}, [&](int pid) { child = pid; });
        adapter.onFpgaPiece = nullptr;
        EXPECT_EQ(r.exitCode, c.code) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err); // off a terminal: no bar
        EXPECT_EQ(adapter.fpgaDone, c.done);
        const int pieces = int(adapter.fpgaPieceSizes.size());
        if (c.interruptAt < 0) {
            EXPECT_EQ(pieces, (c.size + 499) / 500);
            EXPECT_EQ(adapter.fpgaData, emu::Bytes(size_t(c.size), 0x5A));
        } else {
            EXPECT_GT(pieces, c.interruptAt);
            EXPECT_LT(pieces, (c.size + 499) / 500);
        }
    }
}

const char *const kPassing = R"(# the adder: R4..R0 = S7..S4 + S3..S0; G3..G0 count key 0's presses
S7..S4, S3..S0, K0, R4..R0, G3..G0, D1, D0, D2, CPU8
1       2       0   3       0       0   3   -   0x12
15      15      0   30      0       1   E   -   FF
0 1 P 0b00001 1 0 1 - x
0 1 P 1 2 x x x x
0 0 1 0 3 0 0 - 00
)";

const char *const kFailing = "S3..S0 R3..R0 D0\n# comment\n1 1 1\n2 3 2\n3 3 4\n4 0x5 5\n";

TEST_F(Cli, RunsVectorFiles)
{
    struct Case {
        const char *vectors;
        bool panel;
        int code;
        std::string out, err;
    } cases[] = {
        {kPassing, false, 0, "5 passed, 0 failed\n", ""},
        {kFailing, false, 1,
         "line 4: R3..R0 expected 3, read 2\nline 5: D0 expected 4, read 3\n"
         "line 6: R3..R0 expected 0x5, read 0x4; D0 expected 5, read 4\n1 passed, 3 failed\n",
         ""},
        {"\xEF\xBB\xBFS0 R0 G18\r\n1 1 0\r\n0 0 x\r\n", true, 0, "2 passed, 0 failed\n", ""},
        // A wait and three presses on a board as well.
        {"S0 K0 WAIT_MS R0 G3..G0\n1 P*3 10 1 3\n", false, 0, "1 passed, 0 failed\n", ""},
        {"S1 R0\n1 1\n", true, 2, "", "v.txt:1: the panel has no S1\n"},
        {"S0 G0\n1 1\n", true, 2, "", "v.txt:1: unknown column: G0\n"},
        {"S3..S0 Q1\n1 1\n", false, 2, "", "v.txt:1: unknown column: Q1\n"},
        {"S0 S1..S0\n1 1\n", false, 2, "", "v.txt:1: column S1..S0 repeats an earlier column\n"},
        {"S0 R0\n\n1\n", false, 2, "", "v.txt:3: 1 cells, the header has 2\n"},
        {"S0 R0\n2 1\n", false, 2, "", "v.txt:2: invalid value for S0: 2\n"},
        {"K1..K0 R0\nP 0\n", false, 2, "", "v.txt:2: invalid value for K1..K0: P\n"},
        {"S0, R0 # header only\n", false, 2, "", "v.txt:1: no test rows\n"},
    };
    panelfile::Document doc;
    for (auto kind : {panelfile::Kind::Switch, panelfile::Kind::RedLed, panelfile::Kind::GreenLed}) {
        panelfile::Entry e;
        e.kind = kind;
        doc.entries.push_back(e);
    }
    const QByteArray jvp = panelfile::writeJvp(doc);
    const std::string panel = file("board.jvp", jvp.toStdString());
    for (const Case &c : cases) {
        circuit.presses = 0;
        const std::string vectors = file("v.txt", c.vectors);
        std::vector<std::string> args = {"test", vectors};
        if (c.panel)
            args.insert(args.end(), {"--panel", panel});
        const ProcessResult r = cli(args);
        const std::string said = vectors.substr(0, vectors.size() - 5) + c.err;
        EXPECT_EQ(r.exitCode, c.code) << c.vectors << r.err;
        // A file that cannot run says why on both streams, and still ends with the counts.
        EXPECT_EQ(r.out, c.err.empty() ? c.out : "no row ran: " + said + "0 passed, 0 failed, 1 errors\n") << c.vectors;
        EXPECT_EQ(r.err, c.err.empty() ? "" : "brixo-cli: " + said) << c.vectors;
    }
}

TEST_F(Cli, WritesJUnitReport)
{
    const std::string report = dir.filePath(QStringLiteral("report.xml")).toStdString();
    const ProcessResult r = cli({"test", file("adder.txt", kFailing), "--junit", report});
    ASSERT_EQ(r.exitCode, 1) << r.err;
    QFile f(QString::fromStdString(report));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    std::vector<std::string> seen; // element name and its key attributes, in document order
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto a = xml.attributes();
        std::string s = xml.name().toString().toStdString();
        for (const char *key : {"name", "tests", "failures", "errors", "classname", "message"})
            if (a.hasAttribute(QLatin1String(key)))
                s += std::string(" ") + key + "=" + a.value(QLatin1String(key)).toString().toStdString();
        seen.push_back(s);
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    const std::vector<std::string> expected = {
        "testsuites tests=4 failures=3 errors=0",
        "testsuite name=adder.txt tests=4 failures=3 errors=0",
        "testcase name=line 3 classname=adder",
        "testcase name=line 4 classname=adder",
        "failure message=R3..R0 expected 3, read 2",
        "testcase name=line 5 classname=adder",
        "failure message=D0 expected 4, read 3",
        "testcase name=line 6 classname=adder",
        "failure message=R3..R0 expected 0x5, read 0x4; D0 expected 5, read 4",
    };
    EXPECT_EQ(seen, expected);
}

TEST_F(Cli, SimStartsTheLabServerAndEndsIt)
{
    const std::string record = dir.filePath(QStringLiteral("labd.txt")).toStdString();
    const std::string labd = "BRIXO_LABD=" FAKE_LABD_DIR "/brixo-labd";
    const std::string vectors = file("v.txt", "S7..S4 S3..S0 R4..R0 D0\n2 3 5 5\n1 1 2 3\n");
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out, err, labdArgs;
    } cases[] = {
        {{"--sim", "a.v", "b.v", "--top", "part2", "--keys-active-low", "test", vectors},
         1,
         "line 3: D0 expected 3, read 2\n1 passed, 1 failed\n",
         "",
         "--verilog a.v b.v --top part2 --keys-active-low --listen 127.0.0.1:0 --stdin-lifetime"},
        {{"--sim", "broken.v", "--simulator", "verilator", "read", "leds"},
         4,
         "",
         "broken.v:3: syntax error\nbrixo-cli: the simulated design did not build or start\n",
         "--verilog broken.v --simulator verilator --listen 127.0.0.1:0 --stdin-lifetime"},
    };
    for (const Case &c : cases) {
        const ProcessResult r = cli(c.args, {labd, "FAKE_LABD_RECORD=" + record});
        EXPECT_EQ(r.exitCode, c.code) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        QFile f(QString::fromStdString(record));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const int pid = f.readLine().trimmed().toInt();
        EXPECT_EQ(f.readLine().trimmed().toStdString(), c.labdArgs);
        // The server is gone with the client: reaped, so not even a zombie is left.
        EXPECT_NE(::kill(pid, 0), 0) << pid;
    }
}

// The long options a text names, with the manual's escaped hyphens read as hyphens.
std::set<std::string> longOptions(QString text)
{
    text.replace(QLatin1String("\\-"), QLatin1String("-"));
    std::set<std::string> options;
    QRegularExpressionMatchIterator m = QRegularExpression(QStringLiteral("--[a-z][a-z-]*")).globalMatch(text);
    while (m.hasNext())
        options.insert(m.next().captured().toStdString());
    return options;
}

// Each installed manual page names the same options as its program's --help.
TEST_F(Cli, ManualPagesNameTheOptionsOfTheHelp)
{
    const struct {
        std::string program, page;
    } programs[] = {
        {BRIXO_CLI, BRIXO_SOURCE_DIR "/cli/brixo-cli.1"},
#ifdef LABD_DIR
        {LABD_DIR "/brixo-labd", BRIXO_SOURCE_DIR "/labd/brixo-labd.1"},
#endif
    };
    for (const auto &p : programs) {
        SCOPED_TRACE(p.page);
        const ProcessResult help = runProcess({p.program, "--help"}, {"LANG=C", "LC_ALL=", "LC_MESSAGES="});
        ASSERT_EQ(help.exitCode, 0);
        QFile page(QString::fromStdString(p.page));
        ASSERT_TRUE(page.open(QIODevice::ReadOnly));
        const std::set<std::string> inHelp = longOptions(QString::fromStdString(help.out));
        EXPECT_GE(inHelp.size(), 10);
        EXPECT_EQ(longOptions(QString::fromUtf8(page.readAll())), inHelp);
    }
}

#ifdef LABD_DIR
TEST_F(Cli, TestsAVerilogDesignInSimulation)
{
    // Nothing names the server: brixo-cli starts the brixo-labd beside itself.
    const std::string design = BRIXO_SOURCE_DIR "/examples/verilog/adder.v";
    // SW[3:0] + SW[7:4] + SW[8] on LEDR[4:0], in hexadecimal on HEX1 HEX0.
    const std::string vectors = file("adder.txt", "S8 S7..S4 S3..S0 R4..R0 D1 D0\n"
                                                  "0  3      4      7      0  7\n"
                                                  "1  15     15     31     1  F\n"
                                                  "0  9      9      0x12   1  2\n"
                                                  "0  1      1      3      x  3\n");
    const ProcessResult r = cli({"--sim", design, "test", vectors});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out, "line 5: R4..R0 expected 3, read 2; D0 expected 3, read 2\n3 passed, 1 failed\n");
}
#endif

} // namespace
