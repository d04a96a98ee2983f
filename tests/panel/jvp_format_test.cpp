#include "jvp_format.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryFile>
#include <gtest/gtest.h>

using namespace panelfile;

namespace {

Entry make(Kind k, int index, int x, int y)
{
    Entry e;
    e.kind = k;
    e.index = index;
    e.pos = QPoint(x, y);
    return e;
}

QJsonObject parse(const QByteArray &b) { return QJsonDocument::fromJson(b).object(); }

} // namespace

TEST(JvpFormat, CentreRelativePositionsRoundTrip)
{
    Document doc;
    doc.background = QImage(400, 300, QImage::Format_RGB32);
    doc.background.fill(Qt::blue);
    doc.entries.append(make(Kind::Switch, 3, 250, 100));
    const QByteArray bytes = writeJvp(doc);
    const QJsonObject top = parse(bytes);
    EXPECT_EQ(top["backgroundSize"].toObject()["x"].toInt(), 400);
    EXPECT_EQ(top["backgroundSize"].toObject()["y"].toInt(), 300);
    const QJsonObject sw = top["components"].toArray()[0].toObject();
    EXPECT_EQ(sw["position"].toObject()["x"].toInt(), 50);
    EXPECT_EQ(sw["position"].toObject()["y"].toInt(), -50);

    Document back;
    Geometry g;
    ASSERT_TRUE(readJvp(bytes, back, &g));
    ASSERT_EQ(back.entries.size(), 1);
    EXPECT_EQ(back.entries[0].pos, QPoint(250, 100));
    EXPECT_EQ(back.entries[0].index, 3);
    EXPECT_EQ(back.background.size(), QSize(400, 300));
    EXPECT_EQ(g.panelSize, QSize(400, 300));
}

TEST(JvpFormat, NoBackgroundSizesFromComponents)
{
    Document doc;
    doc.entries.append(make(Kind::Key, 0, 380, 10));
    doc.entries.append(make(Kind::Digit, 1, 5, 210));
    const QJsonObject top = parse(writeJvp(doc));
    EXPECT_EQ(top["backgroundSize"].toObject()["x"].toInt(), 400);
    EXPECT_EQ(top["backgroundSize"].toObject()["y"].toInt(), 230);
    EXPECT_EQ(top["components"].toArray()[0].toObject()["position"].toObject()["x"].toInt(), 180);
    EXPECT_TRUE(top["backgroundImage"].toString() == QLatin1String("data:image/png;base64,"));
}

TEST(JvpFormat, ReaderGeometryCases)
{
    struct Case {
        const char *json;
        QSize size;
        QPoint offset;
        QSize ext;
        QPoint firstPos;
    } cases[] = {
        {R"({"backgroundSize":{"x":400,"y":300},"components":[{"type":"button","index":0,"position":{"x":-260,"y":0}}]})",
         {460, 300},
         {-260, -150},
         {60, 0},
         {0, 150}},
        {R"({"panelSize":{"x":800,"y":500},"backgroundSize":{"x":10,"y":10},"components":[{"type":"button","position":{"x":0,"y":0}}]})",
         {800, 500},
         {-400, -250},
         {0, 0},
         {400, 250}},
        {R"({"backgroundSize":{"x":0,"y":300},"components":[{"type":"button","position":{"x":7,"y":9}}]})",
         {0, 300},
         {7, 9},
         {0, 0},
         {0, 0}},
    };
    for (const Case &c : cases) {
        Document d;
        Geometry g;
        ASSERT_TRUE(readJvp(c.json, d, &g)) << c.json;
        EXPECT_EQ(g.panelSize, c.size) << c.json;
        EXPECT_EQ(g.offset, c.offset) << c.json;
        EXPECT_EQ(g.extension, c.ext) << c.json;
        ASSERT_EQ(d.entries.size(), 1);
        EXPECT_EQ(d.entries[0].pos, c.firstPos) << c.json;
    }
}

