// Waveforms from brixo-cli: a vector run's recording (--vcd) as GTKWave's converter and our
// reader take it, each row findable at its time, and the timing diagram `wave` draws of one.
#include "cli_fixture.h"

#include "vcd_diagram.h"
#include "vcd_reader.h"

#include <QImage>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <cmath>
#include <map>

namespace {

using brixo::VcdData;

std::uint64_t valueOf(const VcdData &vcd, const char *name, std::uint64_t t)
{
    const brixo::VcdSignal *s = vcd.find(name);
    if (!s)
        return ~0ull;
    const std::string bits = vcd.valueAt(*s, t);
    return bits.find_first_not_of("01") == std::string::npos ? std::stoull(bits, nullptr, 2) : ~0ull;
}

// Rising edges of key bit `k` in (from, to].
int presses(const VcdData &vcd, int k, std::uint64_t from, std::uint64_t to)
{
    const brixo::VcdSignal *key = vcd.find("key");
    int n = 0;
    for (const brixo::VcdChange &c : vcd.changes(*key)) {
        if (c.time <= from || c.time > to)
            continue;
        const std::string v = vcd.valueOf(*key, c);
        n += v[v.size() - 1 - size_t(k)] == '1' && vcd.valueAt(*key, c.time - 1)[v.size() - 1 - size_t(k)] == '0';
    }
    return n;
}

#ifdef LABD_DIR
TEST_F(Cli, VectorRunRecordsEachRowAtItsTime)
{
    const std::string counter = file("counter.v", R"(
module counter(input [1:0] KEY, input [3:0] SW, output [7:0] LEDR, output [6:0] HEX0);
    reg [7:0] n = 8'd0;
    always @(posedge KEY[0]) n <= n + {4'd0, SW};
    assign LEDR = n;
    assign HEX0 = 7'h40;
endmodule
)");
    struct Row {
        int line;
        std::uint64_t sw, presses, ledr, hex0;
    };
    const struct {
        std::string design, vectors;
        std::vector<Row> rows;
    } cases[] = {
        {BRIXO_SOURCE_DIR "/examples/verilog/adder.v",
         "S3..S0 S7..S4 R4..R0 D0\n1 2 3 3\n# a comment line\n5 5 10 A\n15 15 30 E\n",
         {{2, 0x21, 0, 3, 0xB0}, {4, 0x55, 0, 10, 0x88}, {5, 0xFF, 0, 30, 0x86}}},
        // Presses with and without clock cycles after them: each press is a rise and a fall.
        {counter,
         "S3..S0 K0 CYCLES R7..R0 D0\n1 0 0 0 0\n1 P 0 1 0\n2 P*2 5 5 0\n3 P 0 8 0\n",
         {{2, 1, 0, 0, 0xC0}, {3, 1, 1, 1, 0xC0}, {4, 2, 2, 5, 0xC0}, {5, 3, 1, 8, 0xC0}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.design);
        const std::string vcdPath = dir.filePath(QStringLiteral("run.vcd")).toStdString();
        const ProcessResult r = cli({"--sim", c.design, "test", file("rows.txt", c.vectors), "--vcd", vcdPath});
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
        const ProcessResult fst = runProcess({QStandardPaths::findExecutable(QStringLiteral("vcd2fst")).toStdString(),
                                              vcdPath, dir.filePath(QStringLiteral("run.fst")).toStdString()},
                                             {});
        EXPECT_EQ(fst.exitCode, 0) << fst.out << fst.err;
        VcdData vcd;
        std::string error;
        ASSERT_TRUE(brixo::readVcdFile(vcdPath, vcd, error)) << error;
        ASSERT_EQ(vcd.comments.size(), c.rows.size());
        std::uint64_t before = 0;
        for (size_t i = 0; i < c.rows.size(); ++i) {
            const Row &row = c.rows[i];
            const std::uint64_t t = vcd.comments[i].time;
            SCOPED_TRACE(vcd.comments[i].text);
            EXPECT_EQ(vcd.comments[i].text, "line " + std::to_string(row.line));
            EXPECT_GT(t, before);
            // The next row's inputs may already stand at this time: the row's own are before it.
            EXPECT_EQ(valueOf(vcd, "sw", t - 1), row.sw);
            EXPECT_EQ(presses(vcd, 0, before, t), int(row.presses));
            EXPECT_EQ(valueOf(vcd, "key", t), 0u);
            EXPECT_EQ(valueOf(vcd, "ledr", t), row.ledr);
            EXPECT_EQ(valueOf(vcd, "hex0", t), row.hex0);
            before = t;
        }
    }
}
#endif

// The diagram of a small recording: its SVG's shapes stand at the times of the changes, and the
// PNG that rsvg-convert makes of it has ink there and none between.
TEST_F(Cli, WaveDrawsTransitionsWhereTheRecordingHasThem)
{
    const std::string vcdPath = file("small.vcd", "$timescale 1ns $end\n$scope module board $end\n"
                                                  "$var wire 8 ! sw [7:0] $end\n$var wire 2 \" key [1:0] $end\n"
                                                  "$upscope $end\n$enddefinitions $end\n"
                                                  "#0\n$dumpvars\nb0 !\nb0 \"\n$end\n"
                                                  "#100\nb10110101 !\n#300\nb1 \"\n#350\nb0 \"\n#600\nbx1 !\n#1000\n");
    const std::string svgPath = dir.filePath(QStringLiteral("d.svg")).toStdString();
    const std::string pngPath = dir.filePath(QStringLiteral("d.png")).toStdString();
    const ProcessResult r = cli({"wave", vcdPath, "--svg", svgPath, "--png", pngPath, "--signals", "sw[7:4],key[0]"});
    ASSERT_EQ(r.exitCode, 0) << r.err;

    VcdData vcd;
    std::string error;
    ASSERT_TRUE(brixo::readVcdFile(vcdPath, vcd, error)) << error;
    const brixo::DiagramLayout l = brixo::diagramLayout(vcd);
    // What the SVG draws: the labels, each bus segment's left end and text, the bit line's points.
    std::vector<std::string> labels, texts;
    std::vector<double> segments, bitXs;
    QFile svg(QString::fromStdString(svgPath));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&svg);
    bool inTrace = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString cls = xml.attributes().value(QStringLiteral("class")).toString();
        const QString points = xml.attributes().value(QStringLiteral("points")).toString();
        if (cls == QLatin1String("trace") || cls == QLatin1String("axis"))
            inTrace = cls == QLatin1String("trace");
        else if (cls == QLatin1String("label"))
            labels.push_back(xml.readElementText().toStdString());
        else if (cls == QLatin1String("bus"))
            segments.push_back(points.section(QLatin1Char(','), 0, 0).toDouble());
        else if (cls == QLatin1String("bit"))
            for (const QString &p : points.split(QLatin1Char(' ')))
                bitXs.push_back(p.section(QLatin1Char(','), 0, 0).toDouble());
        else if (inTrace && xml.name() == QLatin1String("text"))
            texts.push_back(xml.readElementText().toStdString());
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_EQ(labels, (std::vector<std::string>{"sw[7:4]", "key[0]"}));
    EXPECT_EQ(texts, (std::vector<std::string>{"0", "B", "x"}));
    EXPECT_EQ(segments, (std::vector<double>{l.x(0), l.x(100), l.x(600)}));
    for (std::uint64_t t : {300, 350})
        EXPECT_EQ(std::count(bitXs.begin(), bitXs.end(), l.x(t)), 2) << "a vertical edge at " << t;

    QImage png(QString::fromStdString(pngPath));
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.width(), int(brixo::DiagramLayout::width()));
    const int keyMid = int(brixo::DiagramLayout::high(1) + brixo::DiagramLayout::kTraceHeight / 2);
    const auto dark = [&](double x, int y) { return qGray(png.pixel(int(std::lround(x)), y)) < 128; };
    EXPECT_TRUE(dark(l.x(300), keyMid));
    EXPECT_TRUE(dark(l.x(350), keyMid));
    EXPECT_FALSE(dark((l.x(350) + l.x(600)) / 2, keyMid)) << "the key is low and flat there";
    const int swMid = int(brixo::DiagramLayout::high(0) + brixo::DiagramLayout::kTraceHeight / 2);
    EXPECT_TRUE(dark(l.x(100), swMid));
    EXPECT_FALSE(dark(l.x(100) + 30, swMid - 9)) << "inside a segment, above its text";
}

TEST_F(Cli, WaveRefusesWhatItCannotDraw)
{
    const std::string vcdPath = file("small.vcd", "$timescale 1ns $end\n$var wire 8 ! sw [7:0] $end\n"
                                                  "$enddefinitions $end\n#0\nb1 !\n#10\n");
    const std::string out = dir.filePath(QStringLiteral("d.png")).toStdString();
    const struct {
        std::vector<std::string> args, env;
        int code;
        std::string err;
    } cases[] = {
        {{"wave", vcdPath, "--png", out, "--signals", "ledr"}, {}, 2, "no signal ledr"},
        {{"wave", vcdPath, "--png", out, "--signals", "sw[8:0]"}, {}, 2, "sw[8:0] is not a part of sw[7:0]"},
        {{"wave", file("bad.vcd", "$var wire 8 ! sw $end\n$enddefinitions $end\n#5\n#4\n"), "--png", out},
         {},
         2,
         "line 4: time goes back"},
        {{"wave", vcdPath}, {}, 2, "wave needs"},
        {{"test", vcdPath, "--svg", out}, {}, 2, "--svg"},
        {{"wave", vcdPath, "--png", out}, {"PATH=/nonexistent"}, 3, "rsvg-convert"},
        // The recording's file is refused before the board is touched.
        {{"test", file("rows.txt", "S0 R0\n1 1\n"), "--vcd", "/nonexistent/run.vcd"}, {}, 2, "/nonexistent/run.vcd"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.err);
        const ProcessResult r = cli(c.args, c.env);
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(out)));
        EXPECT_EQ(adapter.reports.size(), 0u);
    }
}

} // namespace
