#include "board/runmode.h"

#include "board/boardworker.h"
#include "board/errormessage.h"
#include "board/panel_keys.h"
#include "board/virtualcomponentdata.h"
#include "panel/brixobutton.h"
#include "panel/panelmodel.h"
#include "ui/messagebox.h"

#include <QCoreApplication>
#include <QButtonGroup>
#include <QFileDialog>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <mutex>

#include <vestrix.h>
#include <vestrix_board.h>

using brixo::ComponentKind;

namespace {

// Setting an icon re-renders the button; a refresh only pays that for LEDs that change.
void setIconIfChanged(QPushButton* button, const QIcon& icon)
{
    if (button->icon().cacheKey() != icon.cacheKey())
        button->setIcon(icon);
}

const QString transparentButton = QStringLiteral("QPushButton { background-color:transparent; }");

} // namespace

RunMode::RunMode(PanelModel* panel, QMainWindow* window, BoardWorker* worker)
    : QObject(window), panel_(panel), window_(window), worker_(worker),
      componentData_(new VirtualComponentData(worker, window))
{
    setObjectName(QStringLiteral("runMode"));
    countdownLabel_ =
        new QLabel(QCoreApplication::translate("MainWindow", "自动刷新剩余时间：%1s      ").arg(10), window);
    countdownLabel_->setObjectName(QStringLiteral("countdownLabel"));
    countdownLabel_->hide();
    autoRefreshTimer_ = new QTimer(window);
    keys_ = new PanelKeys(panel_, componentData_, window_, this);
    connect(componentData_, &VirtualComponentData::FPGAStateChanged, this, &RunMode::refreshVirtualPanel);
    connect(autoRefreshTimer_, &QTimer::timeout, this, &RunMode::autoRefreshBoard);
    // One box per broken link: the refresh ends with the first failed read.
    connect(componentData_, &VirtualComponentData::outputsRead, this, [this](int code) {
        if (code != 0 && autoRefreshTimer_->isActive())
            stopAutoRefresh();
    });
    connect(componentData_, &VirtualComponentData::linkFailed, this, &RunMode::linkFailed);
    connect(worker_, &BoardWorker::configured, this, &RunMode::fpgaConfigured);
    connect(panel_, &PanelModel::componentsBuilt, this, &RunMode::sizeBoardData);
    connect(panel_, &PanelModel::dataSlotsChanged, this, [this] { componentData_->setDataSlots(panel_->dataSlots()); });
    connect(panel_, &PanelModel::experimentChosen, componentData_, &VirtualComponentData::selectExperiment);
    chooseFpgaFile_ = [](QWidget* parent, const QString& caption, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
    };
}

void RunMode::sizeBoardData()
{
    componentData_->setKeyCount(panel_->count(ComponentKind::Key));
    componentData_->setSwitchCount(panel_->count(ComponentKind::Switch));
    componentData_->setGreenLedCount(panel_->count(ComponentKind::GreenLed));
    componentData_->setRedLedCount(panel_->count(ComponentKind::RedLed));
    componentData_->setDigitCount(panel_->count(ComponentKind::Digit));
}

void RunMode::designUIrecovery()
{
    const ComponentPictures& p = panel_->pictures();
    QObject* designFilter = panel_->selectionFilter();
    for (const brixo::KindInfo& k : brixo::kComponentKinds) {
        const QVector<QPushButton*>& buttons = panel_->buttons(k.kind);
        for (int i = 0; i < buttons.size(); ++i) {
            QPushButton* b = buttons[i];
            b->setToolTip(brixo::componentToolTip(k.kind, i, false));
            if (designFilter)
                b->removeEventFilter(designFilter);
            switch (k.kind) {
            case ComponentKind::Key: b->setStyleSheet(transparentButton); break;
            case ComponentKind::Switch: {
                b->setCheckable(true);
                b->setFlat(true);
                b->setStyleSheet(transparentButton);
                // The button's checked state follows the board value, so the next click toggles it.
                const bool on = componentData_->switchValue(i) != 0;
                b->setChecked(on);
                b->setIcon(PanelModel::switchIcon(panel_->isSwitchUpright(b), on));
                break;
            }
            case ComponentKind::RedLed:
            case ComponentKind::GreenLed:
                b->setFlat(true);
                b->setIcon(QIcon(p.ledOffImage));
                b->setStyleSheet(transparentButton);
                break;
            case ComponentKind::Digit: {
                const QSize size = panel_->sstubeSize();
                QGraphicsScene* scene = panel_->digitScenes()[i];
                panel_->digitViews()[i]->show();
                scene->setSceneRect(0, 0, size.width(), size.height());
                panel_->digitViews()[i]->resize(size);
                // Cleared first so that repeated mode changes do not pile pictures up in the scene.
                scene->clear();
                scene->addPixmap(panel_->scaledDigitPicture(0));
                break;
            }
            }
        }
    }
    experimentConnect();
}

