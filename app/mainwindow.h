#pragma once
// The single top-level window. Its slots are implemented by concern in app/, panel/ and board/.
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QIcon>
#include <QMainWindow>
#include <QMap>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QVector>
#include <QTextStream>

#include <functional>

#include "board/virtualcomponentdata.h"
#include "panel/panel_document.h"
#include "panel/virtualpaneldata.h"

class QAction;
class QButtonGroup;
class QComboBox;
class QDockWidget;
class QGridLayout;
class QGroupBox;
class QStandardItemModel;
class QTableView;
class QLabel;
class QLineEdit;
class QSlider;
class QPushButton;
class BrixoButton;
class BrixoLineedit;
class QMenu;
class QTimer;
class QToolBar;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Where config.json lives; the executable's directory unless a test points elsewhere.
    QString configDirectory;
    // Starts the restarted program; replaced by tests so nothing is spawned.
    bool (*startDetached)(const QString& program, const QStringList& arguments) = nullptr;

public slots:
    // --- start-up and language (app/mainwindow_language.cpp) ---
    void setLanguage(bool isEnglish);
    void saveSysConfig();
    void changeLanguage();

    // --- construction, menus and modes (app/mainwindow.cpp) ---
    void createMenuAndBar();
    void turnDesign(bool isDesign); // app/mainwindow_modes.cpp

public:
    // --- language state ---
    bool isEnglish = false;
    QString language;
    bool lastSaveFailed = false;

    // --- menus and actions ---
    QMenu* boardMenu = nullptr;
    QMenu* modeMenu = nullptr;
    QMenu* designMenu = nullptr;
    QMenu* helpMenu = nullptr;
    QAction* newAction = nullptr;
    QAction* openAction = nullptr;
    QAction* saveAction = nullptr;
    QAction* saveAsAction = nullptr;
    QAction* connectAction = nullptr;
    QAction* configureFpgaAction = nullptr;
    QAction* exitAction = nullptr;
    QAction* simulationAction = nullptr;
    QAction* designAction = nullptr;
    QAction* autoRefreshAction = nullptr;
    QAction* panelSettingsAction = nullptr;
    QAction* backgroundAction = nullptr;
    QAction* componentTableAction = nullptr;
    QAction* languageAction = nullptr;
    QAction* adapterInfoAction = nullptr;
    QAction* chipInfoAction = nullptr;
    QAction* aboutAction = nullptr;
    QToolBar* fileToolBar = nullptr;
    QToolBar* designToolBar = nullptr;

    // --- panel area ---
    QGraphicsView* panelView = nullptr;
    QGraphicsView* backgroundView = nullptr;
    QGraphicsScene backgroundScene;
    QLabel* countdownLabel = nullptr;
    QTimer* autoRefreshTimer = nullptr;

    // --- modes ---
    bool designMode = false;
    bool isNewPanel = false;

    // --- file state ---
    QString filePath, fileKind, savePath = QStringLiteral("D:/"), lastDirectory, imageFormat = QStringLiteral("png");
    QPixmap backgroundImage;
    QString panelName, experimentName;

    // Each concern below keeps its own members in its own block, so they grow independently.
    // --- panel model, createCtl, component widgets (panel/mainwindow_model.cpp) ---
public slots:
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

public:
    bool eventFilter(QObject* obj, QEvent* evt) override;
protected:
    void closeEvent(QCloseEvent* event) override;
