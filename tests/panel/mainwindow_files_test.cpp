// Panel files through the main window: open each format, save, Save as, round trips and
// failed writes, on a real window on the offscreen platform.
#include "ui/filedialog.h"
#include "app/mainwindow.h"
#include "board/runmode.h"
#include "board/virtualcomponentdata.h"
#include "panel/componenttables.h"
#include "panel/panelfiles.h"
#include "panel/panelmodel.h"
#include "tests/support/file_bytes.h"
#include "panel/virtualpaneldata.h"
#include "ui/messagebox.h"
#include "panel/brixobutton.h"
#include "panel/brixolineedit.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsPixmapItem>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <QtEndian>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <csignal>
#include <limits>

namespace {

struct Files : ::testing::Test {
    QTemporaryDir dir;
    MainWindow w;

    void SetUp() override
    {
        MessageBox::clearShown();
        FileDialog::clearAsked();
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    // Opens through the Open command with the file chosen in the dialog.
    static void open(MainWindow& win, const QString& file)
    {
        FileDialog::setNextAnswer(file);
        win.judgeModel();
    }
    // A damaged file may or may not bring up a box (missing picture): answer whatever comes,
    // then use up the spare answers so none is left for later tests.
    static void openAnsweringBoxes(MainWindow& win, const QString& file)
    {
        const int before = MessageBox::shown().size();
        for (int i = 0; i < 3; ++i)
            MessageBox::setNextAnswer(QMessageBox::Yes);
        open(win, file);
        for (int left = 3 - (MessageBox::shown().size() - before); left > 0; --left) {
            QMessageBox spare;
            MessageBox::exec(spare);
        }
    }
    void build(int s, int k, int r, int g, int d)
    {
        w.settingCtlNumber(s, k, r, g, d);
        w.createCtl();
    }
    static void put(QPushButton* b, int x, int y)
    {
        b->show();
        b->move(x, y);
    }
};

// A panel with every kind on it, shown, lying, labelled and with a background picture.
void fillEveryKind(MainWindow& w)
{
    w.settingCtlNumber(36, 20, 18, 18, 8);
    w.createCtl();
    w.panel()->setPanelName(QStringLiteral("实验板 A"));
    w.panel()->setExperiment(QStringLiteral("adder"));
    QImage bg(400, 300, QImage::Format_RGB32);
    bg.fill(QColor(10, 120, 200));
    w.panel()->background().image = QPixmap::fromImage(bg);
    w.panel()->background().format = QStringLiteral("png");
    Files::put(w.panel()->switchButtons()[0], 10, 20);
    Files::put(w.panel()->switchButtons()[35], 300, 40);
    w.panel()->setSwitchUpright(w.panel()->switchButtons()[35], false);
    Files::put(w.panel()->keyButtons()[3], 50, 250);
    Files::put(w.panel()->redLedButtons()[17], 120, 60);
    Files::put(w.panel()->greenLedButtons()[1], 160, 60);
    Files::put(w.panel()->digitButtons()[7], 200, 120);
    auto* slot = new BrixoButton(w.panel()->panelView());
    slot->key = 0;
    slot->index = 0;
    slot->bitWidth = 8;
    slot->isVertical = true;
    slot->setDataText(QStringLiteral("AB"), false);
    slot->move(220, 200);
    slot->show();
    w.panel()->addDataSlot(slot);
    auto* label = new BrixoLineedit(w.panel()->panelView());
    label->key = 0;
    label->index = 2;
    label->setLabelText(QStringLiteral("进位, carry"));
    label->move(30, 280);
    label->show();
    w.panel()->addTextLabel(label);
}

struct Shown {
    QString name;
    bool visible;
    QPoint pos;
    QSize size;
};

QList<Shown> placed(const MainWindow& w)
{
    QList<Shown> out;
    for (const auto* list : {&w.panel()->switchButtons(), &w.panel()->keyButtons(), &w.panel()->redLedButtons(),
                             &w.panel()->greenLedButtons(), &w.panel()->digitButtons()})
        for (const QPushButton* b : *list)
            if (!b->isHidden())
                out.append({b->objectName(), true, b->pos(), b->size()});
    return out;
}

} // namespace

TEST_F(Files, JvpRoundTripKeepsEveryKindAndRewritesTheSameBytes)
{
    fillEveryKind(w);
    const QString first = path("panel.jvp");
    w.saveByjson(first);
    const QByteArray bytes = readAll(first);
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    MainWindow back;
    open(back, first);
    EXPECT_EQ(back.files()->fileKind(), QStringLiteral("jvp"));
    EXPECT_EQ(back.windowTitle(), QStringLiteral("Brixo - 实验板 A"));
    EXPECT_EQ(back.panel()->experiment(), QStringLiteral("adder"));
    EXPECT_EQ(back.panel()->count(brixo::ComponentKind::Switch), 36);
    EXPECT_EQ(back.panel()->count(brixo::ComponentKind::Digit), 8);
    // "ledSize" is written 16 x 16 and read back 10 larger on each side.
    EXPECT_EQ(back.panel()->ledSize(), QSize(26, 26));
    EXPECT_EQ(back.panel()->switchSize(), w.panel()->switchSize());
    EXPECT_EQ(back.panel()->sstubeSize(), w.panel()->sstubeSize());

    const QList<Shown> before = placed(w), after = placed(back);
    ASSERT_EQ(after.size(), before.size());
    for (int i = 0; i < before.size(); ++i) {
        EXPECT_EQ(after[i].name, before[i].name);
        EXPECT_EQ(after[i].pos, before[i].pos) << before[i].name.toStdString();
    }
    EXPECT_TRUE(back.panel()->isSwitchUpright(back.panel()->switchButtons()[0]));
    EXPECT_FALSE(back.panel()->isSwitchUpright(back.panel()->switchButtons()[35]));
    ASSERT_EQ(back.panel()->dataSlots().size(), 1);
    EXPECT_EQ(back.panel()->dataSlots()[0]->pos(), QPoint(220, 200));
    EXPECT_EQ(back.panel()->dataSlots()[0]->bitWidth, 8);
    EXPECT_TRUE(back.panel()->dataSlots()[0]->isVertical);
    EXPECT_EQ(back.panel()->dataSlots()[0]->text(), QStringLiteral("AB"));
    EXPECT_EQ(back.runMode()->boardData()->dataSlotCount(), 1);
    ASSERT_EQ(back.panel()->textLabels().size(), 1);
    EXPECT_EQ(back.panel()->textLabels()[0]->text(), QStringLiteral("进位, carry"));
    EXPECT_EQ(back.panel()->textLabels()[0]->pos(), QPoint(30, 280));
    EXPECT_EQ(back.panel()->textLabels()[0]->index, 2);
    EXPECT_EQ(back.panel()->background().image.size(), QSize(400, 300));
    EXPECT_EQ(back.panel()->background().image.toImage().pixel(5, 5), QColor(10, 120, 200).rgb());
    EXPECT_EQ(back.panel()->backgroundView()->size(), QSize(410, 310));

    // The panel survives a second trip unchanged: Save writes the file it came from. The
    // ledSize quirk makes the sizes differ (26 instead of 32) but the file carries 16 either
    // way, and the reader numbers data slots and labels from 0 as they were here.
    back.saveorSaveAs();
    EXPECT_TRUE(FileDialog::asked().size() == 1); // only the open dialog
    EXPECT_EQ(readAll(first), bytes);
}

TEST_F(Files, WrittenJvpHasTheDocumentedMembersInOrder)
{
    fillEveryKind(w);
    w.panel()->background().format = QStringLiteral("bmp");
    w.panel()->dataSlots()[0]->key = 4;
    w.panel()->textLabels()[0]->key = 2;
    w.saveByjson(path("p.jvp"));
    const QByteArray bytes = readAll(path("p.jvp"));
    EXPECT_EQ(w.panel()->background().format, QStringLiteral("jpg"));
    const QJsonObject top = QJsonDocument::fromJson(bytes).object();
    EXPECT_TRUE(top["backgroundImage"].toString().startsWith(QStringLiteral("data:image/jpg;base64,")));
    EXPECT_EQ(top["ledSize"].toObject()["x"].toInt(), 16);
    EXPECT_EQ(top["backgroundSize"].toObject()["x"].toInt(), 400);
    const QJsonArray comps = top["components"].toArray();
    QStringList types;
    for (const QJsonValue& c : comps)
        types << c["type"].toString() + QString::number(c["index"].toInt());
    // Hidden components are left out; green LED 1 is "led" 19; lists keep their own keys.
    EXPECT_EQ(types, QStringList({"switch0", "switch35", "button3", "led17", "led19", "sstube7", "data0", "text2"}));
    EXPECT_EQ(comps[0]["position"].toObject()["x"].toInt(), 10 - 200);
    EXPECT_EQ(comps[0]["position"].toObject()["y"].toInt(), 20 - 150);
    EXPECT_EQ(comps[1]["value"].toObject()["isVertical"].toBool(true), false);
    EXPECT_EQ(comps[6]["key"].toInt(), 4);
    EXPECT_EQ(comps[7]["key"].toInt(), 2);
    // Four blanks per level, members sorted: the toolkit's indented layout.
    EXPECT_TRUE(bytes.startsWith("{\n    \"backgroundImage\": \"data:image/jpg;base64,"));
    EXPECT_TRUE(bytes.contains("\n    \"backgroundSize\": {\n        \"x\": 400,\n        \"y\": 300\n    },\n"));
}

TEST_F(Files, OpenPlacesByTheFilesGeometry)
{
    struct Case {
        const char* name;
        QByteArray json;
        QPoint switchAt;
        QRectF scene;
    };
    const Case cases[] = {
        // A component left of the picture widens the panel: ox = -260, dw = 60, W = 460.
        {"extended", R"({"backgroundSize":{"x":400,"y":300},"components":[
            {"type":"switch","index":0,"position":{"x":-260,"y":0}}]})",
         QPoint(0, 150), QRectF(-60, 0, 460, 300)},
        // "panelSize" wins over "backgroundSize".
        {"panelSize", R"({"panelSize":{"x":800,"y":500},"backgroundSize":{"x":400,"y":300},"components":[
            {"type":"switch","index":0,"position":{"x":0,"y":0}}]})",
         QPoint(400, 250), QRectF(0, 0, 800, 500)},
        {"noSize", R"({"components":[{"type":"switch","index":0,"position":{"x":7,"y":9}}]})", QPoint(7, 9),
         QRectF(0, 0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name) + ".jvp");
        writeAll(file, c.json);
        MainWindow win;
        open(win, file);
        ASSERT_TRUE(win.panel()->hasPanel());
        EXPECT_FALSE(win.panel()->switchButtons()[0]->isHidden());
        EXPECT_EQ(win.panel()->switchButtons()[0]->pos(), c.switchAt);
        EXPECT_EQ(win.panel()->backgroundView()->sceneRect(), c.scene);
        EXPECT_EQ(win.panel()->backgroundView()->size(), (c.scene.size() + QSizeF(10, 10)).toSize());
    }
}

