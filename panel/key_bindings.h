#pragma once
// Which keyboard key drives which switch or key of a panel in run mode. Widget-free: the
// .jvp reader and writer and the run-mode keyboard share it.
#include <QString>
#include <QVector>

class QJsonValue;
class QJsonArray;

namespace panelfile {

enum class Kind; // panel_document.h

struct KeyBinding {
    Kind kind; // Kind::Switch or Kind::Key
    int index = 0;
    int key = 0; // a Qt::Key value without modifiers
    bool operator==(const KeyBinding& o) const { return kind == o.kind && index == o.index && key == o.key; }
};

class KeyBindings {
public:
    // A panel without bindings of its own: digit keys 0-9 hold keys K0-K9.
    static KeyBindings defaults();

    // One keyboard key drives one component and a component has one keyboard key: binding
    // takes the key from any other component and replaces the component's old key. Key 0
    // unbinds the component. Anything but a switch or key in range, or an unbindable key,
    // is refused with false.
    bool bind(Kind kind, int index, int key);
    int keyOf(Kind kind, int index) const; // 0 when unbound
    const KeyBinding* find(int key) const; // nullptr when the key drives nothing
    const QVector<KeyBinding>& list() const { return bindings_; }
    bool operator==(const KeyBindings& o) const;
    bool operator!=(const KeyBindings& o) const { return !(*this == o); }

    // Keys that may be bound: printable keys, function keys, arrows and the like; never a
    // modifier, Escape, Tab or a key the window needs for its menus.
    static bool bindable(int key);
    // The key's name in files ("A", "F5", "Space") and back; 0 for a text naming no bindable key.
    static QString keyText(int key);
    static int keyFromText(const QString& text);

    // The file member: an array of {"type", "index", "key"}; the reader keeps the entries it
    // understands and bounds how many it looks at.
    QJsonArray toJson() const;
    static KeyBindings fromJson(const QJsonValue& member);

private:
    QVector<KeyBinding> bindings_;
};

} // namespace panelfile
