#include "app/mainwindow.h"

#include "app/about.h"
#include "app/dialogconnnect.h"
#include "board/boardthread.h"
#include "board/errormessage.h"
#include "board/lab_connection.h"
#include "board/lab_server_dialog.h"
#include "board/panel_keys.h"
#include "board/recording.h"
#include "board/register_packing.h"
#include "ui/sysconfig.h"
#include "board/runmode.h"
#include "board/simulated_board.h"
#include "board/tamroadpter.h"
#include "panel/componenttables.h"
#include "panel/designer.h"
#include "panel/panelfiles.h"
#include "panel/panelmodel.h"
#include "ui/messagebox.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGraphicsView>
#include <QIcon>
#include <QScrollArea>
#include <QKeySequence>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QToolBar>

#include <mutex>
#include <vector>

#include <board_layout.h>
#include <vestrix.h>
#include <vestrix_board.h>

static void initResources()
{
    // The pictures live in a static library; naming them here keeps them linked into every
    // program that builds a window, the tests included.
    Q_INIT_RESOURCE(brixo);
}

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    initResources();
    setObjectName(QStringLiteral("MainWindow"));
    configDirectory = QCoreApplication::applicationDirPath();
    startDetached = [](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    };
    setWindowTitle(QStringLiteral("Brixo"));
    setWindowIcon(QIcon(QStringLiteral(":/images/AppIcon")));

    panelView_ = new QGraphicsView(this);
    panelView_->setObjectName(QStringLiteral("panelView"));
    panelView_->setStyleSheet(QStringLiteral("border:0px"));
    panel_ = new PanelModel(panelView_, this, this);
    tables_ = new ComponentTables(panel_, this);
    files_ = new PanelFiles(panel_, tables_, this);
    designer_ = new Designer(panel_, tables_, this);
    boardThread_ = new BoardThread;
    runMode_ = new RunMode(panel_, this, boardThread_->worker());
    simulatedBoard_ =
        new SimulatedBoard({this, panel_, files_, designer_, tables_, runMode_,
                            [this] { return sysconfig::joinPath(configDirectory, QStringLiteral("config.json")); }},
                           this);
    recording_ = new Recording(this, runMode_);
    labConnection_ = new LabConnection(this, boardThread_->worker());
    // The held board's panel opens as a panel file would, in run mode.
    connect(labConnection_, &LabConnection::boardReady, this, [this](const QString&, const QString& panelFile) {
        simulatedBoard_->otherBoardConnected();
        if (!panelFile.isEmpty())
            openPanelAtStart(panelFile);
    });
    DialogConnnect::setLabOpener([this](QWidget* parent) {
        LabServerDialog dialog(labConnection_, sysconfig::joinPath(configDirectory, QStringLiteral("config.json")),
                               parent);
        return MessageBox::execDialog(dialog) == QDialog::Accepted;
    });

    createMenuAndBar();
    // The component tables come right after the menus.
    setupModel();
    setupShowModel();
    createCtlTable();
    createShowTable();
    createDock();
    runMode_->keys()->addBindingField(designer_->toolbox());
    // Without a window manager (a bare X server) maximising does nothing: start on the whole
    // available screen so the window is full size either way.
    if (const QScreen* s = screen())
        setGeometry(s->availableGeometry());
    showMaximized();
    // A panel bigger than the window scrolls; the panel view keeps its own coordinates, so the
    // components and the background move together.
    auto* panelScroll = new QScrollArea(this);
    panelScroll->setObjectName(QStringLiteral("panelScroll"));
    panelScroll->setFrameShape(QFrame::NoFrame);
    panelScroll->setWidgetResizable(true);
    panelScroll->setWidget(panelView_);
    setCentralWidget(panelScroll);
    panelScroll->show();
    panelView_->show();
    wireControllers();
    startBoardLink();
}

MainWindow::~MainWindow()
{
    deleteAllFace();   // keys still down are let go on the board
    delete recording_; // a recording still running is finished while the board worker lives
    labConnection_->release();
    DialogConnnect::setLabOpener({}); // it opens this window's dialog
    delete boardThread_;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!closeAsked_ && !files_->maySaveChanges()) {
        event->ignore();
        return;
    }
    event->accept();
    labConnection_->release();
}