TEST_F(Files, SavingAWidenedPanelKeepsItsComponentsBesideThePicture)
{
    // A switch 6 left of and 5 above a 40 x 30 picture: the reader widens the panel and draws
    // the picture at (6, 5). Saving it again must keep the switch off the picture's corner.
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    picture.save(&buf, "png");
    const QString file = path("widened.jvp");
    writeAll(file, R"({"backgroundImage":"data:image/png;base64,)" + png.toBase64() + R"(",
        "backgroundSize":{"x":40,"y":30},"components":[
        {"type":"switch","index":0,"position":{"x":-26,"y":-20}},
        {"type":"button","index":1,"position":{"x":4,"y":5}}]})");
    for (int trip = 0; trip < 2; ++trip) {
        SCOPED_TRACE(trip);
        MainWindow win;
        open(win, file);
        ASSERT_TRUE(win.panel()->hasPanel());
        EXPECT_EQ(win.panel()->switchButtons()[0]->pos(), QPoint(0, 0));
        EXPECT_EQ(win.panel()->keyButtons()[1]->pos(), QPoint(30, 25));
        EXPECT_EQ(win.panel()->backgroundView()->sceneRect(), QRectF(-6, -5, 46, 35));
        win.saveorSaveAs();
        const QJsonArray comps = QJsonDocument::fromJson(readAll(file)).object()["components"].toArray();
        ASSERT_EQ(comps.size(), 2);
        EXPECT_EQ(comps[0]["position"].toObject()["x"].toInt(), -26);
        EXPECT_EQ(comps[0]["position"].toObject()["y"].toInt(), -20);
        EXPECT_EQ(comps[1]["position"].toObject()["x"].toInt(), 4);
    }
}