public:
    bool closeAsked = false; // the save question was already answered for this close

    // Kind maxima; every reader resets the counts to these before building.
    static constexpr int maxSwitches = 36, maxKeys = 20, maxRedLeds = 18, maxGreenLeds = 18, maxDigits = 8;
    // Green LED i is LED 18 + i on the board's LED chain, in tool tips, the toolbox and panel files.
    static constexpr int greenLedBase = 18;
    static int greenLedNumber(int i) { return greenLedBase + i; }

    // The window has a panel once createCtl has built the arrays (until deleteAllFace).
    bool hasPanel() const;
    void resetCountsToMaxima();
    // The title rule: "Brixo - " + name, or "Brixo" for an empty name.
    static QString panelTitle(const QString& name);
    void setPanelName(const QString& name);
    // A switch is upright when its width equals switchSize's width; lying swaps width and height.
    bool isSwitchUpright(const QWidget* sw) const;
    // The picture of a switch in each position and state.
    static const QIcon& switchIcon(bool upright, bool on);
    void setSwitchUpright(QPushButton* sw, bool upright);

    QVector<QPushButton*> switchButtons, keyButtons, redLedButtons, greenLedButtons, digitButtons;
    QVector<QGraphicsView*> digitViews;
    QVector<QGraphicsScene*> digitScenes;
    QButtonGroup* switchGroup = nullptr;
    QButtonGroup* keyGroup = nullptr;
    QButtonGroup* redLedGroup = nullptr;
    QButtonGroup* greenLedGroup = nullptr;
    QButtonGroup* digitGroup = nullptr;
    int switchCount = maxSwitches, keyCount = maxKeys, redLedCount = maxRedLeds, greenLedCount = maxGreenLeds,
        digitCount = maxDigits;
    QSize switchSize{20, 35}, buttonSize{40, 40}, ledSize{32, 32}, sstubeSize{21, 33};
    QList<BrixoButton*> dataSlots;
    QList<BrixoLineedit*> textLabels;
    int nextDataSlotKey = 0, nextTextLabelKey = 0;
    QString backgroundPath, backgroundFileName;
    QString highlightColor = QStringLiteral("gray"), plainColor = QStringLiteral("white");

    // Component pictures, loaded once at construction.
    QPixmap switchOffImage, switchOnImage, switchOffLayImage, switchOnLayImage;
    QPixmap keyReleasedImage, keyPressedImage; // KEY1 and KEY0
    QPixmap ledOffImage, ledRedImage, ledGreenImage;
    QPixmap digitBackgroundImage;
    QPixmap segmentImages[8]; // A1 .. H1: segments a to g, then the decimal point

    // Selection and drag state of the design-mode event filter.
    int currentIndex = 0;
    QPointer<QWidget> currentWidget;
    bool dragging = false;
    QPoint dragOrigin;
    QPoint dragStart; // where the dragged widget was, to tell a move from a click

    // The design toolbox (createDock); the designer's slots read and fill these.
    QDockWidget* designDock = nullptr;
    QWidget* dockContent = nullptr;
    QGridLayout* dockLayout = nullptr;
    QComboBox* switchCombo = nullptr;
    QComboBox* keyCombo = nullptr;
    QComboBox* redLedCombo = nullptr;
    QComboBox* greenLedCombo = nullptr;
    QComboBox* digitCombo = nullptr;
    QPushButton* dataSlotButton = nullptr;  // "数据槽"
    QPushButton* textLabelButton = nullptr; // "注释槽"
    QLabel* digitSizeLabel = nullptr;
    QSlider* digitSizeSlider = nullptr;
    QLabel* backgroundSizeLabel = nullptr;
    QSlider* backgroundSizeSlider = nullptr;
    QGroupBox* dataSlotGroup = nullptr;
    QLineEdit* bitWidthEdit = nullptr;
    QLineEdit* indexEdit = nullptr;
    QLineEdit* keyEdit = nullptr; // read-only, outside any layout: the pressed data slot's key
    QLabel* keyLabel = nullptr;

    // Signal wiring by mode. Each connect slot first drops its own earlier connections, so
    // entering a mode twice never delivers a signal twice; add new connections to the list
    // of the slot that makes them.
    QList<QMetaObject::Connection> designConnections; // designConnect: group presses -> returnKey
    QList<QMetaObject::Connection> toolConnections;   // ctlToolConnect: toolbox and Design menu
    QList<QMetaObject::Connection> runConnections;    // experimentConnect: run-mode input
    static void dropConnections(QList<QMetaObject::Connection>& connections);

private:
    void loadComponentImages();
    void releaseComponentArrays();
    // The digit pictures scaled to sstubeSize, redone only when the size changes.
    const QPixmap& scaledDigitPicture(int layer);
    QSize scaledDigitSize;
    QPixmap scaledDigitLayers[9]; // 0: BG, 1..8: segments
public:

    // --- design dock and designer toolbox (panel/mainwindow_designer.cpp) ---
public slots:
    void removeCombo();
    void addCombo();
    // Each list's currentIndexChanged and activated reach these: item k puts component k - 1 on the panel.
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
    // Runs the settings dialog for a new panel; true when it was accepted and the panel built.
    bool showPannelSetting();
    void showPanelInfo();

