// The design toolbox driven like a user does: lists, buttons, edits and sliders of the dock.
#include "ui/filedialog.h"
#include "app/mainwindow.h"
#include "board/panel_keys.h"
#include "board/runmode.h"
#include "board/virtualcomponentdata.h"
#include "panel/componenttables.h"
#include "panel/designer.h"
#include "panel/designtoolbox.h"
#include "panel/panelfiles.h"
#include "panel/panelmodel.h"
#include "ui/messagebox.h"
#include "panel/brixobutton.h"
#include "panel/brixolineedit.h"
#include "panel/pannelsetting.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QGraphicsPixmapItem>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStandardItemModel>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QContextMenuEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Builds a full panel the way New does, answering the settings dialog with its presets.
void newPanel(MainWindow& w, const QString& name = QString(), const QString& id = QString())
{
    MessageBox::setNextDialog([&](QDialog& d) {
        auto& s = static_cast<pannelSetting&>(d);
        s.nameEdit->setText(name);
        s.identifierEdit->setText(id);
        QTest::mouseClick(s.okButton, Qt::LeftButton);
        return s.result();
    });
    // Unsaved changes are asked about instead of the plain question.
    if (w.panel()->isModified())
        MessageBox::setNextAnswer(QMessageBox::Discard);
    else if (w.designer()->isDesigning())
        MessageBox::setNextAnswer(QMessageBox::Yes);
    w.createNewPanel();
}

QColor itemColor(QComboBox* combo, int item) { return combo->itemData(item, Qt::BackgroundRole).value<QColor>(); }

// Types into an edit and presses Return, as the user commits a value.
void commit(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

// Counts the connections of a signal; the toolkit keeps this protected. A pointer to the
// member reaches it on any object (a cast to a class the object is not would be undefined).
struct Peek : QObject {
    static int receiversOf(QObject* o, const char* signal)
    {
        int (QObject::*count)(const char*) const = &Peek::receivers;
        return (o->*count)(signal);
    }
};

class Designing : public ::testing::Test {
protected:
    void SetUp() override
    {
        MessageBox::clearShown();
        w = std::make_unique<MainWindow>();
        newPanel(*w);
    }
    std::unique_ptr<MainWindow> w;
};

} // namespace

