#pragma once
// Design mode: the toolbox, putting components on the panel and taking them off, selecting and
// dragging them, data slots and text labels, sizes, the background picture, and the New and
// panel settings commands.
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>

class ComponentTables;
class DesignToolbox;
class PanelModel;
class QMainWindow;
class QWidget;

class Designer : public QObject {
    Q_OBJECT
public:
    Designer(PanelModel* panel, ComponentTables* tables, QMainWindow* window);

    // The widths of the data slots (index, bit width) fit one read of the board, and the most
    // bits one read carries; handed in by the board side.
    struct SlotLimit {
        std::function<bool(const QList<QPair<int, int>>& widths)> fits;
        int maxBits = 0;
    };
    void setSlotLimit(SlotLimit limit) { slotLimit_ = std::move(limit); }
    // Asks to save unsaved changes before New clears the panel; false when the user cancelled
    // or the save failed. Handed in by the window, which owns the files.
    void setSaveQuestion(std::function<bool()> ask) { maySaveChanges_ = std::move(ask); }

    void createDock();
    DesignToolbox* toolbox() const { return toolbox_; }
    bool isDesigning() const { return designing_; }
    // Shows or hides the toolbox; the window dresses the panel for the mode.
    void setDesigning(bool designing);

    // Selection state of the design-mode event filter.
    int currentIndex() const { return currentIndex_; }
    QWidget* currentWidget() const { return currentWidget_; }
    bool isDragging() const { return dragging_; }
    int designConnectionCount() const { return designConnections_.size(); }

    bool eventFilter(QObject* obj, QEvent* evt) override;

public slots:
    // --- toolbox lists ---
    void removeCombo();
    void addCombo();
    void placeFromList(int kind, int item);
    void addoneSwitch(int index);
    void addoneKey(int index);
    void addoneRedLed(int index);
    void addoneGreenled(int index);
    void addoneSStube(int index);
    void changeItemColor1();
    void changeItemColor2();
    // --- data slots, text labels, removing ---
    void addLineEdit();
    void addText();
    void modifyBrixoLabel();
    void removingCtl(QWidget* useLessCtl);
    void returnKey(int index);
    // --- sizes and background ---
    void changeCTLSize(int index);
    void changeBackgroundSize(int index);
    void addBackground();
    // --- new panel and settings ---
    void createNewPanel();
    bool showPannelSetting();
    void showPanelInfo();
    // --- mode dress and wiring ---
    void designUIChange();
    void designConnect();
    void ctlToolConnect();
    // Drops every design-mode connection, as run mode wires its input.
    void disconnectDesign();

signals:
    // New asks for design mode when run mode is on.
    void designModeWanted();
    // A new panel was built from the settings dialog.
    void newPanelBuilt();
    // Design wiring begins: run mode's input connections must go.
    void designWiringStarted();

private:
    void connectDesignerTools();
    static void dropConnections(QList<QMetaObject::Connection>& connections);

    PanelModel* panel_;
    ComponentTables* tables_;
    QMainWindow* window_;
    SlotLimit slotLimit_;
    std::function<bool()> maySaveChanges_;
    DesignToolbox* toolbox_ = nullptr;
    bool designing_ = false;
    QString highlightColor_ = QStringLiteral("gray"), plainColor_ = QStringLiteral("white");

    int currentIndex_ = 0;
    QPointer<QWidget> currentWidget_;
    bool dragging_ = false;
    QPoint dragOrigin_;
    QPoint dragStart_; // where the dragged widget was, to tell a move from a click

    // Each connect slot first drops its own earlier connections, so entering a mode twice never
    // delivers a signal twice.
    QList<QMetaObject::Connection> designConnections_; // designConnect: group presses -> returnKey
    QList<QMetaObject::Connection> toolConnections_;   // ctlToolConnect: the toolbox
};
