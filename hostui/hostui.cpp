#include "hostui.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QStyle>
#include <QThread>
#include <QWidget>

#include <atomic>
#include <cstdio>
#include <mutex>

namespace hostui {

struct ProgressBar::Widget {
    QPointer<QProgressBar> bar;
    std::atomic<bool> live{false};
};

namespace {
// The test hooks, for callers on any thread.
std::mutex hooksMutex;
bool collecting = false;
std::vector<Box> collected;
std::vector<ProgressEvent> progressEvents;

void record(ProgressEvent::Kind kind, void *owner, const std::string &title, int value, int maximum, bool shown)
{
    std::lock_guard<std::mutex> lock(hooksMutex);
    if (collecting)
        progressEvents.push_back({kind, owner, title, value, maximum, shown});
}

QApplication *runningApp() { return qobject_cast<QApplication *>(QCoreApplication::instance()); }

bool onAppThread()
{
    const QApplication *app = runningApp();
    return app && QThread::currentThread() == app->thread();
}

// Runs `f` on the application's thread: now when called there (or when there is none, so no
// widget), else queued and never waited for.
template <class F>
void onApp(F f)
{
    QApplication *app = runningApp();
    if (!app || onAppThread())
        f();
    else
        QMetaObject::invokeMethod(app, std::move(f), Qt::QueuedConnection);
}

QProgressBar *live(const ProgressBar::Widget &w) { return w.bar.data(); }
} // namespace

void setCollecting(bool on)
{
    std::lock_guard<std::mutex> lock(hooksMutex);
    collecting = on;
    if (!on) {
        collected.clear();
        progressEvents.clear();
    }
}

std::vector<ProgressEvent> takeProgressEvents()
{
    std::lock_guard<std::mutex> lock(hooksMutex);
    std::vector<ProgressEvent> out;
    out.swap(progressEvents);
    return out;
}

std::vector<Box> takeCollected()
{
    std::lock_guard<std::mutex> lock(hooksMutex);
    std::vector<Box> out;
    out.swap(collected);
    return out;
}

void *findOwner(void *owner)
{
    if (!owner || !onAppThread())
        return nullptr;
    // internalWinId() is 0 for widgets without a native window, so this never creates one.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->internalWinId() && reinterpret_cast<void *>(w->internalWinId()) == owner)
            return w;
    return nullptr;
}

void showMessage(void *owner, const std::string &text, const std::string &caption)
{
    {
        std::lock_guard<std::mutex> lock(hooksMutex);
        if (collecting) {
            collected.push_back({owner, text, caption});
            return;
        }
    }
    if (!runningApp()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return;
    }
    if (onAppThread()) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString::fromStdString(text),
                        QMessageBox::Ok, static_cast<QWidget *>(findOwner(owner)));
        box.exec();
        return;
    }
    // Modal as ever, but not waited for: the caller goes on.
    onApp([owner, text, caption] {
        auto *box = new QMessageBox(QMessageBox::NoIcon, QString::fromStdString(caption), QString::fromStdString(text),
                                    QMessageBox::Ok, static_cast<QWidget *>(findOwner(owner)));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::ApplicationModal);
        box->show();
    });
}

ProgressBar::ProgressBar(void *owner, const std::string &title) : owner_(owner), widget_(std::make_shared<Widget>())
{
    const int minimum = minimum_, maximum = maximum_;
    onApp([w = widget_, owner, title, minimum, maximum] {
        auto *parent = static_cast<QWidget *>(findOwner(owner));
        if (!parent) {
            record(ProgressEvent::Created, owner, title, minimum, maximum, false);
            return;
        }
        auto *bar = new QProgressBar(parent);
        bar->setObjectName(QStringLiteral("hostuiProgress"));
        bar->setWindowTitle(QString::fromStdString(title));
        bar->setTextVisible(false);
        const int height = parent->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        bar->setGeometry(0, 0, parent->width(), height > 0 ? height : 16);
        bar->setRange(minimum, maximum);
        bar->setValue(minimum);
        bar->show();
        bar->raise();
        w->bar = bar; // the owner window may go first
        w->live = true;
        record(ProgressEvent::Created, owner, title, minimum, maximum, true);
    });
}

ProgressBar::~ProgressBar()
{
    onApp([w = widget_, owner = owner_, value = value_, maximum = maximum_] {
        record(ProgressEvent::Destroyed, owner, {}, value, maximum, live(*w) != nullptr);
        delete w->bar.data();
        w->live = false;
    });
}

bool ProgressBar::shown() const { return onAppThread() ? live(*widget_) != nullptr : widget_->live.load(); }

void ProgressBar::setRange(int minimum, int maximum)
{
    minimum_ = minimum;
    maximum_ = maximum < minimum ? minimum : maximum;
    value_ = minimum_;
    onApp([w = widget_, owner = owner_, lo = minimum_, hi = maximum_] {
        record(ProgressEvent::Range, owner, {}, lo, hi, live(*w) != nullptr);
        if (QProgressBar *bar = live(*w)) {
            bar->setRange(lo, hi);
            bar->setValue(lo);
        }
    });
}

void ProgressBar::step()
{
    if (value_ < maximum_)
        ++value_;
    // setValue repaints at once, and only when the bar's picture changes (a caller on the
    // application's thread blocks its event loop, so nothing else would paint it).
    onApp([w = widget_, owner = owner_, value = value_, maximum = maximum_] {
        record(ProgressEvent::Step, owner, {}, value, maximum, live(*w) != nullptr);
        if (QProgressBar *bar = live(*w))
            bar->setValue(value);
    });
}

} // namespace hostui
