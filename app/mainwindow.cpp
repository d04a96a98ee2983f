#include "app/mainwindow.h"
#include "app/dialogconnnect.h"
#include "board/errormessage.h"
#include "panel/multiselectcombobox.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDockWidget>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QToolBar>

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
    createMenuAndBar();
    // The component tables come right after the menus (panel/mainwindow_tables.cpp).
    setupModel();
    setupShowModel();
    createCtlTable();
    createShowTable();
    connectFileActions();
    loadComponentImages();
    createDock();
    // Without a window manager (a bare X server) maximising does nothing: start on the whole
    // available screen so the window is full size either way.
    if (const QScreen* s = screen())
        setGeometry(s->availableGeometry());
    showMaximized();
    panelView = new QGraphicsView(this);
    panelView->setObjectName(QStringLiteral("panelView"));
    backgroundView = new QGraphicsView(panelView);
    backgroundView->setObjectName(QStringLiteral("backgroundView"));
    backgroundView->setScene(&backgroundScene);
    // The picture's pixel (x, y) lies under panel position (x, y): the view is larger than its
    // scene and would otherwise centre it.
    backgroundView->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    backgroundView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    backgroundView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panelView->setStyleSheet(QStringLiteral("border:0px"));
    backgroundView->setStyleSheet(QStringLiteral("border:0px"));
    setCentralWidget(panelView);
    panelView->show();
    countdownLabel = new QLabel(tr("自动刷新剩余时间：%1s      ").arg(10), this);
    countdownLabel->setObjectName(QStringLiteral("countdownLabel"));
    countdownLabel->hide();
    autoRefreshTimer = new QTimer(this);
    // A board command that finds no adapter offers the connect dialog, then tries once more.
    ErrorMessage::setReconnect(&DialogConnnect::reconnect);
    startBoardLink();
    lastDirectory = QStringLiteral("../");
}

MainWindow::~MainWindow()
{
    deleteAllFace();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Exit, Ctrl+Q and the close button all end here.
    if (!closeAsked && !maySaveChanges()) {
        event->ignore();
        return;
    }
    event->accept();
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
    newAction = makeAction(this, "newAction", tr("新建虚拟面板(&N)"), ":/images/XJXNMB");
    connect(newAction, &QAction::triggered, this, &MainWindow::createNewPanel);
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

void MainWindow::createDock()
{
    designDock = new QDockWidget(tr("设计工具箱"), this);
    designDock->setObjectName(QStringLiteral("designDock"));
    designDock->setFixedWidth(120);
    designDock->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    designDock->setAllowedAreas(Qt::AllDockWidgetAreas);
    dockContent = new QWidget(designDock);
    dockContent->setObjectName(QStringLiteral("dockContent"));
    dockLayout = new QGridLayout(dockContent);
    dockLayout->setSpacing(10);
    dockLayout->setAlignment(Qt::AlignTop);

    const auto combo = [this](const char* name, const QPixmap& icon, const QString& text, int visible,
                              bool multiselect = false) {
        // The switch list stays open while several switches are picked from it.
        QComboBox* c = multiselect ? new MultiselectComboBox(dockContent) : new QComboBox(dockContent);
        c->setObjectName(QLatin1String(name));
        c->addItem(QIcon(icon), text);
        c->setMaxVisibleItems(visible);
        return c;
    };
    switchCombo = combo("switchCombo", switchOnImage, tr("  开关"), 37, true);
    keyCombo = combo("keyCombo", keyPressedImage, tr("  按键"), 21);
    redLedCombo = combo("redLedCombo", ledRedImage, tr("  红灯"), 19);
    greenLedCombo = combo("greenLedCombo", ledGreenImage, tr("  绿灯"), 19);
    digitCombo = combo("digitCombo", digitBackgroundImage, tr(" 数码管"), 9);

    dataSlotButton = new QPushButton(tr("数据槽"), dockContent);
    dataSlotButton->setObjectName(QStringLiteral("dataSlotButton"));
    textLabelButton = new QPushButton(tr("注释槽"), dockContent);
    textLabelButton->setObjectName(QStringLiteral("textLabelButton"));
    digitSizeLabel = new QLabel(tr("数码管尺寸大小："), dockContent);
    digitSizeLabel->setObjectName(QStringLiteral("digitSizeLabel"));
    digitSizeLabel->setWordWrap(true); // the dock is only 120 wide
    digitSizeSlider = new QSlider(Qt::Horizontal, dockContent);
    digitSizeSlider->setObjectName(QStringLiteral("digitSizeSlider"));
    digitSizeSlider->setRange(0, 10);
    digitSizeSlider->setValue(5);
    backgroundSizeLabel = new QLabel(tr("背景图片大小："), dockContent);
    backgroundSizeLabel->setObjectName(QStringLiteral("backgroundSizeLabel"));
    backgroundSizeLabel->setWordWrap(true);
    backgroundSizeSlider = new QSlider(Qt::Horizontal, dockContent);
    backgroundSizeSlider->setObjectName(QStringLiteral("backgroundSizeSlider"));
    backgroundSizeSlider->setRange(0, 20);
    backgroundSizeSlider->setValue(10);

    dataSlotGroup = new QGroupBox(tr("数据槽属性"), dockContent);
    dataSlotGroup->setObjectName(QStringLiteral("dataSlotGroup"));
    auto* groupLayout = new QGridLayout(dataSlotGroup);
    const QRegularExpression digits(QStringLiteral("[1-9][0-9]+$"));
    bitWidthEdit = new QLineEdit(dataSlotGroup);
    bitWidthEdit->setObjectName(QStringLiteral("bitWidthEdit"));
    bitWidthEdit->setValidator(new QRegularExpressionValidator(digits, bitWidthEdit));
    indexEdit = new QLineEdit(dataSlotGroup);
    indexEdit->setObjectName(QStringLiteral("indexEdit"));
    indexEdit->setValidator(new QRegularExpressionValidator(digits, indexEdit));
    groupLayout->addWidget(new QLabel(tr("位宽"), dataSlotGroup), 0, 0);
    groupLayout->addWidget(bitWidthEdit, 0, 1);
    groupLayout->addWidget(new QLabel(tr("序号"), dataSlotGroup), 1, 0);
    groupLayout->addWidget(indexEdit, 1, 1);
    // The key edit is never laid out: the event filter writes the pressed slot's key here and
    // modifyBrixoLabel reads it back to find that slot.
    keyEdit = new QLineEdit(dataSlotGroup);
    keyEdit->setObjectName(QStringLiteral("keyEdit"));
    keyEdit->setReadOnly(true);
    keyEdit->setStyleSheet(QStringLiteral("QWidget { background-color:gray; }"));
    keyEdit->hide();
    keyLabel = new QLabel(QStringLiteral("key"), dataSlotGroup);
    keyLabel->setObjectName(QStringLiteral("keyLabel"));
    keyLabel->hide();

    int row = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{switchCombo, keyCombo, redLedCombo, greenLedCombo, digitCombo,
                                                       dataSlotButton, textLabelButton, digitSizeLabel, digitSizeSlider,
                                                       backgroundSizeLabel, backgroundSizeSlider, dataSlotGroup})
        dockLayout->addWidget(w, row++, 0);
    designDock->setWidget(dockContent);
    addDockWidget(Qt::LeftDockWidgetArea, designDock);
    designDock->hide();
}
