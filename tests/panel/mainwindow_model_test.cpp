// The panel model held by the main window: createCtl, numbering, digit drawing, data slots and
// the design-mode event filter, driven on a real window.
#include "app/mainwindow.h"
#include "board/runmode.h"
#include "board/virtualcomponentdata.h"
#include "panel/componenttables.h"
#include "panel/designer.h"
#include "panel/designtoolbox.h"
#include "panel/panelmodel.h"
#include "panel/brixobutton.h"
#include "panel/brixolineedit.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGraphicsPixmapItem>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTest>
#include <gtest/gtest.h>

namespace {
const QString selected = QStringLiteral("QWidget { background-color:gray; }");

QImage render(QGraphicsScene* scene, const QSize& size)
{
    QImage img(size, QImage::Format_ARGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    scene->render(&p, QRectF(QPointF(0, 0), size), QRectF(QPointF(0, 0), size));
    return img;
}

// A pixel where the scaled segment picture is fully opaque, i.e. inside the lit segment.
QPoint insideSegment(const QPixmap& segment, const QSize& size)
{
    const QImage img = segment.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).toImage();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) == 255)
                return {x, y};
    return {-1, -1};
}

void send(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

struct Panel : ::testing::Test {
    MainWindow w;
    void build(int s, int k, int r, int g, int d)
    {
        w.settingCtlNumber(s, k, r, g, d);
        w.createCtl();
    }
};
}

TEST_F(Panel, CreateCtlBuildsHiddenWidgetsAndSizesTheBoardData)
{
    EXPECT_FALSE(w.panel()->hasPanel());
    build(10, 4, 8, 8, 2);
    ASSERT_TRUE(w.panel()->hasPanel());
    const struct {
        const char* kind;
        const QVector<QPushButton*>& buttons;
        QButtonGroup* group;
        int count;
        QSize size;
        int board;
    } kinds[] = {
        {"switch",
         w.panel()->switchButtons(),
         w.panel()->group(brixo::ComponentKind::Switch),
         10,
         {20, 35},
         w.runMode()->boardData()->switchCount()},
        {"key",
         w.panel()->keyButtons(),
         w.panel()->group(brixo::ComponentKind::Key),
         4,
         {40, 40},
         w.runMode()->boardData()->keyCount()},
        {"red",
         w.panel()->redLedButtons(),
         w.panel()->group(brixo::ComponentKind::RedLed),
         8,
         {32, 32},
         w.runMode()->boardData()->redLedCount()},
        {"green",
         w.panel()->greenLedButtons(),
         w.panel()->group(brixo::ComponentKind::GreenLed),
         8,
         {32, 32},
         w.runMode()->boardData()->greenLedCount()},
        {"digit",
         w.panel()->digitButtons(),
         w.panel()->group(brixo::ComponentKind::Digit),
         2,
         {21, 33},
         w.runMode()->boardData()->digitCount()},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        ASSERT_EQ(k.buttons.size(), k.count);
        EXPECT_EQ(k.board, k.count);
        EXPECT_FALSE(k.group->exclusive());
        for (int i = 0; i < k.count; ++i) {
            EXPECT_TRUE(k.buttons[i]->isHidden());
            EXPECT_EQ(k.buttons[i]->size(), k.size);
            EXPECT_EQ(k.buttons[i]->parentWidget(), w.panel()->panelView());
            EXPECT_EQ(k.group->id(k.buttons[i]), i);
        }
    }
    ASSERT_EQ(w.panel()->digitViews().size(), 2);
    EXPECT_EQ(w.panel()->digitViews()[1]->parentWidget(), w.panel()->digitButtons()[1]);
    EXPECT_EQ(w.panel()->digitViews()[1]->scene(), w.panel()->digitScenes()[1]);
}

TEST_F(Panel, OverlappingComponentsStackDigitsOverLedsOverSwitchesOverKeys)
{
    build(1, 1, 1, 1, 1);
    using brixo::ComponentKind;
    // Topmost first: taking each off the spot uncovers the next.
    const ComponentKind stack[] = {ComponentKind::Digit, ComponentKind::RedLed, ComponentKind::GreenLed,
                                   ComponentKind::Switch, ComponentKind::Key};
    for (ComponentKind kind : stack) {
        w.panel()->buttons(kind)[0]->move(40, 40);
        w.panel()->buttons(kind)[0]->show();
    }
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    for (ComponentKind kind : stack) {
        QPushButton* top = w.panel()->buttons(kind)[0];
        SCOPED_TRACE(top->objectName().toStdString());
        QWidget* hit = w.panel()->panelView()->childAt(45, 45);
        EXPECT_TRUE(hit == top || top->isAncestorOf(hit)) << (hit ? hit->objectName().toStdString() : "none");
        top->hide();
    }
}

