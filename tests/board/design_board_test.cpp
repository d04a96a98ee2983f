// What the lab server's ready lines and a typed server address are read as, where a panel
// built from a design's ports puts its components, and what is remembered of a design.
#include "board/design_choices.h"
#include "board/design_panel.h"

#include <QRect>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(DesignServerLines, ReadyLinesAndAddresses)
{
    QString host;
    int port = 0;
    EXPECT_TRUE(design::parseListening("listening on 127.0.0.1:40123", &host, &port));
    EXPECT_EQ(host, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(port, 40123);
    const struct {
        const char* text;
        bool ok;
    } addresses[] = {
        {"lab.example.org:80", true},
        {" 10.0.0.2:65535 ", true},
        {"127.0.0.1", false},
        {":80", false},
        {"host:0", false},
        {"host:65536", false},
        {"host:8o", false},
        {"", false},
    };
    for (const auto& a : addresses)
        EXPECT_EQ(design::parseServerAddress(QString::fromLatin1(a.text), &host, &port), a.ok) << a.text;
    EXPECT_FALSE(design::parseListening("listening at 127.0.0.1:1", &host, &port));

    DesignPorts p;
    ASSERT_TRUE(design::parseDesign(R"(design {"top":"part2","switches":8,"keys":2,"red":5,"green":0,"digits":2,)"
                                    R"("cpu_data_bits":0,"clock":"CLOCK_50"})",
                                    &p));
    EXPECT_EQ(p.top, QStringLiteral("part2"));
    EXPECT_EQ(p.clock, QStringLiteral("CLOCK_50"));
    EXPECT_EQ(std::make_tuple(p.switches, p.keys, p.red, p.green, p.digits), std::make_tuple(8, 2, 5, 0, 2));
    // Counts beyond what a panel holds are clamped; anything that is not the design line is refused.
    ASSERT_TRUE(design::parseDesign(R"(design {"switches":99,"keys":-3,"digits":9})", &p));
    EXPECT_EQ(std::make_tuple(p.switches, p.keys, p.digits), std::make_tuple(36, 0, 8));
    for (const char* bad : {"design [1]", "design {", "{\"top\":\"x\"}", ""})
        EXPECT_FALSE(design::parseDesign(bad, &p)) << bad;
}

TEST(DesignPanelLayout, RowsWithoutOverlapInBoardOrder)
{
    const design::ComponentSizes sizes{{20, 35}, {40, 40}, {32, 32}, {21, 33}};
    const DesignPorts cases[] = {
        {"full", 36, 20, 18, 18, 8, 0, ""},     {"adder", 8, 0, 5, 0, 2, 0, ""},   {"keys only", 0, 4, 0, 0, 0, 0, ""},
        {"wide digits", 1, 0, 0, 25, 8, 0, ""}, {"nothing", 0, 0, 0, 0, 0, 0, ""},
    };
    for (const DesignPorts& p : cases) {
        SCOPED_TRACE(p.top.toStdString());
        const design::PanelLayout l = design::panelLayout(p, sizes);
        ASSERT_EQ(l.switches.size(), p.switches);
        ASSERT_EQ(l.keys.size(), p.keys);
        ASSERT_EQ(l.red.size(), p.red);
        ASSERT_EQ(l.green.size(), p.green);
        ASSERT_EQ(l.digits.size(), p.digits);
        // Kinds in rows from the top: digits, red, green, switches, keys.
        QVector<QRect> all;
        int previousBottom = 0;
        const std::pair<const QVector<QPoint>*, QSize> kinds[] = {{&l.digits, sizes.digitSize},
                                                                  {&l.red, sizes.ledSize},
                                                                  {&l.green, sizes.ledSize},
                                                                  {&l.switches, sizes.switchSize},
                                                                  {&l.keys, sizes.keySize}};
        for (const auto& k : kinds) {
            int top = INT_MAX, bottom = 0;
            for (const QPoint& at : *k.first) {
                all.append(QRect(at, k.second));
                EXPECT_GE(at.x(), 0);
                top = std::min(top, at.y());
                bottom = std::max(bottom, at.y() + k.second.height());
            }
            if (!k.first->isEmpty()) {
                EXPECT_GT(top, previousBottom);
                previousBottom = bottom;
            }
        }
        for (int i = 0; i < all.size(); ++i)
            for (int j = i + 1; j < all.size(); ++j)
                EXPECT_FALSE(all[i].intersects(all[j])) << i << " " << j;
        // Component 0 at the right end, LED i above switch i.
        if (p.switches > 1) {
            EXPECT_GT(l.switches[0].x(), l.switches[1].x());
        }
        for (int i = 0; i < std::min(p.switches, p.red); ++i)
            EXPECT_EQ(l.red[i].x() + sizes.ledSize.width() / 2, l.switches[i].x() + sizes.switchSize.width() / 2);
    }
}

TEST(DesignChoicesMemory, OneEntryPerSetOfFilesInAnyOrder)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("config.json"));
    const QString a = dir.filePath(QStringLiteral("a.v")), b = dir.filePath(QStringLiteral("b.sv"));
    const DesignChoices both{QStringLiteral("beta"), QStringLiteral("verilator"), 50, true};
    const DesignChoices alone{QString(), QStringLiteral("iverilog"), 0.5, false};
    ASSERT_TRUE(design::rememberChoices(config, {a, b}, both));
    ASSERT_TRUE(design::rememberChoices(config, {a}, alone));
    const DesignChoices none{QString(), QString(), design::kDefaultClockHz, false};
    const struct {
        QStringList files;
        DesignChoices expected;
    } cases[] = {
        {{b, a}, both}, {{a, b}, both}, {{a}, alone}, {{b}, none}, {{a, b, a + QStringLiteral("x")}, none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.files.join(QLatin1Char(' ')).toStdString());
        const DesignChoices got = design::rememberedChoices(config, c.files);
        EXPECT_EQ(got.top, c.expected.top);
        EXPECT_EQ(got.simulator, c.expected.simulator);
        EXPECT_EQ(got.clockHz, c.expected.clockHz);
        EXPECT_EQ(got.keysActiveLow, c.expected.keysActiveLow);
    }
    EXPECT_FALSE(design::rememberChoices(dir.filePath(QStringLiteral("none/config.json")), {a}, both));
}