TEST(JvpFormat, LedNumberingSizeQuirkAndBmp)
{
    Document doc;
    doc.ledSize = QSize(32, 32);
    doc.imageFormat = QStringLiteral("bmp");
    doc.background = QImage(8, 8, QImage::Format_RGB32);
    doc.background.fill(Qt::red);
    doc.entries.append(make(Kind::GreenLed, 1, 10, 10));
    doc.entries.append(make(Kind::RedLed, 5, 20, 10));
    const QByteArray bytes = writeJvp(doc);
    EXPECT_EQ(doc.imageFormat, QStringLiteral("jpg"));
    const QJsonObject top = parse(bytes);
    EXPECT_TRUE(top["backgroundImage"].toString().startsWith(QLatin1String("data:image/jpg;base64,")));
    EXPECT_EQ(top["ledSize"].toObject()["x"].toInt(), 16);
    const QJsonArray comps = top["components"].toArray();
    ASSERT_EQ(comps.size(), 2);
    EXPECT_EQ(comps[0].toObject()["index"].toInt(), 5); // red before green
    EXPECT_EQ(comps[1].toObject()["index"].toInt(), 19);

    Document back;
    ASSERT_TRUE(readJvp(bytes, back));
    EXPECT_EQ(back.ledSize, QSize(26, 26));
    EXPECT_EQ(back.imageFormat, QStringLiteral("jpg"));
    EXPECT_FALSE(back.background.isNull());
    ASSERT_EQ(back.entries.size(), 2);
    EXPECT_EQ(back.entries[0].kind, Kind::RedLed);
    EXPECT_EQ(back.entries[0].index, 5);
    EXPECT_EQ(back.entries[1].kind, Kind::GreenLed);
    EXPECT_EQ(back.entries[1].index, 1);
}

TEST(JvpFormat, SwitchOrientationAndBadEntries)
{
    const QByteArray json = R"({"components":[
        {"type":"switch","index":0,"value":{"isVertical":false}},
        {"type":"switch","index":1,"value":{"isVertical":null}},
        {"type":"switch","index":2,"value":{}},
        {"type":"switch","index":3},
        {"type":"switch","index":36},
        {"type":"led","index":36},
        {"type":"button","index":-1},
        {"type":"nonsense","index":0},
        {"type":"switch","index":1.5},
        {"type":"data","index":2,"value":{"bitWidth":8,"data":"0x1F","isVertical":true}},
        {"type":"text","index":4,"value":"hello"}]})";
    Document d;
    ASSERT_TRUE(readJvp(json, d));
    ASSERT_EQ(d.entries.size(), 7);
    EXPECT_FALSE(d.entries[0].upright);
    EXPECT_TRUE(d.entries[1].upright);
    EXPECT_TRUE(d.entries[2].upright);
    EXPECT_TRUE(d.entries[3].upright);
    EXPECT_EQ(d.entries[4].index, 0); // fractional index reads as 0
    EXPECT_EQ(d.entries[5].kind, Kind::DataSlot);
    EXPECT_EQ(d.entries[5].bitWidth, 8);
    EXPECT_EQ(d.entries[5].text, QStringLiteral("0x1F"));
    EXPECT_TRUE(d.entries[5].isVertical);
    EXPECT_EQ(d.entries[6].text, QStringLiteral("hello"));

    Document untouched;
    untouched.name = QStringLiteral("keep");
    EXPECT_FALSE(readJvp("{\"name\":", untouched));
    EXPECT_EQ(untouched.name, QStringLiteral("keep"));
}

TEST(JvpFormat, ReaderBoundsWhatAFileCanAskFor)
{
    // A PNG whose header claims 20000 x 20000 pixels behind a few bytes of data.
    const QByteArray png =
        "iVBORw0KGgoAAAANSUhEUgAATiAAAE4gCAIAAABsEtFuAAAADElEQVR4nGNgoAwAAABAAAG3NHzvAAAAAElFTkSuQmCC";
    Document doc;
    const QByteArray huge = "{\"backgroundImage\":\"data:image/png;base64," + png + "\"}";
    ReadProblem why = ReadProblem::None;
    EXPECT_FALSE(readJvp(huge, doc, nullptr, &why));
    EXPECT_EQ(why, ReadProblem::BadPicture);

    // Data slots and labels become widgets: at most kMaxListEntries of each.
    QByteArray many = "{\"components\":[";
    for (int i = 0; i < kMaxListEntries + 5; ++i)
        many += "{\"type\":\"text\",\"value\":\"t\"},";
    many += "{\"type\":\"data\"},{\"type\":\"switch\",\"index\":1}]}";
    ASSERT_TRUE(readJvp(many, doc));
    EXPECT_EQ(doc.entries.size(), kMaxListEntries + 2);
    EXPECT_EQ(doc.entries.last().kind, Kind::Switch);
}

