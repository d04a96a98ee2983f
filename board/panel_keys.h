#pragma once
// The panel's keys in run mode beyond the mouse: keyboard keys that hold keys or toggle
// switches, latched keys, and the designer's field that binds a keyboard key to a component.
#include "key_holds.h"
#include "panel/panel_document.h"

#include <QHash>
#include <QObject>
#include <QTimer>

class DesignToolbox;
class PanelModel;
class VirtualComponentData;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMouseEvent;
class QPushButton;
class QWidget;

class PanelKeys : public QObject {
    Q_OBJECT
public:
    // Keyboard events count while window has the focus; the board data gets the presses.
    PanelKeys(PanelModel* panel, VirtualComponentData* boardData, QWidget* window, QObject* parent);
    ~PanelKeys() override;

    const panelfile::KeyBindings& bindings() const;
    // Binds (key 0 unbinds) and refreshes the tool tips; false for a refused binding.
    bool bind(panelfile::Kind kind, int index, int key);

    // One more reason for a key to be down; the board gets a press when it was up. Returns 0
    // when the press is on its way (or the key was down already), else the code of a press
    // refused at once. A press that fails on the board lets every key go (linkFailed), so
    // it sends no release and is drawn up.
    int hold(int key, board::KeyHolds::Source source);
    // One reason less; the board gets a release when it was the last.
    void letGo(int key, board::KeyHolds::Source source);
    bool isDown(int key) const { return holds_.isDown(key); }
    bool isLatched(int key) const { return holds_.has(key, board::KeyHolds::Latch); }
    // A keyboard key let go is acted on after this long, unless it is pressed again first: some
    // X servers send a held key's auto-repeat as plain release and press pairs.
    static constexpr int releaseDelayMs = 30;
    bool releasePending() const { return !pendingRelease_.isEmpty(); }
    // Every key up: when run mode ends, the panel closes or the link failed. With tellBoard the
    // board gets one write carrying the released keys.
    void releaseAll(bool tellBoard);

    // Run mode's input is wired: the keyboard and latching work. Outside it clicks choose
    // the component the designer's binding field shows.
    void setRunning(bool running) { running_ = running; }
    bool running() const { return running_; }
    // The designer's binding field, under the toolbox's other groups.
    void addBindingField(DesignToolbox* toolbox);

    // "按键3", the keyboard key that drives it, and the designer's hint in design mode.
    QString toolTip(panelfile::Kind kind, int index, bool design) const;
    void refreshToolTips();
    // The component the designer's binding field shows (index -1: none).
    void setBindingTarget(panelfile::Kind kind, int index);

    QGroupBox* bindingGroup = nullptr;
    QLabel* bindingTarget = nullptr;
    QLineEdit* bindingEdit = nullptr;
    QPushButton* bindingClear = nullptr;

signals:
    // A binding was changed in the designer.
    void bindingsEdited();

protected:
    bool eventFilter(QObject* obj, QEvent* event) override;

private:
    bool keyboardActive(QObject* obj) const;
    bool onKey(QKeyEvent* event, bool press);
    bool onKeyButtonMouse(int key, QEvent* event);
    void releaseKeyboard();
    void releaseKey(int code);
    void flushReleases();
    void onLinkFailed();
    void drawKey(int key);
    void sync();

    const QVector<QPushButton*>& keyButtons() const;
    const QVector<QPushButton*>& switchButtons() const;

    PanelModel* panel_;
    VirtualComponentData* data_;
    QWidget* window_;
    bool running_ = false;
    board::KeyHolds holds_;
    // Keyboard keys down now, by scan code (a release may come with other modifiers, and so
    // another key code, than its press), with the key code they were matched by.
    QHash<quint32, int> keyboardDown_;
    QHash<quint32, int> pendingRelease_; // let go, not yet acted on
    QTimer releaseTimer_;
    int latchClick_ = -1; // the key button whose latching press was taken: its release is too
    panelfile::Kind targetKind_ = panelfile::Kind::Key;
    int targetIndex_ = -1;
};
