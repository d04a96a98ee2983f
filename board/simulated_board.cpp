#include "simulated_board.h"

#include "ui/filedialog.h"
#include "ui/messagebox.h"
#include "ui/sysconfig.h"
#include "boardworker.h"
#include "design_panel.h"
#include "errormessage.h"
#include "panel/componenttables.h"
#include "panel/designer.h"
#include "panel/panelfiles.h"
#include "panel/panelmodel.h"
#include "runmode.h"
#include "simulate_dialog.h"
#include "virtualcomponentdata.h"

#include <QAction>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {

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
    connect(parts_.runMode->worker(), &BoardWorker::serverConnected, this, &SimulatedBoard::serverConnected);
    parts_.runMode->boardData()->setNoBoardNotice([this] { return sayNoDesign(); });
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

void SimulatedBoard::simulateDesign()
{
    QStringList files = FileDialog::getOpenFileNames(parts_.window, tr("仿真Verilog设计"), lastDirectory_,
                                                     tr("Verilog设计文件 (*.v *.sv)"));
    if (files.isEmpty())
        return;
    for (QString& f : files)
        f = QFileInfo(f).absoluteFilePath();
    lastDirectory_ = QFileInfo(files.first()).absolutePath();

    SimulateDialog dialog(files, design::rememberedChoices(parts_.configFile(), files), parts_.window);
    if (MessageBox::execDialog(dialog) != QDialog::Accepted)
        return;
    const DesignChoices choices = dialog.choices();
    design::rememberChoices(parts_.configFile(), files, choices);
    launch(files, choices, false);
}

void SimulatedBoard::reloadDesign()
{
    if (server_.files().isEmpty() || server_.state() == DesignServer::State::Starting || connecting_)
        return;
    launch(server_.files(), server_.choices(), true);
}

void SimulatedBoard::launch(const QStringList& files, const DesignChoices& choices, bool reload)
{
    // The design that runs stays the board until the new one answers.
    reloading_ = reload;
    startingName_ = QFileInfo(files.first()).fileName();
    setBusy(true);
    parts_.window->statusBar()->showMessage(tr("正在编译设计 %1 …").arg(startingName_));
    server_.start(files, choices);
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
    // Connected on the board's thread, after any board work already asked for; the design
    // before it answers until then.
    connecting_ = true;
    parts_.runMode->worker()->connectServer(server_.host(), server_.port());
}

void SimulatedBoard::serverConnected(int code, bool listed)
{
    if (!connecting_)
        return;
    connecting_ = false;
    if (server_.state() != DesignServer::State::Running)
        return; // given up while it was being connected
    if (!listed || code != 0) {
        const QString reason = !listed ? tr("仿真服务器没有应答。") : tr("无法连接仿真服务器（错误%1）。").arg(code);
        const QString messages = server_.messages();
        if (server_.restorePrevious()) {
            // Back to the design that ran: the board moves to it again.
            restoring_ = true;
            connecting_ = true;
            parts_.runMode->worker()->connectServer(server_.host(), server_.port());
            reportKept(reason, messages);
            return;
        }
        server_.stop();
        restoring_ = false;
        if (connected_)
            leaveBoard();
        setBusy(false);
        parts_.window->statusBar()->clearMessage();
        showMessages(parts_.window, tr("仿真Verilog设计"), reason, messages);
        return;
    }
    // The board is on the new server now: the one before it can go.
    server_.dropPrevious();
    // Back on the design that ran before: the status bar keeps saying why.
    const bool restored = restoring_;
    restoring_ = false;
    connected_ = true;
    designWasBoard_ = true;
    ports_ = server_.ports();
    hasDesign_ = true;
    setBusy(false);
    // The design computes the outputs now, not the program's built-in experiments.
    if (builtInSimulationAction_)
        builtInSimulationAction_->setChecked(false);
    parts_.runMode->turnSimulation(false);
    if (!restored)
        parts_.window->statusBar()->showMessage(
            tr("正在仿真设计 %1（%2:%3）").arg(ports_.top, server_.host()).arg(server_.port()));
    if (!reloading_ && !restored && !parts_.panel->hasPanel() &&
        MessageBox::question(tr("没有打开的虚拟面板。按设计的端口新建一个面板吗？")) == QMessageBox::Yes)
        buildPanel();
    else if (parts_.panel->hasPanel())
        parts_.runMode->boardData()->writeInputs();
}

void SimulatedBoard::serverFailed(const QString& reason, const QString& messages)
{
    setBusy(false);
    if (server_.state() == DesignServer::State::Running && connected_) {
        reportKept(reason, messages);
        return;
    }
    parts_.window->statusBar()->clearMessage();
    showMessages(parts_.window, tr("仿真Verilog设计"), reason, messages);
}

void SimulatedBoard::reportKept(const QString& reason, const QString& messages)
{
    const QString kept = tr("设计 %1 没有载入，仍在仿真之前的设计 %2。").arg(startingName_, ports_.top);
    parts_.window->statusBar()->showMessage(kept);
    showMessages(parts_.window, tr("仿真Verilog设计"), reason + QLatin1String("\n\n") + kept, messages);
}

void SimulatedBoard::serverEnded(const QString& messages)
{
    if (connected_)
        leaveBoard();
    // A design still compiling keeps its place in the status bar.
    if (server_.state() != DesignServer::State::Starting) {
        setBusy(false);
        parts_.window->statusBar()->clearMessage();
    }
    showMessages(parts_.window, tr("仿真Verilog设计"), tr("仿真服务器已经结束。"), messages);
}

void SimulatedBoard::leaveBoard()
{
    // Nothing stays selected, so the next board command does not wait on a server that is gone.
    connected_ = false;
    parts_.runMode->boardData()->boardLeft();
    parts_.runMode->worker()->deselect();
}

bool SimulatedBoard::sayNoDesign()
{
    if (!designWasBoard_ || connected_)
        return false;
    const bool compiling = server_.state() == DesignServer::State::Starting || connecting_;
    const QString text = compiling ? tr("设计还在编译，完成后才能使用。")
                                   : tr("没有载入设计：请用“仿真Verilog设计”或“重新载入设计”载入一个设计。");
    if (!compiling)
        parts_.window->statusBar()->showMessage(tr("没有载入设计"));
    QMessageBox box(QMessageBox::Information, tr("仿真Verilog设计"), text, QMessageBox::Ok, parts_.window);
    MessageBox::exec(box);
    return true;
}

void SimulatedBoard::otherBoardConnected()
{
    connected_ = false;
    connecting_ = false;
    designWasBoard_ = false;
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
