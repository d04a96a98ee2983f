// The main window as a user first meets it: menus, tool bars, the design toolbox and the two
// working modes with their dress and wiring.
#include "app/mainwindow.h"
#include "board/runmode.h"
#include "board/virtualcomponentdata.h"
#include "panel/componenttables.h"
#include "panel/designer.h"
#include "panel/designtoolbox.h"
#include "panel/panelmodel.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDockWidget>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTest>
#include <QToolBar>
#include <QValidator>
#include <gtest/gtest.h>

// Readable failure messages for Qt strings.
void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {
QStringList texts(const QList<QAction*>& actions)
{
    QStringList t;
    for (QAction* a : actions)
        t << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return t;
}

const QString hint = QStringLiteral("（双击选中后右击删除）");
}

TEST(MainWindowShell, MenusInOrderWithShortcutsIconsAndChecks)
{
    MainWindow w;
    EXPECT_EQ(w.windowTitle(), "Brixo");
    QStringList menus;
    for (QAction* a : w.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, QStringList({"实验板(&B)", "模式(&M)", "设计(&S)", "帮助(&H)"}));
    EXPECT_EQ(texts(w.findChild<QMenu*>(QStringLiteral("boardMenu"))->actions()),
              QStringList({"新建虚拟面板(&N)", "打开虚拟面板(&O)", "保存虚拟面板(&S)", "另存为.....", "-",
                           "连接调试适配器(&C)", "下载FPGA(&G)", "-", "仿真Verilog设计(&V)...", "重新载入设计(&R)",
                           "按设计新建面板(&P)", "-", "导出面板图片(&E)...", "复制面板图片(&I)", "-", "退出(&X)"}));
    EXPECT_EQ(
        texts(w.findChild<QMenu*>(QStringLiteral("modeMenu"))->actions()),
        QStringList({"无板仿真(&S)", "虚拟面板设计(&D)", "自动刷新(&A)", "-", "录制波形(&R)...", "导出时序图(&T)..."}));
    EXPECT_EQ(texts(w.findChild<QMenu*>(QStringLiteral("designMenu"))->actions()),
              QStringList({"设置虚拟面板", "添加更换背景图", "控件信息表"}));
    EXPECT_EQ(
        texts(w.findChild<QMenu*>(QStringLiteral("helpMenu"))->actions()),
        QStringList({"Change &Language to English", "调试适配器信息(&D)", "片上调试器信息(&O)", "版本版权信息(&A)"}));
    EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("openAction"))->shortcut(), QKeySequence(QKeySequence::Open));
    EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("saveAction"))->shortcut(), QKeySequence(QKeySequence::Save));
    EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("exitAction"))->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(w.findChild<QAction*>(QStringLiteral("reloadDesignAction"))->shortcut(), QKeySequence("Ctrl+R"));
    for (QAction* a : {w.findChild<QAction*>(QStringLiteral("simulationAction")),
                       w.findChild<QAction*>(QStringLiteral("designAction")),
                       w.findChild<QAction*>(QStringLiteral("autoRefreshAction")),
                       w.findChild<QAction*>(QStringLiteral("recordAction"))}) {
        EXPECT_TRUE(a->isCheckable());
        EXPECT_FALSE(a->isChecked());
    }
    for (QAction* a :
         {w.findChild<QAction*>(QStringLiteral("newAction")), w.findChild<QAction*>(QStringLiteral("openAction")),
          w.findChild<QAction*>(QStringLiteral("saveAction")), w.findChild<QAction*>(QStringLiteral("saveAsAction")),
          w.findChild<QAction*>(QStringLiteral("connectAction")),
          w.findChild<QAction*>(QStringLiteral("configureFpgaAction")),
          w.findChild<QAction*>(QStringLiteral("designAction")),
          w.findChild<QAction*>(QStringLiteral("panelSettingsAction")),
          w.findChild<QAction*>(QStringLiteral("backgroundAction")),
          w.findChild<QAction*>(QStringLiteral("componentTableAction")),
          w.findChild<QAction*>(QStringLiteral("languageAction"))})
        EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
    EXPECT_TRUE(w.findChild<QAction*>(QStringLiteral("exitAction"))->icon().isNull());
}

