#include "panel_keys.h"

#include "app/mainwindow.h"

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
    const QString name = kind == Kind::Switch ? QCoreApplication::translate("MainWindow", "开关")
                                              : QCoreApplication::translate("MainWindow", "按键");
    return name + QString::number(index);
}

QString keyName(int key) { return QKeySequence(key).toString(QKeySequence::NativeText); }

quint32 keyIdentity(const QKeyEvent* e)
{
    // Synthesised events carry no scan code: the key code stands in, kept apart from codes.
    return e->nativeScanCode() != 0 ? e->nativeScanCode() : (0x80000000u | static_cast<quint32>(e->key()));
}

} // namespace

PanelKeys::PanelKeys(MainWindow& window) : QObject(&window), w_(window)
{
    setObjectName(QStringLiteral("panelKeys"));
    qApp->installEventFilter(this);
    connect(w_.componentData, &VirtualComponentData::linkFailed, this, &PanelKeys::onLinkFailed);
    releaseTimer_.setSingleShot(true);
    releaseTimer_.setInterval(releaseDelayMs);
    connect(&releaseTimer_, &QTimer::timeout, this, &PanelKeys::flushReleases);
    createBindingField();
}

PanelKeys::~PanelKeys() { qApp->removeEventFilter(this); }

void PanelKeys::createBindingField()
{
    if (!w_.dockLayout || !w_.dockContent)
        return;
    bindingGroup = new QGroupBox(tr("键盘按键"), w_.dockContent);
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
        if (targetIndex_ >= 0 && bindings_.keyOf(targetKind_, targetIndex_) != 0 && bind(targetKind_, targetIndex_, 0))
            emit bindingsEdited();
    });
    layout->addWidget(bindingTarget);
    layout->addWidget(bindingEdit);
    layout->addWidget(bindingClear);
    w_.dockLayout->addWidget(bindingGroup, w_.dockLayout->rowCount(), 0);
    setBindingTarget(Kind::Key, -1);
}

void PanelKeys::setBindings(const panelfile::KeyBindings& bindings)
{
    bindings_ = bindings;
    refreshToolTips();
    setBindingTarget(targetKind_, targetIndex_);
}

bool PanelKeys::bind(Kind kind, int index, int key)
{
    if (!bindings_.bind(kind, index, key))
        return false;
    refreshToolTips();
    setBindingTarget(targetKind_, targetIndex_);
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
    const int key = chosen ? bindings_.keyOf(kind, index) : 0;
    bindingEdit->setText(key ? keyName(key) : QString());
    bindingEdit->setEnabled(chosen);
    bindingClear->setEnabled(chosen && key != 0);
}

QString PanelKeys::toolTip(Kind kind, int index, bool design) const
{
    QString tip = componentName(kind, index);
    if (const int key = bindings_.keyOf(kind, index))
        tip += tr("（键盘 %1）").arg(keyName(key));
    if (design)
        tip += QCoreApplication::translate("MainWindow", "（双击选中后右击删除）");
    return tip;
}

void PanelKeys::refreshToolTips()
{
    for (int i = 0; i < w_.switchButtons.size(); ++i)
        w_.switchButtons[i]->setToolTip(toolTip(Kind::Switch, i, w_.designMode));
    for (int i = 0; i < w_.keyButtons.size(); ++i)
        w_.keyButtons[i]->setToolTip(toolTip(Kind::Key, i, w_.designMode));
}

// The key widgets are rebuilt with every panel; their reasons go with them.
void PanelKeys::sync()
{
    if (holds_.size() != w_.keyButtons.size()) {
        holds_.reset(w_.keyButtons.size());
        keyboardDown_.clear();
    }
}

int PanelKeys::hold(int key, KeyHolds::Source source)
{
    sync();
    if (!holds_.hold(key, source))
        return 0;
    const int r = w_.componentData->KeyPressed(key);
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
        w_.componentData->KeyReleased(key);
    drawKey(key);
}

void PanelKeys::releaseAll(bool tellBoard)
{
    sync();
    keyboardDown_.clear();
    pendingRelease_.clear();
    latchClick_ = -1;
    const std::vector<int> down = holds_.clear();
    if (down.empty())
        return;
    w_.componentData->releaseKeysLocally();
    for (int key : down)
        drawKey(key);
    if (tellBoard)
        w_.componentData->writeInputs();
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
    if (key < 0 || key >= w_.keyButtons.size() || !w_.keyButtons[key])
        return;
    w_.keyButtons[key]->setIcon(
        QIcon(holds_.isDown(key) ? QStringLiteral(":/images/KEY0") : QStringLiteral(":/images/KEY1")));
}

// The keyboard drives the panel while its window has the focus, in run mode, and never while
// something is being typed.
bool PanelKeys::keyboardActive(QObject* obj) const
{
    const auto* widget = qobject_cast<QWidget*>(obj);
    if (!widget || widget->window() != &w_ || w_.designMode || !w_.hasPanel())
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
    const panelfile::KeyBinding* b = bindings_.find(code);
    if (!b)
        return false;
    const QVector<QPushButton*>& buttons = b->kind == Kind::Switch ? w_.switchButtons : w_.keyButtons;
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
    const panelfile::KeyBinding* b = bindings_.find(code);
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
        if (!button || button->window() != &w_)
            break;
        const int key = w_.keyButtons.indexOf(button);
        if (w_.designMode) {
            // The designer's binding field follows the switch or key last pressed.
            if (event->type() == QEvent::MouseButtonPress) {
                const int sw = w_.switchButtons.indexOf(button);
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
        if (obj == &w_)
            releaseKeyboard();
        break;
    default: break;
    }
    return false;
}
