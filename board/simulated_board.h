#pragma once
// The student's own Verilog design as the board: Simulate starts the lab server on the
// design's files and connects to it, Reload restarts it on the same files keeping the panel,
// and New panel from design builds a panel from the design's ports.
#include "design_server.h"

#include <QObject>

#include <functional>

class ComponentTables;
class Designer;
class PanelFiles;
class PanelModel;
class QAction;
class QMainWindow;
class RunMode;

class SimulatedBoard : public QObject {
    Q_OBJECT
public:
    // What a simulated design works with: the window (status bar, dialogs' parent), the panel and
    // its controllers, and config.json, where a design's options are remembered.
    struct Parts {
        QMainWindow* window;
        PanelModel* panel;
        PanelFiles* files;
        Designer* designer;
        ComponentTables* tables;
        RunMode* runMode;
        std::function<QString()> configFile;
    };
    SimulatedBoard(const Parts& parts, QObject* parent);
    // The window's Simulate, Reload and New-panel-from-design commands, and the boardless
    // simulation toggle, which a simulated design turns off.
    void setActions(QAction* simulate, QAction* reload, QAction* newPanel, QAction* builtInSimulation);

    DesignServer* server() { return &server_; }
    // The board is the simulated design (connected and not given up since).
    bool isConnected() const { return connected_; }
    bool hasDesign() const { return hasDesign_; }
    const DesignPorts& ports() const { return ports_; }

public slots:
    void simulateDesign();
    void reloadDesign();
    // Asks before replacing an open panel.
    void newPanelFromDesign();
    // Another board was connected: the design's server is no longer needed.
    void otherBoardConnected();

private:
    void launch(const QStringList& files, bool keysActiveLow, bool reload);
    void serverReady();
    void serverFailed(const QString& reason, const QString& messages);
    void serverEnded(const QString& messages);
    void buildPanel();
    void setBusy(bool busy);
    void leaveBoard();
    bool rememberedKeysActiveLow(const QString& firstFile) const;
    void rememberKeysActiveLow(const QString& firstFile, bool activeLow);

    Parts parts_;
    QAction* simulateAction_ = nullptr;
    QAction* reloadAction_ = nullptr;
    QAction* newPanelAction_ = nullptr;
    QAction* builtInSimulationAction_ = nullptr;
    DesignServer server_;
    bool reloading_ = false;
    bool connected_ = false;
    bool hasDesign_ = false;
    DesignPorts ports_;
    QString lastDirectory_;
};