void RunMode::disconnectInput()
{
    // Keys held or latched in run mode are let go before the panel stops driving the board.
    if (keys_->running()) {
        keys_->setRunning(false);
        keys_->releaseAll(true);
        keys_->refreshToolTips();
    }
    for (const QMetaObject::Connection& c : runConnections_)
        QObject::disconnect(c);
    runConnections_.clear();
}

void RunMode::experimentConnect()
{
    emit inputWiringStarted();
    disconnectInput();
    // Run-mode input: the picture changes here, the board is driven by the board data.
    if (QButtonGroup* switches = panel_->group(ComponentKind::Switch)) {
        runConnections_ << connect(switches, &QButtonGroup::idToggled, this, &RunMode::onSwitchToggle);
        runConnections_ << connect(switches, &QButtonGroup::idToggled, componentData_,
                                   &VirtualComponentData::SwitchChange);
    }
    if (QButtonGroup* keys = panel_->group(ComponentKind::Key)) {
        runConnections_ << connect(keys, &QButtonGroup::idPressed, this, &RunMode::onKeyDown);
        runConnections_ << connect(keys, &QButtonGroup::idReleased, this, &RunMode::onKeyUp);
    }
    keys_->setRunning(true);
    keys_->refreshToolTips();
}

void RunMode::refreshVirtualPanel()
{
    for (int i = 0; i < panel_->count(ComponentKind::RedLed) && i < panel_->redLedButtons().size(); ++i)
        showRedLED(i, componentData_->redLed(i) != 0);
    for (int i = 0; i < panel_->count(ComponentKind::GreenLed) && i < panel_->greenLedButtons().size(); ++i)
        showGreenLED(i, componentData_->greenLed(i) != 0);
    for (int i = 0; i < panel_->count(ComponentKind::Digit) && i < panel_->digitButtons().size(); ++i) {
        const int pattern = componentData_->digit(i);
        if (!digitShows(i, pattern)) {
            panel_->showSSTube(i, static_cast<char>(pattern));
            markDigitDrawn(i, pattern);
        }
    }
    showData(componentData_->dataTexts());
}

// Redrawing a digit that already shows its pattern repaints it for nothing; on an automatic
// refresh most digits are unchanged. A scene counts as showing the pattern only if this
// refresh drew it at the current size and it still holds the background plus one layer per
// lit segment (a mode change that redrew the background alone does not match).
bool RunMode::digitShows(int index, int pattern) const
{
    if (index < 0 || index >= panel_->digitScenes().size() || !panel_->digitScenes()[index])
        return false;
    const QGraphicsScene* scene = panel_->digitScenes()[index];
    const QVariant drawn = scene->property("boardDigit");
    if (!drawn.isValid() || drawn.toString() != digitKey(pattern))
        return false;
    int layers = 1;
    for (int b = 0; b < 8; ++b)
        layers += (pattern >> b) & 1;
    return scene->items().size() == layers;
}

void RunMode::markDigitDrawn(int index, int pattern)
{
    if (index >= 0 && index < panel_->digitScenes().size() && panel_->digitScenes()[index])
        panel_->digitScenes()[index]->setProperty("boardDigit", digitKey(pattern));
}

QString RunMode::digitKey(int pattern) const
{
    return QStringLiteral("%1/%2x%3").arg(pattern).arg(panel_->sstubeSize().width()).arg(panel_->sstubeSize().height());
}

void RunMode::showRedLED(int index, bool state)
{
    if (index < 0 || index >= panel_->redLedButtons().size() || !panel_->redLedButtons()[index])
        return;
    static const QIcon on(QStringLiteral(":/images/led_red"));
    static const QIcon off(QStringLiteral(":/images/led_off"));
    setIconIfChanged(panel_->redLedButtons()[index], state ? on : off);
}

void RunMode::showGreenLED(int index, bool state)
{
    if (index < 0 || index >= panel_->greenLedButtons().size() || !panel_->greenLedButtons()[index])
        return;
    static const QIcon on(QStringLiteral(":/images/led_green"));
    static const QIcon off(QStringLiteral(":/images/led_off"));
    setIconIfChanged(panel_->greenLedButtons()[index], state ? on : off);
}

void RunMode::showData(const QStringList& dataInfo)
{
    const int count = std::min<int>(panel_->dataSlots().size(), dataInfo.size());
    for (BrixoButton* slot : panel_->dataSlots()) {
        // A widget whose index no slot position has was not read: it keeps what it shows.
        if (!slot || slot->index < 0 || slot->index >= count)
            continue;
        const QString& text = dataInfo.at(slot->index);
        // A slot written one character per line keeps that orientation for its new value.
        slot->setDataText(slot->isVertical ? text.split(QString(), Qt::SkipEmptyParts).join(QLatin1Char('\n')) : text,
                          false);
    }
}

void RunMode::onSwitchToggle(int index, bool state)
{
    if (index < 0 || index >= panel_->switchButtons().size() || !panel_->switchButtons()[index])
        return;
    QPushButton* sw = panel_->switchButtons()[index];
    sw->setIcon(PanelModel::switchIcon(panel_->isSwitchUpright(sw), state));
}

