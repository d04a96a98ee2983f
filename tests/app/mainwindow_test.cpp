// The main window as a user first meets it: menus, tool bars, the design toolbox and the two
// working modes with their dress and wiring.
#include "app/mainwindow.h"
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
#include <QSlider>
#include <QTest>
#include <QToolBar>
#include <QValidator>
#include <gtest/gtest.h>

// Readable failure messages for Qt strings.
void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

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
    EXPECT_EQ(texts(w.boardMenu->actions()),
              QStringList({"新建虚拟面板(&N)", "打开虚拟面板(&O)", "保存虚拟面板(&S)", "另存为.....", "-",
                           "连接调试适配器(&C)", "下载FPGA(&G)", "-", "退出(&X)"}));
    EXPECT_EQ(texts(w.modeMenu->actions()), QStringList({"无板仿真(&S)", "虚拟面板设计(&D)", "自动刷新(&A)"}));
    EXPECT_EQ(texts(w.designMenu->actions()), QStringList({"设置虚拟面板", "添加更换背景图", "控件信息表"}));
    EXPECT_EQ(texts(w.helpMenu->actions()), QStringList({"Change &Language to English", "调试适配器信息(&D)",
                                                         "片上调试器信息(&O)", "版本版权信息(&A)"}));
    EXPECT_EQ(w.openAction->shortcut(), QKeySequence(QKeySequence::Open));
    EXPECT_EQ(w.saveAction->shortcut(), QKeySequence(QKeySequence::Save));
    EXPECT_EQ(w.exitAction->shortcut(), QKeySequence("Ctrl+Q"));
    for (QAction* a : {w.simulationAction, w.designAction, w.autoRefreshAction}) {
        EXPECT_TRUE(a->isCheckable());
        EXPECT_FALSE(a->isChecked());
    }
    for (QAction* a : {w.newAction, w.openAction, w.saveAction, w.saveAsAction, w.connectAction, w.configureFpgaAction,
                       w.designAction, w.panelSettingsAction, w.backgroundAction, w.componentTableAction, w.languageAction})
        EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
    EXPECT_TRUE(w.exitAction->icon().isNull());
}

TEST(MainWindowShell, ToolBarsOnTheLeftAndInitialEnabledStates)
{
    MainWindow w;
    EXPECT_EQ(w.toolBarArea(w.fileToolBar), Qt::LeftToolBarArea);
    EXPECT_EQ(w.toolBarArea(w.designToolBar), Qt::LeftToolBarArea);
    EXPECT_TRUE(w.fileToolBar->isMovable() && w.designToolBar->isMovable());
    EXPECT_EQ(w.fileToolBar->actions(), QList<QAction*>({w.newAction, w.openAction, w.saveAction, w.connectAction,
                                                         w.configureFpgaAction}));
    EXPECT_EQ(w.designToolBar->actions(), QList<QAction*>({w.designAction, w.backgroundAction, w.panelSettingsAction,
                                                           w.componentTableAction}));
    EXPECT_TRUE(w.saveAction->isEnabled() && w.saveAsAction->isEnabled() && w.newAction->isEnabled());
    for (QAction* a : {w.panelSettingsAction, w.backgroundAction, w.componentTableAction})
        EXPECT_FALSE(a->isEnabled());
    EXPECT_TRUE(w.designDock->isHidden());
    EXPECT_TRUE(w.countdownLabel->isHidden());
    EXPECT_EQ(w.centralWidget(), w.panelView);
    EXPECT_EQ(w.backgroundView->parentWidget(), w.panelView);
}

