#pragma once
// Starts the board worker's thread and stops it: the window holds one for its whole life.
#include <QObject>

class BoardWorker;
class QThread;

class BoardThread : public QObject {
    Q_OBJECT
public:
    explicit BoardThread(QObject* parent = nullptr);
    // Waits for the board call under way at most kStopLimitMs; a call that takes longer (a
    // slow server) finishes on its own and the thread is cleaned up after it.
    ~BoardThread() override;
    static constexpr int kStopLimitMs = 3000;

    BoardWorker* worker() const { return worker_; }

    // Waits for `thread` (told to quit) at most limitMs and deletes it; one still busy deletes
    // itself when it finishes.
    static void letGo(QThread* thread, int limitMs);

private:
    QThread* thread_;
    BoardWorker* worker_;
};