// The mouse is one of the reasons a key is down (keyboard and latch are the others): the board
// sees a press when the first reason comes and a release when the last goes, and only after a
// press that reached it.
void RunMode::onKeyDown(int index)
{
    keyPressPending_ = keys_->hold(index, board::KeyHolds::Mouse);
    // A press refused at once (no experiment to simulate) took a box, and the box took the
    // mouse's release: the button must not stay pushed in.
    if (keyPressPending_ != 0 && index >= 0 && index < panel_->keyButtons().size() && panel_->keyButtons()[index])
        panel_->keyButtons()[index]->setDown(false);
}

// A step that failed took its box, and every key is up now (PanelKeys lets them go): a press
// under way failed with it, and no key button stays pushed in.
void RunMode::linkFailed(int code)
{
    if (keyPressPending_ == 0)
        keyPressPending_ = code;
    for (QPushButton* key : panel_->keyButtons())
        if (key && key->isDown())
            key->setDown(false);
}

void RunMode::onKeyUp(int index)
{
    keys_->letGo(index, board::KeyHolds::Mouse);
    keyPressPending_ = 1;
}

void RunMode::turnSimulation(bool checked) { componentData_->simulationMode = checked; }

void RunMode::turnAutoRefreshBoard(bool isAotuRefresh)
{
    if (!panel_->hasPanel()) {
        emit autoRefreshStopped();
        QMessageBox box(QMessageBox::Warning, QCoreApplication::translate("MainWindow", "警告"),
                        QCoreApplication::translate("MainWindow", "没有打开虚拟面板，无法自动刷新"), QMessageBox::Ok);
        MessageBox::exec(box);
        return;
    }
    if (isAotuRefresh) {
        refreshCountdown_ = 100;
        autoRefreshTimer_->start(100);
        window_->menuBar()->setCornerWidget(countdownLabel_, Qt::TopRightCorner);
        countdownLabel_->show();
    } else {
        autoRefreshTimer_->stop();
        countdownLabel_->hide();
        countdownLabel_->setText(QCoreApplication::translate("MainWindow", "自动刷新剩余时间：%1s      ").arg(10));
    }
}

int RunMode::autoRefreshBoard()
{
    --refreshCountdown_;
    const int q = refreshCountdown_ / 10;
    if (refreshCountdown_ % 10 == 0)
        countdownLabel_->setText(QCoreApplication::translate("MainWindow", "自动刷新剩余时间：%1s      ").arg(q));
    if (q == 0)
        stopAutoRefresh();
    // A tick while the board is still answering counts down but asks nothing: the answer under
    // way (or its error box) brings the outputs.
    if (componentData_->busy())
        return 0;
    return componentData_->readOutputs();
}

bool RunMode::boardBusy() const { return downloading_ || componentData_->busy(); }

void RunMode::stopAutoRefresh()
{
    emit autoRefreshStopped();
    autoRefreshTimer_->stop();
    countdownLabel_->hide();
    countdownLabel_->setText(QCoreApplication::translate("MainWindow", "自动刷新剩余时间：%1s      ").arg(10));
}

void RunMode::fpgaProgram()
{
    if (downloading_)
        return;
    const QString file = chooseFpgaFile_
                             ? chooseFpgaFile_(window_, QCoreApplication::translate("MainWindow", "指定FPGA配置文件"),
                                               QCoreApplication::translate("MainWindow", "FPGA配置文件 (*.rbf)"))
                             : QString();
    if (file.isEmpty())
        return;
    fpgaPath_ = file.toLocal8Bit(); // the library opens the file by its local name
    fpgaRetried_ = false;
    setDownloading(true);
    worker_->configure(fpgaPath_);
}

void RunMode::fpgaConfigured(int code)
{
    if (!downloading_)
        return;
    if (code != 0) {
        // The user has just reconnected: one more try, and a second failure ends quietly.
        if (!fpgaRetried_ && ErrorMessage::showResult(code) == 0) {
            fpgaRetried_ = true;
            worker_->configure(fpgaPath_);
            return;
        }
        setDownloading(false);
        return;
    }
    setDownloading(false);
    QMessageBox box(QMessageBox::Information, QCoreApplication::translate("MainWindow", "信息"),
                    QCoreApplication::translate("MainWindow", "配置FPGA成功！"), QMessageBox::Ok);
    MessageBox::exec(box);
}

void RunMode::setDownloading(bool running)
{
    downloading_ = running;
    emit downloadRunning(running);
}

void RunMode::showAdapterInfo()
{
    int r;
    {
        std::lock_guard<std::recursive_mutex> lock(brixo::vestrixMutex());
        r = ShowTamroInfo(nullptr, nullptr, 1);
    }
    ErrorMessage::showResult(r);
}

void RunMode::showFPGAInfo()
{
    int r;
    {
        std::lock_guard<std::recursive_mutex> lock(brixo::vestrixMutex());
        r = ShowChipInfo(nullptr, nullptr);
    }
    ErrorMessage::showResult(r);
}