TEST(FileDialogFilter, SemicolonListsReachTheToolkitAsBlankSeparatedPatterns)
{
    // The toolkit's own dialog reads "*.vpl;*.vp2" as a single pattern and lists no file.
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("虚拟面板文件 (*.jvp);;早期虚拟面板文件 (*.vpl;*.vp2)"),
         QStringLiteral("虚拟面板文件 (*.jvp);;早期虚拟面板文件 (*.vpl *.vp2)")},
        {QStringLiteral("背景图片 (*.bmp *.jpg *.png *.gif)"), QStringLiteral("背景图片 (*.bmp *.jpg *.png *.gif)")},
        {QStringLiteral("a;b (*.x;*.y);;c (*.z)"), QStringLiteral("a;b (*.x *.y);;c (*.z)")},
        {QStringLiteral("no patterns; here"), QStringLiteral("no patterns; here")},
        {QString(), QString()},
    };
    for (const auto& [given, toolkit] : cases)
        EXPECT_EQ(FileDialog::toolkitFilter(given), toolkit) << given.toStdString();
}

TEST_F(Files, JvpEntriesAndBrokenFiles)
{
    struct Case {
        const char* name;
        QByteArray json;
        QStringList shown;
        bool lying;
    };
    const Case cases[] = {
        {"isVerticalFalse",
         R"({"components":[{"type":"switch","index":2,"value":{"isVertical":false}}]})",
         {"switch2"},
         true},
        {"isVerticalNull",
         R"({"components":[{"type":"switch","index":2,"value":{"isVertical":null}}]})",
         {"switch2"},
         false},
        {"noValue", R"({"components":[{"type":"switch","index":2}]})", {"switch2"}, false},
        {"ledIndices",
         R"({"components":[{"type":"led","index":5},{"type":"led","index":19},
            {"type":"led","index":36},{"type":"ledg","index":3},{"type":"ledr","index":4}]})",
         {"redLed4", "redLed5", "greenLed1", "greenLed3"},
         false},
        {"outOfRange",
         R"({"components":[{"type":"switch","index":36},{"type":"button","index":-1},
            {"type":"sstube","index":8},{"type":"bogus","index":0}]})",
         {},
         false},
        {"malformed", "{\"components\": [", {}, false},
        {"notAnArray", R"({"components":{"type":"switch"}})", {}, false},
        {"binary", QByteArray("\x00\xff\xfe{[", 5), {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = path(QString::fromLatin1(c.name) + ".jvp");
        writeAll(file, c.json);
        MainWindow win;
        win.setWindowTitle(QStringLiteral("kept"));
        // A file that does not parse is refused with a box and leaves the window as it was.
        const bool parses = !QJsonDocument::fromJson(c.json).isNull();
        if (!parses)
            MessageBox::setNextAnswer(QMessageBox::Ok);
        open(win, file);
        EXPECT_EQ(win.panel()->hasPanel(), parses);
        QStringList shown;
        for (const Shown& s : placed(win))
            shown << s.name;
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(win.windowTitle(), parses ? QStringLiteral("Brixo") : QStringLiteral("kept"));
        if (!c.shown.isEmpty() && c.shown[0] == QLatin1String("switch2")) {
            EXPECT_EQ(win.panel()->isSwitchUpright(win.panel()->switchButtons()[2]), !c.lying);
        }
        // Counts end at the maxima whatever the file says.
        EXPECT_EQ(win.panel()->count(brixo::ComponentKind::Switch) + win.panel()->count(brixo::ComponentKind::Key) +
                      win.panel()->count(brixo::ComponentKind::RedLed) +
                      win.panel()->count(brixo::ComponentKind::GreenLed) +
                      win.panel()->count(brixo::ComponentKind::Digit),
                  100);
    }
}

