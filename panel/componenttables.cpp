#include "panel/componenttables.h"

#include "panel/panelmodel.h"

#include <QCoreApplication>
#include <QDockWidget>
#include <QHeaderView>
#include <QMainWindow>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>

ComponentTables::ComponentTables(PanelModel* panel, QMainWindow* window)
    : QObject(window), panel_(panel), window_(window)
{
    setObjectName(QStringLiteral("componentTables"));
}

void ComponentTables::setupModel()
{
    componentModel_ = new QStandardItemModel(6, 8, window_);
    componentModel_->setObjectName(QStringLiteral("componentModel"));
    const QStringList headers{
        QCoreApplication::translate("MainWindow", "种类"),  QCoreApplication::translate("MainWindow", "显示"),
        QCoreApplication::translate("MainWindow", "X坐标"), QCoreApplication::translate("MainWindow", "Y坐标"),
        QCoreApplication::translate("MainWindow", "排序"),  QCoreApplication::translate("MainWindow", "长度"),
        QCoreApplication::translate("MainWindow", "宽度"),  QCoreApplication::translate("MainWindow", "横竖")};
    componentModel_->setHorizontalHeaderLabels(headers);
}

void ComponentTables::setupShowModel()
{
    componentInfoModel_ = new QStandardItemModel(1, 5, window_);
    componentInfoModel_->setObjectName(QStringLiteral("componentInfoModel"));
    componentInfoModel_->setHorizontalHeaderLabels(
        {QCoreApplication::translate("MainWindow", "种类"), QCoreApplication::translate("MainWindow", "显示"),
         QCoreApplication::translate("MainWindow", "X坐标"), QCoreApplication::translate("MainWindow", "Y坐标"),
         QCoreApplication::translate("MainWindow", "排序")});
}

void ComponentTables::createCtlTable()
{
    // Kept as the .vp2 line store's view; it is never placed in a window.
    componentView_ = new QTableView(window_);
    componentView_->setObjectName(QStringLiteral("componentView"));
    componentView_->setModel(componentModel_);
    componentView_->horizontalHeader()->setStretchLastSection(true);
    componentView_->hide();
}

void ComponentTables::createShowTable()
{
    componentInfoDock_ = new QDockWidget(QCoreApplication::translate("MainWindow", "控件信息"), window_);
    componentInfoDock_->setObjectName(QStringLiteral("componentInfoDock"));
    componentInfoDock_->setAllowedAreas(Qt::AllDockWidgetAreas);
    componentInfoView_ = new QTableView(componentInfoDock_);
    componentInfoView_->setObjectName(QStringLiteral("componentInfoView"));
    componentInfoView_->setModel(componentInfoModel_);
    componentInfoView_->horizontalHeader()->setStretchLastSection(true);
    componentInfoView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    componentInfoView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    componentInfoDock_->setWidget(componentInfoView_);
    window_->addDockWidget(Qt::BottomDockWidgetArea, componentInfoDock_);
    componentInfoDock_->hide();
}

void ComponentTables::showTable() { componentInfoDock_->show(); }

void ComponentTables::clear()
{
    for (QStandardItemModel* model : {componentModel_, componentInfoModel_})
        if (model)
            model->removeRows(0, model->rowCount());
    infoRowCount_ = 0;
}

void ComponentTables::updateToTable()
{
    if (!panel_->hasPanel())
        return;
    componentInfoModel_->removeRows(0, componentInfoModel_->rowCount());
    infoRowCount_ = 0;
    // Only components placed on the panel are listed.
    panel_->forEachPlaced([this](const brixo::KindInfo& k, int i, const QPushButton* b) {
        const QStringList cells{brixo::componentLabel(k.kind, i), QStringLiteral("1"), QString::number(b->x()),
                                QString::number(b->y()), QString::number(i)};
        QList<QStandardItem*> row;
        for (const QString& c : cells)
            row.append(new QStandardItem(c));
        componentInfoModel_->insertRow(infoRowCount_, row);
        ++infoRowCount_;
    });
}

void ComponentTables::createContainer(QString name, QMultiMap<QPushButton*, QString>& mapI, QPushButton* buttonI,
                                      int index)
{
    const QVector<QPushButton*>& switches = panel_->switchButtons();
    const bool lyingSwitch = index >= 0 && index < switches.size() && switches.at(index) == buttonI &&
                             buttonI->width() != panel_->switchSize().width();
    // A multi-map hands one key's values back newest first: name, visible, x, y, lying.
    mapI.insert(buttonI, lyingSwitch ? QStringLiteral("1") : QStringLiteral("0"));
    mapI.insert(buttonI, QString::number(buttonI->y()));
    mapI.insert(buttonI, QString::number(buttonI->x()));
    mapI.insert(buttonI, buttonI->isHidden() ? QStringLiteral("0") : QStringLiteral("1"));
    mapI.insert(buttonI, name + QString::number(index));
}
