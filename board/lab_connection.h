#pragma once
// The board of a lab server as the program's board: signing in, the place in the queue (asked
// every second), the held board's panel opened like a panel file, its steps and FPGA download
// through the board worker, the time left in the status bar, and the board given back when
// another board is connected, the hold ends, or the window closes. Requests run on a thread of
// their own; the window only sees their answers.
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace brixo {
class LabClient;
struct LabMe;
} // namespace brixo

class BoardWorker;
class QLabel;
class QMainWindow;
class QThread;
class QTimer;

class LabConnection : public QObject {
    Q_OBJECT
public:
    LabConnection(QMainWindow* window, BoardWorker* worker);
    ~LabConnection() override; // gives back what is still held and signs out, within the time limits

    // Answered by signedIn().
    void signIn(const QString& url, const QString& user, const QString& password);
    // Queues for a board of `kind`; placeChanged() follows every second, boardReady() once held.
    void queueFor(const QString& kind);
    // Gives the board back (or leaves the queue); the worker's board is no longer the lab's.
    void release();

    bool placed() const { return placed_; }
    bool holding() const { return !board_.isEmpty(); }
    QString board() const { return board_; }
    // "剩余时间 MM:SS" at the right of the status bar while a board is held.
    QLabel* timeLabel() const { return timeLabel_; }
    static QString timeLeftText(int seconds);

signals:
    void signedIn(bool ok, const QString& message, const QStringList& kinds);
    void placeChanged(int position);
    // The held board and its panel file (empty when the server has none for it).
    void boardReady(const QString& board, const QString& panelFile);
    // The hold ended on the server (its slice ran out, a teacher ended it) or a request failed.
    void holdEnded(const QString& why);
    void failed(const QString& message);

private:
    // Runs `work` on the request thread, then `done` on the window's thread.
    void run(std::function<void()> work, std::function<void()> done = {});
    void poll();
    void placeSeen(const brixo::LabMe& me, bool ok, const QString& error);
    void held(const QString& board, const QByteArray& panel, bool hasPanel);
    void ended(const QString& why);

    QMainWindow* window_;
    BoardWorker* worker_;
    QThread* thread_;
    QObject* runner_;
    std::shared_ptr<brixo::LabClient> client_;
    QTimer* pollTimer_;
    QLabel* timeLabel_;
    bool placed_ = false;
    bool polling_ = false;
    bool fetching_ = false;
    QString board_;
    std::unique_ptr<QTemporaryDir> panelDir_;
};