TEST_F(Files, SaveDispatchesByKindAndDefaultName)
{
    struct Case {
        const char* kind;
        bool isNew;
        QString savePath;
        bool asks;
        QString offered;
    };
    const QString jvp = path("a.jvp");
    const Case cases[] = {
        {"jvp", false, jvp, false, QString()},
        {"vpl", false, path("a.vpl"), true, path("a.jvp")},
        {"vp2", false, path("a.vp2"), true, path("a.jvp")},
        {"jvp", true, QStringLiteral("D:/"), true, QStringLiteral("D:/")},
        {"", false, path("x.txt"), true, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + (c.isNew ? " new" : ""));
        MainWindow win;
        win.settingCtlNumber(1, 0, 0, 0, 0);
        win.createCtl();
        put(win.panel()->switchButtons()[0], 5, 5);
        win.files()->setOrigin(QString::fromLatin1(c.kind), jvp, c.savePath, c.isNew);
        QFile::remove(jvp);
        FileDialog::clearAsked();
        const QString answer = path("answer.jvp");
        QFile::remove(answer);
        if (c.asks)
            FileDialog::setNextAnswer(answer);
        win.saveorSaveAs();
        ASSERT_EQ(FileDialog::asked().size(), c.asks ? 1 : 0);
        if (c.asks) {
            EXPECT_EQ(FileDialog::asked()[0].directory, c.offered);
            EXPECT_EQ(FileDialog::asked()[0].filter, QStringLiteral("虚拟面板文件 (*.jvp)"));
            EXPECT_TRUE(QFile::exists(answer));
            EXPECT_FALSE(QFile::exists(jvp));
            EXPECT_EQ(win.files()->savePath(), answer);
        } else {
            EXPECT_TRUE(QFile::exists(jvp));
        }
        // The written file becomes the panel's file: the next Save writes it in place.
        const QString written = c.asks ? answer : jvp;
        EXPECT_EQ(win.files()->filePath(), written);
        EXPECT_FALSE(win.files()->isNewPanel());
        QFile::remove(written);
        win.saveorSaveAs();
        EXPECT_EQ(FileDialog::asked().size(), c.asks ? 1 : 0);
        EXPECT_TRUE(QFile::exists(written));
    }
}

TEST_F(Files, SaveAsWritesVp2UnlessTheAnswerEndsInJvp)
{
    build(2, 1, 0, 0, 1);
    put(w.panel()->switchButtons()[1], 50, 60);
    w.panel()->setSwitchUpright(w.panel()->switchButtons()[1], false);
    w.files()->setOrigin(QStringLiteral("jvp"), w.files()->filePath(), w.files()->savePath(), w.files()->isNewPanel());
    FileDialog::setNextAnswer(path("plain"));
    w.saveAs();
    ASSERT_EQ(FileDialog::asked().size(), 1);
    EXPECT_EQ(FileDialog::asked()[0].filter, QStringLiteral("虚拟面板文件 (*.jvp);;早期虚拟面板文件 (*.vp2)"));
    const QList<QByteArray> lines = readAll(path("plain")).split('\n');
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[1], QByteArray("2,1,0,0,1"));
    EXPECT_EQ(lines[2], QByteArray("20,35,40,40,32,32,21,33"));
    EXPECT_EQ(lines[3], QByteArray("sw0,0,0,0,0,"));
    EXPECT_EQ(lines[4], QByteArray("sw1,1,50,60,1,"));

    FileDialog::setNextAnswer(path("b.jvp"));
    w.saveAs();
    EXPECT_TRUE(QJsonDocument::fromJson(readAll(path("b.jvp"))).isObject());

    // Nothing to save: the warning, no dialog.
    MainWindow empty;
    FileDialog::clearAsked();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    empty.saveAs();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    empty.saveorSaveAs();
    EXPECT_TRUE(FileDialog::asked().isEmpty());
    ASSERT_EQ(MessageBox::shown().size(), 2);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("没有可以保存的虚拟面板"));
    EXPECT_EQ(MessageBox::shown()[0].title, QStringLiteral("警告"));
}

