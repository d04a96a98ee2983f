// The design toolbox's slots: putting components on the panel from the lists, data slots and
// text labels, digit and background sizes, the background picture, and the New / panel
// settings commands.
#include "ui/filedialog.h"
#include "app/mainwindow.h"
#include "ui/messagebox.h"
#include "panel/brixobutton.h"
#include "panel/brixolineedit.h"
#include "panel/pannelsetting.h"

#include "designer_geometry.h"
#include "designer_lists.h"
#include "panel_settings_values.h"
#include "register_packing.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStandardItemModel>

#include <vector>

using brixo::ComponentKind;

namespace {
struct KindWidgets {
    ComponentKind kind;
    QComboBox* combo;
    const QVector<QPushButton*>& buttons;
};

std::vector<KindWidgets> kinds(MainWindow& w)
{
    return {{ComponentKind::Switch, w.switchCombo, w.switchButtons},
            {ComponentKind::Key, w.keyCombo, w.keyButtons},
            {ComponentKind::RedLed, w.redLedCombo, w.redLedButtons},
            {ComponentKind::GreenLed, w.greenLedCombo, w.greenLedButtons},
            {ComponentKind::Digit, w.digitCombo, w.digitButtons}};
}

KindWidgets kindOf(MainWindow& w, ComponentKind kind)
{
    for (const KindWidgets& k : kinds(w))
        if (k.kind == kind)
            return k;
    return kinds(w).front();
}

void paintItem(QComboBox* combo, int item, const QString& colorName)
{
    if (combo && item > 0 && item < combo->count())
        combo->setItemData(item, QColor(colorName), Qt::BackgroundRole);
}
}  // namespace

void MainWindow::removeCombo()
{
    for (const KindWidgets& k : kinds(*this)) {
        if (!k.combo)
            continue;
        const QSignalBlocker quiet(k.combo);  // emptying a list is not a choice of its header
        k.combo->clear();
        const brixo::ComboItem header = brixo::comboHeader(k.kind);
        k.combo->addItem(QIcon(header.icon), header.text);
    }
}

void MainWindow::addCombo()
{
    for (const KindWidgets& k : kinds(*this)) {
        if (!k.combo)
            continue;
        const QSignalBlocker quiet(k.combo);
        for (int i = 0; i < k.buttons.size(); ++i) {
            const brixo::ComboItem item = brixo::comboItem(k.kind, i);
            k.combo->addItem(QIcon(item.icon), item.text);
        }
    }
    changeItemColor1();
}

void MainWindow::placeFromList(int kind, int item)
{
    const KindWidgets k = kindOf(*this, static_cast<ComponentKind>(kind));
    paintItem(k.combo, item, highlightColor);
    const int i = brixo::componentForItem(item, k.buttons.size());
    if (hasPanel() && i >= 0) {
        // Chosen again while already on the panel: it comes back to its place at the top too.
        k.buttons[i]->show();
        k.buttons[i]->move(brixo::placedPosition(i));
        updateToTable();
        setPanelModified(true);
    }
    designConnect();
}

void MainWindow::addoneSwitch(int index) { placeFromList(int(ComponentKind::Switch), index); }
void MainWindow::addoneKey(int index) { placeFromList(int(ComponentKind::Key), index); }
void MainWindow::addoneRedLed(int index) { placeFromList(int(ComponentKind::RedLed), index); }
void MainWindow::addoneGreenled(int index) { placeFromList(int(ComponentKind::GreenLed), index); }
void MainWindow::addoneSStube(int index) { placeFromList(int(ComponentKind::Digit), index); }

int MainWindow::setXp(int x, int increase) { return brixo::shifted(x, increase); }
int MainWindow::setyp(int y, int increase) { return brixo::shifted(y, increase); }

void MainWindow::addLineEdit()
{
    if (!hasPanel())
        return;
    auto* slot = new BrixoButton(panelView);
    slot->show();
    slot->key = nextDataSlotKey;
    slot->index = nextDataSlotKey;
    slot->move(brixo::newSlotPosition(nextDataSlotKey));
    ++nextDataSlotKey;
    slot->setDataText(QStringLiteral("00000000"), false);
    slot->installEventFilter(this);
    dataSlots.append(slot);
    componentData->setDataSlots(dataSlots);
    setPanelModified(true);
}

void MainWindow::addText()
{
    if (!hasPanel())
        return;
    auto* label = new BrixoLineedit(panelView);
    label->show();
    label->key = nextTextLabelKey;
    label->index = nextTextLabelKey;
    label->move(brixo::newSlotPosition(nextTextLabelKey));
    ++nextTextLabelKey;
    label->setPlaceholderText(tr("添加一段注释"));
    label->installEventFilter(this);
    watchLabelText(label);
    textLabels.append(label);
    setPanelModified(true);
}

void MainWindow::watchLabelText(BrixoLineedit* label)
{
    // Typing into a label changes what Save writes.
    connect(label, &QLineEdit::textEdited, this, [this] { setPanelModified(true); });
}

