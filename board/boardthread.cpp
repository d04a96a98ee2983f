#include "boardthread.h"

#include "boardworker.h"

#include <QThread>

BoardThread::BoardThread(QObject* parent) : QObject(parent), thread_(new QThread), worker_(new BoardWorker)
{
    thread_->setObjectName(QStringLiteral("board"));
    worker_->moveToThread(thread_);
    // Deleted on its own thread as that ends, after the last board call.
    connect(thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_->start();
}

BoardThread::~BoardThread()
{
    thread_->quit();
    letGo(thread_, kStopLimitMs);
}

void BoardThread::letGo(QThread* thread, int limitMs)
{
    if (thread->wait(limitMs)) {
        delete thread;
        return;
    }
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    if (thread->isFinished())
        delete thread;
}