TEST_F(Files, FailedWriteKeepsTheOldFileAndNamesIt)
{
    fillEveryKind(w);
    const QString file = path("kept.jvp");
    writeAll(file, "old panel");
    // A file-size limit makes the write fail midway, even for root.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 512;
    setrlimit(RLIMIT_FSIZE, &small);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.saveByjson(file);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.savePanelInfo(file);
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(readAll(file), QByteArray("old panel"));
    ASSERT_EQ(MessageBox::shown().size(), 2);
    EXPECT_TRUE(MessageBox::shown()[0].text.contains(file)) << MessageBox::shown()[0].text.toStdString();
    EXPECT_EQ(MessageBox::shown()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kept.jvp"}); // no temporary left

    // A directory that does not exist fails at once; a cancelled dialog says nothing.
    MessageBox::clearShown();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.saveByjson(path("missing/dir.jvp"));
    EXPECT_EQ(MessageBox::shown().size(), 1);
    w.saveByjson(QString());
    w.savePanelInfo(QString());
    FileDialog::setNextAnswer(QString());
    w.saveAs();
    EXPECT_EQ(MessageBox::shown().size(), 1);
}

namespace {

// A .vpl record: entries of 12 bytes (visible, 3 unused, x, y) at the fixed offsets.
struct Vpl {
    QByteArray bytes = QByteArray(696, '\0');
    void put32(int off, qint32 v)
    {
        const qint32 le = qToLittleEndian(v);
        bytes.replace(off, 4, reinterpret_cast<const char*>(&le), 4);
    }
    void entry(int base, int i, bool visible, int x, int y)
    {
        const int off = base + i * 12;
        bytes[off] = visible ? 1 : 0;
        put32(off + 4, x);
        put32(off + 8, y);
    }
    void background(int w, int h)
    {
        put32(684, w);
        put32(688, h);
        bytes[692] = 1;
    }
};

} // namespace

TEST_F(Files, VplPlacesItsFixedComponents)
{
    Vpl v;
    v.entry(108, 0, true, 100, 40); // red LED 0
    v.entry(540, 7, true, 300, 10); // digit 7
    v.entry(636, 3, true, 20, 400); // key 3
    v.entry(324, 17, true, 60, 70); // switch 17
    v.entry(0, 8, true, 90, 95);    // green LED 8
    v.entry(324, 2, false, 1, 1);   // switch 2 stays hidden
    const QString file = path("lab.vpl");
    writeAll(file, v.bytes);
    w.panel()->setName(QStringLiteral("old"));
    open(w, file);
    EXPECT_EQ(w.files()->fileKind(), QStringLiteral("vpl"));
    EXPECT_TRUE(w.panel()->name().isEmpty());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Brixo"));
    EXPECT_EQ(w.panel()->backgroundView()->size(), QSize(810, 510));
    EXPECT_EQ(w.panel()->backgroundView()->sceneRect(), QRectF(0, 0, 800, 500));
    EXPECT_EQ(w.panel()->redLedButtons()[0]->geometry(), QRect(100, 40, 32, 32));
    EXPECT_EQ(w.panel()->digitButtons()[7]->geometry(), QRect(300, 10, 23, 35));
    EXPECT_EQ(w.panel()->keyButtons()[3]->pos(), QPoint(20, 400));
    EXPECT_EQ(w.panel()->switchButtons()[17]->pos(), QPoint(60, 70));
    EXPECT_EQ(w.panel()->greenLedButtons()[8]->pos(), QPoint(90, 95));
    EXPECT_EQ(placed(w).size(), 5);
    EXPECT_EQ(w.panel()->count(brixo::ComponentKind::Switch), 36);
    EXPECT_EQ(w.panel()->count(brixo::ComponentKind::GreenLed), 18);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(w.tables()->infoModel()->rowCount(), 5);
    EXPECT_EQ(w.files()->panelData()->block.red(0).x, 100);

    // Save offers the same name as .jvp.
    FileDialog::setNextAnswer(QString());
    w.saveorSaveAs();
    EXPECT_EQ(FileDialog::asked().last().directory, path("lab.jvp"));
}

TEST_F(Files, VplBackgroundPictureFoundOrMissing)
{
    Vpl v;
    v.background(200, 100);
    v.entry(636, 0, true, 5, 6);
    const QString file = path("board.vpl");
    writeAll(file, v.bytes);

    MessageBox::setNextAnswer(QMessageBox::Yes);
    open(w, file);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("找不到背景图，请将背景图board.bmp存放在：") + dir.path() +
                                               QStringLiteral("路径下后重新打开"));
    EXPECT_EQ(MessageBox::shown()[0].icon, QMessageBox::Warning);
    EXPECT_EQ(w.panel()->keyButtons()[0]->pos(), QPoint(5, 6)); // still placed
    EXPECT_EQ(w.panel()->backgroundView()->size(), QSize(210, 110));
    EXPECT_TRUE(w.panel()->backgroundScene().items().isEmpty());

    QImage pic(50, 25, QImage::Format_RGB32);
    pic.fill(Qt::red);
    ASSERT_TRUE(pic.save(path("board.bmp")));
    MainWindow win;
    MessageBox::clearShown();
    open(win, file);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    ASSERT_EQ(win.panel()->backgroundScene().items().size(), 1);
    auto* item = dynamic_cast<QGraphicsPixmapItem*>(win.panel()->backgroundScene().items()[0]);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->pixmap().size(), QSize(200, 100)); // scaled to the stored size
    EXPECT_EQ(win.panel()->background().format, QStringLiteral("bmp"));
    EXPECT_EQ(win.panel()->background().fileName, QStringLiteral("board.bmp"));

    // Saved as .jvp, the bmp picture travels as jpg.
    win.saveByjson(path("board.jvp"));
    EXPECT_TRUE(readAll(path("board.jvp")).contains("\"data:image/jpg;base64,"));
    EXPECT_EQ(win.panel()->background().format, QStringLiteral("jpg"));
}

