#pragma once
// The single top-level window: it creates the menus and actions, wires them to the controllers
// (the panel, its files, the designer, the component tables and run mode) and switches modes.
// Its slots forward to the controller that owns the concern.
#include <QMainWindow>
#include <QMultiMap>
#include <QStringList>
#include <QTextStream>

class BoardThread;
class ComponentTables;
class Designer;
class LabConnection;
class PanelFiles;
class PanelModel;
class QAction;
class QCloseEvent;
class QGraphicsView;
class QMenu;
class QPushButton;
class QToolBar;
class Recording;
class RunMode;
class SimulatedBoard;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Where config.json lives; the executable's directory unless a test points elsewhere.
    QString configDirectory;
    // Starts the restarted program; replaced by tests so nothing is spawned.
    bool (*startDetached)(const QString& program, const QStringList& arguments) = nullptr;

    PanelModel* panel() const { return panel_; }
    PanelFiles* files() const { return files_; }
    Designer* designer() const { return designer_; }
    ComponentTables* tables() const { return tables_; }
    RunMode* runMode() const { return runMode_; }
    SimulatedBoard* simulatedBoard() const { return simulatedBoard_; }
    Recording* recording() const { return recording_; }
    LabConnection* labConnection() const { return labConnection_; }
    bool isEnglish() const { return isEnglish_; }
    bool lastSaveFailed() const { return lastSaveFailed_; }

    // Opens a panel named on the command line, as if it had been chosen in the Open dialog.
    void openPanelAtStart(const QString& fileName);

protected:
    // Exit, Ctrl+Q and the close button all ask about unsaved changes here.
    void closeEvent(QCloseEvent* event) override;

public slots:
    // --- start-up and language (app/mainwindow_language.cpp) ---
    void setLanguage(bool isEnglish);
    void saveSysConfig();
    void changeLanguage();

    // --- construction, menus and modes ---
    void createMenuAndBar();
    void turnDesign(bool isDesign);

    // --- the panel ---
    void createCtl();
    void settingCtlNumber(int a, int b, int c, int d, int e);
    void deleteAllFace();
    void showSSTube(int index, char seg);
    void returnKey(int index);
    void createDock();
    void designUIChange();
    void designUIrecovery();
    void designConnect();
    void experimentConnect();
    void ctlToolConnect();

    // --- the designer ---
    void removeCombo();
    void addCombo();
    void addoneSwitch(int index);
    void addoneKey(int index);
    void addoneRedLed(int index);
    void addoneGreenled(int index);
    void addoneSStube(int index);
    void addLineEdit();
    void addText();
    void modifyBrixoLabel();
    void removingCtl(QWidget* useLessCtl);
    void changeCTLSize(int index);
    void changeBackgroundSize(int index);
    void addBackground();
    int setXp(int x, int increase);
    int setyp(int y, int increase);
    void createNewPanel();
    bool showPannelSetting();
    void showPanelInfo();

    // --- panel files and component tables ---
    void setupModel();
    void setupShowModel();
    void createCtlTable();
    void createShowTable();
    void showTable();
    void updateToTable();
    void createContainer(QString name, QMultiMap<QPushButton*, QString>& mapI, QPushButton* buttonI, int index);
    void readVPjson(QString fileName);
    void saveByjson(QString fiName);
    void readVPL(QString fileName, QString filePath, QString baseName);
    void readVP2(QString fileName, QString filePath);
    void savePanelInfo(QString fiName);
    void saveing(QTextStream& out, QPushButton* btn, QMultiMap<QPushButton*, QString>& mapI);
    void saveorSaveAs();
    void saveAs();
    void judgeModel();
    void onOpenPanel();

    // --- board link and run mode ---
    void refreshVirtualPanel();
    void showRedLED(int index, bool state);
    void showGreenLED(int index, bool state);
    void showData(const QStringList& dataInfo);
    void onSwitchToggle(int index, bool state);
    void onKeyDown(int index);
    void onKeyUp(int index);
    void fpgaProgram();
    void turnSimulation(bool checked);
    void changeItemColor1();
    void changeItemColor2();
    int autoRefreshBoard();
    void turnAutoRefreshBoard(bool isAotuRefresh);
    void showAdapterInfo();
    void showFPGAInfo();
    void showlinkDlg();
    void showAbout();
    // The panel as a picture for lab reports: a PNG file, or the clipboard.
    void exportPanelPicture();
    void copyPanelPicture();

private:
    // Dresses a freshly opened panel for the current mode and refills the toolbox lists.
    void dressOpenedPanel();
    // Start-up of the board link: silent connect of adapter 0 and the library's parent window.
    void startBoardLink();

    // Connects the controllers' notifications to each other.
    void wireControllers();

    bool isEnglish_ = false;
    QString language_;
    bool lastSaveFailed_ = false;
    bool closeAsked_ = false; // the save question was already answered for this close

    // Commands the modes enable and check; every action is created in createMenuAndBar.
    QAction* saveAction_ = nullptr;
    QAction* saveAsAction_ = nullptr;
    QAction* designAction_ = nullptr;
    QAction* autoRefreshAction_ = nullptr;
    QList<QAction*> designCommands_; // the Design menu, enabled in design mode only

    QGraphicsView* panelView_ = nullptr;
    PanelModel* panel_ = nullptr;
    ComponentTables* tables_ = nullptr;
    PanelFiles* files_ = nullptr;
    Designer* designer_ = nullptr;
    BoardThread* boardThread_ = nullptr; // the board work, off the window's thread
    RunMode* runMode_ = nullptr;
    SimulatedBoard* simulatedBoard_ = nullptr; // the student's Verilog design as the board
    Recording* recording_ = nullptr;           // run mode recorded as a waveform
    LabConnection* labConnection_ = nullptr;   // a lab server's board, when one is held
};
