#include "panel/designer.h"

#include "panel/brixobutton.h"
#include "panel/brixolineedit.h"
#include "panel/componenttables.h"
#include "panel/designtoolbox.h"
#include "panel/panelmodel.h"
#include "panel/pannelsetting.h"
#include "ui/filedialog.h"
#include "ui/messagebox.h"

#include "designer_geometry.h"
#include "designer_lists.h"
#include "panel_settings_values.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGraphicsView>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>

using brixo::ComponentKind;

Designer::Designer(PanelModel* panel, ComponentTables* tables, QMainWindow* window)
    : QObject(window), panel_(panel), tables_(tables), window_(window)
{
    setObjectName(QStringLiteral("designer"));
    panel_->setSelectionFilter(this);
    connect(panel_, &PanelModel::componentsRemoved, this, [this] { dragging_ = false; });
}

void Designer::createDock()
{
    toolbox_ = new DesignToolbox(window_);
    window_->addDockWidget(Qt::LeftDockWidgetArea, toolbox_);
    toolbox_->hide();
}

void Designer::setDesigning(bool designing)
{
    designing_ = designing;
    toolbox_->setVisible(designing);
}

void Designer::placeFromList(int kind, int item)
{
    const auto k = static_cast<ComponentKind>(kind);
    QComboBox* combo = toolbox_->list(k);
    if (combo && item > 0 && item < combo->count())
        combo->setItemData(item, QColor(highlightColor_), Qt::BackgroundRole);
    const QVector<QPushButton*>& buttons = panel_->buttons(k);
    const int i = brixo::componentForItem(item, buttons.size());
    if (panel_->hasPanel() && i >= 0) {
        // Chosen again while already on the panel: it comes back to its place at the top too.
        buttons[i]->show();
        buttons[i]->move(brixo::placedPosition(i));
        tables_->updateToTable();
        panel_->setModified(true);
    }
    designConnect();
}

void Designer::addoneSwitch(int index) { placeFromList(int(ComponentKind::Switch), index); }
void Designer::addoneKey(int index) { placeFromList(int(ComponentKind::Key), index); }
void Designer::addoneRedLed(int index) { placeFromList(int(ComponentKind::RedLed), index); }
void Designer::addoneGreenled(int index) { placeFromList(int(ComponentKind::GreenLed), index); }
void Designer::addoneSStube(int index) { placeFromList(int(ComponentKind::Digit), index); }

void Designer::addLineEdit()
{
    if (!panel_->hasPanel())
        return;
    auto* slot = new BrixoButton(panel_->panelView());
    slot->show();
    const int key = panel_->takeDataSlotKey();
    slot->key = key;
    slot->index = key;
    slot->move(brixo::newSlotPosition(key));
    slot->setDataText(QStringLiteral("00000000"), false);
    panel_->addDataSlot(slot);
    panel_->announceDataSlots();
    panel_->setModified(true);
}

void Designer::addText()
{
    if (!panel_->hasPanel())
        return;
    auto* label = new BrixoLineedit(panel_->panelView());
    label->show();
    const int key = panel_->takeTextLabelKey();
    label->key = key;
    label->index = key;
    label->move(brixo::newSlotPosition(key));
    label->setPlaceholderText(QCoreApplication::translate("MainWindow", "添加一段注释"));
    panel_->addTextLabel(label);
    panel_->setModified(true);
}

void Designer::modifyBrixoLabel()
{
    QLineEdit* indexEdit = toolbox_ ? toolbox_->indexEdit() : nullptr;
    QLineEdit* bitWidthEdit = toolbox_ ? toolbox_->bitWidthEdit() : nullptr;
    if (!indexEdit)
        return;
    const QList<BrixoButton*>& placed = panel_->dataSlots();
    if (placed.isEmpty()) {
        indexEdit->clear();
        bitWidthEdit->clear();
        return;
    }
    bool ok = false;
    const int key = toolbox_->keyEdit()->text().toInt(&ok, 10);
    if (!ok)
        return;
    BrixoButton* slot = nullptr;
    for (BrixoButton* s : placed)
        if (s->key == key)
            slot = s;
    if (!slot)
        return;

    // An empty edit means 0; digits beyond what an int holds are refused, not wrapped.
    const auto number = [](const QString& text) {
        return text.isEmpty() ? std::optional<int>(0) : brixo::slotEditNumber(text);
    };
    const std::optional<int> index = number(indexEdit->text());
    const std::optional<int> width = number(bitWidthEdit->text());
    QList<QPair<int, int>> proposed;
    for (const BrixoButton* s : placed)
        proposed.append(s == slot ? qMakePair(index.value_or(0), width.value_or(0)) : qMakePair(s->index, s->bitWidth));
    if (!index || !width || (slotLimit_.fits && !slotLimit_.fits(proposed))) {
        // The board reads every data slot in one request; a width it cannot carry is never taken.
        indexEdit->setText(QString::number(slot->index));
        bitWidthEdit->setText(QString::number(slot->bitWidth));
        QMessageBox box(QMessageBox::Warning, QString(),
                        QCoreApplication::translate("MainWindow", "数据槽的位宽合计不能超过%1位，修改未被接受")
                            .arg(slotLimit_.maxBits),
                        QMessageBox::Yes);
        MessageBox::exec(box);
        return;
    }
    if (slot->index != *index || slot->bitWidth != *width)
        panel_->setModified(true);
    slot->index = *index;
    slot->bitWidth = *width;
    // Run mode reads the slots by the board data's list; without this the new width shows only after reopening.
    panel_->announceDataSlots();
}

void Designer::removingCtl(QWidget* useLessCtl)
{
    if (!useLessCtl)
        return;
    panel_->removeComponent(useLessCtl);
    panel_->setModified(true);
}

