// Designer: the design-mode dress of the panel, selecting and dragging components, the toolbox
// lists' contents and colours, and the wiring of design mode.
#include "panel/designer.h"

#include "panel/brixobutton.h"
#include "panel/componenttables.h"
#include "panel/designtoolbox.h"
#include "panel/panelmodel.h"

#include "designer_lists.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

using brixo::ComponentKind;

namespace {
const QString selectedSheet = QStringLiteral("QWidget { background-color:gray; }");
const QString deselectedSheet = QStringLiteral("QWidget { background-color:transparent; }");

// Selection lives in the style sheet: set by a double-click, cleared on leave.
bool isSelected(const QWidget* w) { return w->styleSheet() == selectedSheet; }
} // namespace

void Designer::dropConnections(QList<QMetaObject::Connection>& connections)
{
    for (const QMetaObject::Connection& c : connections)
        QObject::disconnect(c);
    connections.clear();
}

void Designer::designUIChange()
{
    const ComponentPictures& p = panel_->pictures();
    for (const brixo::KindInfo& k : brixo::kComponentKinds) {
        const QVector<QPushButton*>& buttons = panel_->buttons(k.kind);
        for (int i = 0; i < buttons.size(); ++i) {
            QPushButton* b = buttons[i];
            b->setToolTip(brixo::componentToolTip(k.kind, i, true));
            b->installEventFilter(this);
            switch (k.kind) {
            case ComponentKind::Key: break;
            case ComponentKind::Switch:
                b->setCheckable(false);
                b->setFlat(false);
                b->setIcon(PanelModel::switchIcon(panel_->isSwitchUpright(b), true));
                break;
            case ComponentKind::RedLed:
            case ComponentKind::GreenLed:
                b->setFlat(false);
                b->setIcon(QIcon(k.kind == ComponentKind::RedLed ? p.ledRedImage : p.ledGreenImage));
                break;
            case ComponentKind::Digit:
                panel_->digitViews()[i]->hide();
                b->setIcon(QIcon(p.digitBackgroundImage));
                b->setIconSize(panel_->sstubeSize());
                break;
            }
        }
    }
    designConnect();
}

void Designer::designConnect()
{
    emit designWiringStarted();
    dropConnections(designConnections_);
    for (const brixo::KindInfo& k : brixo::kComponentKinds)
        if (QButtonGroup* g = panel_->group(k.kind))
            designConnections_ << connect(g, &QButtonGroup::idPressed, this, &Designer::returnKey);
}

void Designer::disconnectDesign()
{
    dropConnections(designConnections_);
    dropConnections(toolConnections_);
}

void Designer::ctlToolConnect()
{
    dropConnections(toolConnections_);
    connectDesignerTools();
}

void Designer::connectDesignerTools()
{
    using Place = void (Designer::*)(int);
    const std::pair<ComponentKind, Place> lists[] = {{ComponentKind::Switch, &Designer::addoneSwitch},
                                                     {ComponentKind::Key, &Designer::addoneKey},
                                                     {ComponentKind::RedLed, &Designer::addoneRedLed},
                                                     {ComponentKind::GreenLed, &Designer::addoneGreenled},
                                                     {ComponentKind::Digit, &Designer::addoneSStube}};
    for (const auto& [kind, slot] : lists) {
        QComboBox* combo = toolbox_->list(kind);
        // Both: a new choice arrives twice, choosing the current item again still places it.
        toolConnections_ << connect(combo, qOverload<int>(&QComboBox::currentIndexChanged), this, slot);
        toolConnections_ << connect(combo, qOverload<int>(&QComboBox::activated), this, slot);
    }
    toolConnections_ << connect(toolbox_->backgroundSizeSlider(), &QSlider::valueChanged, this,
                                &Designer::changeBackgroundSize);
    toolConnections_ << connect(toolbox_->digitSizeSlider(), &QSlider::valueChanged, this, &Designer::changeCTLSize);
    toolConnections_ << connect(toolbox_->dataSlotButton(), &QPushButton::clicked, this, &Designer::addLineEdit);
    toolConnections_ << connect(toolbox_->textLabelButton(), &QPushButton::clicked, this, &Designer::addText);
    toolConnections_ << connect(toolbox_->bitWidthEdit(), &QLineEdit::editingFinished, this,
                                &Designer::modifyBrixoLabel);
    toolConnections_ << connect(toolbox_->indexEdit(), &QLineEdit::editingFinished, this, &Designer::modifyBrixoLabel);
}

