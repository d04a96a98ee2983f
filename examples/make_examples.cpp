// Writes the four example panels of the boardless experiments into a directory, each over a board
// picture drawn here: a silkscreen names every switch and groups the switches of each operand, so
// a student sees at once which switch is which. Run `make_examples <dir>` after changing a layout;
// the .jvp files are committed.
#include "jvp_format.h"
#include "file_write.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

using panelfile::Document;
using panelfile::Entry;
using panelfile::Kind;

namespace {

// Board geometry shared by all four panels: rows of digits, red LEDs, green LEDs, switches, keys.
constexpr int kWidth = 980, kHeight = 600;
constexpr int kPitch = 50;   // switch and LED pitch
constexpr int kRowLeft = 60; // x of the leftmost (highest-numbered) column
constexpr int kDigitY = 40, kRedY = 170, kGreenY = 270, kSwitchY = 420, kKeyY = 520;
const QSize kSwitch{24, 42}, kKey{40, 40}, kLed{26, 26}, kDigit{40, 60};

int columnX(int index, int highest) { return kRowLeft + (highest - index) * kPitch; }
int digitX(int index) { return 540 + (7 - index) * 52; }
int keyX(int index) { return 700 + (3 - index) * 70; }

// A group of neighbouring components that belong together, with its caption.
struct Group {
    Kind kind;
    int low, high; // inclusive index range
    QString caption;
};

struct Experiment {
    QString file, name, identifier, title;
    int switches, keys, redLeds, greenLeds, digits; // how many of each the step uses (from 0)
    std::vector<Group> groups;
    QStringList notes;                        // lines printed on the board beside the keys
    std::vector<std::pair<Kind, int>> unused; // positions inside the counts the step never touches
};

bool used(const Experiment &ex, Kind k, int i)
{
    return std::find(ex.unused.begin(), ex.unused.end(), std::make_pair(k, i)) == ex.unused.end();
}

QPoint componentPos(Kind k, int i)
{
    switch (k) {
    case Kind::Switch: return {columnX(i, 17) + (kPitch - kSwitch.width()) / 2, kSwitchY};
    case Kind::RedLed: return {columnX(i, 17) + (kPitch - kLed.width()) / 2, kRedY};
    case Kind::GreenLed: return {columnX(i, 8) + (kPitch - kLed.width()) / 2, kGreenY};
    case Kind::Digit: return {digitX(i), kDigitY};
    case Kind::Key: return {keyX(i), kKeyY};
    default: return {};
    }
}

// Picture pixel (x, y) lies under panel position (x, y): the silkscreen is drawn at the
// components' own places.
QPoint silkPos(Kind k, int i) { return componentPos(k, i); }

QSize componentSize(Kind k)
{
    switch (k) {
    case Kind::Switch: return kSwitch;
    case Kind::Key: return kKey;
    case Kind::Digit: return kDigit;
    default: return kLed;
    }
}

QString label(Kind k, int i)
{
    switch (k) {
    case Kind::Switch: return QStringLiteral("S%1").arg(i);
    case Kind::Key: return QStringLiteral("K%1").arg(i);
    case Kind::RedLed: return QStringLiteral("R%1").arg(i);
    case Kind::GreenLed: return QStringLiteral("G%1").arg(i);
    case Kind::Digit: return QStringLiteral("D%1").arg(i);
    default: return {};
    }
}

QImage drawBoard(const Experiment &ex)
{
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(QColor(22, 92, 52));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor silk(236, 236, 224);
    p.setPen(QPen(QColor(200, 170, 60), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRect(6, 6, kWidth - 12, kHeight - 12), 14, 14);

    QFont title(QStringLiteral("DejaVu Sans"), 15, QFont::Bold);
    p.setFont(title);
    p.setPen(silk);
    p.drawText(QRect(30, 22, 480, 30), Qt::AlignLeft | Qt::AlignVCenter, ex.title);
    QFont small(QStringLiteral("DejaVu Sans"), 8);
    QFont caption(QStringLiteral("DejaVu Sans"), 9, QFont::Bold);

    // One silkscreen label under every component the experiment uses.
    auto labelRow = [&](Kind k, int count) {
        p.setFont(small);
        for (int i = 0; i < count; ++i) {
            if (!used(ex, k, i))
                continue;
            const QPoint pos = silkPos(k, i);
            const QSize sz = componentSize(k);
            const QRect box(pos.x() - 12, pos.y() + sz.height() + 2, sz.width() + 24, 14);
            p.setPen(silk);
            p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, label(k, i));
            // A darker pad under the component, so it sits on the board like a part.
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(14, 64, 36));
            p.drawRoundedRect(QRect(pos - QPoint(3, 3), sz + QSize(6, 6)), 3, 3);
            p.setBrush(Qt::NoBrush);
        }
    };
    labelRow(Kind::Switch, ex.switches);
    labelRow(Kind::Key, ex.keys);
    labelRow(Kind::RedLed, ex.redLeds);
    labelRow(Kind::GreenLed, ex.greenLeds);
    labelRow(Kind::Digit, ex.digits);