void Designer::returnKey(int index) { currentIndex_ = index; }

void Designer::changeCTLSize(int index)
{
    const QSize before = panel_->sstubeSize();
    panel_->setSstubeSize(brixo::digitSizeForSlider(index));
    const QSize size = panel_->sstubeSize();
    if (panel_->hasPanel() && size != before)
        panel_->setModified(true);
    const QVector<QPushButton*>& digits = panel_->digitButtons();
    for (int i = 0; i < digits.size(); ++i) {
        if (i < panel_->digitScenes().size())
            panel_->digitScenes()[i]->clear();
        digits[i]->resize(size);
        digits[i]->setIcon(QIcon(panel_->pictures().digitBackgroundImage));
        digits[i]->setIconSize(size);
    }
}

void Designer::changeBackgroundSize(int index)
{
    QGraphicsScene& scene = panel_->backgroundScene();
    QGraphicsView* view = panel_->backgroundView();
    const QPixmap& image = panel_->background().image;
    scene.clear();
    const brixo::BackgroundDisplay d = brixo::backgroundDisplayForSlider(image.size(), index);
    if (d.fitSide > 0)
        scene.addPixmap(image.scaled(d.fitSide, d.fitSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    view->setSceneRect(d.sceneRect);
    view->resize(d.viewSize.isValid() ? d.viewSize : QSize(10, 10));
    view->setScene(&scene);
}

void Designer::addBackground()
{
    const QString file =
        FileDialog::getOpenFileName(window_, QCoreApplication::translate("MainWindow", "选择背景图片"), QString(),
                                    QCoreApplication::translate("MainWindow", "背景图片 (*.bmp *.jpg *.png *.gif)"));
    // Cancelling, or choosing something that is not a picture, keeps the background the panel has.
    if (file.isEmpty())
        return;
    QPixmap picture;
    if (!picture.load(file)) {
        QMessageBox box(QMessageBox::Warning, QString(),
                        QCoreApplication::translate("MainWindow", "无法读取背景图片：") + file, QMessageBox::Yes);
        MessageBox::exec(box);
        return;
    }
    const QFileInfo info(file);
    PanelBackground& bg = panel_->background();
    bg.format = info.suffix();
    bg.fileName = info.fileName();
    bg.image = picture;
    QGraphicsScene& scene = panel_->backgroundScene();
    QGraphicsView* view = panel_->backgroundView();
    scene.clear();
    scene.addPixmap(bg.image);
    view->setScene(&scene);
    view->setSceneRect(0, 0, bg.image.width(), bg.image.height());
    view->resize(bg.image.width() + 10, bg.image.height() + 10);
    view->show();
    panel_->setModified(true);
}

void Designer::createNewPanel()
{
    // Unsaved changes get the save question, which also covers clearing the panel.
    if (panel_->isModified()) {
        if (maySaveChanges_ && !maySaveChanges_())
            return;
        if (!designing_)
            emit designModeWanted();
    } else if (designing_) {
        if (MessageBox::question(QCoreApplication::translate("MainWindow", "新建后会清除当前界面，继续吗？")) !=
            QMessageBox::Yes)
            return;
    } else {
        emit designModeWanted();
    }
    const bool built = showPannelSetting();
    panel_->announceExperiment();
    // A cancelled dialog leaves the open panel as it was, its file and background included.
    if (!built)
        return;
    PanelBackground& bg = panel_->background();
    bg.image = QPixmap();
    bg.fileName.clear(); // a .vp2 saved from the new panel names no old picture
    bg.path.clear();
    panel_->setModified(false);
    emit newPanelBuilt();
}

bool Designer::showPannelSetting()
{
    pannelSetting dialog(window_);
    if (MessageBox::execDialog(dialog) != QDialog::Accepted)
        return false;
    panel_->settingCtlNumber(dialog.switchCount, dialog.keyCount, dialog.redLedCount, dialog.greenLedCount,
                             dialog.digitCount);
    panel_->setName(brixo::storedPanelText(dialog.panelName));
    panel_->setExperiment(brixo::storedPanelText(dialog.experimentName));
    panel_->deleteAllFace();
    panel_->announceDataSlots(); // the old panel's data slots are gone
    panel_->backgroundScene().clear();
    removeCombo();
    panel_->setTitle(brixo::panelWindowTitle(dialog.panelName));
    tables_->clear();
    panel_->createCtl();
    designUIChange();
    addCombo();
    return true;
}

void Designer::showPanelInfo()
{
    if (!panel_->hasPanel()) {
        QMessageBox box(QMessageBox::Warning, QString(),
                        QCoreApplication::translate("MainWindow", "你还没有打开或创建虚拟面板"), QMessageBox::Yes);
        MessageBox::exec(box);
        return;
    }
    pannelSetting dialog(window_);
    dialog.showPanel({panel_->count(ComponentKind::Switch), panel_->count(ComponentKind::Key),
                      panel_->count(ComponentKind::RedLed), panel_->count(ComponentKind::GreenLed),
                      panel_->count(ComponentKind::Digit)},
                     panel_->name(), panel_->experiment());
    if (MessageBox::execDialog(dialog) == QDialog::Accepted) {
        const QString name = brixo::storedPanelText(dialog.panelName);
        const QString description = brixo::storedPanelText(dialog.experimentName);
        if (name != panel_->name() || description != panel_->experiment())
            panel_->setModified(true);
        panel_->setName(name);
        panel_->setExperiment(description);
        panel_->setTitle(brixo::panelWindowTitle(dialog.panelName));
    } else {
        // Cancel keeps the name, so the title keeps showing it rather than an abandoned edit.
        panel_->setTitle(brixo::panelWindowTitle(panel_->name()));
    }
    panel_->announceExperiment();
}
