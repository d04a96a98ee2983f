// The component tables: the .vp2 line store, the information table the .jvp writer
// reads, its read-only dock, and the per-component records of the legacy writer.
#include "app/mainwindow.h"

#include <QDockWidget>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>

void MainWindow::setupModel()
{
    componentModel = new QStandardItemModel(6, 8, this);
    componentModel->setObjectName(QStringLiteral("componentModel"));
    const QStringList headers{tr("种类"), tr("显示"), tr("X坐标"), tr("Y坐标"),
                              tr("排序"), tr("长度"), tr("宽度"), tr("横竖")};
    componentModel->setHorizontalHeaderLabels(headers);
}

void MainWindow::setupShowModel()
{
    componentInfoModel = new QStandardItemModel(1, 5, this);
    componentInfoModel->setObjectName(QStringLiteral("componentInfoModel"));
    componentInfoModel->setHorizontalHeaderLabels({tr("种类"), tr("显示"), tr("X坐标"), tr("Y坐标"), tr("排序")});
}

void MainWindow::createCtlTable()
{
    // Kept as the .vp2 line store's view; it is never placed in a window.
    componentView = new QTableView(this);
    componentView->setObjectName(QStringLiteral("componentView"));
    componentView->setModel(componentModel);
    componentView->horizontalHeader()->setStretchLastSection(true);
    componentView->hide();
}

void MainWindow::createShowTable()
{
    componentInfoDock = new QDockWidget(tr("控件信息"), this);
    componentInfoDock->setObjectName(QStringLiteral("componentInfoDock"));
    componentInfoDock->setAllowedAreas(Qt::AllDockWidgetAreas);
    componentInfoView = new QTableView(componentInfoDock);
    componentInfoView->setObjectName(QStringLiteral("componentInfoView"));
    componentInfoView->setModel(componentInfoModel);
    componentInfoView->horizontalHeader()->setStretchLastSection(true);
    componentInfoView->setSelectionBehavior(QAbstractItemView::SelectRows);
    componentInfoView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    componentInfoDock->setWidget(componentInfoView);
    addDockWidget(Qt::BottomDockWidgetArea, componentInfoDock);
    componentInfoDock->hide();
}

void MainWindow::showTable()
{
    componentInfoDock->show();
}

void MainWindow::updateToTable()
{
    if (!hasPanel())
        return;
    componentInfoModel->removeRows(0, componentInfoModel->rowCount());
    infoRowCount = 0;

    struct KindRows { const QVector<QPushButton*>* buttons; QString name; int numberBase; };
    const KindRows kinds[] = {
        {&switchButtons, tr("开关"), 0},
        {&keyButtons, tr("按键"), 0},
        {&redLedButtons, tr("指示灯"), 0},
        {&greenLedButtons, tr("指示灯"), greenLedBase},
        {&digitButtons, tr("数码管"), 0},
    };
    for (const KindRows& k : kinds) {
        for (int i = 0; i < k.buttons->size(); ++i) {
            const QPushButton* b = k.buttons->at(i);
            // Only components placed on the panel are listed.
            if (!b || b->isHidden())
                continue;
            const QStringList cells{k.name + QString::number(k.numberBase + i), QStringLiteral("1"),
                                    QString::number(b->x()), QString::number(b->y()), QString::number(i)};
            QList<QStandardItem*> row;
            for (const QString& c : cells)
                row.append(new QStandardItem(c));
            componentInfoModel->insertRow(infoRowCount, row);
            ++infoRowCount;
        }
    }
}

void MainWindow::createContainer(QString name, QMultiMap<QPushButton*, QString>& mapI, QPushButton* buttonI, int index)
{
    const bool lyingSwitch = index >= 0 && index < switchButtons.size() && switchButtons.at(index) == buttonI
                             && buttonI->width() != switchSize.width();
    // A multi-map hands one key's values back newest first: name, visible, x, y, lying.
    mapI.insert(buttonI, lyingSwitch ? QStringLiteral("1") : QStringLiteral("0"));
    mapI.insert(buttonI, QString::number(buttonI->y()));
    mapI.insert(buttonI, QString::number(buttonI->x()));
    mapI.insert(buttonI, buttonI->isHidden() ? QStringLiteral("0") : QStringLiteral("1"));
    mapI.insert(buttonI, name + QString::number(index));
}
