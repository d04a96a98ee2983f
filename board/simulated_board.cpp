#include "simulated_board.h"

#include "ui/filedialog.h"
#include "ui/messagebox.h"
#include "ui/sysconfig.h"
#include "design_panel.h"
#include "panel/componenttables.h"
#include "panel/designer.h"
#include "panel/panelfiles.h"
#include "panel/panelmodel.h"
#include "runmode.h"
#include "virtualcomponentdata.h"
#include "tamroadpter.h"

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QJsonObject>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <vestrix.h>

namespace {

const char* const kDesignsKey = "designs";

// The simulator's messages as they are, in a fixed font the student can copy from.
void showMessages(QWidget* parent, const QString& title, const QString& reason, const QString& messages)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("designMessagesDialog"));
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(reason, &dialog);
    label->setObjectName(QStringLiteral("designReason"));
    label->setWordWrap(true);
    layout->addWidget(label);
    if (!messages.trimmed().isEmpty()) {
        auto* text = new QPlainTextEdit(messages, &dialog);
        text->setObjectName(QStringLiteral("designMessages"));
        text->setReadOnly(true);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        text->setMinimumSize(640, 240);
        layout->addWidget(text);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    MessageBox::execDialog(dialog);
}

} // namespace

SimulatedBoard::SimulatedBoard(const Parts& parts, QObject* parent) : QObject(parent), parts_(parts)
{
    setObjectName(QStringLiteral("simulatedBoard"));
    connect(&server_, &DesignServer::ready, this, &SimulatedBoard::serverReady);
    connect(&server_, &DesignServer::failed, this, &SimulatedBoard::serverFailed);
    connect(&server_, &DesignServer::ended, this, &SimulatedBoard::serverEnded);
}

void SimulatedBoard::setActions(QAction* simulate, QAction* reload, QAction* newPanel, QAction* builtInSimulation)
{
    simulateAction_ = simulate;
    reloadAction_ = reload;
    newPanelAction_ = newPanel;
    builtInSimulationAction_ = builtInSimulation;
    connect(simulate, &QAction::triggered, this, &SimulatedBoard::simulateDesign);
    connect(reload, &QAction::triggered, this, &SimulatedBoard::reloadDesign);
    connect(newPanel, &QAction::triggered, this, &SimulatedBoard::newPanelFromDesign);
    setBusy(false);
}

bool SimulatedBoard::rememberedKeysActiveLow(const QString& firstFile) const
{
    const QJsonObject designs = sysconfig::readObject(parts_.configFile()).value(QLatin1String(kDesignsKey)).toObject();
    return designs.value(firstFile).toObject().value(QStringLiteral("keysActiveLow")).toBool();
}

void SimulatedBoard::rememberKeysActiveLow(const QString& firstFile, bool activeLow)
{
    QJsonObject designs = sysconfig::readObject(parts_.configFile()).value(QLatin1String(kDesignsKey)).toObject();
    QJsonObject entry = designs.value(firstFile).toObject();
    entry.insert(QStringLiteral("keysActiveLow"), activeLow);
    designs.insert(firstFile, entry);
    // Remembering is a convenience: an unwritable config.json only costs the next question.
    sysconfig::writeValue(parts_.configFile(), QLatin1String(kDesignsKey), designs, sysconfig::userLanguageFile());
}

void SimulatedBoard::simulateDesign()
{
    QStringList files = FileDialog::getOpenFileNames(parts_.window, tr("仿真Verilog设计"), lastDirectory_,
                                                     tr("Verilog设计文件 (*.v *.sv)"));
    if (files.isEmpty())
        return;
    for (QString& f : files)
        f = QFileInfo(f).absoluteFilePath();
    lastDirectory_ = QFileInfo(files.first()).absolutePath();

    QStringList names;
    for (const QString& f : files)
        names << QFileInfo(f).fileName();
    QMessageBox box(QMessageBox::Question, tr("仿真Verilog设计"),
                    tr("用仿真器运行这个设计：\n%1").arg(names.join(QLatin1Char('\n'))),
                    QMessageBox::Ok | QMessageBox::Cancel, parts_.window);
    box.setObjectName(QStringLiteral("simulateDesignBox"));
    auto* activeLow = new QCheckBox(tr("按键按下时为0（低电平有效）"), &box);
    activeLow->setObjectName(QStringLiteral("keysActiveLow"));
    activeLow->setChecked(rememberedKeysActiveLow(files.first()));
    box.setCheckBox(activeLow);
    box.setDefaultButton(QMessageBox::Ok);
    if (MessageBox::execDialog(box) != QMessageBox::Ok)
        return;
    rememberKeysActiveLow(files.first(), activeLow->isChecked());
    launch(files, activeLow->isChecked(), false);
}

void SimulatedBoard::reloadDesign()
{
    if (server_.files().isEmpty() || server_.state() == DesignServer::State::Starting)
        return;
    launch(server_.files(), server_.keysActiveLow(), true);
}

void SimulatedBoard::launch(const QStringList& files, bool keysActiveLow, bool reload)
{
    // The old server goes away with the restart; until the new one answers there is no board.
    if (connected_)
        leaveBoard();
    reloading_ = reload;
    setBusy(true);
    parts_.window->statusBar()->showMessage(tr("正在编译设计 %1 …").arg(QFileInfo(files.first()).fileName()));
    server_.start(files, keysActiveLow);
}