TEST_F(Files, Vp2ReadsItsBlocksAndRoundTrips)
{
    // 18 red and 9 green LEDs: the digit block starts 27 rows after the first red row.
    QByteArray text = "面板,panel.back.png,300,200,  calc  demo ,0,0,1\n"
                      "1,1,18,9,2\n"
                      "20,35,40,40,30,30,21,33\n"
                      "sw0,1,10,11,1,\n"
                      "key0,1,12,13,0,\n";
    for (int i = 0; i < 18; ++i)
        text += "redLed" + QByteArray::number(i) + ",1," + QByteArray::number(100 + i) + ",5,0,\n";
    for (int i = 0; i < 9; ++i)
        text += "greenLed" + QByteArray::number(i) + "," + QByteArray(i == 4 ? "1" : "0") + ",7,8,0,\n";
    text += "sstube0,0,0,0,0,\nsstube1,1,400,20,0,\n";
    const QString file = path("calc.vp2");
    writeAll(file, text);
    MessageBox::setNextAnswer(QMessageBox::Yes); // the picture is missing
    open(w, file);
    EXPECT_EQ(w.files()->fileKind(), QStringLiteral("vp2"));
    EXPECT_EQ(w.panel()->name(), QStringLiteral("面板"));
    EXPECT_EQ(w.panel()->experiment(), QStringLiteral("calc demo"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Brixo - 面板"));
    EXPECT_EQ(w.panel()->background().format, QStringLiteral("png"));
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_TRUE(MessageBox::shown()[0].text.contains(QStringLiteral("panel.back.png")));
    EXPECT_EQ(w.panel()->backgroundView()->size(), QSize(310, 210));
    EXPECT_EQ(w.panel()->ledSize(), QSize(30, 30));
    EXPECT_FALSE(w.panel()->isSwitchUpright(w.panel()->switchButtons()[0]));
    EXPECT_EQ(w.panel()->switchButtons()[0]->pos(), QPoint(10, 11));
    EXPECT_EQ(w.panel()->keyButtons()[0]->pos(), QPoint(12, 13));
    for (int i = 0; i < 18; ++i)
        EXPECT_EQ(w.panel()->redLedButtons()[i]->geometry(), QRect(100 + i, 5, 30, 30));
    EXPECT_FALSE(w.panel()->greenLedButtons()[4]->isHidden());
    EXPECT_EQ(w.panel()->greenLedButtons()[4]->pos(), QPoint(7, 8));
    EXPECT_TRUE(w.panel()->digitButtons()[0]->isHidden());
    EXPECT_EQ(w.panel()->digitButtons()[1]->geometry(), QRect(400, 20, 23, 35));
    EXPECT_EQ(placed(w).size(), 1 + 1 + 18 + 1 + 1);
    // The line store holds the file's lines.
    EXPECT_EQ(w.tables()->lineStore()->rowCount(), 3 + 1 + 1 + 18 + 9 + 2);
    EXPECT_EQ(w.tables()->lineStore()->item(4, 0)->text(), QStringLiteral("key0"));
    EXPECT_EQ(w.tables()->lineStore()->item(0, 7)->text(), QStringLiteral("1"));

    // Written again and read back, the panel is the same (the name gets a comma now).
    w.panel()->setPanelName(QStringLiteral("a,b"));
    w.savePanelInfo(path("again.vp2"));
    const QByteArray again = readAll(path("again.vp2"));
    // The missing picture keeps its name and the panel's 300 x 200 area.
    EXPECT_TRUE(again.startsWith("a\xef\xbc\x8c"
                                 "b,panel.back.png,300,200,calc demo,0,0,1\n36,20,18,18,8\n"));
    MainWindow back;
    MessageBox::setNextAnswer(QMessageBox::Yes);
    open(back, path("again.vp2"));
    EXPECT_EQ(back.panel()->experiment(), QStringLiteral("calc demo"));
    const QList<Shown> a = placed(w), b = placed(back);
    ASSERT_EQ(b.size(), a.size());
    for (int i = 0; i < a.size(); ++i) {
        EXPECT_EQ(b[i].name, a[i].name);
        EXPECT_EQ(b[i].pos, a[i].pos);
        EXPECT_EQ(b[i].size, a[i].size) << a[i].name.toStdString();
    }
    EXPECT_EQ(back.panel()->backgroundView()->size(), QSize(310, 210));

    // A panel opened next names no picture of its own: its .vp2 does not borrow this one's.
    w.saveByjson(path("plain.jvp"));
    open(back, path("plain.jvp"));
    back.savePanelInfo(path("plain.vp2"));
    EXPECT_TRUE(readAll(path("plain.vp2"))
                    .startsWith("a\xef\xbc\x8c"
                                "b,,0,0,calc demo,"));

    // A .vp2 that cannot be read is reported and the open panel stays.
    const int shownBefore = MessageBox::shown().size();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    open(w, path("gone.vp2"));
    ASSERT_EQ(MessageBox::shown().size(), shownBefore + 1);
    EXPECT_TRUE(MessageBox::shown().last().text.contains(path("gone.vp2")));
    EXPECT_EQ(placed(w).size(), a.size());
    EXPECT_EQ(w.files()->filePath(), file);
}

TEST_F(Files, DamagedFilesOpenBoundedInEveryFormat)
{
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"huge.jvp", R"({"backgroundSize":{"x":2000000000,"y":2000000000},"switchSize":{"x":99999999,"y":-5},
            "sstubeSize":{"x":100000,"y":100000},"components":[{"type":"sstube","index":0,"position":{"x":-2147483648,"y":0}}]})"},
        {"huge.vp2", "n,,2147483647,2147483647,d\n2147483647,-5,99999999,1,1\n100000,100000,3,3,-9,-9,100000,100000\n"},
        {"short.vpl", QByteArray("\x01\x00\x00\x00\xff\xff\xff\x7f", 8)},
        {"extremes.vp2", "n,,10,10,d\n1,1,1,1,1\n20,35,40,40,32,32,21,33\nsw0,1,2147483647,-2147483648,1,\n"
                         "key0,1,-2147483648,2147483647,0,\nr,1,2147483647,2147483647,0,\ng,1,-2147483648,0,0,\n"
                         "d,1,2147483647,2147483647,0,\n"},
        {"empty.vp2", QByteArray()},
        {"empty.jvp", QByteArray()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(path(c.name), c.bytes);
        MainWindow win;
        openAnsweringBoxes(win, path(c.name));
        // An empty .jvp is no JSON: refused, nothing built.
        if (QLatin1String(c.name) == QLatin1String("empty.jvp")) {
            EXPECT_FALSE(win.panel()->hasPanel());
            continue;
        }
        ASSERT_TRUE(win.panel()->hasPanel());
        for (const QSize s : {win.panel()->switchSize(), win.panel()->buttonSize(), win.panel()->ledSize(),
                              win.panel()->sstubeSize()}) {
            EXPECT_LE(s.width(), 1024);
            EXPECT_LE(s.height(), 1024);
        }
        EXPECT_EQ(win.panel()->switchButtons().size(), 36);
        EXPECT_EQ(win.panel()->digitButtons().size(), 8);
    }
}