TEST(MainWindowShell, ToolBarsOnTheLeftAndInitialEnabledStates)
{
    MainWindow w;
    EXPECT_EQ(w.toolBarArea(w.findChild<QToolBar*>(QStringLiteral("fileToolBar"))), Qt::LeftToolBarArea);
    EXPECT_EQ(w.toolBarArea(w.findChild<QToolBar*>(QStringLiteral("designToolBar"))), Qt::LeftToolBarArea);
    EXPECT_TRUE(w.findChild<QToolBar*>(QStringLiteral("fileToolBar"))->isMovable() &&
                w.findChild<QToolBar*>(QStringLiteral("designToolBar"))->isMovable());
    EXPECT_EQ(w.findChild<QToolBar*>(QStringLiteral("fileToolBar"))->actions(),
              QList<QAction*>({w.findChild<QAction*>(QStringLiteral("newAction")),
                               w.findChild<QAction*>(QStringLiteral("openAction")),
                               w.findChild<QAction*>(QStringLiteral("saveAction")),
                               w.findChild<QAction*>(QStringLiteral("connectAction")),
                               w.findChild<QAction*>(QStringLiteral("configureFpgaAction"))}));
    EXPECT_EQ(w.findChild<QToolBar*>(QStringLiteral("designToolBar"))->actions(),
              QList<QAction*>({w.findChild<QAction*>(QStringLiteral("designAction")),
                               w.findChild<QAction*>(QStringLiteral("backgroundAction")),
                               w.findChild<QAction*>(QStringLiteral("panelSettingsAction")),
                               w.findChild<QAction*>(QStringLiteral("componentTableAction"))}));
    EXPECT_TRUE(w.findChild<QAction*>(QStringLiteral("saveAction"))->isEnabled() &&
                w.findChild<QAction*>(QStringLiteral("saveAsAction"))->isEnabled() &&
                w.findChild<QAction*>(QStringLiteral("newAction"))->isEnabled());
    for (QAction* a : {w.findChild<QAction*>(QStringLiteral("panelSettingsAction")),
                       w.findChild<QAction*>(QStringLiteral("backgroundAction")),
                       w.findChild<QAction*>(QStringLiteral("componentTableAction"))})
        EXPECT_FALSE(a->isEnabled());
    EXPECT_TRUE(w.designer()->toolbox()->isHidden());
    EXPECT_TRUE(w.runMode()->countdownLabel()->isHidden());
    auto* scroll = qobject_cast<QScrollArea*>(w.centralWidget());
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->widget(), w.panel()->panelView());
    EXPECT_EQ(w.panel()->backgroundView()->parentWidget(), w.panel()->panelView());
}

