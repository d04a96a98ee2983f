// Run mode: the panel's inputs drive the board, the board's outputs are drawn on the panel.
#include "app/mainwindow.h"

#include "app/about.h"
#include "ui/messagebox.h"
#include "app/dialogconnnect.h"
#include "errormessage.h"
#include "panel/brixobutton.h"
#include "tamroadpter.h"

#include <algorithm>

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGraphicsScene>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <vestrix.h>

namespace {

// Setting an icon re-renders the button; a refresh only pays that for LEDs that change.
void setIconIfChanged(QPushButton* button, const QIcon& icon)
{
    if (button->icon().cacheKey() != icon.cacheKey())
        button->setIcon(icon);
}

}  // namespace

void MainWindow::startBoardLink()
{
    {
        TamroAdpter adapter;
        adapter.autoConnect();
    }
    SetParentWnd(reinterpret_cast<void*>(winId()));
    connect(componentData, &VirtualComponentData::FPGAStateChanged, this, &MainWindow::refreshVirtualPanel);
    connect(autoRefreshTimer, &QTimer::timeout, this, &MainWindow::autoRefreshBoard);
    connect(connectAction, &QAction::triggered, this, &MainWindow::showlinkDlg);
    connect(configureFpgaAction, &QAction::triggered, this, &MainWindow::fpgaProgram);
    connect(simulationAction, &QAction::triggered, this, &MainWindow::turnSimulation);
    // triggered, not toggled: unchecking from the program must not call the slot again.
    connect(autoRefreshAction, &QAction::triggered, this, &MainWindow::turnAutoRefreshBoard);
    connect(adapterInfoAction, &QAction::triggered, this, &MainWindow::showAdapterInfo);
    connect(chipInfoAction, &QAction::triggered, this, &MainWindow::showFPGAInfo);
    connect(aboutAction, &QAction::triggered, this, &MainWindow::showAbout);
    if (!chooseFpgaFile) {
        chooseFpgaFile = [](QWidget* parent, const QString& caption, const QString& filter) {
            return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
        };
    }
}

void MainWindow::refreshVirtualPanel()
{
    for (int i = 0; i < redLedCount && i < redLedButtons.size(); ++i)
        showRedLED(i, componentData->redLed(i) != 0);
    for (int i = 0; i < greenLedCount && i < greenLedButtons.size(); ++i)
        showGreenLED(i, componentData->greenLed(i) != 0);
    for (int i = 0; i < digitCount && i < digitButtons.size(); ++i) {
        const int pattern = componentData->digit(i);
        if (!digitShows(i, pattern))
            showSSTube(i, static_cast<char>(pattern));
        markDigitDrawn(i, pattern);
    }
    showData(componentData->dataTexts());
}

// Redrawing a digit that already shows its pattern repaints it for nothing; on an automatic
// refresh most digits are unchanged. A scene counts as showing the pattern only if this
// refresh drew it at the current size and it still holds the background plus one layer per
// lit segment (a mode change that redrew the background alone does not match).
bool MainWindow::digitShows(int index, int pattern) const
{
    if (index < 0 || index >= digitScenes.size() || !digitScenes[index])
        return false;
    const QGraphicsScene* scene = digitScenes[index];
    const QVariant drawn = scene->property("boardDigit");
    if (!drawn.isValid() || drawn.toString() != digitKey(pattern))
        return false;
    int layers = 1;
    for (int b = 0; b < 8; ++b)
        layers += (pattern >> b) & 1;
    return scene->items().size() == layers;
}

void MainWindow::markDigitDrawn(int index, int pattern)
{
    if (index >= 0 && index < digitScenes.size() && digitScenes[index])
        digitScenes[index]->setProperty("boardDigit", digitKey(pattern));
}

QString MainWindow::digitKey(int pattern) const
{
    return QStringLiteral("%1/%2x%3").arg(pattern).arg(sstubeSize.width()).arg(sstubeSize.height());
}

void MainWindow::showRedLED(int index, bool state)
{
    if (index < 0 || index >= redLedButtons.size() || !redLedButtons[index])
        return;
    static const QIcon on(QStringLiteral(":/images/led_red"));
    static const QIcon off(QStringLiteral(":/images/led_off"));
    setIconIfChanged(redLedButtons[index], state ? on : off);
}

void MainWindow::showGreenLED(int index, bool state)
{
    if (index < 0 || index >= greenLedButtons.size() || !greenLedButtons[index])
        return;
    static const QIcon on(QStringLiteral(":/images/led_green"));
    static const QIcon off(QStringLiteral(":/images/led_off"));
    setIconIfChanged(greenLedButtons[index], state ? on : off);
}

void MainWindow::showData(const QStringList& dataInfo)
{
    const int count = std::min<int>(dataSlots.size(), dataInfo.size());
    for (BrixoButton* slot : dataSlots) {
        // A widget whose index no slot position has was not read: it keeps what it shows.
        if (!slot || slot->index < 0 || slot->index >= count)
            continue;
        const QString& text = dataInfo.at(slot->index);
        // A slot written one character per line keeps that orientation for its new value.
        slot->setDataText(slot->isVertical ? text.split(QString(), Qt::SkipEmptyParts).join(QLatin1Char('\n')) : text,
                          false);
    }
}

void MainWindow::onSwitchToggle(int index, bool state)
{
    if (index < 0 || index >= switchButtons.size() || !switchButtons[index])
        return;
    QPushButton* sw = switchButtons[index];
    sw->setIcon(switchIcon(isSwitchUpright(sw), state));
}