    // Brackets above each group, with the group's meaning.
    bool raise = false; // neighbouring one-component captions alternate in height
    for (const Group &g : ex.groups) {
        const bool narrow = g.low == g.high && g.kind == Kind::Switch;
        raise = narrow && !raise;
        p.setFont(narrow ? small : caption);
        const QPoint a = silkPos(g.kind, g.high), b = silkPos(g.kind, g.low);
        const QSize sz = componentSize(g.kind);
        const int left = std::min(a.x(), b.x()) - 6, right = std::max(a.x(), b.x()) + sz.width() + 6;
        const int y = a.y() - 12;
        p.setPen(QPen(QColor(250, 214, 90), 2));
        p.drawLine(left, y, right, y);
        p.drawLine(left, y, left, y + 6);
        p.drawLine(right, y, right, y + 6);
        const int lift = raise ? 14 : 0;
        p.drawText(QRect(left - 40, y - 20 - lift, right - left + 80, 18), Qt::AlignHCenter | Qt::AlignBottom,
                   g.caption);
    }
    p.setFont(small);
    p.setPen(silk);
    int y = kKeyY - 6;
    for (const QString &line : ex.notes) {
        p.drawText(QRect(30, y, 640, 16), Qt::AlignLeft | Qt::AlignVCenter, line);
        y += 16;
    }
    return img;
}

Document makeDocument(const Experiment &ex)
{
    Document doc;
    doc.name = ex.name;
    doc.description = ex.identifier; // the simulation identifier
    doc.switchSize = kSwitch;
    doc.buttonSize = kKey;
    doc.ledSize = kLed;
    doc.sstubeSize = kDigit;
    doc.background = drawBoard(ex);
    doc.imageFormat = QStringLiteral("png");
    auto add = [&](Kind k, int count) {
        for (int i = 0; i < count; ++i) {
            if (!used(ex, k, i))
                continue;
            Entry e;
            e.kind = k;
            e.index = i;
            e.pos = componentPos(k, i);
            doc.entries.push_back(e);
        }
    };
    add(Kind::Switch, ex.switches);
    add(Kind::Key, ex.keys);
    add(Kind::RedLed, ex.redLeds);
    add(Kind::GreenLed, ex.greenLeds);
    add(Kind::Digit, ex.digits);
    return doc;
}

// The two adder variants share their board; only the operand table differs.
Experiment adder(const QString &file, const QString &name, const QString &identifier, const QString &title,
                 const QString &operandTable)
{
    using K = Kind;
    return {file,
            name,
            identifier,
            title,
            13,
            0,
            0,
            9,
            8,
            {{K::Switch, 0, 3, QStringLiteral("B")},
             {K::Switch, 4, 7, QStringLiteral("A")},
             {K::Switch, 8, 8, QStringLiteral("Cen")},
             {K::Switch, 9, 10, QStringLiteral("Q select")},
             {K::Switch, 11, 11, QStringLiteral("Cin")},
             {K::Switch, 12, 12, QStringLiteral("Cen")},
             {K::GreenLed, 0, 0, QStringLiteral("N")},
             {K::GreenLed, 1, 1, QStringLiteral("V")},
             {K::GreenLed, 2, 2, QStringLiteral("Z")},
             {K::GreenLed, 3, 3, QStringLiteral("T3")},
             {K::GreenLed, 8, 8, QStringLiteral("c")},
             {K::Digit, 0, 0, QStringLiteral("A+Q+c")},
             {K::Digit, 4, 4, QStringLiteral("Q")},
             {K::Digit, 6, 6, QStringLiteral("A")}},
            {operandTable, QStringLiteral("carry in c = (S12 AND S8) OR S11")},
            {{K::GreenLed, 4}, {K::GreenLed, 5}, {K::GreenLed, 6}, {K::GreenLed, 7}}};
}

