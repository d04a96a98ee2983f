// The libraries' message box and progress bar. When a QApplication runs in the process they
// are Qt widgets owned by the window whose native id the library was given; otherwise a box
// is one line on standard error and there is no progress bar.
#pragma once
#include <string>
#include <vector>

class QProgressBar;

namespace hostui {

// Shows a modal box with an OK button (blocks until dismissed), or writes
// "caption: text" to standard error when no QApplication runs. `owner` is a native window id
// or null. Texts are UTF-8.
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
    bool shown() const { return live() != nullptr; }

private:
    QProgressBar *live() const;
    void *owner_ = nullptr;
    void *widget_ = nullptr; // guarded QProgressBar, when shown
    int minimum_ = 0, maximum_ = 100, value_ = 0;
};

// The top-level widget whose native id is `owner`, or null (as void* to keep Qt out of here).
void *findOwner(void *owner);

} // namespace hostui
