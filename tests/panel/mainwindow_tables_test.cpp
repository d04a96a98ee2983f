// The component tables and the toolbox's multi-select list on a real window.
#include "app/mainwindow.h"
#include "panel/componenttables.h"
#include "panel/designer.h"
#include "panel/designtoolbox.h"
#include "panel/panelmodel.h"
#include "panel/multiselectcombobox.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QDockWidget>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStringList row(const QStandardItemModel* m, int r)
{
    QStringList out;
    for (int c = 0; c < m->columnCount(); ++c)
        out << (m->item(r, c) ? m->item(r, c)->text() : QString());
    return out;
}

QStringList headers(const QStandardItemModel* m)
{
    QStringList out;
    for (int c = 0; c < m->columnCount(); ++c)
        out << m->headerData(c, Qt::Horizontal).toString();
    return out;
}

} // namespace

TEST(ComponentTables, ModelsDockAndViewAtStart)
{
    MainWindow w;
    EXPECT_EQ(w.tables()->lineStore()->rowCount(), 6);
    EXPECT_EQ(headers(w.tables()->lineStore()),
              QStringList({"种类", "显示", "X坐标", "Y坐标", "排序", "长度", "宽度", "横竖"}));
    EXPECT_EQ(w.tables()->infoModel()->rowCount(), 1);
    EXPECT_EQ(headers(w.tables()->infoModel()), QStringList({"种类", "显示", "X坐标", "Y坐标", "排序"}));
    EXPECT_EQ(w.tables()->infoDock()->windowTitle(), QStringLiteral("控件信息"));
    EXPECT_EQ(w.dockWidgetArea(w.tables()->infoDock()), Qt::BottomDockWidgetArea);
    EXPECT_TRUE(w.tables()->infoDock()->isHidden());
    EXPECT_EQ(w.tables()->infoView()->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(w.tables()->infoView()->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(w.tables()->infoView()->horizontalHeader()->stretchLastSection());
    EXPECT_EQ(w.tables()->lineView()->model(), w.tables()->lineStore());
    EXPECT_FALSE(w.tables()->lineView()->isVisible());

    // The table command shows the dock in design mode.
    w.findChild<QAction*>(QStringLiteral("designAction"))->trigger();
    w.findChild<QAction*>(QStringLiteral("componentTableAction"))->trigger();
    EXPECT_FALSE(w.tables()->infoDock()->isHidden());
}

TEST(ComponentTables, UpdateListsPlacedComponentsInKindOrder)
{
    MainWindow w;
    w.updateToTable(); // no panel: the rows stay
    EXPECT_EQ(w.tables()->infoModel()->rowCount(), 1);

    w.settingCtlNumber(36, 20, 18, 18, 8);
    w.createCtl();
    const auto put = [](QPushButton* b, int x, int y) {
        b->show();
        b->move(x, y);
    };
    put(w.panel()->greenLedButtons()[1], 70, 80);
    put(w.panel()->switchButtons()[4], 1, 2);
    put(w.panel()->switchButtons()[0], 3, 4);
    put(w.panel()->switchButtons()[9], 5, 6);
    put(w.panel()->greenLedButtons()[0], 60, 80);
    put(w.panel()->keyButtons()[2], 7, 8);
    w.updateToTable();
    ASSERT_EQ(w.tables()->infoModel()->rowCount(), 6);
    EXPECT_EQ(w.tables()->infoRowCount(), 6);
    const QStringList want[] = {
        {"开关0", "1", "3", "4", "0"}, {"开关4", "1", "1", "2", "4"},      {"开关9", "1", "5", "6", "9"},
        {"按键2", "1", "7", "8", "2"}, {"指示灯18", "1", "60", "80", "0"}, {"指示灯19", "1", "70", "80", "1"},
    };
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(row(w.tables()->infoModel(), r), want[r]) << r;

    // A moved or removed component shows after the next update.
    w.panel()->switchButtons()[0]->move(100, 50);
    w.panel()->switchButtons()[4]->hide();
    w.updateToTable();
    ASSERT_EQ(w.tables()->infoModel()->rowCount(), 5);
    EXPECT_EQ(row(w.tables()->infoModel(), 0), QStringList({"开关0", "1", "100", "50", "0"}));
}

TEST(ComponentTables, CreateContainerRecordsReadBackNewestFirst)
{
    MainWindow w;
    w.settingCtlNumber(3, 1, 0, 0, 0);
    w.createCtl();
    w.panel()->switchButtons()[2]->move(11, 22);
    w.panel()->switchButtons()[2]->show();
    w.panel()->setSwitchUpright(w.panel()->switchButtons()[2], false);
    w.panel()->keyButtons()[0]->move(33, 44);
    QMultiMap<QPushButton*, QString> map;
    w.createContainer(QStringLiteral("开关"), map, w.panel()->switchButtons()[2], 2);
    w.createContainer(QStringLiteral("key"), map, w.panel()->keyButtons()[0], 0);
    // A key as wide as a lying switch is still not lying: only the switch array counts.
    w.panel()->keyButtons()[0]->setFixedSize(w.panel()->switchSize().transposed());
    w.createContainer(QStringLiteral("key"), map, w.panel()->keyButtons()[0], 2);
    EXPECT_EQ(map.values(w.panel()->switchButtons()[2]), QStringList({"开关2", "1", "11", "22", "1"}));
    EXPECT_EQ(map.values(w.panel()->keyButtons()[0]).mid(0, 5), QStringList({"key2", "0", "33", "44", "0"}));

    QString line;
    QTextStream out(&line);
    w.saveing(out, w.panel()->switchButtons()[2], map);
    out.flush();
    EXPECT_EQ(line, QStringLiteral("开关2,1,11,22,1,\n"));
}

TEST(MultiselectComboBox, KeepsThePopupOpenOnlyOverTheListBelow)
{
    struct Case {
        QPoint offset;
        bool keep;
    };
    const QSize box(100, 20);
    const Case cases[] = {
        {{0, 20}, true},   {{100, 20}, true}, {{50, 820}, true},  {{50, 821}, false},
        {{50, 19}, false}, {{-1, 30}, false}, {{101, 30}, false}, {{50, 5}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MultiselectComboBox::keepsPopupOpen(c.offset, box), c.keep) << c.offset.x() << "," << c.offset.y();
}

TEST(MultiselectComboBox, ThePointerDecidesWhetherHidePopupCloses)
{
    QWidget top;
    top.resize(300, 300);
    auto* combo = new MultiselectComboBox(&top);
    combo->setGeometry(10, 10, 100, 20);
    combo->addItems({"a", "b", "c"});
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));

    combo->showPopup();
    QWidget* popup = combo->view()->window();
    ASSERT_TRUE(popup->isVisible());
    QCursor::setPos(combo->mapToGlobal(QPoint(50, 40))); // inside the list below the box
    combo->hidePopup();
    EXPECT_TRUE(popup->isVisible());
    QCursor::setPos(combo->mapToGlobal(QPoint(250, 40))); // beside it
    combo->hidePopup();
    EXPECT_FALSE(popup->isVisible());

    // The design toolbox's switch list is one of these.
    MainWindow w;
    EXPECT_NE(qobject_cast<MultiselectComboBox*>(w.designer()->toolbox()->switchCombo()), nullptr);
    EXPECT_EQ(qobject_cast<MultiselectComboBox*>(w.designer()->toolbox()->keyCombo()), nullptr);
}