TEST_F(Designing, NewPanelFromRunModeEntersDesignAndBuildsPresets)
{
    EXPECT_TRUE(w->designer()->isDesigning());
    EXPECT_TRUE(w->findChild<QAction*>(QStringLiteral("designAction"))->isChecked());
    EXPECT_EQ(w->panel()->switchButtons().size(), 36);
    EXPECT_EQ(w->panel()->keyButtons().size(), 20);
    EXPECT_EQ(w->panel()->redLedButtons().size(), 18);
    EXPECT_EQ(w->panel()->greenLedButtons().size(), 18);
    EXPECT_EQ(w->panel()->digitButtons().size(), 8);
    EXPECT_EQ(w->runMode()->boardData()->switchCount(), 36);
    EXPECT_EQ(w->runMode()->boardData()->digitCount(), 8);
    EXPECT_TRUE(w->files()->isNewPanel());
    EXPECT_EQ(w->files()->fileKind(), QStringLiteral("jvp"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Brixo"));
    EXPECT_TRUE(MessageBox::shown().isEmpty()) << "no question in run mode";
    for (QPushButton* b : w->panel()->switchButtons())
        EXPECT_FALSE(b->isVisibleTo(w->panel()->panelView()));
}

TEST_F(Designing, ListsCarryOneItemPerComponent)
{
    struct Case {
        QComboBox* combo;
        int items;
        QString last;
    };
    const Case cases[] = {{w->designer()->toolbox()->switchCombo(), 37, QStringLiteral("  开关35")},
                          {w->designer()->toolbox()->keyCombo(), 21, QStringLiteral("  按键19")},
                          {w->designer()->toolbox()->redLedCombo(), 19, QStringLiteral("  指示灯17")},
                          {w->designer()->toolbox()->greenLedCombo(), 19, QStringLiteral("17. 指示灯35")},
                          {w->designer()->toolbox()->digitCombo(), 9, QStringLiteral(" 数码管7")}};
    for (const auto& c : cases) {
        ASSERT_EQ(c.combo->count(), c.items) << c.combo->objectName().toStdString();
        EXPECT_EQ(c.combo->itemText(c.items - 1), c.last);
        EXPECT_NE(itemColor(c.combo, c.items - 1), QColor(QStringLiteral("gray"))) << "nothing is placed yet";
    }
    EXPECT_EQ(w->designer()->toolbox()->greenLedCombo()->itemText(0), QStringLiteral("  绿灯"));
}

TEST_F(Designing, ChoosingAListItemPlacesItsComponent)
{
    w->designer()->toolbox()->switchCombo()->setCurrentIndex(3);
    QPushButton* sw = w->panel()->switchButtons()[2];
    EXPECT_TRUE(sw->isVisibleTo(w->panel()->panelView()));
    EXPECT_EQ(sw->pos(), QPoint(4, 0));
    EXPECT_EQ(itemColor(w->designer()->toolbox()->switchCombo(), 3), QColor(QStringLiteral("gray")));
    EXPECT_NE(itemColor(w->designer()->toolbox()->switchCombo(), 2), QColor(QStringLiteral("gray")));

    // Dragged away and chosen again: it comes back to its place.
    sw->move(100, 60);
    w->addoneSwitch(3);
    EXPECT_EQ(sw->pos(), QPoint(4, 0));

    // The header only reconnects: nothing is shown or coloured.
    w->designer()->toolbox()->switchCombo()->setCurrentIndex(0);
    for (int i = 0; i < w->panel()->switchButtons().size(); ++i)
        EXPECT_EQ(w->panel()->switchButtons()[i]->isVisibleTo(w->panel()->panelView()), i == 2);
    EXPECT_FALSE(w->designer()->toolbox()->switchCombo()->itemData(0, Qt::BackgroundRole).isValid());

    const std::pair<QComboBox*, const QVector<QPushButton*>*> others[] = {
        {w->designer()->toolbox()->keyCombo(), &w->panel()->keyButtons()},
        {w->designer()->toolbox()->redLedCombo(), &w->panel()->redLedButtons()},
        {w->designer()->toolbox()->greenLedCombo(), &w->panel()->greenLedButtons()},
        {w->designer()->toolbox()->digitCombo(), &w->panel()->digitButtons()}};
    for (const auto& [combo, buttons] : others) {
        combo->setCurrentIndex(combo->count() - 1);
        QPushButton* last = buttons->last();
        EXPECT_TRUE(last->isVisibleTo(w->panel()->panelView())) << combo->objectName().toStdString();
        EXPECT_EQ(last->pos(), QPoint(2 * (buttons->size() - 1), 0));
    }
}

TEST_F(Designing, RepeatedAddsDeliverAPressOnce)
{
    for (int item = 1; item <= 5; ++item)
        w->designer()->toolbox()->switchCombo()->setCurrentIndex(item);
    w->addoneKey(1);
    for (QButtonGroup* g :
         {w->panel()->group(brixo::ComponentKind::Switch), w->panel()->group(brixo::ComponentKind::Key),
          w->panel()->group(brixo::ComponentKind::RedLed), w->panel()->group(brixo::ComponentKind::GreenLed),
          w->panel()->group(brixo::ComponentKind::Digit)})
        EXPECT_EQ(Peek::receiversOf(g, SIGNAL(idPressed(int))), 1) << g->objectName().toStdString();
    EXPECT_EQ(Peek::receiversOf(w->designer()->toolbox()->switchCombo(), SIGNAL(activated(int))), 1);
    EXPECT_EQ(Peek::receiversOf(w->designer()->toolbox()->dataSlotButton(), SIGNAL(clicked(bool))), 1);

    QTest::mouseClick(w->panel()->switchButtons()[4], Qt::LeftButton);
    EXPECT_EQ(w->designer()->currentIndex(), 4);
}

TEST_F(Designing, DataSlotsAreNumberedAndPlacedInCreationOrder)
{
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(w->designer()->toolbox()->dataSlotButton(), Qt::LeftButton);
    ASSERT_EQ(w->panel()->dataSlots().size(), 3);
    BrixoButton* third = w->panel()->dataSlots()[2];
    EXPECT_EQ(third->key, 2);
    EXPECT_EQ(third->index, 2);
    EXPECT_EQ(third->pos(), QPoint(15, 10));
    EXPECT_EQ(third->text(), QStringLiteral("00000000"));
    EXPECT_EQ(third->bitWidth, 16);
    EXPECT_FALSE(third->isVertical);
    EXPECT_TRUE(third->isVisibleTo(w->panel()->panelView()));
    EXPECT_EQ(w->runMode()->boardData()->dataSlotCount(), 3);

    QTest::mouseClick(w->designer()->toolbox()->textLabelButton(), Qt::LeftButton);
    QTest::mouseClick(w->designer()->toolbox()->textLabelButton(), Qt::LeftButton);
    ASSERT_EQ(w->panel()->textLabels().size(), 2);
    EXPECT_EQ(w->panel()->textLabels()[1]->key, 1);
    EXPECT_EQ(w->panel()->textLabels()[1]->pos(), QPoint(10, 10));
    EXPECT_EQ(w->panel()->textLabels()[1]->placeholderText(), QStringLiteral("添加一段注释"));
    EXPECT_TRUE(w->panel()->textLabels()[1]->text().isEmpty());

    // A new panel starts without data slots, and so does the board data's list.
    newPanel(*w);
    EXPECT_TRUE(w->panel()->dataSlots().isEmpty());
    EXPECT_EQ(w->runMode()->boardData()->dataSlotCount(), 0);
}

TEST_F(Designing, SlotEditsChangeOnlyThePressedSlotAndOnlyTwoDigitValues)
{
    for (int i = 0; i < 3; ++i)
        w->addLineEdit();
    BrixoButton* first = w->panel()->dataSlots()[0];
    BrixoButton* third = w->panel()->dataSlots()[2];
    w->removingCtl(w->panel()->dataSlots()[1]);
    ASSERT_EQ(w->panel()->dataSlots().size(), 2);

    QTest::mouseClick(third, Qt::LeftButton); // the press fills the edits with this slot
    EXPECT_EQ(w->designer()->toolbox()->keyEdit()->text(), QStringLiteral("2"));
    EXPECT_EQ(w->designer()->toolbox()->bitWidthEdit()->text(), QStringLiteral("16"));
    commit(w->designer()->toolbox()->bitWidthEdit(), QStringLiteral("32"));
    commit(w->designer()->toolbox()->indexEdit(), QStringLiteral("12"));
    EXPECT_EQ(third->bitWidth, 32);
    EXPECT_EQ(third->index, 12);
    EXPECT_EQ(first->bitWidth, 16);
    EXPECT_EQ(first->index, 0);

    commit(w->designer()->toolbox()->bitWidthEdit(), QStringLiteral("8"));
    EXPECT_EQ(third->bitWidth, 32) << "a single digit never commits";
    commit(w->designer()->toolbox()->bitWidthEdit(), QStringLiteral("16"));
    EXPECT_EQ(third->bitWidth, 16);
}

TEST_F(Designing, BoardDataReadsTheWidthTheToolboxSet)
{
    for (int i = 0; i < 3; ++i)
        w->addLineEdit();
    QTest::mouseClick(w->panel()->dataSlots()[2], Qt::LeftButton);
    commit(w->designer()->toolbox()->bitWidthEdit(), QStringLiteral("24"));
    ASSERT_EQ(w->runMode()->boardData()->dataSlotCount(), 3);
    EXPECT_EQ(w->runMode()->boardData()->dataSlots()[2].bitWidth, 24);
    EXPECT_EQ(w->runMode()->boardData()->dataSlots()[1].bitWidth, 16);
}

TEST_F(Designing, AWidthNoReadCanCarryIsRefused)
{
    w->addLineEdit();
    BrixoButton* slot = w->panel()->dataSlots()[0];
    QTest::mouseClick(slot, Qt::LeftButton);
    MessageBox::clearShown();
    MessageBox::setNextAnswer(QMessageBox::Yes);
    commit(w->designer()->toolbox()->bitWidthEdit(),
           QStringLiteral("2049")); // one bit more than a register scan carries
    EXPECT_EQ(slot->bitWidth, 16);
    EXPECT_EQ(w->designer()->toolbox()->bitWidthEdit()->text(), QStringLiteral("16"));
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].icon, QMessageBox::Warning);

    MessageBox::setNextAnswer(QMessageBox::Yes);
    commit(w->designer()->toolbox()->bitWidthEdit(),
           QStringLiteral("99999999999")); // more than an int holds: refused, not wrapped to 0
    EXPECT_EQ(slot->bitWidth, 16);

    commit(w->designer()->toolbox()->bitWidthEdit(), QStringLiteral("2048"));
    EXPECT_EQ(slot->bitWidth, 2048);
}

