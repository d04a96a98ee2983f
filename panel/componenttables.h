#pragma once
// The component tables: the .vp2 line store, the information table of every placed component
// (the .jvp writer and the "控件信息" dock read it), and the legacy writer's per-component records.
#include <QMultiMap>
#include <QObject>

class PanelModel;
class QDockWidget;
class QMainWindow;
class QPushButton;
class QStandardItemModel;
class QTableView;

class ComponentTables : public QObject {
    Q_OBJECT
public:
    ComponentTables(PanelModel* panel, QMainWindow* window);

    void setupModel();
    void setupShowModel();
    void createCtlTable();
    void createShowTable();
    void showTable();
    // Lists the components placed on the panel, with their places.
    void updateToTable();
    // Empties both tables, as for a new panel.
    void clear();
    // The legacy writer's record of one component: name, visible, x, y, lying.
    void createContainer(QString name, QMultiMap<QPushButton*, QString>& mapI, QPushButton* buttonI, int index);

    QStandardItemModel* lineStore() const { return componentModel_; }
    QStandardItemModel* infoModel() const { return componentInfoModel_; }
    QDockWidget* infoDock() const { return componentInfoDock_; }
    QTableView* infoView() const { return componentInfoView_; }
    QTableView* lineView() const { return componentView_; }
    int infoRowCount() const { return infoRowCount_; }

private:
    PanelModel* panel_;
    QMainWindow* window_;
    QStandardItemModel* componentModel_ = nullptr;     // the .vp2 line store, 8 columns
    QStandardItemModel* componentInfoModel_ = nullptr; // one row per placed component, 5 columns
    QDockWidget* componentInfoDock_ = nullptr;
    QTableView* componentInfoView_ = nullptr;
    QTableView* componentView_ = nullptr;
    int infoRowCount_ = 0;
};