TEST(MainWindowShell, DesignToolboxRows)
{
    MainWindow w;
    EXPECT_EQ(w.designDock->windowTitle(), "设计工具箱");
    EXPECT_EQ(w.designDock->width(), 120);
    EXPECT_FALSE(w.designDock->features() & QDockWidget::DockWidgetClosable);
    EXPECT_TRUE(w.designDock->features() & QDockWidget::DockWidgetMovable);
    EXPECT_TRUE(w.designDock->features() & QDockWidget::DockWidgetFloatable);
    EXPECT_EQ(w.dockWidgetArea(w.designDock), Qt::LeftDockWidgetArea);
    const QWidget* rows[] = {w.switchCombo, w.keyCombo, w.redLedCombo, w.greenLedCombo, w.digitCombo,
                             w.dataSlotButton, w.textLabelButton, w.digitSizeLabel, w.digitSizeSlider,
                             w.backgroundSizeLabel, w.backgroundSizeSlider, w.dataSlotGroup};
    ASSERT_EQ(w.dockLayout->count(), 12);
    for (int r = 0; r < 12; ++r)
        EXPECT_EQ(w.dockLayout->itemAtPosition(r, 0)->widget(), rows[r]) << r;
    const struct { QComboBox* box; const char* text; int visible; } combos[] = {
        {w.switchCombo, "  开关", 37}, {w.keyCombo, "  按键", 21}, {w.redLedCombo, "  红灯", 19},
        {w.greenLedCombo, "  绿灯", 19}, {w.digitCombo, " 数码管", 9},
    };
    for (const auto& c : combos) {
        EXPECT_EQ(c.box->itemText(0), QString::fromUtf8(c.text));
        EXPECT_EQ(c.box->maxVisibleItems(), c.visible);
        EXPECT_FALSE(c.box->itemIcon(0).isNull());
    }
    EXPECT_EQ(w.digitSizeSlider->minimum(), 0);
    EXPECT_EQ(w.digitSizeSlider->maximum(), 10);
    EXPECT_EQ(w.digitSizeSlider->value(), 5);
    EXPECT_EQ(w.backgroundSizeSlider->maximum(), 20);
    EXPECT_EQ(w.backgroundSizeSlider->value(), 10);
    for (QLineEdit* e : {w.bitWidthEdit, w.indexEdit}) {
        ASSERT_NE(e->validator(), nullptr);
        int pos = 0;
        QString good = "16", zero = "08", letters = "x1";
        EXPECT_EQ(e->validator()->validate(good, pos), QValidator::Acceptable);
        EXPECT_EQ(e->validator()->validate(zero, pos), QValidator::Invalid);
        EXPECT_EQ(e->validator()->validate(letters, pos), QValidator::Invalid);
    }
    EXPECT_TRUE(w.keyEdit->isReadOnly());
    EXPECT_TRUE(w.keyEdit->isHidden());
}

TEST(MainWindowModes, DesignWithoutAPanelTouchesOnlyDockAndMenu)
{
    MainWindow w;
    w.turnDesign(true);
    EXPECT_TRUE(w.designMode);
    EXPECT_FALSE(w.designDock->isHidden());
    for (QAction* a : {w.panelSettingsAction, w.backgroundAction, w.componentTableAction})
        EXPECT_TRUE(a->isEnabled());
    EXPECT_FALSE(w.hasPanel());
    w.turnDesign(false);
    EXPECT_TRUE(w.designDock->isHidden());
    EXPECT_FALSE(w.componentTableAction->isEnabled());
    EXPECT_TRUE(w.saveAction->isEnabled());
}

TEST(MainWindowModes, DesignAndRunDress)
{
    MainWindow w;
    w.settingCtlNumber(2, 2, 2, 2, 2);
    w.createCtl();
    w.setSwitchUpright(w.switchButtons[1], false);
    w.designAction->trigger();
    EXPECT_EQ(w.keyButtons[1]->toolTip(), "按键1" + hint);
    EXPECT_EQ(w.switchButtons[0]->toolTip(), "开关0" + hint);
    EXPECT_EQ(w.redLedButtons[1]->toolTip(), "指示灯1" + hint);
    EXPECT_EQ(w.greenLedButtons[0]->toolTip(), "指示灯18" + hint);
    EXPECT_EQ(w.greenLedButtons[1]->toolTip(), "指示灯19" + hint);
    EXPECT_EQ(w.digitButtons[0]->toolTip(), "数码管0" + hint);
    EXPECT_FALSE(w.switchButtons[0]->isCheckable());
    EXPECT_FALSE(w.switchButtons[0]->isFlat());
    const auto same = [](const QIcon& icon, const QPixmap& pm) {
        return icon.pixmap(pm.size()).toImage() == QIcon(pm).pixmap(pm.size()).toImage();
    };
    EXPECT_TRUE(same(w.switchButtons[0]->icon(), w.switchOnImage));
    EXPECT_TRUE(same(w.switchButtons[1]->icon(), w.switchOnLayImage));
    EXPECT_TRUE(same(w.redLedButtons[0]->icon(), w.ledRedImage));
    EXPECT_TRUE(same(w.greenLedButtons[0]->icon(), w.ledGreenImage));
    EXPECT_TRUE(w.digitViews[0]->isHidden());
    EXPECT_EQ(w.digitButtons[0]->iconSize(), w.sstubeSize);

    w.designAction->trigger(); // back to run mode through the menu item
    EXPECT_FALSE(w.designMode);
    EXPECT_EQ(w.greenLedButtons[0]->toolTip(), "指示灯18");
    EXPECT_EQ(w.switchButtons[1]->toolTip(), "开关1");
    EXPECT_TRUE(w.switchButtons[0]->isCheckable());
    EXPECT_TRUE(w.switchButtons[0]->isFlat());
    EXPECT_EQ(w.switchButtons[0]->styleSheet(), "QPushButton { background-color:transparent; }");
    // Board data starts with every switch off.
    EXPECT_TRUE(same(w.switchButtons[0]->icon(), w.switchOffImage));
    EXPECT_TRUE(same(w.switchButtons[1]->icon(), w.switchOffLayImage));
    EXPECT_TRUE(same(w.redLedButtons[0]->icon(), w.ledOffImage));
    EXPECT_TRUE(same(w.greenLedButtons[1]->icon(), w.ledOffImage));
    EXPECT_FALSE(w.digitViews[0]->isHidden());
    EXPECT_EQ(w.digitViews[0]->size(), w.sstubeSize);
    EXPECT_EQ(w.digitScenes[0]->items().size(), 1);
    w.turnDesign(true);
    w.turnDesign(false);
    EXPECT_EQ(w.digitScenes[0]->items().size(), 1); // mode changes do not pile pictures up
    // Leaving design mode with a panel unwires the Design-menu commands, not only disables them.
    w.componentTableAction->setEnabled(true);
    w.componentTableAction->trigger();
    EXPECT_TRUE(w.componentInfoDock->isHidden());
}

