#include "panel_keys.h"

#include "panel/designtoolbox.h"
#include "panel/panelmodel.h"
#include "virtualcomponentdata.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

#include <functional>

using board::KeyHolds;
using panelfile::Kind;

namespace {

// The binding field takes the next key pressed in it instead of text.
class KeyCaptureEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void(int)> onKey;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        const int key = e->key();
        const bool plain = (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
        if (plain && !e->isAutoRepeat() && panelfile::KeyBindings::bindable(key)) {
            if (onKey)
                onKey(key);
            e->accept();
            return;
        }
        e->ignore(); // Tab, Escape and shortcuts keep their usual meaning
    }
};

bool typingInto(const QWidget* w)
{
    if (const auto* edit = qobject_cast<const QLineEdit*>(w))
        return !edit->isReadOnly();
    if (const auto* combo = qobject_cast<const QComboBox*>(w))
        return combo->isEditable();
    return qobject_cast<const QTextEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w);
}

QString componentName(Kind kind, int index)
{
    return brixo::componentLabel(kind == Kind::Switch ? brixo::ComponentKind::Switch : brixo::ComponentKind::Key,
                                 index);
}

QString keyName(int key) { return QKeySequence(key).toString(QKeySequence::NativeText); }

quint32 keyIdentity(const QKeyEvent* e)
{
    // Synthesised events carry no scan code: the key code stands in, kept apart from codes.
    return e->nativeScanCode() != 0 ? e->nativeScanCode() : (0x80000000u | static_cast<quint32>(e->key()));
}

} // namespace

PanelKeys::PanelKeys(PanelModel* panel, VirtualComponentData* boardData, QWidget* window, QObject* parent)
    : QObject(parent), panel_(panel), data_(boardData), window_(window)
{
    setObjectName(QStringLiteral("panelKeys"));
    qApp->installEventFilter(this);
    connect(data_, &VirtualComponentData::linkFailed, this, &PanelKeys::onLinkFailed);
    releaseTimer_.setSingleShot(true);
    releaseTimer_.setInterval(releaseDelayMs);
    connect(&releaseTimer_, &QTimer::timeout, this, &PanelKeys::flushReleases);
    // A closed panel lets go of its keys on the board; a rebuilt one starts with every key up.
    connect(panel_, &PanelModel::componentsRemoved, this, [this] {
        releaseAll(true);
        setBindingTarget(Kind::Key, -1);
    });
    connect(panel_, &PanelModel::componentsBuilt, this, [this] { releaseAll(false); });
    connect(panel_, &PanelModel::keyBindingsChanged, this, [this] {
        refreshToolTips();
        setBindingTarget(targetKind_, targetIndex_);
    });
}

PanelKeys::~PanelKeys() { qApp->removeEventFilter(this); }

const panelfile::KeyBindings& PanelKeys::bindings() const { return panel_->keyBindings(); }

const QVector<QPushButton*>& PanelKeys::keyButtons() const { return panel_->keyButtons(); }

const QVector<QPushButton*>& PanelKeys::switchButtons() const { return panel_->switchButtons(); }

void PanelKeys::addBindingField(DesignToolbox* toolbox)
{
    auto* grid = toolbox && toolbox->widget() ? qobject_cast<QGridLayout*>(toolbox->widget()->layout()) : nullptr;
    if (!grid)
        return;
    QWidget* content = toolbox->widget();
    bindingGroup = new QGroupBox(tr("键盘按键"), content);
    bindingGroup->setObjectName(QStringLiteral("bindingGroup"));
    auto* layout = new QVBoxLayout(bindingGroup);
    bindingTarget = new QLabel(bindingGroup);
    bindingTarget->setObjectName(QStringLiteral("bindingTarget"));
    bindingTarget->setWordWrap(true);
    auto* edit = new KeyCaptureEdit(bindingGroup);
    edit->setObjectName(QStringLiteral("bindingEdit"));
    edit->setReadOnly(true);
    edit->setPlaceholderText(tr("按下一个键"));
    edit->onKey = [this](int key) {
        if (targetIndex_ >= 0 && bind(targetKind_, targetIndex_, key))
            emit bindingsEdited();
    };
    bindingEdit = edit;
    bindingClear = new QPushButton(tr("清除"), bindingGroup);
    bindingClear->setObjectName(QStringLiteral("bindingClear"));
    connect(bindingClear, &QPushButton::clicked, this, [this] {
        if (targetIndex_ >= 0 && bindings().keyOf(targetKind_, targetIndex_) != 0 && bind(targetKind_, targetIndex_, 0))
            emit bindingsEdited();
    });
    layout->addWidget(bindingTarget);
    layout->addWidget(bindingEdit);
    layout->addWidget(bindingClear);
    grid->addWidget(bindingGroup, grid->rowCount(), 0);
    setBindingTarget(Kind::Key, -1);
}

