// MainWindow's slots that belong to one controller: each forwards to it.
#include "app/mainwindow.h"

#include "board/runmode.h"
#include "panel/componenttables.h"
#include "panel/designer.h"
#include "panel/designer_lists.h"
#include "panel/panelfiles.h"
#include "panel/panelmodel.h"

void MainWindow::createCtl() { panel_->createCtl(); }
void MainWindow::settingCtlNumber(int a, int b, int c, int d, int e) { panel_->settingCtlNumber(a, b, c, d, e); }
void MainWindow::deleteAllFace() { panel_->deleteAllFace(); }
void MainWindow::showSSTube(int index, char seg) { panel_->showSSTube(index, seg); }
void MainWindow::returnKey(int index) { designer_->returnKey(index); }
void MainWindow::createDock() { designer_->createDock(); }
void MainWindow::designUIChange() { designer_->designUIChange(); }
void MainWindow::designUIrecovery() { runMode_->designUIrecovery(); }
void MainWindow::designConnect() { designer_->designConnect(); }
void MainWindow::experimentConnect() { runMode_->experimentConnect(); }
void MainWindow::ctlToolConnect() { designer_->ctlToolConnect(); }

void MainWindow::removeCombo() { designer_->removeCombo(); }
void MainWindow::addCombo() { designer_->addCombo(); }
void MainWindow::addoneSwitch(int index) { designer_->addoneSwitch(index); }
void MainWindow::addoneKey(int index) { designer_->addoneKey(index); }
void MainWindow::addoneRedLed(int index) { designer_->addoneRedLed(index); }
void MainWindow::addoneGreenled(int index) { designer_->addoneGreenled(index); }
void MainWindow::addoneSStube(int index) { designer_->addoneSStube(index); }
void MainWindow::addLineEdit() { designer_->addLineEdit(); }
void MainWindow::addText() { designer_->addText(); }
void MainWindow::modifyBrixoLabel() { designer_->modifyBrixoLabel(); }
void MainWindow::removingCtl(QWidget* useLessCtl) { designer_->removingCtl(useLessCtl); }
void MainWindow::changeCTLSize(int index) { designer_->changeCTLSize(index); }
void MainWindow::changeBackgroundSize(int index) { designer_->changeBackgroundSize(index); }
void MainWindow::addBackground() { designer_->addBackground(); }
int MainWindow::setXp(int x, int increase) { return brixo::shifted(x, increase); }
int MainWindow::setyp(int y, int increase) { return brixo::shifted(y, increase); }
void MainWindow::createNewPanel() { designer_->createNewPanel(); }
bool MainWindow::showPannelSetting() { return designer_->showPannelSetting(); }
void MainWindow::showPanelInfo() { designer_->showPanelInfo(); }
void MainWindow::changeItemColor1() { designer_->changeItemColor1(); }
void MainWindow::changeItemColor2() { designer_->changeItemColor2(); }

void MainWindow::setupModel() { tables_->setupModel(); }
void MainWindow::setupShowModel() { tables_->setupShowModel(); }
void MainWindow::createCtlTable() { tables_->createCtlTable(); }
void MainWindow::createShowTable() { tables_->createShowTable(); }
void MainWindow::showTable() { tables_->showTable(); }
void MainWindow::updateToTable() { tables_->updateToTable(); }
void MainWindow::createContainer(QString name, QMultiMap<QPushButton*, QString>& mapI, QPushButton* buttonI, int index)
{
    tables_->createContainer(name, mapI, buttonI, index);
}

void MainWindow::readVPjson(QString fileName) { files_->readVPjson(fileName); }
void MainWindow::saveByjson(QString fiName) { files_->saveByjson(fiName); }
void MainWindow::readVPL(QString fileName, QString filePath, QString baseName)
{
    files_->readVPL(fileName, filePath, baseName);
}
void MainWindow::readVP2(QString fileName, QString filePath) { files_->readVP2(fileName, filePath); }
void MainWindow::savePanelInfo(QString fiName) { files_->savePanelInfo(fiName); }
void MainWindow::saveing(QTextStream& out, QPushButton* btn, QMultiMap<QPushButton*, QString>& mapI)
{
    files_->saveing(out, btn, mapI);
}
void MainWindow::saveorSaveAs() { files_->saveorSaveAs(); }
void MainWindow::saveAs() { files_->saveAs(); }
void MainWindow::onOpenPanel() { files_->onOpenPanel(); }

void MainWindow::refreshVirtualPanel() { runMode_->refreshVirtualPanel(); }
void MainWindow::showRedLED(int index, bool state) { runMode_->showRedLED(index, state); }
void MainWindow::showGreenLED(int index, bool state) { runMode_->showGreenLED(index, state); }
void MainWindow::showData(const QStringList& dataInfo) { runMode_->showData(dataInfo); }
void MainWindow::onSwitchToggle(int index, bool state) { runMode_->onSwitchToggle(index, state); }
void MainWindow::onKeyDown(int index) { runMode_->onKeyDown(index); }
void MainWindow::onKeyUp(int index) { runMode_->onKeyUp(index); }
void MainWindow::fpgaProgram() { runMode_->fpgaProgram(); }
void MainWindow::turnSimulation(bool checked) { runMode_->turnSimulation(checked); }
int MainWindow::autoRefreshBoard() { return runMode_->autoRefreshBoard(); }
void MainWindow::turnAutoRefreshBoard(bool isAotuRefresh) { runMode_->turnAutoRefreshBoard(isAotuRefresh); }
void MainWindow::showAdapterInfo() { runMode_->showAdapterInfo(); }
void MainWindow::showFPGAInfo() { runMode_->showFPGAInfo(); }
void MainWindow::exportPanelPicture() { files_->exportPicture(); }
void MainWindow::copyPanelPicture() { files_->copyPicture(); }