TEST_F(Designing, ModifyWithoutSlotsClearsTheEdits)
{
    w->designer()->toolbox()->bitWidthEdit()->setText(QStringLiteral("24"));
    w->designer()->toolbox()->indexEdit()->setText(QStringLiteral("11"));
    w->modifyBrixoLabel();
    EXPECT_TRUE(w->designer()->toolbox()->bitWidthEdit()->text().isEmpty());
    EXPECT_TRUE(w->designer()->toolbox()->indexEdit()->text().isEmpty());

    w->addLineEdit();
    w->designer()->toolbox()->keyEdit()->setText(QStringLiteral("7")); // no slot has this key
    w->designer()->toolbox()->bitWidthEdit()->setText(QStringLiteral("24"));
    w->modifyBrixoLabel();
    EXPECT_EQ(w->panel()->dataSlots()[0]->bitWidth, 16);
}

TEST_F(Designing, DigitSliderScalesEveryDigit)
{
    struct Case {
        int value;
        QSize size;
    };
    const Case cases[] = {{0, {0, 0}}, {10, {43, 67}}, {5, {21, 33}}};
    for (const auto& c : cases) {
        w->designer()->toolbox()->digitSizeSlider()->setValue(c.value);
        EXPECT_EQ(w->panel()->sstubeSize(), c.size) << "slider " << c.value;
        for (QPushButton* d : w->panel()->digitButtons()) {
            EXPECT_EQ(d->size(), c.size);
            EXPECT_EQ(d->iconSize(), c.size);
        }
    }
}