TEST_F(Files, ExtremePositionsInAVplStayInsideTheWidgetRange)
{
    Vpl v;
    const int big = std::numeric_limits<int>::max(), small = std::numeric_limits<int>::min();
    v.entry(108, 0, true, big, big);   // red LED
    v.entry(540, 0, true, big, small); // digit
    v.entry(636, 0, true, small, big); // key
    v.entry(324, 0, true, big, 0);     // switch
    v.entry(0, 0, true, 0, small);     // green LED
    writeAll(path("far.vpl"), v.bytes);
    open(w, path("far.vpl"));
    for (const QPushButton* b :
         {w.panel()->redLedButtons()[0], w.panel()->digitButtons()[0], w.panel()->keyButtons()[0],
          w.panel()->switchButtons()[0], w.panel()->greenLedButtons()[0]}) {
        EXPECT_FALSE(b->isHidden());
        EXPECT_LE(std::abs(qint64(b->x())), 1000000);
        EXPECT_LE(std::abs(qint64(b->y())), 1000000);
    }
    w.saveByjson(path("far.jvp"));
    EXPECT_TRUE(QJsonDocument::fromJson(readAll(path("far.jvp"))).isObject());
}

TEST_F(Files, ReadersBuildOnceAndOpenClearsTheOldPanel)
{
    fillEveryKind(w);
    w.saveByjson(path("p.jvp"));
    MainWindow win;
    open(win, path("p.jvp"));
    open(win, path("p.jvp"));
    // One set of component widgets plus the file's one data slot and one label.
    EXPECT_EQ(win.panel()->panelView()->findChildren<QPushButton*>(QString(), Qt::FindDirectChildrenOnly).size(),
              36 + 20 + 18 + 18 + 8 + 1);
    EXPECT_EQ(win.panel()->textLabels().size(), 1);
    EXPECT_EQ(win.panel()->panelView()->findChildren<BrixoLineedit*>().size(), 1);
    // A cancelled open dialog changes nothing, not even what the run-mode LEDs show.
    win.showRedLED(0, true);
    const QImage lit = win.panel()->redLedButtons()[0]->icon().pixmap(win.panel()->ledSize()).toImage();
    open(win, QString());
    EXPECT_EQ(win.panel()->redLedButtons()[0]->icon().pixmap(win.panel()->ledSize()).toImage(), lit);
    EXPECT_EQ(win.panel()->dataSlots().size(), 1);
    EXPECT_EQ(win.files()->filePath(), path("p.jvp"));
}

TEST_F(Files, TheBoardDataListsOnlyTheOpenPanelsDataSlots)
{
    // Run mode reads CPU data for every slot the board data lists; a panel without data
    // slots must not go on reading (or failing on) the previous panel's.
    fillEveryKind(w);
    w.saveByjson(path("p.jvp"));
    w.savePanelInfo(path("p.vp2"));
    Vpl v;
    writeAll(path("p.vpl"), v.bytes);
    for (const char* legacy : {"p.vp2", "p.vpl"}) {
        SCOPED_TRACE(legacy);
        MainWindow win;
        open(win, path("p.jvp"));
        ASSERT_EQ(win.runMode()->boardData()->dataSlotCount(), 1);
        open(win, path(QString::fromLatin1(legacy)));
        EXPECT_TRUE(win.panel()->dataSlots().isEmpty());
        EXPECT_EQ(win.runMode()->boardData()->dataSlotCount(), 0);
    }
}