TEST(MainWindowShell, DesignToolboxRows)
{
    MainWindow w;
    EXPECT_EQ(w.designer()->toolbox()->windowTitle(), "设计工具箱");
    EXPECT_GE(w.designer()->toolbox()->width(), 120);
    EXPECT_FALSE(w.designer()->toolbox()->features() & QDockWidget::DockWidgetClosable);
    EXPECT_TRUE(w.designer()->toolbox()->features() & QDockWidget::DockWidgetMovable);
    EXPECT_TRUE(w.designer()->toolbox()->features() & QDockWidget::DockWidgetFloatable);
    EXPECT_EQ(w.dockWidgetArea(w.designer()->toolbox()), Qt::LeftDockWidgetArea);
    const QWidget* rows[] = {w.designer()->toolbox()->switchCombo(),
                             w.designer()->toolbox()->keyCombo(),
                             w.designer()->toolbox()->redLedCombo(),
                             w.designer()->toolbox()->greenLedCombo(),
                             w.designer()->toolbox()->digitCombo(),
                             w.designer()->toolbox()->dataSlotButton(),
                             w.designer()->toolbox()->textLabelButton(),
                             w.findChild<QLabel*>(QStringLiteral("digitSizeLabel")),
                             w.designer()->toolbox()->digitSizeSlider(),
                             w.findChild<QLabel*>(QStringLiteral("backgroundSizeLabel")),
                             w.designer()->toolbox()->backgroundSizeSlider(),
                             w.findChild<QGroupBox*>(QStringLiteral("dataSlotGroup")),
                             w.findChild<QGroupBox*>(QStringLiteral("bindingGroup"))};
    ASSERT_EQ(w.findChild<QGridLayout*>(QStringLiteral("dockLayout"))->count(), 13);
    for (int r = 0; r < 13; ++r)
        EXPECT_EQ(w.findChild<QGridLayout*>(QStringLiteral("dockLayout"))->itemAtPosition(r, 0)->widget(), rows[r])
            << r;
    const struct {
        QComboBox* box;
        const char* text;
        int visible;
    } combos[] = {
        {w.designer()->toolbox()->switchCombo(), "  开关", 37},
        {w.designer()->toolbox()->keyCombo(), "  按键", 21},
        {w.designer()->toolbox()->redLedCombo(), "  红灯", 19},
        {w.designer()->toolbox()->greenLedCombo(), "  绿灯", 19},
        {w.designer()->toolbox()->digitCombo(), " 数码管", 9},
    };
    for (const auto& c : combos) {
        EXPECT_EQ(c.box->itemText(0), QString::fromUtf8(c.text));
        EXPECT_EQ(c.box->maxVisibleItems(), c.visible);
        EXPECT_FALSE(c.box->itemIcon(0).isNull());
    }
    EXPECT_EQ(w.designer()->toolbox()->digitSizeSlider()->minimum(), 0);
    EXPECT_EQ(w.designer()->toolbox()->digitSizeSlider()->maximum(), 10);
    EXPECT_EQ(w.designer()->toolbox()->digitSizeSlider()->value(), 5);
    EXPECT_EQ(w.designer()->toolbox()->backgroundSizeSlider()->maximum(), 20);
    EXPECT_EQ(w.designer()->toolbox()->backgroundSizeSlider()->value(), 10);
    for (QLineEdit* e : {w.designer()->toolbox()->bitWidthEdit(), w.designer()->toolbox()->indexEdit()}) {
        ASSERT_NE(e->validator(), nullptr);
        int pos = 0;
        QString good = "16", zero = "08", letters = "x1";
        EXPECT_EQ(e->validator()->validate(good, pos), QValidator::Acceptable);
        EXPECT_EQ(e->validator()->validate(zero, pos), QValidator::Invalid);
        EXPECT_EQ(e->validator()->validate(letters, pos), QValidator::Invalid);
    }
    EXPECT_TRUE(w.designer()->toolbox()->keyEdit()->isReadOnly());
    EXPECT_TRUE(w.designer()->toolbox()->keyEdit()->isHidden());
}

TEST(MainWindowModes, DesignWithoutAPanelTouchesOnlyDockAndMenu)
{
    MainWindow w;
    w.turnDesign(true);
    EXPECT_TRUE(w.designer()->isDesigning());
    EXPECT_FALSE(w.designer()->toolbox()->isHidden());
    for (QAction* a : {w.findChild<QAction*>(QStringLiteral("panelSettingsAction")),
                       w.findChild<QAction*>(QStringLiteral("backgroundAction")),
                       w.findChild<QAction*>(QStringLiteral("componentTableAction"))})
        EXPECT_TRUE(a->isEnabled());
    EXPECT_FALSE(w.panel()->hasPanel());
    w.turnDesign(false);
    EXPECT_TRUE(w.designer()->toolbox()->isHidden());
    EXPECT_FALSE(w.findChild<QAction*>(QStringLiteral("componentTableAction"))->isEnabled());
    EXPECT_TRUE(w.findChild<QAction*>(QStringLiteral("saveAction"))->isEnabled());
}