void MainWindow::onKeyDown(int index)
{
    KeyPressPending = componentData->KeyPressed(index);
    if (index < 0 || index >= keyButtons.size() || !keyButtons[index])
        return;
    // A press that ended in an error box or the connect dialog never reaches the board, and
    // the box took the mouse's release: the key is drawn up again at once.
    const bool down = KeyPressPending == 0;
    if (!down)
        keyButtons[index]->setDown(false);
    keyButtons[index]->setIcon(QIcon(down ? QStringLiteral(":/images/KEY0") : QStringLiteral(":/images/KEY1")));
}

void MainWindow::onKeyUp(int index)
{
    if (KeyPressPending == 0) {
        componentData->KeyReleased(index);
        KeyPressPending = 1;
    }
    if (index >= 0 && index < keyButtons.size() && keyButtons[index])
        keyButtons[index]->setIcon(QIcon(QStringLiteral(":/images/KEY1")));
}

void MainWindow::turnSimulation(bool checked)
{
    componentData->simulationMode = checked;
}

void MainWindow::turnAutoRefreshBoard(bool isAotuRefresh)
{
    if (!hasPanel()) {
        autoRefreshAction->setChecked(false);
        QMessageBox box(QMessageBox::Warning, tr("警告"), tr("没有打开虚拟面板，无法自动刷新"), QMessageBox::Ok);
        MessageBox::exec(box);
        return;
    }
    if (isAotuRefresh) {
        RefreshCountdown = 100;
        autoRefreshTimer->start(100);
        menuBar()->setCornerWidget(countdownLabel, Qt::TopRightCorner);
        countdownLabel->show();
    } else {
        autoRefreshTimer->stop();
        countdownLabel->hide();
        countdownLabel->setText(tr("自动刷新剩余时间：%1s      ").arg(10));
    }
}

int MainWindow::autoRefreshBoard()
{
    --RefreshCountdown;
    const int q = RefreshCountdown / 10;
    if (RefreshCountdown % 10 == 0)
        countdownLabel->setText(tr("自动刷新剩余时间：%1s      ").arg(q));
    if (q == 0)
        stopAutoRefresh();
    // A failed read shows a modal box, and the timer keeps ticking inside its event loop: those
    // ticks count down but must not stack a box per tick on top of it.
    if (refreshReading)
        return 0;
    refreshReading = true;
    const int r = componentData->readOutputs();
    refreshReading = false;
    // One box per broken link: the refresh ends with the first failed read.
    if (r != 0)
        stopAutoRefresh();
    return r;
}

void MainWindow::stopAutoRefresh()
{
    autoRefreshAction->setChecked(false);
    autoRefreshTimer->stop();
    countdownLabel->hide();
    countdownLabel->setText(tr("自动刷新剩余时间：%1s      ").arg(10));
}

void MainWindow::fpgaProgram()
{
    const QString file = chooseFpgaFile ? chooseFpgaFile(this, tr("指定FPGA配置文件"), tr("FPGA配置文件 (*.rbf)"))
                                        : QString();
    if (file.isEmpty())
        return;
    const QByteArray path = file.toLocal8Bit();  // the library opens the file by its local name
    int r = ConfigureFPGA(path.constData());
    if (r != 0) {
        if (ErrorMessage::showResult(r) != 0)
            return;
        // The user has just reconnected: one more try, and a second failure ends quietly.
        r = ConfigureFPGA(path.constData());
        if (r != 0)
            return;
    }
    QMessageBox box(QMessageBox::Information, tr("信息"), tr("配置FPGA成功！"), QMessageBox::Ok);
    MessageBox::exec(box);
}

namespace {

void colourItems(const QVector<QPushButton*>& buttons, QComboBox* combo, bool visible, const QColor& colour)
{
    if (!combo)
        return;
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons[i] && !buttons[i]->isHidden() == visible && i + 1 < combo->count())
            combo->setItemData(i + 1, colour, Qt::BackgroundRole);
    }
}

// Item i + 1 of each kind's toolbox list stands for component i of that kind.
void colourAllItems(const MainWindow& w, bool visible, const QColor& colour)
{
    colourItems(w.switchButtons, w.switchCombo, visible, colour);
    colourItems(w.keyButtons, w.keyCombo, visible, colour);
    colourItems(w.redLedButtons, w.redLedCombo, visible, colour);
    colourItems(w.greenLedButtons, w.greenLedCombo, visible, colour);
    colourItems(w.digitButtons, w.digitCombo, visible, colour);
}

}  // namespace

void MainWindow::changeItemColor1()
{
    if (!hasPanel())
        return;
    colourAllItems(*this, true, QColor(highlightColor));
}

void MainWindow::changeItemColor2()
{
    if (!hasPanel())
        return;
    colourAllItems(*this, false, QColor(plainColor));
}

void MainWindow::showAdapterInfo()
{
    ErrorMessage::showResult(ShowTamroInfo(nullptr, nullptr, 1));
}

void MainWindow::showFPGAInfo()
{
    ErrorMessage::showResult(ShowChipInfo(nullptr, nullptr));
}

void MainWindow::showlinkDlg()
{
    DialogConnnect dialog(this);
    MessageBox::execDialog(dialog);
}

void MainWindow::showAbout()
{
    about dialog(this);
    MessageBox::execDialog(dialog);
}