void Designer::removeCombo()
{
    for (const brixo::KindInfo& k : brixo::kComponentKinds) {
        QComboBox* combo = toolbox_ ? toolbox_->list(k.kind) : nullptr;
        if (!combo)
            continue;
        const QSignalBlocker quiet(combo); // emptying a list is not a choice of its header
        combo->clear();
        const brixo::ComboItem header = brixo::comboHeader(k.kind);
        combo->addItem(DesignToolbox::listIcon(header.icon), header.text);
    }
}

void Designer::addCombo()
{
    for (const brixo::KindInfo& k : brixo::kComponentKinds) {
        QComboBox* combo = toolbox_ ? toolbox_->list(k.kind) : nullptr;
        if (!combo)
            continue;
        const QSignalBlocker quiet(combo);
        for (int i = 0; i < panel_->buttons(k.kind).size(); ++i) {
            const brixo::ComboItem item = brixo::comboItem(k.kind, i);
            combo->addItem(DesignToolbox::listIcon(item.icon), item.text);
        }
    }
    changeItemColor1();
}

namespace {
// Item i + 1 of each kind's toolbox list stands for component i of that kind.
void colourItems(const PanelModel& panel, const DesignToolbox* toolbox, bool visible, const QColor& colour)
{
    if (!toolbox)
        return;
    for (const brixo::KindInfo& k : brixo::kComponentKinds) {
        QComboBox* combo = toolbox->list(k.kind);
        const QVector<QPushButton*>& buttons = panel.buttons(k.kind);
        for (int i = 0; i < buttons.size(); ++i)
            if (buttons[i] && !buttons[i]->isHidden() == visible && i + 1 < combo->count())
                combo->setItemData(i + 1, colour, Qt::BackgroundRole);
    }
}
} // namespace

void Designer::changeItemColor1()
{
    if (panel_->hasPanel())
        colourItems(*panel_, toolbox_, true, QColor(highlightColor_));
}

void Designer::changeItemColor2()
{
    if (panel_->hasPanel())
        colourItems(*panel_, toolbox_, false, QColor(plainColor_));
}

bool Designer::eventFilter(QObject* obj, QEvent* evt)
{
    if (!obj->isWidgetType())
        return false;
    currentWidget_ = static_cast<QWidget*>(obj);
    QWidget* w = currentWidget_;
    switch (evt->type()) {
    case QEvent::KeyPress: {
        auto* button = qobject_cast<QPushButton*>(w);
        if (!button || static_cast<QKeyEvent*>(evt)->key() != Qt::Key_Space || !isSelected(w))
            break;
        const QVector<QPushButton*>& switches = panel_->switchButtons();
        if (currentIndex_ >= 0 && currentIndex_ < switches.size() && switches[currentIndex_] == button) {
            const bool upright = panel_->isSwitchUpright(button);
            panel_->setSwitchUpright(button, !upright);
            button->setIcon(PanelModel::switchIcon(!upright, true));
            panel_->setModified(true);
        }
        if (auto* slot = qobject_cast<BrixoButton*>(w)) {
            slot->setDataText(slot->text(), true);
            panel_->setModified(true);
        }
        break;
    }
    case QEvent::MouseButtonDblClick: w->setStyleSheet(selectedSheet); break;
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(evt);
        if (auto* slot = qobject_cast<BrixoButton*>(w); slot && toolbox_) {
            toolbox_->bitWidthEdit()->setText(QString::number(slot->bitWidth));
            toolbox_->indexEdit()->setText(QString::number(slot->index));
            toolbox_->keyEdit()->setText(QString::number(slot->key));
        }
        if (me->buttons() & Qt::LeftButton) {
            if (w->rect().contains(me->pos()) && me->button() == Qt::LeftButton) {
                dragging_ = true;
                dragOrigin_ = me->pos();
                dragStart_ = w->pos();
            }
        } else if ((me->buttons() & Qt::RightButton) && isSelected(w)) {
            removingCtl(w);
            changeItemColor2();
        }
        break;
    }
    case QEvent::MouseMove:
        if (dragging_)
            w->move(w->pos() + (static_cast<QMouseEvent*>(evt)->pos() - dragOrigin_));
        break;
    case QEvent::MouseButtonRelease:
        if (dragging_) {
            dragging_ = false;
            tables_->updateToTable(); // the component tables show where it was dropped
            if (w->pos() != dragStart_)
                panel_->setModified(true);
        }
        break;
    case QEvent::Leave: w->setStyleSheet(deselectedSheet); break;
    case QEvent::ContextMenu:
        // The right-click that just removed a component must not open the widget's own menu:
        // a text label's edit menu would take the keyboard from the window's shortcuts.
        if (w->isHidden())
            return true;
        break;
    default: break;
    }
    return false;
}