void MainWindow::modifyBrixoLabel()
{
    if (!bitWidthEdit || !indexEdit || !keyEdit)
        return;
    if (dataSlots.isEmpty()) {
        indexEdit->clear();
        bitWidthEdit->clear();
        return;
    }
    bool ok = false;
    const int key = keyEdit->text().toInt(&ok, 10);
    if (!ok)
        return;
    BrixoButton* slot = nullptr;
    for (BrixoButton* s : dataSlots)
        if (s->key == key)
            slot = s;
    if (!slot)
        return;

    // An empty edit means 0; digits beyond what an int holds are refused, not wrapped.
    const auto number = [](const QString& text) { return text.isEmpty() ? std::optional<int>(0) : brixo::slotEditNumber(text); };
    const std::optional<int> index = number(indexEdit->text());
    const std::optional<int> width = number(bitWidthEdit->text());
    std::vector<board::DataSlot> proposed;
    for (const BrixoButton* s : dataSlots)
        proposed.push_back(s == slot ? board::DataSlot{index.value_or(0), width.value_or(0)} : board::DataSlot{s->index, s->bitWidth});
    if (!index || !width || !board::dataSlotsFit(proposed)) {
        // The board reads every data slot in one request; a width it cannot carry is never taken.
        indexEdit->setText(QString::number(slot->index));
        bitWidthEdit->setText(QString::number(slot->bitWidth));
        QMessageBox box(QMessageBox::Warning, QString(),
                        tr("数据槽的位宽合计不能超过%1位，修改未被接受").arg(board::kMaxCpuDataBytes * 8),
                        QMessageBox::Yes);
        MessageBox::exec(box);
        return;
    }
    if (slot->index != *index || slot->bitWidth != *width)
        setPanelModified(true);
    slot->index = *index;
    slot->bitWidth = *width;
    // Run mode reads the slots by the board data's list; without this the new width shows only after reopening.
    componentData->setDataSlots(dataSlots);
}

void MainWindow::removingCtl(QWidget* useLessCtl)
{
    if (!useLessCtl)
        return;
    useLessCtl->hide();
    setPanelModified(true);
    if (auto* slot = qobject_cast<BrixoButton*>(useLessCtl)) {
        const int key = slot->key;
        dataSlots.erase(std::remove_if(dataSlots.begin(), dataSlots.end(), [key](BrixoButton* s) { return s->key == key; }),
                        dataSlots.end());
    } else if (auto* label = qobject_cast<BrixoLineedit*>(useLessCtl)) {
        const int key = label->key;
        textLabels.erase(std::remove_if(textLabels.begin(), textLabels.end(), [key](BrixoLineedit* t) { return t->key == key; }),
                         textLabels.end());
    }
}

void MainWindow::changeCTLSize(int index)
{
    const QSize before = sstubeSize;
    sstubeSize = brixo::digitSizeForSlider(index);
    if (hasPanel() && sstubeSize != before)
        setPanelModified(true);
    for (int i = 0; i < digitButtons.size(); ++i) {
        if (i < digitScenes.size())
            digitScenes[i]->clear();
        digitButtons[i]->resize(sstubeSize);
        digitButtons[i]->setIcon(QIcon(digitBackgroundImage));
        digitButtons[i]->setIconSize(sstubeSize);
    }
}