bool PanelKeys::bind(Kind kind, int index, int key)
{
    panelfile::KeyBindings changed = bindings();
    if (!changed.bind(kind, index, key))
        return false;
    panel_->setKeyBindings(changed);
    panel_->setModified(true); // the bindings are saved with the panel
    return true;
}

void PanelKeys::setBindingTarget(Kind kind, int index)
{
    targetKind_ = kind;
    targetIndex_ = index;
    if (!bindingGroup)
        return;
    const bool chosen = index >= 0;
    bindingTarget->setText(chosen ? componentName(kind, index) : tr("单击开关或按键"));
    const int key = chosen ? bindings().keyOf(kind, index) : 0;
    bindingEdit->setText(key ? keyName(key) : QString());
    bindingEdit->setEnabled(chosen);
    bindingClear->setEnabled(chosen && key != 0);
}

QString PanelKeys::toolTip(Kind kind, int index, bool design) const
{
    QString tip = componentName(kind, index);
    if (const int key = bindings().keyOf(kind, index))
        tip += tr("（键盘 %1）").arg(keyName(key));
    if (design)
        tip += QCoreApplication::translate("MainWindow", "（双击选中后右击删除）");
    return tip;
}

void PanelKeys::refreshToolTips()
{
    for (int i = 0; i < switchButtons().size(); ++i)
        switchButtons()[i]->setToolTip(toolTip(Kind::Switch, i, !running_));
    for (int i = 0; i < keyButtons().size(); ++i)
        keyButtons()[i]->setToolTip(toolTip(Kind::Key, i, !running_));
}

// The key widgets are rebuilt with every panel; their reasons go with them.
void PanelKeys::sync()
{
    if (holds_.size() != keyButtons().size()) {
        holds_.reset(keyButtons().size());
        keyboardDown_.clear();
    }
}

int PanelKeys::hold(int key, KeyHolds::Source source)
{
    sync();
    if (!holds_.hold(key, source))
        return 0;
    const int r = data_->KeyPressed(key);
    // A press that did not reach the board leaves the key up, and so no release is owed.
    if (r != 0)
        holds_.forget(key);
    drawKey(key);
    return r;
}

void PanelKeys::letGo(int key, KeyHolds::Source source)
{
    sync();
    if (holds_.letGo(key, source))
        data_->KeyReleased(key);
    drawKey(key);
}

void PanelKeys::releaseAll(bool tellBoard)
{
    // No sync() here: a closed panel's widgets are gone, but what was down still has to go up.
    keyboardDown_.clear();
    pendingRelease_.clear();
    latchClick_ = -1;
    const std::vector<int> down = holds_.clear();
    if (down.empty())
        return;
    data_->releaseKeysLocally();
    for (int key : down)
        drawKey(key);
    if (tellBoard)
        data_->writeInputs();
}

void PanelKeys::onLinkFailed() { releaseAll(false); }

void PanelKeys::releaseKeyboard()
{
    keyboardDown_.clear();
    pendingRelease_.clear();
    for (int key : holds_.heldBy(KeyHolds::Keyboard))
        letGo(key, KeyHolds::Keyboard);
}

