#include "key_bindings.h"

#include "panel_document.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QKeySequence>

namespace panelfile {

namespace {

bool bindableKind(Kind kind) { return kind == Kind::Switch || kind == Kind::Key; }

const char* typeName(Kind kind) { return kind == Kind::Switch ? "switch" : "button"; }

// Key names are short ("Space", "F12", "PgDown"); a longer text is not one.
constexpr int kMaxKeyText = 32;

} // namespace

KeyBindings KeyBindings::defaults()
{
    KeyBindings b;
    for (int i = 0; i < 10; ++i)
        b.bind(Kind::Key, i, Qt::Key_0 + i);
    return b;
}

bool KeyBindings::bindable(int key)
{
    if (key <= 0 || (key & Qt::KeyboardModifierMask) != 0)
        return false;
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Menu:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_unknown: return false;
    default: break;
    }
    // A key the toolkit cannot name could not be written to a file either.
    const QString text = QKeySequence(key).toString(QKeySequence::PortableText);
    return !text.isEmpty() && QKeySequence::fromString(text, QKeySequence::PortableText)[0] == key;
}

QString KeyBindings::keyText(int key)
{
    return bindable(key) ? QKeySequence(key).toString(QKeySequence::PortableText) : QString();
}

int KeyBindings::keyFromText(const QString& text)
{
    if (text.isEmpty() || text.size() > kMaxKeyText)
        return 0;
    const QKeySequence seq = QKeySequence::fromString(text, QKeySequence::PortableText);
    if (seq.count() != 1)
        return 0;
    const int key = seq[0];
    return bindable(key) ? key : 0;
}

bool KeyBindings::bind(Kind kind, int index, int key)
{
    if (!bindableKind(kind) || index < 0 || index >= kindCount(kind) || (key != 0 && !bindable(key)))
        return false;
    for (int i = bindings_.size() - 1; i >= 0; --i) {
        const KeyBinding& b = bindings_.at(i);
        if ((b.kind == kind && b.index == index) || (key != 0 && b.key == key))
            bindings_.remove(i);
    }
    if (key != 0)
        bindings_.append(KeyBinding{kind, index, key});
    return true;
}

int KeyBindings::keyOf(Kind kind, int index) const
{
    for (const KeyBinding& b : bindings_)
        if (b.kind == kind && b.index == index)
            return b.key;
    return 0;
}

const KeyBinding* KeyBindings::find(int key) const
{
    for (const KeyBinding& b : bindings_)
        if (b.key == key)
            return &b;
    return nullptr;
}

bool KeyBindings::operator==(const KeyBindings& o) const
{
    if (bindings_.size() != o.bindings_.size())
        return false;
    // Order carries no meaning.
    for (const KeyBinding& b : bindings_)
        if (o.keyOf(b.kind, b.index) != b.key)
            return false;
    return true;
}

QJsonArray KeyBindings::toJson() const
{
    QJsonArray out;
    for (const KeyBinding& b : bindings_) {
        QJsonObject o;
        o.insert(QStringLiteral("type"), QLatin1String(typeName(b.kind)));
        o.insert(QStringLiteral("index"), b.index);
        o.insert(QStringLiteral("key"), keyText(b.key));
        out.append(o);
    }
    return out;
}

KeyBindings KeyBindings::fromJson(const QJsonValue& member)
{
    // Absent or mistyped, as for every other member: the panel gets the defaults.
    if (!member.isArray())
        return defaults();
    KeyBindings out;
    const QJsonArray entries = member.toArray();
    // At most one binding per switch and key can hold; looking further is only work.
    const int limit = kSwitchCount + kKeyCount;
    int looked = 0;
    for (const QJsonValue& v : entries) {
        if (++looked > 4 * limit)
            break;
        const QJsonObject o = v.toObject();
        const QString type = o.value(QStringLiteral("type")).toString();
        const QJsonValue index = o.value(QStringLiteral("index"));
        if (!index.isDouble() || index.toDouble() != static_cast<double>(index.toInt()))
            continue;
        Kind kind;
        if (type == QLatin1String("switch"))
            kind = Kind::Switch;
        else if (type == QLatin1String("button"))
            kind = Kind::Key;
        else
            continue;
        const int key = keyFromText(o.value(QStringLiteral("key")).toString());
        if (key != 0)
            out.bind(kind, index.toInt(), key);
    }
    return out;
}

} // namespace panelfile
