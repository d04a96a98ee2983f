#include "hostui.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QStyle>
#include <QWidget>

#include <cstdio>

namespace hostui {

namespace {
bool collecting = false;
std::vector<Box> collected;
std::vector<ProgressEvent> progressEvents;

void record(ProgressEvent::Kind kind, void *owner, const std::string &title, int value, int maximum, bool shown)
{
    if (collecting)
        progressEvents.push_back({kind, owner, title, value, maximum, shown});
}

QApplication *runningApp() { return qobject_cast<QApplication *>(QCoreApplication::instance()); }
} // namespace

void setCollecting(bool on)
{
    collecting = on;
    if (!on) {
        collected.clear();
        progressEvents.clear();
    }
}

std::vector<ProgressEvent> takeProgressEvents()
{
    std::vector<ProgressEvent> out;
    out.swap(progressEvents);
    return out;
}

std::vector<Box> takeCollected()
{
    std::vector<Box> out;
    out.swap(collected);
    return out;
}

void *findOwner(void *owner)
{
    if (!owner || !runningApp())
        return nullptr;
    // internalWinId() is 0 for widgets without a native window, so this never creates one.
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->internalWinId() && reinterpret_cast<void *>(w->internalWinId()) == owner)
            return w;
    return nullptr;
}

void showMessage(void *owner, const std::string &text, const std::string &caption)
{
    if (collecting) {
        collected.push_back({owner, text, caption});
        return;
    }
    if (!runningApp()) {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                    static_cast<QWidget *>(findOwner(owner)));
    box.exec();
}

ProgressBar::ProgressBar(void *owner, const std::string &title) : owner_(owner)
{

    auto *parent = static_cast<QWidget *>(findOwner(owner));
    if (!parent) {
        record(ProgressEvent::Created, owner, title, value_, maximum_, false);
        return;
    }
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(QStringLiteral("hostuiProgress"));
    bar->setWindowTitle(QString::fromStdString(title));
    bar->setTextVisible(false);
    const int height = parent->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    bar->setGeometry(0, 0, parent->width(), height > 0 ? height : 16);
    bar->setRange(minimum_, maximum_);
    bar->setValue(minimum_);
    bar->show();
    bar->raise();
    widget_ = new QPointer<QProgressBar>(bar); // the owner window may go first
    record(ProgressEvent::Created, owner, title, value_, maximum_, true);
}

ProgressBar::~ProgressBar()
{
    record(ProgressEvent::Destroyed, owner_, {}, value_, maximum_, live() != nullptr);
    auto *guard = static_cast<QPointer<QProgressBar> *>(widget_);
    if (guard)
        delete guard->data();
    delete guard;
}

QProgressBar *ProgressBar::live() const
{
    auto *guard = static_cast<QPointer<QProgressBar> *>(widget_);
    return guard ? guard->data() : nullptr;
}

void ProgressBar::setRange(int minimum, int maximum)
{
    minimum_ = minimum;
    maximum_ = maximum < minimum ? minimum : maximum;
    value_ = minimum_;
    record(ProgressEvent::Range, owner_, {}, value_, maximum_, live() != nullptr);
    if (QProgressBar *bar = live()) {
        bar->setRange(minimum_, maximum_);
        bar->setValue(value_);
    }
}

void ProgressBar::step()
{
    if (value_ < maximum_)
        ++value_;
    record(ProgressEvent::Step, owner_, {}, value_, maximum_, live() != nullptr);
    // setValue repaints at once, and only when the bar's picture changes (the caller blocks the
    // event loop, so nothing else would paint it).
    if (QProgressBar *bar = live())
        bar->setValue(value_);
}

} // namespace hostui