std::vector<Experiment> experiments()
{
    using K = Kind;
    return {
        {QStringLiteral("bus_register_shifter.jvp"),
         QStringLiteral("总线、寄存器与移位器"),
         QStringLiteral("KVTRM1502"),
         QStringLiteral("Bus, register and shifter"),
         18,
         4,
         18,
         9,
         8,
         {{K::Switch, 0, 0, QStringLiteral("load R")},
          {K::Switch, 1, 3, QStringLiteral("shift: load / << / >>")},
          {K::Switch, 4, 7, QStringLiteral("X")},
          {K::Switch, 8, 8, QStringLiteral("sel0")},
          {K::Switch, 9, 12, QStringLiteral("W")},
          {K::Switch, 13, 16, QStringLiteral("Y")},
          {K::Switch, 17, 17, QStringLiteral("sel1")},
          {K::RedLed, 0, 3, QStringLiteral("register")},
          {K::RedLed, 4, 7, QStringLiteral("X")},
          {K::RedLed, 9, 12, QStringLiteral("shifter")},
          {K::RedLed, 13, 16, QStringLiteral("Y")},
          {K::GreenLed, 0, 3, QStringLiteral("keys")},
          {K::GreenLed, 4, 7, QStringLiteral("bus")},
          {K::Digit, 0, 0, QStringLiteral("bus")},
          {K::Digit, 4, 4, QStringLiteral("reg")},
          {K::Digit, 6, 6, QStringLiteral("shift")}},
         {QStringLiteral("K0 held: enable.  K1: clock (loads on press)."),
          QStringLiteral("bus = 0 / X / Y / X AND Y by sel1 sel0")},
         {}},
        adder(QStringLiteral("adder_a.jvp"), QStringLiteral("四位加法器 A"), QStringLiteral("PLQWXNRDF1502"),
              QStringLiteral("4-bit adder, variant A"),
              QStringLiteral("Q by S9 S10: 00 -> 0, 10 -> B, 01 -> 1111, 11 -> NOT B")),
        adder(QStringLiteral("adder_b.jvp"), QStringLiteral("四位加法器 B"), QStringLiteral("RFKQSVNBT1512"),
              QStringLiteral("4-bit adder, variant B"),
              QStringLiteral("Q by S9 S10: 00 -> 0, 10 -> B, 01 -> NOT B, 11 -> 1111")),
        {QStringLiteral("counter_shifter_bus.jvp"),
         QStringLiteral("计数器、移位寄存器与总线"),
         QStringLiteral("GZMWTH1708"),
         QStringLiteral("Counter, shift register, register and bus"),
         13,
         4,
         16,
         4,
         8,
         {{K::Switch, 0, 0, QStringLiteral("C->bus")},
          {K::Switch, 1, 2, QStringLiteral("count / load")},
          {K::Switch, 3, 3, QStringLiteral("SR->bus")},
          {K::Switch, 4, 5, QStringLiteral("SR mode")},
          {K::Switch, 7, 10, QStringLiteral("V")},
          {K::Switch, 11, 11, QStringLiteral("A->bus")},
          {K::Switch, 12, 12, QStringLiteral("load A")},
          {K::RedLed, 0, 3, QStringLiteral("counter")},
          {K::RedLed, 4, 7, QStringLiteral("shift reg")},
          {K::RedLed, 8, 11, QStringLiteral("register A")},
          {K::RedLed, 12, 15, QStringLiteral("bus")},
          {K::GreenLed, 0, 3, QStringLiteral("keys")},
          {K::Digit, 0, 0, QStringLiteral("bus")}},
         {QStringLiteral("K0: clear.  K1: clock (acts on press)."),
          QStringLiteral("SR mode S5 S4: 11 load V, 10 <<, 01 >>, 00 hold")},
         {{K::Switch, 6}}},
        // Verilog designs served by brixo-labd: no simulation identifier, the design is the circuit.
        {QStringLiteral("verilog/adder.jvp"),
         QStringLiteral("四位加法器（Verilog）"),
         QString(),
         QStringLiteral("4-bit adder in Verilog (adder.v)"),
         9,
         0,
         5,
         0,
         2,
         {{K::Switch, 0, 3, QStringLiteral("B")},
          {K::Switch, 4, 7, QStringLiteral("A")},
          {K::Switch, 8, 8, QStringLiteral("Cin")},
          {K::RedLed, 0, 4, QStringLiteral("A + B + Cin")},
          {K::Digit, 0, 1, QStringLiteral("sum")}},
         {QStringLiteral("brixo-labd --verilog adder.v")},
         {}},
        {QStringLiteral("verilog/counter.jvp"),
         QStringLiteral("计数器（Verilog）"),
         QString(),
         QStringLiteral("Counter on a free-running clock (counter.v)"),
         2,
         1,
         8,
         0,
         2,
         {{K::Switch, 0, 0, QStringLiteral("down")},
          {K::Switch, 1, 1, QStringLiteral("pause")},
          {K::RedLed, 0, 7, QStringLiteral("count")},
          {K::Digit, 0, 1, QStringLiteral("count")}},
         {QStringLiteral("K0 held: clear.  Counts ten times a second at --clock-hz 1000."),
          QStringLiteral("Turn on Mode -> auto refresh to watch it count.")},
         {}},
    };
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the silkscreen
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(dir);
    for (const Experiment &ex : experiments()) {
        Document doc = makeDocument(ex);
        const QString path = dir + QLatin1Char('/') + ex.file;
        if (!panelfile::writeFileAtomically(path, panelfile::writeJvp(doc))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}