void SimulatedBoard::setBusy(bool busy)
{
    if (!simulateAction_)
        return;
    simulateAction_->setEnabled(!busy);
    reloadAction_->setEnabled(!busy && !server_.files().isEmpty());
    newPanelAction_->setEnabled(!busy && hasDesign_);
}

void SimulatedBoard::serverReady()
{
    ports_ = server_.ports();
    hasDesign_ = true;
    setBusy(false);
    TamroAdpter adapter;
    adapter.scan(true, server_.host(), server_.port());
    const int index = adapter.indexOf(QStringLiteral("Lantrovex"));
    if (index < 0) {
        server_.stop();
        parts_.window->statusBar()->clearMessage();
        showMessages(parts_.window, tr("仿真Verilog设计"), tr("仿真服务器没有应答。"), server_.messages());
        return;
    }
    if (adapter.connect(index) != 0) {
        server_.stop();
        parts_.window->statusBar()->clearMessage();
        return;
    }
    connected_ = true;
    // The design computes the outputs now, not the program's built-in experiments.
    if (builtInSimulationAction_)
        builtInSimulationAction_->setChecked(false);
    parts_.runMode->turnSimulation(false);
    parts_.window->statusBar()->showMessage(
        tr("正在仿真设计 %1（%2:%3）").arg(ports_.top, server_.host()).arg(server_.port()));
    if (!reloading_ && !parts_.panel->hasPanel() &&
        MessageBox::question(tr("没有打开的虚拟面板。按设计的端口新建一个面板吗？")) == QMessageBox::Yes)
        buildPanel();
    else if (parts_.panel->hasPanel())
        parts_.runMode->boardData()->writeInputs();
}

void SimulatedBoard::serverFailed(const QString& reason, const QString& messages)
{
    setBusy(false);
    parts_.window->statusBar()->clearMessage();
    showMessages(parts_.window, tr("仿真Verilog设计"), reason, messages);
}

void SimulatedBoard::serverEnded(const QString& messages)
{
    const bool wasBoard = connected_;
    if (wasBoard)
        leaveBoard();
    setBusy(false);
    parts_.window->statusBar()->clearMessage();
    showMessages(parts_.window, tr("仿真Verilog设计"), tr("仿真服务器已经结束。"), messages);
}

void SimulatedBoard::leaveBoard()
{
    // Nothing stays selected, so the next board command asks for an adapter instead of
    // waiting on a server that is gone.
    connected_ = false;
    ConnectDevice(-1);
}

void SimulatedBoard::otherBoardConnected()
{
    connected_ = false;
    server_.stop();
    parts_.window->statusBar()->clearMessage();
    setBusy(false);
}

void SimulatedBoard::newPanelFromDesign()
{
    if (!hasDesign_)
        return;
    // Unsaved changes get the save question, which also covers clearing the panel.
    if (parts_.panel->isModified()) {
        if (!parts_.files->maySaveChanges())
            return;
    } else if (parts_.panel->hasPanel() &&
               MessageBox::question(tr("按设计新建面板会清除当前面板，继续吗？")) != QMessageBox::Yes) {
        return;
    }
    buildPanel();
}

void SimulatedBoard::buildPanel()
{
    // The same steps as a new panel from the settings dialog, with the design's counts.
    PanelModel* panel = parts_.panel;
    Designer* designer = parts_.designer;
    panel->settingCtlNumber(ports_.switches, ports_.keys, ports_.red, ports_.green, ports_.digits);
    panel->setExperiment(QString());
    panel->deleteAllFace();
    panel->announceDataSlots();
    panel->backgroundScene().clear();
    designer->removeCombo();
    panel->setPanelName(ports_.top);
    parts_.tables->clear();
    panel->createCtl();
    const design::PanelLayout at =
        design::panelLayout(ports_, {panel->switchSize(), panel->buttonSize(), panel->ledSize(), panel->sstubeSize()});
    const auto place = [](const QVector<QPushButton*>& buttons, const QVector<QPoint>& points) {
        for (int i = 0; i < buttons.size() && i < points.size(); ++i) {
            buttons[i]->move(points[i]);
            buttons[i]->show();
        }
    };
    place(panel->switchButtons(), at.switches);
    place(panel->keyButtons(), at.keys);
    place(panel->redLedButtons(), at.red);
    place(panel->greenLedButtons(), at.green);
    place(panel->digitButtons(), at.digits);
    if (designer->isDesigning())
        designer->designUIChange();
    else
        parts_.runMode->designUIrecovery();
    designer->addCombo();
    parts_.tables->updateToTable();
    // Ready to save: Save asks for a name, as for any new panel.
    PanelBackground& bg = panel->background();
    bg.image = QPixmap();
    bg.fileName.clear();
    bg.path.clear();
    parts_.files->beginNewPanel();
    panel->setModified(false);
    panel->announceExperiment();
    if (connected_ && !designer->isDesigning())
        parts_.runMode->boardData()->writeInputs();
}