void MainWindow::changeBackgroundSize(int index)
{
    backgroundScene.clear();
    const brixo::BackgroundDisplay d = brixo::backgroundDisplayForSlider(backgroundImage.size(), index);
    if (d.fitSide > 0)
        backgroundScene.addPixmap(backgroundImage.scaled(d.fitSide, d.fitSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    backgroundView->setSceneRect(d.sceneRect);
    backgroundView->resize(d.viewSize.isValid() ? d.viewSize : QSize(10, 10));
    backgroundView->setScene(&backgroundScene);
}

void MainWindow::addBackground()
{
    const QString file = FileDialog::getOpenFileName(this, tr("选择背景图片"), QString(),
                                                     tr("背景图片 (*.bmp *.jpg *.png *.gif)"));
    // Cancelling, or choosing something that is not a picture, keeps the background the panel has.
    if (file.isEmpty())
        return;
    QPixmap picture;
    if (!picture.load(file)) {
        QMessageBox box(QMessageBox::Warning, QString(), tr("无法读取背景图片：") + file, QMessageBox::Yes);
        MessageBox::exec(box);
        return;
    }
    const QFileInfo info(file);
    imageFormat = info.suffix();
    backgroundFileName = info.fileName();
    backgroundImage = picture;
    backgroundScene.clear();
    backgroundScene.addPixmap(backgroundImage);
    backgroundView->setScene(&backgroundScene);
    backgroundView->setSceneRect(0, 0, backgroundImage.width(), backgroundImage.height());
    backgroundView->resize(backgroundImage.width() + 10, backgroundImage.height() + 10);
    backgroundView->show();
    setPanelModified(true);
}

void MainWindow::createNewPanel()
{
    // Unsaved changes get the save question, which also covers clearing the panel.
    if (panelModified()) {
        if (!maySaveChanges())
            return;
        if (!designMode) {
            designAction->setChecked(true);
            turnDesign(true);
        }
    } else if (designMode) {
        if (MessageBox::question(tr("新建后会清除当前界面，继续吗？")) != QMessageBox::Yes)
            return;
    } else {
        designAction->setChecked(true);
        turnDesign(true);
    }
    const bool built = showPannelSetting();
    componentData->selectExperiment(experimentName);
    // A cancelled dialog leaves the open panel as it was, its file and background included.
    if (!built)
        return;
    isNewPanel = true;
    setPanelModified(false);
    fileKind = QStringLiteral("jvp");
    backgroundImage = QPixmap();
    backgroundFileName.clear();  // a .vp2 saved from the new panel names no old picture
    backgroundPath.clear();
}

bool MainWindow::showPannelSetting()
{
    pannelSetting dialog(this);
    if (MessageBox::execDialog(dialog) != QDialog::Accepted)
        return false;
    settingCtlNumber(dialog.switchCount, dialog.keyCount, dialog.redLedCount, dialog.greenLedCount, dialog.digitCount);
    panelName = brixo::storedPanelText(dialog.panelName);
    experimentName = brixo::storedPanelText(dialog.experimentName);
    deleteAllFace();
    componentData->setDataSlots(dataSlots);  // the old panel's data slots are gone
    backgroundScene.clear();
    removeCombo();
    setWindowTitle(brixo::panelWindowTitle(dialog.panelName));
    clearComponentTables();
    createCtl();
    designUIChange();
    addCombo();
    return true;
}

void MainWindow::clearComponentTables()
{
    for (QStandardItemModel* model : {componentModel, componentInfoModel})
        if (model)
            model->removeRows(0, model->rowCount());
    infoRowCount = 0;
}

void MainWindow::showPanelInfo()
{
    if (!hasPanel()) {
        QMessageBox box(QMessageBox::Warning, QString(), tr("你还没有打开或创建虚拟面板"), QMessageBox::Yes);
        MessageBox::exec(box);
        return;
    }
    pannelSetting dialog(this);
    dialog.showPanel({switchCount, keyCount, redLedCount, greenLedCount, digitCount}, panelName, experimentName);
    if (MessageBox::execDialog(dialog) == QDialog::Accepted) {
        const QString name = brixo::storedPanelText(dialog.panelName);
        const QString description = brixo::storedPanelText(dialog.experimentName);
        if (name != panelName || description != experimentName)
            setPanelModified(true);
        panelName = name;
        experimentName = description;
        setWindowTitle(brixo::panelWindowTitle(dialog.panelName));
    } else {
        // Cancel keeps the name, so the title keeps showing it rather than an abandoned edit.
        setWindowTitle(brixo::panelWindowTitle(panelName));
    }
    componentData->selectExperiment(experimentName);
}

void MainWindow::connectDesignerTools()
{
    const std::pair<QComboBox*, void (MainWindow::*)(int)> lists[] = {
        {switchCombo, &MainWindow::addoneSwitch}, {keyCombo, &MainWindow::addoneKey},
        {redLedCombo, &MainWindow::addoneRedLed}, {greenLedCombo, &MainWindow::addoneGreenled},
        {digitCombo, &MainWindow::addoneSStube}};
    for (const auto& [combo, slot] : lists) {
        // Both: a new choice arrives twice, choosing the current item again still places it.
        toolConnections << connect(combo, qOverload<int>(&QComboBox::currentIndexChanged), this, slot);
        toolConnections << connect(combo, qOverload<int>(&QComboBox::activated), this, slot);
    }
    toolConnections << connect(backgroundAction, &QAction::triggered, this, &MainWindow::addBackground);
    toolConnections << connect(panelSettingsAction, &QAction::triggered, this, &MainWindow::showPanelInfo);
    toolConnections << connect(componentTableAction, &QAction::triggered, this, &MainWindow::showTable);
    toolConnections << connect(backgroundSizeSlider, &QSlider::valueChanged, this, &MainWindow::changeBackgroundSize);
    toolConnections << connect(digitSizeSlider, &QSlider::valueChanged, this, &MainWindow::changeCTLSize);
    toolConnections << connect(dataSlotButton, &QPushButton::clicked, this, &MainWindow::addLineEdit);
    toolConnections << connect(textLabelButton, &QPushButton::clicked, this, &MainWindow::addText);
    toolConnections << connect(bitWidthEdit, &QLineEdit::editingFinished, this, &MainWindow::modifyBrixoLabel);
    toolConnections << connect(indexEdit, &QLineEdit::editingFinished, this, &MainWindow::modifyBrixoLabel);
}