TEST(JvpFormat, LedSizeGrowthSaturatesAtTheLargestInt)
{
    // The reader adds 10 pixels to the stored LED size; a stored INT_MAX used to overflow.
    const struct {
        const char *json;
        QSize led;
    } cases[] = {
        {"{\"ledSize\":{\"x\":2147483647,\"y\":2147483638}}", QSize(2147483647, 2147483647)},
        {"{\"ledSize\":{\"x\":2147483637,\"y\":-2147483648}}", QSize(2147483647, -2147483638)},
        {"{\"ledSize\":{\"x\":16,\"y\":16}}", QSize(26, 26)},
    };
    for (const auto &c : cases) {
        Document doc;
        ASSERT_TRUE(readJvp(QByteArray(c.json), doc)) << c.json;
        EXPECT_EQ(doc.ledSize, c.led) << c.json;
    }
}

TEST(JvpFormat, UnwritablePictureFormatKeepsThePictureAsPng)
{
    Document doc;
    doc.background = QImage(8, 6, QImage::Format_RGB32);
    doc.background.fill(Qt::green);
    doc.imageFormat = QStringLiteral("gif"); // readable by some builds, writable by none
    const QByteArray bytes = writeJvp(doc);
    EXPECT_EQ(doc.imageFormat, QStringLiteral("png"));
    Document back;
    ASSERT_TRUE(readJvp(bytes, back));
    EXPECT_EQ(back.background.size(), QSize(8, 6));
    EXPECT_EQ(back.imageFormat, QStringLiteral("png"));
}

TEST(JvpFormat, WrittenTextIsExactlyTheToolkitsIndentedDocument)
{
    // The picture's text is spliced into the output; the result must be byte for byte what the
    // toolkit writes for the same document, whatever the name and entries hold.
    Document doc;
    doc.name = QStringLiteral("a \"quoted\",\n name \\ 实验");
    doc.description = QStringLiteral("backgroundImage\": \"x\",");
    doc.background = QImage(64, 48, QImage::Format_RGB32);
    doc.background.fill(QColor(1, 2, 3));
    doc.imageFormat = QStringLiteral("jpg");
    Entry label = make(Kind::TextLabel, 0, 3, 4);
    label.text = QStringLiteral("\n\",\n");
    doc.entries.append(label);
    const QByteArray bytes = writeJvp(doc);
    const QJsonDocument parsed = QJsonDocument::fromJson(bytes);
    ASSERT_TRUE(parsed.isObject());
    EXPECT_EQ(parsed.toJson(QJsonDocument::Indented), bytes);
    EXPECT_EQ(parsed.object()["name"].toString(), doc.name);
    Document back;
    ASSERT_TRUE(readJvp(bytes, back));
    EXPECT_EQ(back.background.size(), QSize(64, 48));
}

// An independent parser checks member order and the four-blank layout.
TEST(JvpFormat, WrittenLayoutCheckedByPython)
{
    Document doc;
    doc.name = QStringLiteral("实验一");
    doc.entries.append(make(Kind::Switch, 0, 10, 10));
    QTemporaryFile f;
    ASSERT_TRUE(f.open());
    f.write(writeJvp(doc));
    f.flush();
    const char *script = R"(
import json, sys
text = open(sys.argv[1], encoding='utf-8').read()
def hook(pairs):
    keys = [k for k, _ in pairs]
    assert keys == sorted(keys, key=lambda s: s.encode('utf-16-be')), keys
    return dict(pairs)
d = json.loads(text, object_pairs_hook=hook)
assert d['name'] == '实验一'
assert '\n    "backgroundImage"' in text
assert '\n        {' in text
assert list(d)[0] == 'backgroundImage' and 'panelSize' not in d
print('ok')
)";
    QProcess p;
    p.start(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(script), f.fileName()});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.readAllStandardOutput().trimmed(), QByteArray("ok"));
}

