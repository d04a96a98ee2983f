#pragma once
// The student's own Verilog design as the board: Simulate asks how to run the design's files,
// starts the lab server on them and connects to it, Reload restarts it on the same files keeping
// the panel, and New panel from design builds a panel from the design's ports. A design that does
// not come up leaves the one that ran before running; once a design has been the board, a click
// with none running says so rather than asking for an adapter.
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
    // its controllers, and config.json, where a design's choices are remembered.
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
    void launch(const QStringList& files, const DesignChoices& choices, bool reload);
    void serverReady();
    void serverConnected(int code, bool listed);
    void serverFailed(const QString& reason, const QString& messages);
    void serverEnded(const QString& messages);
    void buildPanel();
    void setBusy(bool busy);
    void leaveBoard();
    // A start or connect that failed while the design before it runs on: said in the status bar
    // and in the messages window.
    void reportKept(const QString& reason, const QString& messages);
    bool sayNoDesign();

    Parts parts_;
    QAction* simulateAction_ = nullptr;
    QAction* reloadAction_ = nullptr;
    QAction* newPanelAction_ = nullptr;
    QAction* builtInSimulationAction_ = nullptr;
    DesignServer server_;
    bool reloading_ = false;
    bool restoring_ = false;  // moving the board back to the design that ran before
    bool connecting_ = false; // the board worker is connecting the ready server
    bool connected_ = false;
    bool designWasBoard_ = false; // a design was the board last, and no other board since
    QString startingName_;        // the first file of the design being started
    bool hasDesign_ = false;
    DesignPorts ports_;
    QString lastDirectory_;
};