static QAction* makeAction(QObject* owner, const char* name, const QString& text, const QString& icon = QString())
{
    auto* a = new QAction(text, owner);
    a->setObjectName(QLatin1String(name));
    if (!icon.isEmpty())
        a->setIcon(QIcon(icon));
    return a;
}

void MainWindow::createMenuAndBar()
{
    QAction* newAction = makeAction(this, "newAction", tr("新建虚拟面板(&N)"), ":/images/XJXNMB");
    connect(newAction, &QAction::triggered, this, &MainWindow::createNewPanel);
    QAction* openAction = makeAction(this, "openAction", tr("打开虚拟面板(&O)"), ":/images/open");
    openAction->setShortcut(QKeySequence::Open);
    connect(openAction, &QAction::triggered, this, &MainWindow::judgeModel);
    saveAction_ = makeAction(this, "saveAction", tr("保存虚拟面板(&S)"), ":/images/BCMB");
    saveAction_->setShortcut(QKeySequence::Save);
    connect(saveAction_, &QAction::triggered, this, &MainWindow::saveorSaveAs);
    saveAsAction_ = makeAction(this, "saveAsAction", tr("另存为....."), ":/images/BCMB");
    connect(saveAsAction_, &QAction::triggered, this, &MainWindow::saveAs);
    QAction* connectAction = makeAction(this, "connectAction", tr("连接调试适配器(&C)"), ":/images/link");
    connect(connectAction, &QAction::triggered, this, &MainWindow::showlinkDlg);
    QAction* configureFpgaAction = makeAction(this, "configureFpgaAction", tr("下载FPGA(&G)"), ":/images/burn");
    connect(configureFpgaAction, &QAction::triggered, this, &MainWindow::fpgaProgram);
    QAction* simulateDesignAction = makeAction(this, "simulateDesignAction", tr("仿真Verilog设计(&V)..."));
    QAction* reloadDesignAction = makeAction(this, "reloadDesignAction", tr("重新载入设计(&R)"));
    reloadDesignAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
    QAction* newPanelFromDesignAction = makeAction(this, "newPanelFromDesignAction", tr("按设计新建面板(&P)"));
    QAction* exportPictureAction = makeAction(this, "exportPictureAction", tr("导出面板图片(&E)..."));
    connect(exportPictureAction, &QAction::triggered, this, &MainWindow::exportPanelPicture);
    QAction* copyPictureAction = makeAction(this, "copyPictureAction", tr("复制面板图片(&I)"));
    connect(copyPictureAction, &QAction::triggered, this, &MainWindow::copyPanelPicture);
    QAction* exitAction = makeAction(this, "exitAction", tr("退出(&X)"));
    exitAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    connect(exitAction, &QAction::triggered, this, &QWidget::close);

    QAction* simulationAction = makeAction(this, "simulationAction", tr("无板仿真(&S)"));
    simulationAction->setCheckable(true);
    connect(simulationAction, &QAction::triggered, this, &MainWindow::turnSimulation);
    simulatedBoard_->setActions(simulateDesignAction, reloadDesignAction, newPanelFromDesignAction, simulationAction);
    designAction_ = makeAction(this, "designAction", tr("虚拟面板设计(&D)"), ":/images/edit");
    designAction_->setCheckable(true);
    connect(designAction_, &QAction::triggered, this, &MainWindow::turnDesign);
    autoRefreshAction_ = makeAction(this, "autoRefreshAction", tr("自动刷新(&A)"));
    autoRefreshAction_->setCheckable(true);
    // triggered, not toggled: unchecking from the program must not call the slot again.
    connect(autoRefreshAction_, &QAction::triggered, this, &MainWindow::turnAutoRefreshBoard);

    QAction* recordAction = makeAction(this, "recordAction", tr("录制波形(&R)..."));
    QAction* exportDiagramAction = makeAction(this, "exportDiagramAction", tr("导出时序图(&T)..."));
    recording_->setActions(recordAction, exportDiagramAction);

    // The Design menu works in design mode only: turnDesign enables it, and a command that is
    // triggered outside design mode anyway does nothing.
    const auto inDesign = [this](void (MainWindow::*slot)()) {
        return [this, slot] {
            if (designer_->isDesigning())
                (this->*slot)();
        };
    };
    QAction* panelSettingsAction = makeAction(this, "panelSettingsAction", tr("设置虚拟面板"), ":/images/SZXNMB");
    connect(panelSettingsAction, &QAction::triggered, this, inDesign(&MainWindow::showPanelInfo));
    QAction* backgroundAction = makeAction(this, "backgroundAction", tr("添加更换背景图"), ":/images/TGBJT");
    connect(backgroundAction, &QAction::triggered, this, inDesign(&MainWindow::addBackground));
    QAction* componentTableAction = makeAction(this, "componentTableAction", tr("控件信息表"), ":/images/KJXXB");
    connect(componentTableAction, &QAction::triggered, this, inDesign(&MainWindow::showTable));
    designCommands_ = {panelSettingsAction, backgroundAction, componentTableAction};
    for (QAction* a : designCommands_)
        a->setEnabled(false);

    QAction* languageAction = makeAction(this, "languageAction", tr("Change &Language to English"), ":/images/flags");
    connect(languageAction, &QAction::triggered, this, &MainWindow::changeLanguage);
    QAction* adapterInfoAction = makeAction(this, "adapterInfoAction", tr("调试适配器信息(&D)"));
    connect(adapterInfoAction, &QAction::triggered, this, &MainWindow::showAdapterInfo);
    QAction* chipInfoAction = makeAction(this, "chipInfoAction", tr("片上调试器信息(&O)"));
    connect(chipInfoAction, &QAction::triggered, this, &MainWindow::showFPGAInfo);
    QAction* aboutAction = makeAction(this, "aboutAction", tr("版本版权信息(&A)"));
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAbout);

    QMenu* boardMenu = menuBar()->addMenu(tr("实验板(&B)"));
    boardMenu->setObjectName(QStringLiteral("boardMenu"));
    boardMenu->addActions({newAction, openAction, saveAction_, saveAsAction_});
    boardMenu->addSeparator();
    boardMenu->addActions({connectAction, configureFpgaAction});
    boardMenu->addSeparator();
    boardMenu->addActions({simulateDesignAction, reloadDesignAction, newPanelFromDesignAction});
    boardMenu->addSeparator();
    boardMenu->addActions({exportPictureAction, copyPictureAction});
    boardMenu->addSeparator();
    boardMenu->addAction(exitAction);
    QMenu* modeMenu = menuBar()->addMenu(tr("模式(&M)"));
    modeMenu->setObjectName(QStringLiteral("modeMenu"));
    modeMenu->addActions({simulationAction, designAction_, autoRefreshAction_});
    modeMenu->addSeparator();
    modeMenu->addActions({recordAction, exportDiagramAction});
    QMenu* designMenu = menuBar()->addMenu(tr("设计(&S)"));
    designMenu->setObjectName(QStringLiteral("designMenu"));
    designMenu->addActions(designCommands_);
    QMenu* helpMenu = menuBar()->addMenu(tr("帮助(&H)"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    helpMenu->addActions({languageAction, adapterInfoAction, chipInfoAction, aboutAction});

    auto* fileToolBar = new QToolBar(this);
    fileToolBar->setObjectName(QStringLiteral("fileToolBar"));
    fileToolBar->setMovable(true);
    fileToolBar->addActions({newAction, openAction, saveAction_, connectAction, configureFpgaAction});
    addToolBar(Qt::LeftToolBarArea, fileToolBar);
    auto* designToolBar = new QToolBar(this);
    designToolBar->setObjectName(QStringLiteral("designToolBar"));
    designToolBar->setMovable(true);
    designToolBar->addActions({designAction_, backgroundAction, panelSettingsAction, componentTableAction});
    addToolBar(Qt::LeftToolBarArea, designToolBar);
}

void MainWindow::wireControllers()
{
    // Each mode's wiring first takes the other mode's away.
    connect(designer_, &Designer::designWiringStarted, runMode_, &RunMode::disconnectInput);
    connect(runMode_, &RunMode::inputWiringStarted, designer_, &Designer::disconnectDesign);
    connect(designer_, &Designer::designModeWanted, this, [this] {
        designAction_->setChecked(true);
        turnDesign(true);
    });
    connect(designer_, &Designer::newPanelBuilt, files_, &PanelFiles::beginNewPanel);
    connect(runMode_, &RunMode::autoRefreshStopped, autoRefreshAction_,
            [this] { autoRefreshAction_->setChecked(false); });
    // An FPGA download holds the board: the commands that would wait on it are not offered.
    connect(runMode_, &RunMode::downloadRunning, this, [this](bool running) {
        for (const char* name : {"connectAction", "configureFpgaAction", "adapterInfoAction", "chipInfoAction"})
            if (QAction* a = findChild<QAction*>(QLatin1String(name)))
                a->setEnabled(!running);
    });
    // The board reads every data slot in one request: the designer refuses widths past it.
    designer_->setSlotLimit({[](const QList<QPair<int, int>>& entriesIn) {
                                 std::vector<board::DataSlot> entries;
                                 for (const auto& s : entriesIn)
                                     entries.push_back(board::DataSlot{s.first, s.second});
                                 return board::dataSlotsFit(entries);
                             },
                             brixo::BoardLayout::cpuDataBits});
    designer_->setSaveQuestion([this] { return files_->maySaveChanges(); });
    files_->setResultReporter([](int code) { ErrorMessage::showResult(code); });
    // A board command that finds no adapter offers the connect dialog, then tries once more.
    ErrorMessage::setReconnect(&DialogConnnect::reconnect);
}

void MainWindow::startBoardLink()
{
    {
        TamroAdpter adapter;
        adapter.autoConnect();
    }
    std::lock_guard<std::recursive_mutex> lock(brixo::vestrixMutex());
    SetParentWnd(reinterpret_cast<void*>(winId()));
}

void MainWindow::turnDesign(bool isDesign)
{
    designer_->setDesigning(isDesign);
    if (isDesign) {
        if (panel_->hasPanel())
            designer_->designUIChange();
        designer_->ctlToolConnect();
    } else if (panel_->hasPanel()) {
        runMode_->designUIrecovery();
    } else {
        designer_->disconnectDesign(); // without a panel run mode wires nothing
    }
    runMode_->keys()->refreshToolTips();
    saveAction_->setEnabled(true);
    saveAsAction_->setEnabled(true);
    for (QAction* a : designCommands_)
        a->setEnabled(isDesign);
}

void MainWindow::dressOpenedPanel()
{
    if (!panel_->hasPanel())
        return;
    if (designer_->isDesigning())
        designer_->designUIChange();
    else
        runMode_->designUIrecovery();
    runMode_->keys()->refreshToolTips();
    // The toolbox lists offer what the loaded panel has not placed yet.
    designer_->removeCombo();
    designer_->addCombo();
}

void MainWindow::judgeModel()
{
    // Cancelled or refused: the panel stays exactly as it was; re-dressing it would blank the
    // LEDs and digits that show the board in run mode.
    if (files_->onOpenPanel())
        dressOpenedPanel();
}

void MainWindow::openPanelAtStart(const QString& fileName)
{
    // What a file manager's double-click asks for: the same as choosing the file in Open.
    if (files_->loadPanelFile(QFileInfo(fileName).absoluteFilePath()))
        dressOpenedPanel();
}

void MainWindow::showlinkDlg()
{
    DialogConnnect dialog(this, sysconfig::joinPath(configDirectory, QStringLiteral("config.json")));
    // A board chosen here takes the place of a simulated design, whose server then ends.
    if (MessageBox::execDialog(dialog) == QDialog::Accepted && !dialog.labChosen()) {
        labConnection_->release();
        simulatedBoard_->otherBoardConnected();
    }
}

void MainWindow::showAbout()
{
    about dialog(this);
    MessageBox::execDialog(dialog);
}
