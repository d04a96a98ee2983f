// The libraries' message box and progress bar. When a QApplication runs in the process they
// are Qt widgets owned by the window whose native id the library was given; otherwise a box
// is one line on standard error and there is no progress bar. Called on another thread than
// the application's (a program's board worker), the widgets are made and changed on the
// application's thread, queued: the caller never waits for that thread, which may itself be
// waiting for the caller's lock.
#pragma once
#include <memory>
#include <string>
#include <vector>

namespace hostui {

// Shows a modal box with an OK button (blocks until dismissed), or writes
// "caption: text" to standard error when no QApplication runs. `owner` is a native window id
// or null. Texts are UTF-8. Off the application's thread the box is shown there and the call
// returns at once.
void showMessage(void *owner, const std::string &text, const std::string &caption);

// Test hook: while collecting, boxes are recorded instead of shown or printed.
struct Box {
    void *owner;
    std::string text;
    std::string caption;
};
void setCollecting(bool on);
std::vector<Box> takeCollected();

// Test hook: while collecting, the life of every progress bar is recorded as well (the bar
// itself is still made when it can be).
struct ProgressEvent {
    enum Kind { Created, Range, Step, Destroyed } kind;
    void *owner;
    std::string title; // Created only
    int value;         // the bar's value after the event
    int maximum;
    bool shown; // a real bar widget stood behind the event
};
// Events of a bar driven off the application's thread are recorded there, as they are applied.
std::vector<ProgressEvent> takeProgressEvents();

// A bar across the top of the owner window's client area. Without a running QApplication or
// a known owner window it only counts.
class ProgressBar {
public:
    ProgressBar(void *owner, const std::string &title);
    ~ProgressBar(); // destroys the bar
    ProgressBar(const ProgressBar &) = delete;
    ProgressBar &operator=(const ProgressBar &) = delete;

    void setRange(int minimum, int maximum);
    void step(); // advances by one; repaints at once when what the bar shows changed
    int value() const { return value_; }
    int maximum() const { return maximum_; }
    // Off the application's thread: as far as the widget has been made there yet.
    bool shown() const;

    struct Widget; // the application's side: touched on its thread only

private:
    void *owner_ = nullptr;
    std::shared_ptr<Widget> widget_;
    int minimum_ = 0, maximum_ = 100, value_ = 0;
};

// The top-level widget whose native id is `owner`, or null (as void* to keep Qt out of here).
void *findOwner(void *owner);

} // namespace hostui