int main(int argc, char **argv)
{
    // Test discovery runs without the suite's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

TEST(JvpFormat, KeyBindingsRoundTripAndOlderReadersSeeTheSamePanel)
{
    Document plain;
    plain.entries.append(make(Kind::Switch, 3, 40, 60));
    plain.entries.append(make(Kind::Key, 0, 90, 60));
    Document bound = plain;
    ASSERT_TRUE(bound.keyBindings.bind(Kind::Switch, 3, Qt::Key_A));
    ASSERT_TRUE(bound.keyBindings.bind(Kind::Key, 12, Qt::Key_F5));
    ASSERT_TRUE(bound.keyBindings.bind(Kind::Key, 0, 0));         // K0 loses its digit key
    ASSERT_TRUE(bound.keyBindings.bind(Kind::Key, 1, Qt::Key_3)); // taken from K3

    Document back;
    ASSERT_TRUE(readJvp(writeJvp(bound), back));
    EXPECT_EQ(back.keyBindings, bound.keyBindings);
    EXPECT_EQ(back.keyBindings.keyOf(Kind::Switch, 3), int(Qt::Key_A));
    EXPECT_EQ(back.keyBindings.keyOf(Kind::Key, 0), 0);
    EXPECT_EQ(back.keyBindings.keyOf(Kind::Key, 3), 0);
    EXPECT_EQ(back.keyBindings.find(Qt::Key_3)->index, 1);

    // A reader that knows no bindings finds every member it knows exactly as in a file
    // without them; a panel on the defaults writes no member at all.
    QJsonObject withBindings = parse(writeJvp(bound));
    const QJsonObject withoutBindings = parse(writeJvp(plain));
    EXPECT_FALSE(withoutBindings.contains(QStringLiteral("keyBindings")));
    ASSERT_TRUE(withBindings.contains(QStringLiteral("keyBindings")));
    withBindings.remove(QStringLiteral("keyBindings"));
    EXPECT_EQ(withBindings, withoutBindings);
}

TEST(JvpFormat, KeyBindingsMemberIsReadWithinBounds)
{
    struct Case {
        const char *member; // JSON text of "keyBindings", or nullptr for none
        QVector<KeyBinding> expected;
    };
    QVector<KeyBinding> defaults = KeyBindings::defaults().list();
    QString many = QStringLiteral("[");
    for (int i = 0; i < 1000; ++i)
        many += QStringLiteral("{\"type\":\"switch\",\"index\":0,\"key\":\"A\"},");
    many += QStringLiteral("{\"type\":\"switch\",\"index\":1,\"key\":\"B\"}]");
    const QByteArray manyText = many.toUtf8();
    const Case cases[] = {
        {nullptr, defaults},
        {"5", defaults},
        {"[]", {}},
        {R"([{"type":"switch","index":35,"key":"Space"},{"type":"button","index":19,"key":"F12"}])",
         {{Kind::Switch, 35, Qt::Key_Space}, {Kind::Key, 19, Qt::Key_F12}}},
        // Unknown kinds, indices outside the kind, fractional indices and keys that are no
        // single plain key are skipped.
        {R"([{"type":"led","index":0,"key":"A"},{"type":"switch","index":36,"key":"B"},
             {"type":"button","index":-1,"key":"C"},{"type":"button","index":1.5,"key":"D"},
             {"type":"button","index":2,"key":"Ctrl+E"},{"type":"button","index":3,"key":"Esc"},
             {"type":"button","index":4,"key":"A,B"},{"type":"button","index":5,"key":""},
             {"type":"button","index":6},{"type":"button","index":7,"key":"Shift"},
             {"type":"button","index":8,"key":"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"}, 7, "x"])",
         {}},
        // One key drives one component and a component has one key: the later entry wins.
        {R"([{"type":"button","index":0,"key":"A"},{"type":"switch","index":0,"key":"A"},
             {"type":"button","index":1,"key":"B"},{"type":"button","index":1,"key":"C"}])",
         {{Kind::Switch, 0, Qt::Key_A}, {Kind::Key, 1, Qt::Key_C}}},
        // A file cannot make the reader walk an endless list: entries past the bound are not read.
        {manyText.constData(), {{Kind::Switch, 0, Qt::Key_A}}},
    };
    for (const Case &c : cases) {
        QByteArray file = "{\"components\": []";
        if (c.member)
            file += QByteArray(", \"keyBindings\": ") + c.member;
        file += "}";
        Document doc;
        doc.keyBindings = KeyBindings();
        ASSERT_TRUE(readJvp(file, doc)) << (c.member ? c.member : "none");
        QVector<KeyBinding> got = doc.keyBindings.list();
        EXPECT_EQ(got, c.expected) << (c.member ? c.member : "none");
    }
}