TEST_F(Designing, BackgroundSliderScalesOnlyTheDisplay)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("board.v2.png"));
    QPixmap picture(400, 300);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(file));

    FileDialog::setNextAnswer(file);
    w->addBackground();
    EXPECT_EQ(w->panel()->background().image.size(), QSize(400, 300));
    EXPECT_EQ(w->panel()->background().format, QStringLiteral("png"));
    EXPECT_EQ(w->panel()->background().fileName, QStringLiteral("board.v2.png"));
    EXPECT_EQ(w->panel()->backgroundView()->size(), QSize(410, 310));

    w->designer()->toolbox()->backgroundSizeSlider()->setValue(5);
    const auto items = w->panel()->backgroundScene().items();
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(static_cast<QGraphicsPixmapItem*>(items[0])->pixmap().size(), QSize(200, 150));
    EXPECT_EQ(w->panel()->backgroundView()->sceneRect(), QRectF(0, 0, 200, 150));
    EXPECT_EQ(w->panel()->backgroundView()->size(), QSize(210, 160));
    EXPECT_EQ(w->panel()->background().image.size(), QSize(400, 300));

    // A cancelled dialog keeps the background the panel has.
    FileDialog::setNextAnswer(QString());
    w->addBackground();
    EXPECT_EQ(w->panel()->background().image.size(), QSize(400, 300));
    EXPECT_EQ(w->panel()->background().format, QStringLiteral("png"));
    EXPECT_EQ(w->panel()->backgroundScene().items().size(), 1);
}

TEST_F(Designing, RemovingTakesComponentsOffThePanel)
{
    w->addoneSwitch(1);
    w->addText();
    w->addLineEdit();
    QPushButton* sw = w->panel()->switchButtons()[0];
    BrixoLineedit* label = w->panel()->textLabels()[0];
    w->removingCtl(sw);
    w->removingCtl(label);
    EXPECT_FALSE(sw->isVisibleTo(w->panel()->panelView()));
    EXPECT_EQ(w->panel()->switchButtons().size(), 36) << "array components stay in their arrays";
    EXPECT_TRUE(w->panel()->textLabels().isEmpty());
    EXPECT_FALSE(label->isVisibleTo(w->panel()->panelView()));
    EXPECT_EQ(w->panel()->dataSlots().size(), 1);

    w->addoneSwitch(1);
    EXPECT_TRUE(sw->isVisibleTo(w->panel()->panelView()));
}

TEST_F(Designing, RightClickOnASelectedComponentRemovesIt)
{
    w->addoneRedLed(2);
    w->addText();
    w->addLineEdit();
    const QList<QWidget*> targets = {w->panel()->redLedButtons()[1], w->panel()->textLabels().last(),
                                     w->panel()->dataSlots().last()};
    for (QWidget* target : targets) {
        SCOPED_TRACE(target->metaObject()->className());
        // A menu opened by the removing click would run modally; note it and close it.
        bool menuOpened = false;
        QTimer::singleShot(100, [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                menuOpened = true;
                popup->close();
            }
        });
        QTest::mouseDClick(target, Qt::LeftButton);
        QTest::mouseClick(target, Qt::RightButton);
        // The window system follows a right press with a context-menu request.
        QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(3, 3), target->mapToGlobal(QPoint(3, 3)));
        QApplication::sendEvent(target, &request);
        QTest::qWait(150);
        EXPECT_FALSE(target->isVisibleTo(w->panel()->panelView()));
        EXPECT_FALSE(menuOpened);
    }
    EXPECT_EQ(itemColor(w->designer()->toolbox()->redLedCombo(), 2), QColor(QStringLiteral("white")));
    EXPECT_TRUE(w->panel()->textLabels().isEmpty());
    EXPECT_TRUE(w->panel()->dataSlots().isEmpty());
}

