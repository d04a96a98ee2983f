// Working modes: design and run dress of every component and the signal wiring of each mode.
#include "app/mainwindow.h"

#include <QAction>
#include <QButtonGroup>
#include <QDockWidget>
#include <QGraphicsPixmapItem>
#include <QPushButton>

void MainWindow::turnDesign(bool isDesign)
{
    designMode = isDesign;
    if (isDesign) {
        designDock->show();
        if (hasPanel())
            designUIChange();
        ctlToolConnect();
    } else {
        designDock->hide();
        if (hasPanel())
            designUIrecovery();
        else
            dropConnections(toolConnections); // without a panel experimentConnect does not run
    }
    saveAction->setEnabled(true);
    saveAsAction->setEnabled(true);
    for (QAction* a : {panelSettingsAction, backgroundAction, componentTableAction})
        a->setEnabled(isDesign);
}

void MainWindow::dropConnections(QList<QMetaObject::Connection>& connections)
{
    for (const QMetaObject::Connection& c : connections)
        QObject::disconnect(c);
    connections.clear();
}

namespace {
const QString transparentButton = QStringLiteral("QPushButton { background-color:transparent; }");
}

void MainWindow::designUIChange()
{
    const QString hint = tr("（双击选中后右击删除）");
    for (int i = 0; i < keyButtons.size(); ++i) {
        keyButtons[i]->setToolTip(tr("按键") + QString::number(i) + hint);
        keyButtons[i]->installEventFilter(this);
    }
    for (int i = 0; i < switchButtons.size(); ++i) {
        QPushButton* sw = switchButtons[i];
        sw->setToolTip(tr("开关") + QString::number(i) + hint);
        sw->installEventFilter(this);
        sw->setCheckable(false);
        sw->setFlat(false);
        sw->setIcon(switchIcon(isSwitchUpright(sw), true));
    }
    for (int i = 0; i < redLedButtons.size(); ++i) {
        redLedButtons[i]->setToolTip(tr("指示灯") + QString::number(i) + hint);
        redLedButtons[i]->installEventFilter(this);
        redLedButtons[i]->setFlat(false);
        redLedButtons[i]->setIcon(QIcon(ledRedImage));
    }
    for (int i = 0; i < greenLedButtons.size(); ++i) {
        greenLedButtons[i]->setToolTip(tr("指示灯") + QString::number(greenLedNumber(i)) + hint);
        greenLedButtons[i]->installEventFilter(this);
        greenLedButtons[i]->setFlat(false);
        greenLedButtons[i]->setIcon(QIcon(ledGreenImage));
    }
    for (int i = 0; i < digitButtons.size(); ++i) {
        digitButtons[i]->setToolTip(tr("数码管") + QString::number(i) + hint);
        digitButtons[i]->installEventFilter(this);
        digitViews[i]->hide();
        digitButtons[i]->setIcon(QIcon(digitBackgroundImage));
        digitButtons[i]->setIconSize(sstubeSize);
    }
    designConnect();
}

void MainWindow::designUIrecovery()
{
    for (int i = 0; i < keyButtons.size(); ++i) {
        keyButtons[i]->setToolTip(tr("按键") + QString::number(i));
        keyButtons[i]->removeEventFilter(this);
        keyButtons[i]->setStyleSheet(transparentButton);
    }
    for (int i = 0; i < switchButtons.size(); ++i) {
        QPushButton* sw = switchButtons[i];
        sw->setToolTip(tr("开关") + QString::number(i));
        sw->removeEventFilter(this);
        sw->setCheckable(true);
        sw->setFlat(true);
        sw->setStyleSheet(transparentButton);
        // The button's checked state follows the board value, so the next click toggles it.
        const bool on = componentData->switchValue(i) != 0;
        sw->setChecked(on);
        sw->setIcon(switchIcon(isSwitchUpright(sw), on));
    }
    for (int i = 0; i < redLedButtons.size(); ++i) {
        redLedButtons[i]->setToolTip(tr("指示灯") + QString::number(i));
        redLedButtons[i]->removeEventFilter(this);
        redLedButtons[i]->setFlat(true);
        redLedButtons[i]->setIcon(QIcon(ledOffImage));
        redLedButtons[i]->setStyleSheet(transparentButton);
    }
    for (int i = 0; i < greenLedButtons.size(); ++i) {
        greenLedButtons[i]->setToolTip(tr("指示灯") + QString::number(greenLedNumber(i)));
        greenLedButtons[i]->removeEventFilter(this);
        greenLedButtons[i]->setFlat(true);
        greenLedButtons[i]->setIcon(QIcon(ledOffImage));
        greenLedButtons[i]->setStyleSheet(transparentButton);
    }
    for (int i = 0; i < digitButtons.size(); ++i) {
        digitButtons[i]->setToolTip(tr("数码管") + QString::number(i));
        digitButtons[i]->removeEventFilter(this);
        digitViews[i]->show();
        digitScenes[i]->setSceneRect(0, 0, sstubeSize.width(), sstubeSize.height());
        digitViews[i]->resize(sstubeSize);
        // Cleared first so that repeated mode changes do not pile pictures up in the scene.
        digitScenes[i]->clear();
        digitScenes[i]->addPixmap(scaledDigitPicture(0));
    }
    experimentConnect();
}

void MainWindow::designConnect()
{
    dropConnections(runConnections);
    dropConnections(designConnections);
    for (QButtonGroup* g : {keyGroup, switchGroup, digitGroup, greenLedGroup, redLedGroup})
        if (g)
            designConnections << connect(g, &QButtonGroup::idPressed, this, &MainWindow::returnKey);
}

void MainWindow::experimentConnect()
{
    dropConnections(designConnections);
    dropConnections(toolConnections);
    dropConnections(runConnections);
    // Run-mode input: the picture changes here, the board is driven by the board data.
    if (switchGroup) {
        runConnections << connect(switchGroup, &QButtonGroup::idToggled, this, &MainWindow::onSwitchToggle);
        runConnections << connect(switchGroup, &QButtonGroup::idToggled, componentData,
                                  &VirtualComponentData::SwitchChange);
    }
    if (keyGroup) {
        runConnections << connect(keyGroup, &QButtonGroup::idPressed, this, &MainWindow::onKeyDown);
        runConnections << connect(keyGroup, &QButtonGroup::idReleased, this, &MainWindow::onKeyUp);
    }
}

void MainWindow::ctlToolConnect()
{
    dropConnections(toolConnections);
    connectDesignerTools();
}
