#pragma once
// The lab server process that simulates a student's Verilog design behind the remote-lab
// protocol: started on the design's files, ready once it has printed its address and the
// design's ports, ended when the program ends or the board is given up.
#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

// What the design's top module carries, as the server reports it.
struct DesignPorts {
    QString top;
    int switches = 0, keys = 0, red = 0, green = 0, digits = 0, cpuDataBits = 0;
    QString clock;
};

namespace design {
// "listening on HOST:PORT" -> host and port; false for anything else.
bool parseListening(const QByteArray& line, QString* host, int* port);
// "design {json}" -> the ports, counts clamped to what a panel holds; false for anything else.
bool parseDesign(const QByteArray& line, DesignPorts* ports);
// "HOST:PORT" typed by a user; false when either part is missing or the port is out of range.
bool parseServerAddress(const QString& text, QString* host, int* port);
}

class DesignServer : public QObject {
    Q_OBJECT
public:
    explicit DesignServer(QObject* parent = nullptr);
    ~DesignServer() override;

    // brixo-labd beside the running program unless set otherwise.
    QString program;
    // The simulator the server runs the design in; empty for the server's default (Icarus).
    QString simulator;
    // How long the server may take to compile the design and listen (Verilator takes seconds).
    int readyLimitMs = 60000;

    enum class State { Stopped, Starting, Running };
    State state() const { return state_; }
    // Starts the server on the files; ready() or failed() follows, never both.
    void start(const QStringList& files, bool keysActiveLow);
    // Ends the server (end of its standard input, then SIGTERM, then SIGKILL, each bounded).
    void stop();

    QStringList files() const { return files_; }
    bool keysActiveLow() const { return keysActiveLow_; }
    QString host() const { return host_; }
    int port() const { return port_; }
    const DesignPorts& ports() const { return ports_; }
    // What the server wrote on its standard error (the last 64 KiB).
    QString messages() const;

signals:
    void ready();
    // The server did not come up: the reason in the program's words, and the server's messages.
    void failed(const QString& reason, const QString& messages);
    // A running server ended by itself.
    void ended(const QString& messages);

private:
    void readOutput();
    void readErrors();
    void finished(int exitCode, QProcess::ExitStatus status);
    void fail(const QString& reason);

    QProcess* process_ = nullptr;
    QTimer readyTimer_;
    State state_ = State::Stopped;
    QStringList files_;
    bool keysActiveLow_ = false;
    QByteArray output_, errors_;
    QString host_;
    int port_ = 0;
    DesignPorts ports_;
};