TEST(DesignerSettings, SpacedNameIsSimplifiedAndTitled)
{
    MainWindow w;
    newPanel(w, QStringLiteral("  DE2   lab  board "), QStringLiteral("  exp  1 "));
    EXPECT_EQ(w.panel()->name(), QStringLiteral("DE2 lab board"));
    EXPECT_EQ(w.panel()->experiment(), QStringLiteral("exp 1"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Brixo - DE2 lab board"));

    newPanel(w, QStringLiteral("   "));
    EXPECT_EQ(w.panel()->name(), QString());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Brixo - "));
}

TEST(DesignerSettings, NewInDesignModeAsksFirst)
{
    MainWindow w;
    newPanel(w, QStringLiteral("old"));
    w.addoneSwitch(1);
    w.panel()->setModified(false); // saved: only the plain question is left
    QPushButton* oldSwitch = w.panel()->switchButtons()[0];
    MessageBox::clearShown();
    MessageBox::setNextAnswer(QMessageBox::No);
    w.createNewPanel();
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("新建后会清除当前界面，继续吗？"));
    EXPECT_EQ(MessageBox::shown()[0].icon, QMessageBox::Question);
    EXPECT_EQ(w.panel()->switchButtons()[0], oldSwitch);
    EXPECT_EQ(w.panel()->name(), QStringLiteral("old"));
}

TEST(DesignerSettings, CancelKeepsThePanelButStillSelectsTheExperiment)
{
    MainWindow w;
    newPanel(w, QStringLiteral("kept"), QStringLiteral("no-such-experiment"));
    w.addoneSwitch(1);
    w.panel()->setModified(false);
    w.files()->setOrigin(QStringLiteral("vp2"), w.files()->filePath(), w.files()->savePath(), false);
    w.panel()->background().image = QPixmap(10, 10);
    // An experiment the simulation knows, so its selection can be seen.
    w.panel()->setExperiment(QStringLiteral("KVTRM1502"));
    w.runMode()->boardData()->selectExperiment(QString());
    ASSERT_EQ(w.runMode()->boardData()->simulationStep(), nullptr);
    MessageBox::setNextAnswer(QMessageBox::Yes);
    MessageBox::setNextDialog([](QDialog& d) {
        QTest::mouseClick(static_cast<pannelSetting&>(d).cancelButton, Qt::LeftButton);
        return d.result();
    });
    QPushButton* before = w.panel()->switchButtons()[0];
    w.createNewPanel();
    EXPECT_EQ(w.panel()->switchButtons()[0], before);
    EXPECT_TRUE(before->isVisibleTo(w.panel()->panelView()));
    EXPECT_EQ(w.panel()->name(), QStringLiteral("kept"));
    EXPECT_FALSE(w.files()->isNewPanel());
    EXPECT_EQ(w.files()->fileKind(), QStringLiteral("vp2"));
    EXPECT_FALSE(w.panel()->background().image.isNull());
    EXPECT_NE(w.runMode()->boardData()->simulationStep(), nullptr) << "the identifier is handed on after Cancel too";
}

TEST(DesignerSettings, InformationFormLocksCountsAndEditsNames)
{
    MainWindow w;
    MessageBox::clearShown();
    MessageBox::setNextAnswer(QMessageBox::Yes);
    w.showPanelInfo();
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("你还没有打开或创建虚拟面板"));
    EXPECT_EQ(MessageBox::shown()[0].icon, QMessageBox::Warning);

    newPanel(w, QStringLiteral("first"), QStringLiteral("id"));
    bool locked = false;
    int shownSwitches = -1;
    MessageBox::setNextDialog([&](QDialog& d) {
        auto& s = static_cast<pannelSetting&>(d);
        locked = !s.switchSpin->isEnabled() && !s.keySpin->isEnabled() && !s.redLedSpin->isEnabled() &&
                 !s.greenLedSpin->isEnabled() && !s.digitSpin->isEnabled();
        shownSwitches = s.switchSpin->value();
        EXPECT_EQ(s.nameEdit->text(), QStringLiteral("first"));
        EXPECT_EQ(s.identifierEdit->text(), QStringLiteral("id"));
        s.nameEdit->setText(QStringLiteral(" second  name"));
        QTest::mouseClick(s.okButton, Qt::LeftButton);
        return d.result();
    });
    w.showPanelInfo();
    EXPECT_TRUE(locked);
    EXPECT_EQ(shownSwitches, 36);
    EXPECT_EQ(w.panel()->name(), QStringLiteral("second name"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Brixo - second name"));
    EXPECT_EQ(w.panel()->switchButtons().size(), 36) << "the panel is not rebuilt";

    MessageBox::setNextDialog([](QDialog& d) {
        auto& s = static_cast<pannelSetting&>(d);
        s.nameEdit->setText(QStringLiteral("abandoned"));
        s.identifierEdit->setText(QStringLiteral("x"));
        QTest::mouseClick(s.cancelButton, Qt::LeftButton);
        return d.result();
    });
    w.showPanelInfo();
    EXPECT_EQ(w.panel()->name(), QStringLiteral("second name"));
    EXPECT_EQ(w.panel()->experiment(), QStringLiteral("id"));
    EXPECT_EQ(w.runMode()->boardData()->simulationStep(), nullptr);

    MessageBox::setNextDialog([](QDialog& d) {
        auto& s = static_cast<pannelSetting&>(d);
        s.identifierEdit->setText(QStringLiteral(" GZMWTH1708 "));
        QTest::mouseClick(s.okButton, Qt::LeftButton);
        return d.result();
    });
    w.showPanelInfo();
    EXPECT_EQ(w.panel()->experiment(), QStringLiteral("GZMWTH1708"));
    EXPECT_NE(w.runMode()->boardData()->simulationStep(), nullptr);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Brixo - second name"));
}

namespace {
void mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Presses inside a component, moves the pointer by `by` and lets go, as a user drags it.
void drag(QWidget* w, QPoint by)
{
    const QPoint grab(3, 3);
    mouse(w, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
    mouse(w, QEvent::MouseMove, grab + by, Qt::NoButton, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, grab + by, Qt::LeftButton, Qt::NoButton);
}

struct Placed {
    QString kind;
    int index;
    QPoint pos;
    bool upright;
};
QList<Placed> placed(MainWindow& w)
{
    QList<Placed> out;
    const std::pair<const char*, const QVector<QPushButton*>*> kinds[] = {{"switch", &w.panel()->switchButtons()},
                                                                          {"key", &w.panel()->keyButtons()},
                                                                          {"red", &w.panel()->redLedButtons()},
                                                                          {"green", &w.panel()->greenLedButtons()},
                                                                          {"digit", &w.panel()->digitButtons()}};
    for (const auto& [name, buttons] : kinds)
        for (int i = 0; i < buttons->size(); ++i)
            if (!(*buttons)[i]->isHidden())
                out.append({QLatin1String(name), i, (*buttons)[i]->pos(), w.panel()->isSwitchUpright((*buttons)[i])});
    return out;
}

bool operator==(const Placed& a, const Placed& b)
{
    return a.kind == b.kind && a.index == b.index && a.pos == b.pos && (a.kind != "switch" || a.upright == b.upright);
}
} // namespace

TEST(DesignerStory, NewPlaceDragSaveReopenGivesTheSamePanel)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("board.jvp"));
    QList<Placed> before;
    QStringList slotsBefore, labelsBefore;
    {
        MainWindow w;
        MessageBox::setNextDialog([](QDialog& d) {
            auto& s = static_cast<pannelSetting&>(d);
            QTest::keyClicks(s.nameEdit, QStringLiteral("My  board"));
            QTest::mouseClick(s.okButton, Qt::LeftButton);
            return d.result();
        });
        w.findChild<QAction*>(QStringLiteral("newAction"))->trigger();
        ASSERT_TRUE(w.designer()->isDesigning());
        ASSERT_EQ(w.windowTitle(), QStringLiteral("Brixo - My board"));

        // One switch by keyboard, the rest by choosing list items.
        w.designer()->toolbox()->switchCombo()->setFocus();
        QTest::keyClick(w.designer()->toolbox()->switchCombo(), Qt::Key_Down);
        ASSERT_EQ(w.designer()->toolbox()->switchCombo()->currentIndex(), 1);
        w.designer()->toolbox()->keyCombo()->setCurrentIndex(4);
        w.designer()->toolbox()->redLedCombo()->setCurrentIndex(1);
        w.designer()->toolbox()->greenLedCombo()->setCurrentIndex(18);
        w.designer()->toolbox()->digitCombo()->setCurrentIndex(2);

        drag(w.panel()->switchButtons()[0], QPoint(120, 80));
        drag(w.panel()->keyButtons()[3], QPoint(200, 40));
        drag(w.panel()->redLedButtons()[0], QPoint(50, 150));
        drag(w.panel()->greenLedButtons()[17], QPoint(10, 200));
        drag(w.panel()->digitButtons()[1], QPoint(300, 100));
        EXPECT_EQ(w.panel()->switchButtons()[0]->pos(), QPoint(120, 80));
        // The drag ends in the component table.
        EXPECT_EQ(w.tables()->infoModel()->rowCount(), 5);
        EXPECT_EQ(w.tables()->infoModel()->item(0, 2)->text(), QStringLiteral("120"));
        EXPECT_EQ(w.tables()->infoModel()->item(0, 3)->text(), QStringLiteral("80"));

        // Turn the switch on its side: select with a double-click, then Space.
        QTest::mouseDClick(w.panel()->switchButtons()[0], Qt::LeftButton);
        QTest::keyClick(w.panel()->switchButtons()[0], Qt::Key_Space);
        EXPECT_FALSE(w.panel()->isSwitchUpright(w.panel()->switchButtons()[0]));

        QTest::mouseClick(w.designer()->toolbox()->dataSlotButton(), Qt::LeftButton);
        QTest::mouseClick(w.designer()->toolbox()->textLabelButton(), Qt::LeftButton);
        drag(w.panel()->dataSlots()[0], QPoint(60, 300));
        QTest::mouseClick(w.panel()->dataSlots()[0], Qt::LeftButton);
        commit(w.designer()->toolbox()->bitWidthEdit(), QStringLiteral("12"));
        EXPECT_EQ(w.panel()->dataSlots()[0]->bitWidth, 12);
        QTest::keyClicks(w.panel()->textLabels()[0], QStringLiteral("ALU"));
        EXPECT_EQ(w.panel()->textLabels()[0]->text(), QStringLiteral("ALU"));

        before = placed(w);
        for (BrixoButton* s : w.panel()->dataSlots())
            slotsBefore << QStringLiteral("%1 %2 %3,%4").arg(s->index).arg(s->bitWidth).arg(s->x()).arg(s->y());
        for (BrixoLineedit* l : w.panel()->textLabels())
            labelsBefore << QStringLiteral("%1 %2,%3").arg(l->text()).arg(l->x()).arg(l->y());
        ASSERT_EQ(before.size(), 5);

        FileDialog::setNextAnswer(file);
        w.findChild<QAction*>(QStringLiteral("saveAction"))->trigger();
        ASSERT_TRUE(QFileInfo::exists(file));
    }

    MainWindow w;
    FileDialog::setNextAnswer(file);
    w.findChild<QAction*>(QStringLiteral("openAction"))->trigger();
    EXPECT_EQ(w.panel()->name(), QStringLiteral("My board"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Brixo - My board"));
    const QList<Placed> after = placed(w);
    EXPECT_EQ(after.size(), before.size());
    for (int i = 0; i < before.size() && i < after.size(); ++i)
        EXPECT_TRUE(after[i] == before[i]) << before[i].kind.toStdString() << before[i].index;
    QStringList slotsAfter, labelsAfter;
    for (BrixoButton* s : w.panel()->dataSlots())
        slotsAfter << QStringLiteral("%1 %2 %3,%4").arg(s->index).arg(s->bitWidth).arg(s->x()).arg(s->y());
    for (BrixoLineedit* l : w.panel()->textLabels())
        labelsAfter << QStringLiteral("%1 %2,%3").arg(l->text()).arg(l->x()).arg(l->y());
    EXPECT_EQ(slotsAfter, slotsBefore);
    EXPECT_EQ(labelsAfter, labelsBefore);
}

TEST(DesignerStory, RemovedComponentsAreNotSavedUntilChosenAgain)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("removed.jvp"));
    MainWindow w;
    newPanel(w);
    w.addoneSwitch(1);
    w.addoneSwitch(2);
    w.addText();
    w.addText();
    w.panel()->textLabels()[0]->setText(QStringLiteral("gone"));
    w.panel()->textLabels()[1]->setText(QStringLiteral("kept"));
    w.removingCtl(w.panel()->textLabels()[0]);
    w.removingCtl(w.panel()->switchButtons()[0]);

    const auto reopen = [&](MainWindow& into) {
        into.saveByjson(file);
        MainWindow r;
        FileDialog::setNextAnswer(file);
        r.judgeModel();
        QStringList seen;
        for (int i = 0; i < r.panel()->switchButtons().size(); ++i)
            if (!r.panel()->switchButtons()[i]->isHidden())
                seen << QStringLiteral("switch%1").arg(i);
        for (BrixoLineedit* l : r.panel()->textLabels())
            seen << l->text();
        return seen;
    };
    EXPECT_EQ(reopen(w), (QStringList{QStringLiteral("switch1"), QStringLiteral("kept")}));
    w.addoneSwitch(1);
    EXPECT_EQ(reopen(w), (QStringList{QStringLiteral("switch0"), QStringLiteral("switch1"), QStringLiteral("kept")}));
}

TEST(DesignerStory, BackgroundKeepsItsSizeInTheFile)
{
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("bg.png"));
    QPixmap pm(400, 300);
    pm.fill(Qt::blue);
    ASSERT_TRUE(pm.save(picture));
    const QString file = dir.filePath(QStringLiteral("bg.jvp"));
    {
        MainWindow w;
        newPanel(w);
        FileDialog::setNextAnswer(picture);
        w.findChild<QAction*>(QStringLiteral("backgroundAction"))->trigger();
        w.designer()->toolbox()->backgroundSizeSlider()->setValue(5);
        w.saveByjson(file);
    }
    MainWindow r;
    FileDialog::setNextAnswer(file);
    r.judgeModel();
    EXPECT_EQ(r.panel()->background().image.size(), QSize(400, 300));
}