void PanelKeys::drawKey(int key)
{
    if (key < 0 || key >= keyButtons().size() || !keyButtons()[key])
        return;
    keyButtons()[key]->setIcon(
        QIcon(holds_.isDown(key) ? QStringLiteral(":/images/KEY0") : QStringLiteral(":/images/KEY1")));
}

// The keyboard drives the panel while its window has the focus, in run mode, and never while
// something is being typed.
bool PanelKeys::keyboardActive(QObject* obj) const
{
    const auto* widget = qobject_cast<QWidget*>(obj);
    if (!widget || widget->window() != window_ || !running_ || !panel_->hasPanel())
        return false;
    return !typingInto(QApplication::focusWidget());
}

bool PanelKeys::onKey(QKeyEvent* event, bool press)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const quint32 id = keyIdentity(event);
    // A release is matched by what its press was matched by.
    const int code = !press && keyboardDown_.contains(id) ? keyboardDown_.value(id) : event->key();
    const panelfile::KeyBinding* b = bindings().find(code);
    if (!b)
        return false;
    const QVector<QPushButton*>& buttons = b->kind == Kind::Switch ? switchButtons() : keyButtons();
    QPushButton* button = b->index < buttons.size() ? buttons[b->index] : nullptr;
    if (!button || button->isHidden())
        return false;
    if (event->isAutoRepeat())
        return true; // a held key repeats: it is still the one press
    if (press) {
        // Pressed again before its release was acted on: that release was auto-repeat.
        if (pendingRelease_.remove(id) > 0 || keyboardDown_.contains(id))
            return true;
        keyboardDown_.insert(id, code);
        if (b->kind == Kind::Switch)
            button->toggle();
        else
            hold(b->index, KeyHolds::Keyboard);
    } else if (keyboardDown_.contains(id)) {
        pendingRelease_.insert(id, code);
        releaseTimer_.start();
    }
    return true;
}

void PanelKeys::flushReleases()
{
    const QHash<quint32, int> released = pendingRelease_;
    pendingRelease_.clear();
    for (auto it = released.begin(); it != released.end(); ++it) {
        keyboardDown_.remove(it.key());
        releaseKey(it.value());
    }
}

void PanelKeys::releaseKey(int code)
{
    const panelfile::KeyBinding* b = bindings().find(code);
    if (b && b->kind == Kind::Key)
        letGo(b->index, KeyHolds::Keyboard);
}

// Right-click or Ctrl+click latches a key; any click on a latched key lets it go.
bool PanelKeys::onKeyButtonMouse(int key, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu)
        return true;
    auto* me = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseButtonRelease) {
        if (latchClick_ != key)
            return false;
        latchClick_ = -1;
        return true;
    }
    sync();
    if (isLatched(key)) {
        latchClick_ = key;
        letGo(key, KeyHolds::Latch);
        return true;
    }
    const bool latching =
        me->button() == Qt::RightButton || (me->button() == Qt::LeftButton && (me->modifiers() & Qt::ControlModifier));
    if (!latching)
        return false;
    latchClick_ = key;
    hold(key, KeyHolds::Latch);
    return true;
}

bool PanelKeys::eventFilter(QObject* obj, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        if (keyboardActive(obj))
            return onKey(static_cast<QKeyEvent*>(event), event->type() == QEvent::KeyPress);
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::ContextMenu: {
        auto* button = qobject_cast<QPushButton*>(obj);
        if (!button || button->window() != window_)
            break;
        const int key = keyButtons().indexOf(button);
        if (!running_) {
            // The designer's binding field follows the switch or key last pressed.
            if (event->type() == QEvent::MouseButtonPress) {
                const int sw = switchButtons().indexOf(button);
                if (key >= 0)
                    setBindingTarget(Kind::Key, key);
                else if (sw >= 0)
                    setBindingTarget(Kind::Switch, sw);
            }
            break;
        }
        if (key >= 0)
            return onKeyButtonMouse(key, event);
        break;
    }
    case QEvent::WindowDeactivate:
        // Keys let go while another window has the keyboard send no release here.
        if (obj == window_)
            releaseKeyboard();
        break;
    default: break;
    }
    return false;
}
