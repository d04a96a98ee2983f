#pragma once
// The single top-level window. Its slots are implemented by concern in app/, panel/ and board/.
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMainWindow>
#include <QPixmap>

#include "board/virtualcomponentdata.h"

class QAction;
class QLabel;
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
    bool (*startDetached)(const QString& program) = nullptr;

public slots:
    // --- start-up and language (app/mainwindow_language.cpp) ---
    void setLanguage(bool isEnglish);
    void saveSysConfig();
    void changeLanguage();

    // --- construction, menus and modes (app/mainwindow.cpp) ---
    void createMenuAndBar();
    void turnDesign(bool isDesign);

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

    // --- design dock and designer toolbox (panel/mainwindow_designer.cpp) ---

    // --- panel files and component tables (panel/mainwindow_files.cpp, panel/mainwindow_tables.cpp) ---

    // --- board link and run mode (board/mainwindow_run.cpp) ---
    // The board data lives as long as the window; createCtl sizes it.
    VirtualComponentData* componentData = new VirtualComponentData(this);
    const VirtualComponentData* getComponent() const { return componentData; }
};