// A keyboard key is given in the toolbox to the switch or key last pressed, is named in its
// tool tip, and comes back with the file; a file without keys of its own gets the digit keys.
TEST(DesignerStory, KeyBindingsSetInTheToolboxComeBackWithTheFile)
{
    using panelfile::Kind;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("keys.jvp"));
    const auto act = [](MainWindow& w, const char* name) { w.findChild<QAction*>(QLatin1String(name))->trigger(); };
    {
        MainWindow w;
        newPanel(w);
        PanelKeys* keys = w.runMode()->keys();
        w.designer()->toolbox()->switchCombo()->setCurrentIndex(3); // switch 2
        w.designer()->toolbox()->keyCombo()->setCurrentIndex(6);    // key 5
        ASSERT_FALSE(keys->bindingEdit->isEnabled());               // nothing pressed yet
        QTest::mouseClick(w.panel()->switchButtons()[2], Qt::LeftButton);
        EXPECT_EQ(keys->bindingTarget->text(), QStringLiteral("开关2"));
        QTest::keyClick(keys->bindingEdit, Qt::Key_B);
        QTest::mouseClick(w.panel()->keyButtons()[5], Qt::LeftButton);
        QTest::keyClick(keys->bindingEdit, Qt::Key_0); // taken from K0
        EXPECT_EQ(keys->bindingEdit->text(), QStringLiteral("0"));
        EXPECT_TRUE(w.panel()->switchButtons()[2]->toolTip().startsWith(QStringLiteral("开关2（键盘 B）")));
        EXPECT_TRUE(w.panel()->keyButtons()[5]->toolTip().contains(QStringLiteral("（键盘 0）")));
        EXPECT_FALSE(w.panel()->keyButtons()[0]->toolTip().contains(QStringLiteral("键盘")));
        FileDialog::setNextAnswer(file);
        act(w, "saveAction");
    }
    MainWindow w;
    FileDialog::setNextAnswer(file);
    act(w, "openAction");
    const panelfile::KeyBindings& b = w.panel()->keyBindings();
    EXPECT_EQ(b.keyOf(Kind::Switch, 2), int(Qt::Key_B));
    EXPECT_EQ(b.keyOf(Kind::Key, 5), int(Qt::Key_0));
    EXPECT_EQ(b.keyOf(Kind::Key, 0), 0);
    EXPECT_EQ(b.keyOf(Kind::Key, 1), int(Qt::Key_1));
    EXPECT_EQ(w.panel()->switchButtons()[2]->toolTip(), QStringLiteral("开关2（键盘 B）"));
    // Cleared in the toolbox, the key goes from the panel.
    act(w, "designAction");
    QTest::mouseClick(w.panel()->switchButtons()[2], Qt::LeftButton);
    QTest::mouseClick(w.runMode()->keys()->bindingClear, Qt::LeftButton);
    EXPECT_EQ(w.panel()->keyBindings().keyOf(Kind::Switch, 2), 0);
    act(w, "designAction");

    // The cleared binding is an unsaved change: Open asks first.
    EXPECT_TRUE(w.panel()->isModified());
    MessageBox::setNextAnswer(QMessageBox::Discard);
    FileDialog::setNextAnswer(QStringLiteral(BRIXO_EXAMPLES_DIR "/adder_a.jvp"));
    act(w, "openAction");
    EXPECT_EQ(w.panel()->keyBindings(), panelfile::KeyBindings::defaults());
}
