#include "vp2_format.h"

#include <QTextCodec>
#include <gtest/gtest.h>

using namespace panelfile;

TEST(Vp2Format, WritesLinesAndReadsThemBack)
{
    Vp2Panel p;
    p.name = QStringLiteral("lab, one");
    p.backgroundFileName = QStringLiteral("panel.back.png");
    p.backgroundSize = QSize(640, 480);
    p.switchSize = QSize(30, 60);
    p.buttonSize = QSize(40, 40);
    p.ledSize = QSize(26, 26);
    p.sstubeSize = QSize(21, 33);
    p.switches.resize(2);
    p.switches[1] = {true, 50, 60, true};
    p.keys.resize(1);
    p.digits.resize(1);
    const QByteArray bytes = writeVp2(p);
    const QList<QByteArray> lines = bytes.split('\n');
    EXPECT_EQ(lines[1], QByteArray("2,1,0,0,1"));
    EXPECT_EQ(lines[2], QByteArray("30,60,40,40,26,26,21,33"));
    EXPECT_EQ(lines[4], QByteArray("sw1,1,50,60,1,"));
    EXPECT_EQ(lines[6], QByteArray("sstube0,0,0,0,0,"));

    const Vp2Panel back = decodeVp2(splitVp2Lines(bytes));
    EXPECT_EQ(back.backgroundFileName, QStringLiteral("panel.back.png")); // comma in name did not shift it
    EXPECT_EQ(back.backgroundSize, QSize(640, 480));
    ASSERT_EQ(back.switches.size(), 2);
    EXPECT_TRUE(back.switches[1].lying);
    EXPECT_EQ(back.switches[1].x, 50);
    EXPECT_EQ(back.sstubeSize, QSize(21, 33));
    EXPECT_EQ(back.digits.size(), 1);
}

TEST(Vp2Format, BlocksFollowTheStoredCountsAndStayBounded)
{
    QByteArray text = "n,,0,0,d,0,0,1\n0,0,18,9,1\n1,1,1,1,1,1,1,1\n";
    for (int i = 0; i < 18; ++i)
        text += "redLed" + QByteArray::number(i) + ",1," + QByteArray::number(i) + ",0,0,\n";
    for (int i = 0; i < 9; ++i)
        text += "greenLed" + QByteArray::number(i) + ",1,100,7,0,\n";
    text += "sstube0,1,9,9,0,\n";
    Vp2Panel p = decodeVp2(splitVp2Lines(text));
    ASSERT_EQ(p.redLeds.size(), 18);
    EXPECT_EQ(p.redLeds[17].x, 17);
    ASSERT_EQ(p.greenLeds.size(), 9);
    EXPECT_EQ(p.greenLeds[8].y, 7);
    ASSERT_EQ(p.digits.size(), 1);
    EXPECT_EQ(p.digits[0].x, 9);

    // Hostile counts: no row beyond the file is read and arrays stay at their maxima.
    p = decodeVp2(splitVp2Lines("n\n2147483647,-5,99,x\nsw0,1\n"));
    EXPECT_EQ(p.switches.size(), 36);
    EXPECT_TRUE(p.keys.isEmpty());
    EXPECT_EQ(p.redLeds.size(), 18);
    EXPECT_FALSE(p.redLeds[0].visible);
    EXPECT_TRUE(decodeVp2({}).switches.isEmpty());
}

#include "jvp_format.h"

// Truncations and byte flips of valid files must never crash or misindex.
TEST(PanelReaders, SurviveDamagedInput)
{
    Document d;
    d.background = QImage(16, 16, QImage::Format_RGB32);
    d.background.fill(Qt::green);
    Entry e;
    e.kind = Kind::DataSlot;
    e.text = QStringLiteral("x");
    d.entries.append(e);
    const QByteArray jvp = writeJvp(d);
    Vp2Panel p;
    p.switches.resize(36);
    p.digits.resize(8);
    const QByteArray vp2 = writeVp2(p);
    quint32 seed = 7;
    for (int round = 0; round < 300; ++round) {
        for (const QByteArray *src : {&jvp, &vp2}) {
            QByteArray b = src->left(int(seed % (src->size() + 1)));
            for (int k = 0; k < 4 && !b.isEmpty(); ++k) {
                seed = seed * 1664525u + 1013904223u;
                b[int(seed % b.size())] = char(seed >> 24);
            }
            Document out;
            readJvp(b, out);
            for (const Entry &x : out.entries) {
                if (kindCount(x.kind) > 0) {
                    ASSERT_TRUE(x.index >= 0 && x.index < kindCount(x.kind));
                }
            }
            const Vp2Panel q = decodeVp2(splitVp2Lines(b));
            ASSERT_LE(q.switches.size(), 36);
            ASSERT_LE(q.digits.size(), 8);
        }
    }
}

TEST(Vp2Format, NamesAndLineBreaksReadBackAsWritten)
{
    struct Case {
        QString name, description, wantName, wantDescription;
    };
    const Case cases[] = {
        {"a,b", "x,y,z", QString("a") + QChar(0xFF0C) + "b", QString("x") + QChar(0xFF0C) + "y" + QChar(0xFF0C) + "z"},
        {"two\nlines", "cr\r\nlf", "two lines", "cr lf"},
        {"  spaced   out ", "plain", "spaced out", "plain"},
    };
    for (const Case &c : cases) {
        Vp2Panel p;
        p.name = c.name;
        p.description = c.description;
        p.backgroundFileName = QStringLiteral("bg.png");
        p.backgroundSize = QSize(7, 8);
        p.switches.resize(1);
        const Vp2Panel back = decodeVp2(splitVp2Lines(writeVp2(p)));
        EXPECT_EQ(back.name, c.wantName);
        EXPECT_EQ(back.description, c.wantDescription);
        EXPECT_EQ(back.backgroundFileName, QStringLiteral("bg.png"));
        EXPECT_EQ(back.backgroundSize, QSize(7, 8));
        EXPECT_EQ(back.switches.size(), 1);
    }
}

TEST(Vp2Format, GbkNamesFromWindowsReadWhereTheLocalTextIsUtf8)
{
    if (QTextCodec::codecForLocale()->mibEnum() != 106)
        GTEST_SKIP() << "local encoding is not UTF-8";
    // "面板" in GBK, then the same name in UTF-8.
    const QByteArray gbk = QByteArray("\xc3\xe6\xb0\xe5,bg.png,1,2,\xca\xb5\xd1\xe9,0,0,1\n");
    EXPECT_EQ(decodeVp2(splitVp2Lines(gbk)).name, QStringLiteral("面板"));
    EXPECT_EQ(decodeVp2(splitVp2Lines(gbk)).description, QStringLiteral("实验"));
    const QByteArray utf8 = QStringLiteral("面板,bg.png,1,2,d,0,0,1\n").toUtf8();
    EXPECT_EQ(decodeVp2(splitVp2Lines(utf8)).name, QStringLiteral("面板"));
}