TEST(MainWindowModes, PressesReachReturnKeyOnceAndOnlyInDesignMode)
{
    MainWindow w;
    w.settingCtlNumber(3, 3, 3, 3, 3);
    w.createCtl();
    w.turnDesign(true);
    w.designConnect(); // a repeated connect must not add a second delivery
    w.turnDesign(true);
    EXPECT_EQ(w.designConnections.size(), 5);
    const struct { QVector<QPushButton*>& buttons; int index; } presses[] = {
        {w.keyButtons, 2}, {w.switchButtons, 1}, {w.redLedButtons, 2}, {w.greenLedButtons, 1}, {w.digitButtons, 2},
    };
    for (const auto& p : presses) {
        w.currentIndex = -1;
        p.buttons[p.index]->show();
        QTest::mouseClick(p.buttons[p.index], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        EXPECT_EQ(w.currentIndex, p.index);
    }
    w.turnDesign(false);
    EXPECT_TRUE(w.designConnections.isEmpty());
    // Run-mode input drives the board; a boardless experiment keeps this test off the adapter.
    w.turnSimulation(true);
    w.componentData->selectExperiment(QStringLiteral("KVTRM1502"));
    w.currentIndex = -1;
    QTest::mouseClick(w.keyButtons[1], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(w.currentIndex, -1);
    // In run mode a switch is a checkable toggle, not a selection.
    QTest::mouseClick(w.switchButtons[1], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_TRUE(w.switchButtons[1]->isChecked());
    EXPECT_EQ(w.currentIndex, -1);
    // Run mode dress removes the design filter: a double-click selects nothing.
    QTest::mouseDClick(w.keyButtons[1], Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_NE(w.keyButtons[1]->styleSheet(), "QWidget { background-color:gray; }");
}

TEST(MainWindowModes, SwitchClickDrivesTheBoardDataOnlyInRunMode)
{
    MainWindow w;
    w.componentData->simulationMode = true; // no board: the inputs stay in the board data
    w.settingCtlNumber(2, 0, 0, 0, 0);
    w.createCtl();
    QPushButton* sw = w.switchButtons[1];
    sw->show();
    w.turnDesign(true);
    w.currentIndex = -1;
    QTest::mouseClick(sw, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(w.currentIndex, 1);
    EXPECT_EQ(w.getComponent()->switchValue(1), 0);

    w.turnDesign(false);
    w.currentIndex = -1;
    // With no experiment chosen the simulation says so in a box; answer it in advance.
    MessageBox::clearShown();
    for (int i = 0; i < 3; ++i)
        MessageBox::setNextAnswer(QMessageBox::Ok);
    QTest::mouseClick(sw, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(w.getComponent()->switchValue(1), 1);
    EXPECT_EQ(w.currentIndex, -1);
    EXPECT_EQ(sw->icon().pixmap(20, 35).toImage(), QIcon(w.switchOnImage).pixmap(20, 35).toImage());
    QTest::mouseClick(sw, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(w.getComponent()->switchValue(1), 0);
    EXPECT_EQ(sw->icon().pixmap(20, 35).toImage(), QIcon(w.switchOffImage).pixmap(20, 35).toImage());
    // Back and forth again: still one delivery per click.
    w.turnDesign(true);
    w.turnDesign(false);
    QTest::mouseClick(sw, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_EQ(w.getComponent()->switchValue(1), 1);
    EXPECT_EQ(MessageBox::shown().size(), 3); // one per click, so no answer is left queued
    EXPECT_EQ(w.runConnections.size(), 4); // switch toggles to picture and board data, key press and release
}