TEST_F(Files, WriteFailureWarningIsTranslated)
{
    Q_INIT_RESOURCE(translations);
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral(":/trans/english")));
    QCoreApplication::installTranslator(&english);
    fillEveryKind(w);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    w.saveByjson(path("missing/p.jvp"));
    QCoreApplication::removeTranslator(&english);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text,
              QStringLiteral("Could not save the virtual panel file: ") + path("missing/p.jvp"));
    EXPECT_EQ(MessageBox::shown()[0].title, QStringLiteral("Warning"));
}

TEST_F(Files, TruncatedAndFlippedFilesNeverBreakTheWindow)
{
    fillEveryKind(w);
    w.saveByjson(path("good.jvp"));
    w.savePanelInfo(path("good.vp2"));
    Vpl v;
    v.background(300, 200);
    v.entry(108, 3, true, 1, 2);
    writeAll(path("good.vpl"), v.bytes);
    quint32 seed = 99;
    for (const char* name : {"good.jvp", "good.vp2", "good.vpl"}) {
        const QByteArray original = readAll(path(name));
        const QString suffix = QFileInfo(QString::fromLatin1(name)).suffix();
        for (int round = 0; round < 6; ++round) {
            QByteArray bytes = original;
            seed = seed * 1103515245u + 12345u;
            if (round % 2)
                bytes.truncate(int(seed % quint32(bytes.size())));
            for (int i = 0; i < 8 && !bytes.isEmpty(); ++i) {
                seed = seed * 1103515245u + 12345u;
                bytes[int(seed % quint32(bytes.size()))] = char(seed >> 24);
            }
            const QString file = path(QStringLiteral("bad%1.%2").arg(round).arg(suffix));
            writeAll(file, bytes);
            MainWindow win;
            const int boxes = MessageBox::shown().size();
            openAnsweringBoxes(win, file);
            // Read, or refused with a box naming the file and nothing built.
            if (!win.panel()->hasPanel()) {
                ASSERT_GT(MessageBox::shown().size(), boxes) << name << " round " << round;
                EXPECT_TRUE(MessageBox::shown()[boxes].text.contains(file)) << name << " round " << round;
                continue;
            }
            EXPECT_EQ(win.panel()->count(brixo::ComponentKind::Switch), 36);
            // Whatever was read can be saved again.
            win.saveByjson(path("again.jvp"));
            EXPECT_TRUE(QJsonDocument::fromJson(readAll(path("again.jvp"))).isObject());
        }
    }
}

TEST_F(Files, MissingVplIsReportedAndExperimentFollowsTheDescription)
{
    // A .vpl that cannot be opened is reported by name and the open panel stays.
    Vpl v;
    v.entry(636, 1, true, 40, 41);
    writeAll(path("first.vpl"), v.bytes);
    open(w, path("first.vpl"));
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    MessageBox::setNextAnswer(QMessageBox::Ok);
    open(w, path("gone.vpl"));
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_TRUE(MessageBox::shown()[0].text.contains(path("gone.vpl")));
    ASSERT_TRUE(w.panel()->hasPanel());
    EXPECT_FALSE(w.panel()->keyButtons()[1]->isHidden());
    EXPECT_EQ(w.panel()->keyButtons()[1]->pos(), QPoint(40, 41));

    // Opening a panel chooses the boardless experiment its description names, or none.
    open(w, QStringLiteral(BRIXO_EXAMPLES_DIR "/adder_a.jvp"));
    EXPECT_FALSE(w.panel()->experiment().isEmpty());
    EXPECT_NE(w.runMode()->boardData()->simulationStep(), nullptr);
    open(w, path("first.vpl"));
    EXPECT_EQ(w.runMode()->boardData()->simulationStep(), nullptr);
}

TEST_F(Files, BackgroundPixelLiesUnderTheSamePanelPosition)
{
    // Every pixel its own colour, so a shift of the picture shows at any probe.
    QImage bg(60, 40, QImage::Format_RGB32);
    for (int y = 0; y < bg.height(); ++y)
        for (int x = 0; x < bg.width(); ++x)
            bg.setPixelColor(x, y, QColor(x * 4, y * 6, 128));
    bg.save(path("bg.png"));
    w.settingCtlNumber(1, 0, 0, 0, 0);
    w.createCtl();
    PanelBackground& background = w.panel()->background();
    background.image = QPixmap::fromImage(bg);
    background.fileName = QStringLiteral("bg.png");
    background.format = QStringLiteral("png");
    w.saveByjson(path("bg.jvp"));
    w.savePanelInfo(path("bg.vp2"));
    for (const char* name : {"bg.jvp", "bg.vp2"}) {
        for (const bool design : {false, true}) {
            SCOPED_TRACE(std::string(name) + (design ? " design" : " run"));
            MainWindow win;
            win.turnDesign(design);
            open(win, path(QString::fromLatin1(name)));
            QTest::qWait(0); // the window lays out its central view, as on screen
            const QImage shown = win.panel()->panelView()->grab().toImage();
            ASSERT_GE(shown.width(), bg.width());
            for (const QPoint p : {QPoint(0, 0), QPoint(7, 3), QPoint(59, 39)})
                EXPECT_EQ(shown.pixelColor(p), bg.pixelColor(p)) << p.x() << "," << p.y();
        }
    }
}
