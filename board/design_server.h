#pragma once
// The lab server process that simulates a student's Verilog design behind the remote-lab
// protocol: started on the design's files, ready once it has printed its address and the
// design's ports, ended when the program ends or the board is given up. brixo::LabServer does
// the starting and the waiting on a thread of its own, so the window never waits for it.
#include "design_choices.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <lab_server.h>

#include <memory>

class QThread;

// What the design's top module carries, as the server reports it.
struct DesignPorts {
    QString top;
    int switches = 0, keys = 0, red = 0, green = 0, digits = 0, cpuDataBits = 0;
    QString clock;
};

namespace design {
// "listening on HOST:PORT" -> host and port; false for anything else.
bool parseListening(const QByteArray& line, QString* host, int* port);
// "design {json}" -> the ports, counts clamped to what a board carries; false for anything else.
bool parseDesign(const QByteArray& line, DesignPorts* ports);
// "HOST:PORT" typed by a user; false when either part is missing or the port is out of range.
bool parseServerAddress(const QString& text, QString* host, int* port);
DesignPorts portsOf(const brixo::BoardDescription& board);
} // namespace design

class DesignServerRunner;

// A new start leaves the server that runs as it is: it is given up only once the new one is
// connected (dropPrevious), and a start that fails leaves it the one described here.
class DesignServer : public QObject {
    Q_OBJECT
public:
    explicit DesignServer(QObject* parent = nullptr);
    // Ends the servers; waits for that at most kStopLimitMs.
    ~DesignServer() override;
    static constexpr int kStopLimitMs = 6000;

    // The server program: BRIXO_LABD, else brixo-labd beside the running program, else a PATH
    // search, unless set otherwise.
    QString program;
    // How long the server may take to compile the design and listen (Verilator takes seconds).
    int readyLimitMs = brixo::kLabServerReadyLimitMs;

    // Starting: a start is under way (another server may still run beside it).
    enum class State { Stopped, Starting, Running };
    State state() const { return state_; }
    // Starts a server on the files; ready() or failed() follows, never both. A start still under
    // way is given up; a running server keeps running.
    void start(const QStringList& files, const DesignChoices& choices);
    // Gives every server up at once; they end on the server thread.
    void stop();
    // The server that ran before the one just ready, kept until the board has moved over.
    bool hasPrevious() const { return previous_.server != nullptr; }
    void dropPrevious();
    // Gives the one just ready up for the previous one; false (and nothing changes) without one.
    bool restorePrevious();

    // The newest design: the one starting, else the one running.
    QStringList files() const { return current_.files; }
    const DesignChoices& choices() const { return current_.choices; }
    bool keysActiveLow() const { return current_.choices.keysActiveLow; }
    QString host() const { return current_.host; }
    int port() const { return current_.port; }
    const DesignPorts& ports() const { return current_.ports; }
    // What the server wrote on its standard error (the last 64 KiB) when it was last heard of.
    QString messages() const { return messages_; }

signals:
    void ready();
    // The server did not come up: the reason in the program's words, and the server's messages.
    // A server that ran before runs on (state() is Running again).
    void failed(const QString& reason, const QString& messages);
    // The running server ended by itself.
    void ended(const QString& messages);

private:
    struct Design {
        std::shared_ptr<brixo::LabServer> server;
        quint64 serial = 0;
        QStringList files;
        DesignChoices choices;
        QString host;
        int port = 0;
        DesignPorts ports;
    };
    void started(quint64 serial, int status, const QString& errors);
    void endedBy(quint64 serial, const QString& errors);
    void release(Design& design);

    QThread* thread_;
    DesignServerRunner* runner_;
    Design current_;     // starting or running
    Design previous_;    // running while current_ starts, until the board has moved to current_
    quint64 serial_ = 0; // grows with every start: older answers are stale
    State state_ = State::Stopped;
    QString messages_;
};