TEST(MainWindowModes, DesignAndRunDress)
{
    MainWindow w;
    w.settingCtlNumber(2, 2, 2, 2, 2);
    w.createCtl();
    w.panel()->setSwitchUpright(w.panel()->switchButtons()[1], false);
    w.findChild<QAction*>(QStringLiteral("designAction"))->trigger();
    EXPECT_EQ(w.panel()->keyButtons()[1]->toolTip(), "按键1（键盘 1）" + hint); // the digit keys drive K0-K9
    EXPECT_EQ(w.panel()->switchButtons()[0]->toolTip(), "开关0" + hint);
    EXPECT_EQ(w.panel()->redLedButtons()[1]->toolTip(), "指示灯1" + hint);
    EXPECT_EQ(w.panel()->greenLedButtons()[0]->toolTip(), "指示灯18" + hint);
    EXPECT_EQ(w.panel()->greenLedButtons()[1]->toolTip(), "指示灯19" + hint);
    EXPECT_EQ(w.panel()->digitButtons()[0]->toolTip(), "数码管0" + hint);
    EXPECT_FALSE(w.panel()->switchButtons()[0]->isCheckable());
    EXPECT_FALSE(w.panel()->switchButtons()[0]->isFlat());
    const auto same = [](const QIcon& icon, const QPixmap& pm) {
        return icon.pixmap(pm.size()).toImage() == QIcon(pm).pixmap(pm.size()).toImage();
    };
    EXPECT_TRUE(same(w.panel()->switchButtons()[0]->icon(), w.panel()->pictures().switchOnImage));
    EXPECT_TRUE(same(w.panel()->switchButtons()[1]->icon(), w.panel()->pictures().switchOnLayImage));
    EXPECT_TRUE(same(w.panel()->redLedButtons()[0]->icon(), w.panel()->pictures().ledRedImage));
    EXPECT_TRUE(same(w.panel()->greenLedButtons()[0]->icon(), w.panel()->pictures().ledGreenImage));
    EXPECT_TRUE(w.panel()->digitViews()[0]->isHidden());
    EXPECT_EQ(w.panel()->digitButtons()[0]->iconSize(), w.panel()->sstubeSize());

    w.findChild<QAction*>(QStringLiteral("designAction"))->trigger(); // back to run mode through the menu item
    EXPECT_FALSE(w.designer()->isDesigning());
    EXPECT_EQ(w.panel()->greenLedButtons()[0]->toolTip(), "指示灯18");
    EXPECT_EQ(w.panel()->switchButtons()[1]->toolTip(), "开关1");
    EXPECT_TRUE(w.panel()->switchButtons()[0]->isCheckable());
    EXPECT_TRUE(w.panel()->switchButtons()[0]->isFlat());
    EXPECT_EQ(w.panel()->switchButtons()[0]->styleSheet(), "QPushButton { background-color:transparent; }");
    // Board data starts with every switch off.
    EXPECT_TRUE(same(w.panel()->switchButtons()[0]->icon(), w.panel()->pictures().switchOffImage));
    EXPECT_TRUE(same(w.panel()->switchButtons()[1]->icon(), w.panel()->pictures().switchOffLayImage));
    EXPECT_TRUE(same(w.panel()->redLedButtons()[0]->icon(), w.panel()->pictures().ledOffImage));
    EXPECT_TRUE(same(w.panel()->greenLedButtons()[1]->icon(), w.panel()->pictures().ledOffImage));
    EXPECT_FALSE(w.panel()->digitViews()[0]->isHidden());
    EXPECT_EQ(w.panel()->digitViews()[0]->size(), w.panel()->sstubeSize());
    EXPECT_EQ(w.panel()->digitScenes()[0]->items().size(), 1);
    w.turnDesign(true);
    w.turnDesign(false);
    EXPECT_EQ(w.panel()->digitScenes()[0]->items().size(), 1); // mode changes do not pile pictures up
    // Leaving design mode with a panel makes the Design-menu commands do nothing, not only disables them.
    w.findChild<QAction*>(QStringLiteral("componentTableAction"))->setEnabled(true);
    w.findChild<QAction*>(QStringLiteral("componentTableAction"))->trigger();
    EXPECT_TRUE(w.tables()->infoDock()->isHidden());
}