public:
    void placeFromList(int kind, int item);
    void watchLabelText(BrixoLineedit* label);
    void clearComponentTables();
    // ctlToolConnect's share for the toolbox and the Design menu, kept in toolConnections.
    void connectDesignerTools();

    // --- panel files and component tables (panel/mainwindow_files.cpp, panel/mainwindow_tables.cpp) ---
public slots:
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

public:
    // Opens a panel named on the command line, as if it had been chosen in the Open dialog.
    void openPanelAtStart(const QString& fileName);
    // Reads a chosen file into the window (steps after the dialog of the Open command); a file
    // that cannot be read is reported and leaves the window as it was (false).
    bool loadPanelFile(const QString& fileName);
    // Dresses a freshly opened panel for the current mode and refills the toolbox lists.
    void dressOpenedPanel();

    QStandardItemModel* componentModel = nullptr;     // the .vp2 line store, 8 columns
    QStandardItemModel* componentInfoModel = nullptr; // one row per placed component, 5 columns
    QDockWidget* componentInfoDock = nullptr;         // "控件信息"
    QTableView* componentInfoView = nullptr;
    QTableView* componentView = nullptr;
    int infoRowCount = 0;
    // The record of the last .vpl file read lives as long as the window.
    VirtualPanelData* panelData = new VirtualPanelData(this);
    QString openedFileName; // the last file chosen in the open dialog
    bool openedLoaded = false; // whether that file was read
    bool lastWriteOk = false;  // whether the last save command wrote its file

    // Whether the panel was changed in the designer since it was opened or saved.
    bool panelModified() const { return modified; }
    void setPanelModified(bool changed) { modified = changed; }
    // Before the panel is discarded: asks to save unsaved changes. False when the user
    // cancelled, or chose Save and the panel was not written.
    bool maySaveChanges();

private:
    // Writes a finished file in one step; a failure (not a cancelled dialog) is shown with the name.
    bool writePanelFile(const QString& fiName, const QByteArray& bytes);
    QString defaultSaveName();
    bool warnNothingToSave();
    void adoptSavedFile(const QString& fiName, const QString& kind);
    bool readJvpFile(const QString& fileName, panelfile::Document& doc, panelfile::Geometry& g, QString* problem);
    void applyJvp(panelfile::Document& doc, const panelfile::Geometry& g);
    bool refuseUnreadable(const QString& fileName, const QString& problem);
    bool modified = false;
    void connectFileActions();
    void warnMissingBackground(const QString& pictureName, const QString& directory);
public:

    // --- board link and run mode (board/mainwindow_run.cpp) ---
public slots:
    void refreshVirtualPanel();
    void showRedLED(int index, bool state);
    void showGreenLED(int index, bool state);
    // Text i goes to every data widget whose index is i; missing texts show empty.
    void showData(const QStringList& dataInfo);
    void onSwitchToggle(int index, bool state);
    void onKeyDown(int index);
    void onKeyUp(int index);
    void fpgaProgram();
    void turnSimulation(bool checked);
    void changeItemColor1();
    void changeItemColor2();
    int autoRefreshBoard();
    void stopAutoRefresh();
    void turnAutoRefreshBoard(bool isAotuRefresh);
    void showAdapterInfo();
    void showFPGAInfo();
    void showlinkDlg();
    void showAbout();

public:
    // Start-up of the board link: silent connect of adapter 0, the library's parent window,
    // the refresh wiring and the board commands of the menus.
    void startBoardLink();
    // The board data lives as long as the window; createCtl sizes it.
    VirtualComponentData* componentData = new VirtualComponentData(this);
    const VirtualComponentData* getComponent() const { return componentData; }
    // Result of the last key press; a release is sent only after a press that succeeded.
    int KeyPressPending = 1;
    int RefreshCountdown = 0;
    bool refreshReading = false;  // an automatic-refresh read is under way (its error box may be up)
    bool digitShows(int index, int pattern) const;
    void markDigitDrawn(int index, int pattern);
    QString digitKey(int pattern) const;
    // Asks for the FPGA configuration file; tests replace it so no file dialog opens.
    std::function<QString(QWidget* parent, const QString& caption, const QString& filter)> chooseFpgaFile;
};