TEST_F(Panel, CountsBeyondTheMaximaAreHeldAtTheMaxima)
{
    build(99, 21, 19, -3, 9);
    EXPECT_EQ(w.panel()->switchButtons().size(), 36);
    EXPECT_EQ(w.panel()->keyButtons().size(), 20);
    EXPECT_EQ(w.panel()->redLedButtons().size(), 18);
    EXPECT_EQ(w.panel()->greenLedButtons().size(), 0);
    EXPECT_EQ(w.panel()->digitButtons().size(), 8);
    EXPECT_EQ(w.runMode()->boardData()->switchCount(), 36);
}

TEST_F(Panel, RebuildingReleasesTheEarlierWidgetsButKeepsDataSlotsAndLabels)
{
    build(3, 3, 3, 3, 3);
    auto* slot = new BrixoButton(w.panel()->panelView());
    w.panel()->addDataSlot(slot);
    auto* label = new BrixoLineedit(w.panel()->panelView());
    w.panel()->addTextLabel(label);
    QPointer<QPushButton> oldSwitch = w.panel()->switchButtons()[0];
    QPointer<QButtonGroup> oldGroup = w.panel()->group(brixo::ComponentKind::Switch);
    build(2, 2, 2, 2, 2);
    EXPECT_TRUE(oldSwitch.isNull());
    EXPECT_TRUE(oldGroup.isNull());
    // 10 component buttons plus the data slot: no hidden leftovers from the first build.
    EXPECT_EQ(w.panel()->panelView()->findChildren<QPushButton*>().size(), 11);
    QPointer<BrixoButton> keptSlot = slot;
    QPointer<BrixoLineedit> keptLabel = label;
    EXPECT_FALSE(keptSlot.isNull());

    w.deleteAllFace();
    EXPECT_FALSE(w.panel()->hasPanel());
    EXPECT_TRUE(keptSlot.isNull());
    EXPECT_TRUE(keptLabel.isNull());
    EXPECT_TRUE(w.panel()->dataSlots().isEmpty() && w.panel()->textLabels().isEmpty() &&
                w.panel()->switchButtons().isEmpty() && w.panel()->digitScenes().isEmpty());
    EXPECT_TRUE(w.panel()->panelView()->findChildren<QPushButton*>().isEmpty());
}

TEST_F(Panel, SwitchOrientationIsReadFromTheWidth)
{
    build(1, 0, 0, 0, 0);
    QPushButton* sw = w.panel()->switchButtons()[0];
    EXPECT_TRUE(w.panel()->isSwitchUpright(sw));
    w.panel()->setSwitchUpright(sw, false);
    EXPECT_EQ(sw->size(), QSize(35, 20));
    EXPECT_EQ(sw->iconSize(), QSize(35, 20));
    EXPECT_FALSE(w.panel()->isSwitchUpright(sw));
    w.panel()->setSwitchSize(QSize(35, 20));
    EXPECT_TRUE(w.panel()->isSwitchUpright(sw));
}

TEST(PanelNumbering, GreenLedsCountFrom18AndTitlesFollowTheName)
{
    EXPECT_EQ(brixo::boardNumber(brixo::ComponentKind::GreenLed, 0), 18);
    EXPECT_EQ(brixo::boardNumber(brixo::ComponentKind::GreenLed, 2), 20);
    MainWindow w;
    EXPECT_EQ(w.windowTitle(), "Brixo");
    w.panel()->setPanelName("adder");
    EXPECT_EQ(w.windowTitle(), "Brixo - adder");
    EXPECT_EQ(w.panel()->name(), "adder");
    w.panel()->setPanelName(QString());
    EXPECT_EQ(w.windowTitle(), "Brixo");
}