TEST(MainWindowModes, PressesReachReturnKeyOnceAndOnlyInDesignMode)
{
    MainWindow w;
    w.settingCtlNumber(3, 3, 3, 3, 3);
    w.createCtl();
    w.turnDesign(true);
    w.designConnect(); // a repeated connect must not add a second delivery
    w.turnDesign(true);
    EXPECT_EQ(w.designer()->designConnectionCount(), 5);
    const struct {
        const QVector<QPushButton*>& buttons;
        int index;
    } presses[] = {
        {w.panel()->keyButtons(), 2},      {w.panel()->switchButtons(), 1}, {w.panel()->redLedButtons(), 2},
        {w.panel()->greenLedButtons(), 1}, {w.panel()->digitButtons(), 2},
    };
    for (const auto& p : presses) {
        w.returnKey(-1);
        p.buttons[p.index]->show();
        QTest::mouseClick(p.buttons[p.index], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        EXPECT_EQ(w.designer()->currentIndex(), p.index);
    }
    w.turnDesign(false);
    EXPECT_TRUE(w.designer()->designConnectionCount() == 0);
    // Run-mode input drives the board; a boardless experiment keeps this test off the adapter.
    w.turnSimulation(true);
    w.runMode()->boardData()->selectExperiment(QStringLiteral("KVTRM1502"));
    w.returnKey(-1);
    QTest::mouseClick(w.panel()->keyButtons()[1], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(w.designer()->currentIndex(), -1);
    // In run mode a switch is a checkable toggle, not a selection.
    QTest::mouseClick(w.panel()->switchButtons()[1], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_TRUE(w.panel()->switchButtons()[1]->isChecked());
    EXPECT_EQ(w.designer()->currentIndex(), -1);
    // Run mode dress removes the design filter: a double-click selects nothing.
    QTest::mouseDClick(w.panel()->keyButtons()[1], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_NE(w.panel()->keyButtons()[1]->styleSheet(), "QWidget { background-color:gray; }");
}

TEST(MainWindowModes, SwitchClickDrivesTheBoardDataOnlyInRunMode)
{
    MainWindow w;
    w.runMode()->boardData()->simulationMode = true; // no board: the inputs stay in the board data
    w.settingCtlNumber(2, 0, 0, 0, 0);
    w.createCtl();
    QPushButton* sw = w.panel()->switchButtons()[1];
    sw->show();
    w.turnDesign(true);
    w.returnKey(-1);
    QTest::mouseClick(sw, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(w.designer()->currentIndex(), 1);
    EXPECT_EQ(w.runMode()->boardData()->switchValue(1), 0);

    w.turnDesign(false);
    w.returnKey(-1);
    // With no experiment chosen the simulation says so in a box; answer it in advance.
    MessageBox::clearShown();
    for (int i = 0; i < 3; ++i)
        MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(sw, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(w.runMode()->boardData()->switchValue(1), 1);
    EXPECT_EQ(w.designer()->currentIndex(), -1);
    EXPECT_EQ(sw->icon().pixmap(20, 35).toImage(), QIcon(w.panel()->pictures().switchOnImage).pixmap(20, 35).toImage());
    QTest::mouseClick(sw, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(w.runMode()->boardData()->switchValue(1), 0);
    EXPECT_EQ(sw->icon().pixmap(20, 35).toImage(),
              QIcon(w.panel()->pictures().switchOffImage).pixmap(20, 35).toImage());
    // Back and forth again: still one delivery per click.
    w.turnDesign(true);
    w.turnDesign(false);
    QTest::mouseClick(sw, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(w.runMode()->boardData()->switchValue(1), 1);
    EXPECT_EQ(MessageBox::shown().size(), 3); // one per click, so no answer is left queued
    EXPECT_EQ(w.runMode()->inputConnectionCount(),
              4); // switch toggles to picture and board data, key press and release
}
