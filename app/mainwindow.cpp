#include "app/mainwindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QTimer>
#include <QToolBar>

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainWindow"));
    configDirectory = QCoreApplication::applicationDirPath();
    startDetached = [](const QString& program) { return QProcess::startDetached(program, QStringList()); };
    setWindowTitle(QStringLiteral("Brixo"));
    setWindowIcon(QIcon(QStringLiteral(":/images/AppIcon")));
    createMenuAndBar();
    showMaximized();
    panelView = new QGraphicsView(this);
    panelView->setObjectName(QStringLiteral("panelView"));
    backgroundView = new QGraphicsView(panelView);
    backgroundView->setObjectName(QStringLiteral("backgroundView"));
    backgroundView->setScene(&backgroundScene);
    panelView->setStyleSheet(QStringLiteral("border:0px"));
    backgroundView->setStyleSheet(QStringLiteral("border:0px"));
    setCentralWidget(panelView);
    panelView->show();
    countdownLabel = new QLabel(QStringLiteral("自动刷新剩余时间：10s      "), this);
    countdownLabel->setObjectName(QStringLiteral("countdownLabel"));
    countdownLabel->hide();
    autoRefreshTimer = new QTimer(this);
    lastDirectory = QStringLiteral("../");
}

MainWindow::~MainWindow() = default;

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
    newAction = makeAction(this, "newAction", tr("新建虚拟面板(&N)"), ":/images/XJXNMB");
    openAction = makeAction(this, "openAction", tr("打开虚拟面板(&O)"), ":/images/open");
    openAction->setShortcut(QKeySequence::Open);
    saveAction = makeAction(this, "saveAction", tr("保存虚拟面板(&S)"), ":/images/BCMB");
    saveAction->setShortcut(QKeySequence::Save);
    saveAsAction = makeAction(this, "saveAsAction", tr("另存为....."), ":/images/BCMB");
    connectAction = makeAction(this, "connectAction", tr("连接调试适配器(&C)"), ":/images/link");
    configureFpgaAction = makeAction(this, "configureFpgaAction", tr("下载FPGA(&G)"), ":/images/burn");
    exitAction = makeAction(this, "exitAction", tr("退出(&X)"));
    exitAction->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    connect(exitAction, &QAction::triggered, this, &QWidget::close);

    simulationAction = makeAction(this, "simulationAction", tr("无板仿真(&S)"));
    simulationAction->setCheckable(true);
    designAction = makeAction(this, "designAction", tr("虚拟面板设计(&D)"), ":/images/edit");
    designAction->setCheckable(true);
    connect(designAction, &QAction::triggered, this, &MainWindow::turnDesign);
    autoRefreshAction = makeAction(this, "autoRefreshAction", tr("自动刷新(&A)"));
    autoRefreshAction->setCheckable(true);

    panelSettingsAction = makeAction(this, "panelSettingsAction", tr("设置虚拟面板"), ":/images/SZXNMB");
    backgroundAction = makeAction(this, "backgroundAction", tr("添加更换背景图"), ":/images/TGBJT");
    componentTableAction = makeAction(this, "componentTableAction", tr("控件信息表"), ":/images/KJXXB");
    for (QAction* a : {panelSettingsAction, backgroundAction, componentTableAction})
        a->setEnabled(false);

    languageAction = makeAction(this, "languageAction", tr("Change &Language to English"), ":/images/flags");
    connect(languageAction, &QAction::triggered, this, &MainWindow::changeLanguage);
    adapterInfoAction = makeAction(this, "adapterInfoAction", tr("调试适配器信息(&D)"));
    chipInfoAction = makeAction(this, "chipInfoAction", tr("片上调试器信息(&O)"));
    aboutAction = makeAction(this, "aboutAction", tr("版本版权信息(&A)"));

    boardMenu = menuBar()->addMenu(tr("实验板(&B)"));
    boardMenu->setObjectName(QStringLiteral("boardMenu"));
    boardMenu->addActions({newAction, openAction, saveAction, saveAsAction});
    boardMenu->addSeparator();
    boardMenu->addActions({connectAction, configureFpgaAction});
    boardMenu->addSeparator();
    boardMenu->addAction(exitAction);
    modeMenu = menuBar()->addMenu(tr("模式(&M)"));
    modeMenu->setObjectName(QStringLiteral("modeMenu"));
    modeMenu->addActions({simulationAction, designAction, autoRefreshAction});
    designMenu = menuBar()->addMenu(tr("设计(&S)"));
    designMenu->setObjectName(QStringLiteral("designMenu"));
    designMenu->addActions({panelSettingsAction, backgroundAction, componentTableAction});
    helpMenu = menuBar()->addMenu(tr("帮助(&H)"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    helpMenu->addActions({languageAction, adapterInfoAction, chipInfoAction, aboutAction});

    fileToolBar = new QToolBar(this);
    fileToolBar->setObjectName(QStringLiteral("fileToolBar"));
    fileToolBar->setMovable(true);
    fileToolBar->addActions({newAction, openAction, saveAction, connectAction, configureFpgaAction});
    addToolBar(Qt::LeftToolBarArea, fileToolBar);
    designToolBar = new QToolBar(this);
    designToolBar->setObjectName(QStringLiteral("designToolBar"));
    designToolBar->setMovable(true);
    designToolBar->addActions({designAction, backgroundAction, panelSettingsAction, componentTableAction});
    addToolBar(Qt::LeftToolBarArea, designToolBar);
}

void MainWindow::turnDesign(bool isDesign)
{
    designMode = isDesign;
    saveAction->setEnabled(true);
    saveAsAction->setEnabled(true);
    for (QAction* a : {panelSettingsAction, backgroundAction, componentTableAction})
        a->setEnabled(isDesign);
}