TEST_F(Panel, DigitShowsExactlyTheLitSegments)
{
    build(0, 0, 0, 0, 2);
    const QSize size = w.panel()->sstubeSize();
    const QPoint g = insideSegment(w.panel()->pictures().segmentImages[6], size);
    const QPoint dp = insideSegment(w.panel()->pictures().segmentImages[7], size);
    const QPoint a = insideSegment(w.panel()->pictures().segmentImages[0], size);
    ASSERT_GE(g.x(), 0);
    ASSERT_GE(dp.x(), 0);
    w.showSSTube(1, 0);
    const QImage dark = render(w.panel()->digitScenes()[1], size);
    EXPECT_EQ(w.panel()->digitScenes()[1]->items().size(), 1);
    const struct {
        int pattern;
        bool a, g, dp;
        int items;
    } cases[] = {
        {0xFF, true, true, true, 9},
        {0xBF, true, false, true, 8}, // 0 with its decimal point
        {0x7F, true, true, false, 8},
        {0x40, false, true, false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        w.showSSTube(1, static_cast<char>(c.pattern));
        EXPECT_EQ(w.panel()->digitScenes()[1]->items().size(), c.items);
        const QImage lit = render(w.panel()->digitScenes()[1], size);
        EXPECT_EQ(lit.pixel(a) != dark.pixel(a), c.a);
        EXPECT_EQ(lit.pixel(g) != dark.pixel(g), c.g);
        EXPECT_EQ(lit.pixel(dp) != dark.pixel(dp), c.dp);
    }
    w.showSSTube(5, 0x7F); // no such digit: ignored
    w.showSSTube(-1, 0x7F);
}

TEST_F(Panel, DigitPicturesAreScaledOncePerSize)
{
    build(0, 0, 0, 0, 1);
    const auto keys = [this] {
        QList<qint64> k;
        for (QGraphicsItem* item : w.panel()->digitScenes()[0]->items(Qt::AscendingOrder))
            k << static_cast<QGraphicsPixmapItem*>(item)->pixmap().cacheKey();
        return k;
    };
    w.showSSTube(0, 0x03);
    const QList<qint64> first = keys();
    w.showSSTube(0, 0x03);
    EXPECT_EQ(keys(), first);
    w.panel()->setSstubeSize(QSize(30, 47));
    w.showSSTube(0, 0x03);
    const QList<qint64> resized = keys();
    EXPECT_NE(resized, first);
    EXPECT_EQ(static_cast<QGraphicsPixmapItem*>(w.panel()->digitScenes()[0]->items().first())->pixmap().size(),
              QSize(30, 47));
}

TEST(BrixoButtonText, SpaceTogglesVerticalWritingAndRefreshKeepsIt)
{
    BrixoButton b;
    b.setDataText("1234", false);
    EXPECT_EQ(b.text(), "1234");
    EXPECT_EQ(b.font().pointSize(), 14);
    b.setDataText(b.text(), true);
    EXPECT_TRUE(b.isVertical);
    EXPECT_EQ(b.text(), "1\n2\n3\n4");
    EXPECT_GT(b.height(), b.width());
    b.setDataText("00FF", false); // a refresh while vertical shows the value as it is
    EXPECT_EQ(b.text(), "00FF");
    EXPECT_TRUE(b.isVertical);
    b.setDataText("1\n2\n3\n4", true);
    EXPECT_FALSE(b.isVertical);
    EXPECT_EQ(b.text(), "1234");
}

TEST_F(Panel, DoubleClickSelectsSpaceRotatesTheSwitchAndLeaveDeselects)
{
    build(2, 0, 0, 0, 0);
    w.turnDesign(true);
    QPushButton* sw = w.panel()->switchButtons()[1];
    sw->show();
    QTest::mouseDClick(sw, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(w.designer()->currentIndex(), 1); // the press reached returnKey through the group
    EXPECT_EQ(sw->styleSheet(), selected);
    QTest::keyClick(sw, Qt::Key_Space);
    EXPECT_EQ(sw->size(), QSize(35, 20));
    EXPECT_EQ(sw->icon().pixmap(35, 20).toImage(),
              QIcon(w.panel()->pictures().switchOnLayImage).pixmap(35, 20).toImage());
    QTest::keyClick(sw, Qt::Key_Space);
    EXPECT_EQ(sw->size(), QSize(20, 35));
    EXPECT_EQ(sw->icon().pixmap(20, 35).toImage(), QIcon(w.panel()->pictures().switchOnImage).pixmap(20, 35).toImage());

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(sw, &leave);
    EXPECT_NE(sw->styleSheet(), selected);
    QTest::keyClick(sw, Qt::Key_Space); // not selected any more: nothing turns
    EXPECT_EQ(sw->size(), QSize(20, 35));

    // Space over a selected switch that is not the one last pressed does nothing either.
    w.panel()->switchButtons()[0]->show();
    w.returnKey(1);
    w.panel()->switchButtons()[0]->setStyleSheet(selected);
    QTest::keyClick(w.panel()->switchButtons()[0], Qt::Key_Space);
    EXPECT_EQ(w.panel()->switchButtons()[0]->size(), QSize(20, 35));
}

TEST_F(Panel, DragMovesTheComponentByThePointerTravel)
{
    build(0, 1, 0, 0, 0);
    w.turnDesign(true);
    QPushButton* key = w.panel()->keyButtons()[0];
    key->show();
    key->move(100, 50);
    send(key, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(w.designer()->isDragging());
    send(key, QEvent::MouseMove, {15, 25}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(key->pos(), QPoint(110, 70));
    send(key, QEvent::MouseButtonRelease, {15, 25}, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(w.designer()->isDragging());
    // The release writes the new place into the component information table.
    const auto rowOf = [this](const QString& name) {
        const QList<QStandardItem*> found = w.tables()->infoModel()->findItems(name);
        return found.isEmpty() ? -1 : found.first()->row();
    };
    const int row = rowOf("按键0");
    ASSERT_GE(row, 0);
    EXPECT_EQ(w.tables()->infoModel()->item(row, 2)->text(), "110");
    EXPECT_EQ(w.tables()->infoModel()->item(row, 3)->text(), "70");
    // A release with no drag in progress leaves the table alone.
    key->move(5, 5);
    send(key, QEvent::MouseButtonRelease, {15, 25}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(w.tables()->infoModel()->item(rowOf("按键0"), 2)->text(), "110");
    send(key, QEvent::MouseMove, {30, 30}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(key->pos(), QPoint(5, 5)); // no drag in progress: moves do not carry it

    // A press outside the widget's own rectangle starts no drag.
    send(key, QEvent::MouseButtonPress, {-3, 5}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(w.designer()->isDragging());
}

TEST_F(Panel, PressingADataSlotFillsTheToolboxAndSpaceTurnsItsWriting)
{
    auto* slot = new BrixoButton(w.panel()->panelView());
    slot->key = 7;
    w.panel()->addDataSlot(slot);
    slot->setDataText("1234", false);
    slot->show();
    slot->installEventFilter(w.designer());
    QTest::mousePress(slot, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTest::mouseRelease(slot, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(w.designer()->toolbox()->bitWidthEdit()->text(), "16");
    EXPECT_EQ(w.designer()->toolbox()->indexEdit()->text(), "0");
    EXPECT_EQ(w.designer()->toolbox()->keyEdit()->text(), "7");
    QTest::keyClick(slot, Qt::Key_Space); // not selected yet
    EXPECT_EQ(slot->text(), "1234");
    QTest::mouseDClick(slot, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTest::keyClick(slot, Qt::Key_Space);
    EXPECT_EQ(slot->text(), "1\n2\n3\n4");
    QTest::keyClick(slot, Qt::Key_Space);
    EXPECT_EQ(slot->text(), "1234");
}

TEST_F(Panel, EventsOfObjectsThatAreNotWidgetsPassUntouched)
{
    QObject plain;
    QEvent e(QEvent::MouseButtonDblClick);
    EXPECT_FALSE(w.designer()->eventFilter(&plain, &e));
    EXPECT_EQ(w.designer()->currentWidget(), nullptr);
}

TEST(ComponentPictures, EveryPictureAtItsSizeAndSegmentsOverTheUnlitDigit)
{
    MainWindow w; // registers the picture resources
    const struct {
        const char* name;
        QSize size;
    } pictures[] = {
        {"switch_0", {20, 35}},  {"switch_1", {20, 35}}, {"switch_0_lay", {35, 20}}, {"switch_1_lay", {35, 20}},
        {"KEY0", {48, 48}},      {"KEY1", {48, 48}},     {"led_off", {30, 30}},      {"led_red", {30, 30}},
        {"led_green", {30, 30}}, {"BG", {43, 67}},       {"A1", {43, 67}},           {"B1", {43, 67}},
        {"C1", {43, 67}},        {"D1", {43, 67}},       {"E1", {43, 67}},           {"F1", {43, 67}},
        {"G1", {43, 67}},        {"H1", {43, 67}},       {"Application", {48, 48}},
    };
    for (const auto& p : pictures) {
        const QPixmap pm(QStringLiteral(":/images/") + p.name);
        EXPECT_FALSE(pm.isNull()) << p.name;
        EXPECT_EQ(pm.size(), p.size) << p.name;
    }
    // A lit segment lies exactly over its unlit twin: wherever a segment is opaque, the
    // background is not its plain ground, and the segments do not overlap one another.
    const QImage bg = w.panel()->pictures().digitBackgroundImage.toImage();
    const QRgb ground = bg.pixel(1, 1);
    QVector<int> owner(bg.width() * bg.height(), 0);
    for (int s = 0; s < 8; ++s) {
        const QImage seg = w.panel()->pictures().segmentImages[s].toImage();
        int opaque = 0, overGround = 0, overlaps = 0;
        for (int y = 0; y < seg.height(); ++y)
            for (int x = 0; x < seg.width(); ++x)
                if (qAlpha(seg.pixel(x, y)) == 255) {
                    ++opaque;
                    overGround += bg.pixel(x, y) == ground;
                    overlaps += owner[y * bg.width() + x] != 0;
                    owner[y * bg.width() + x] = s + 1;
                }
        SCOPED_TRACE(s);
        EXPECT_GT(opaque, 10);
        EXPECT_EQ(overGround, 0);
        EXPECT_EQ(overlaps, 0);
        EXPECT_EQ(qAlpha(seg.pixel(1, 1)), 0); // transparent ground
    }
}
