#pragma once
// The one thread the program's board work runs on: the board session behind the panel (a board
// through the lab library, or a lab server's step route), the FPGA download and connecting a
// simulated design's server. The window only asks and draws; the answers come back as signals.
#include "board_session.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QString>

#include <memory>
#include <mutex>
#include <string>

namespace brixo {
class LabClient;
}

Q_DECLARE_METATYPE(brixo::Readback)

class BoardWorker : public QObject {
    Q_OBJECT
public:
    BoardWorker();
    ~BoardWorker() override;

    // Called on the window's thread; each is run on the worker's thread, in the order asked.
    void step(quint64 id, const brixo::Inputs& inputs);
    void read(quint64 id, const brixo::Reads& reads);
    // ConfigureFPGA with the library's progress bar; `path` in the local 8-bit encoding.
    void configure(const QByteArray& path);
    // Scans the lab server at host:port and connects its entry (TamroAdpter::connectServer).
    void connectServer(const QString& host, int port);
    // Leaves whatever is connected (TamroAdpter::deselect).
    void deselect();
    // A board held through a lab server becomes the board: steps go to its step route, the FPGA
    // download to its configure route. An empty board (or null client) gives it up.
    // `owner` is the window's native id, for the download's progress bar.
    void useLabBoard(std::shared_ptr<brixo::LabClient> client, const std::string& board, void* owner);

    // What the session is ("board", "step route"; empty before the first step), from any thread.
    QString sessionKind() const;
    // Sees every step of whichever session is connected (the waveform recorder), on the worker's
    // thread. From any thread; once it returns, no call to the observer before is under way.
    void setStepObserver(brixo::BoardSession::Subscriber observer);

signals:
    void stepped(quint64 id, const brixo::Readback& readback);
    void configured(int code);
    // code 0: connected; `listed` false: the server did not answer the scan as a lab server.
    void serverConnected(int code, bool listed);
    // A lab server refused a download, in its own words (configured() follows with the code).
    void labFailed(const QString& message);

private:
    brixo::BoardSession& session();
    int configureLab(const QByteArray& path);
    void subscribeObserver();

    std::unique_ptr<brixo::BoardSession> session_;
    // The lab server's board, while one is held; it takes the place of TamroAdpter's connection.
    std::shared_ptr<brixo::LabClient> lab_;
    std::string labBoard_;
    void* labOwner_ = nullptr;
    quint64 sessionConnection_ = 0; // TamroAdpter's connection the session was made for
    mutable std::mutex kindMutex_;
    QString kind_;
    std::mutex observerMutex_;
    brixo::BoardSession::Subscriber observer_;
};
