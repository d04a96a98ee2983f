#include "design_server.h"

#include "boardthread.h"

#include "host_port.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

namespace design {

bool parseListening(const QByteArray& line, QString* host, int* port)
{
    std::string h;
    int p = 0;
    if (!brixo::parseListeningLine(line.toStdString(), h, p))
        return false;
    *host = QString::fromStdString(h);
    *port = p;
    return true;
}

DesignPorts portsOf(const brixo::BoardDescription& b)
{
    DesignPorts p;
    p.top = QString::fromStdString(b.top);
    p.switches = b.switches;
    p.keys = b.keys;
    p.red = b.red;
    p.green = b.green;
    p.digits = b.digits;
    p.cpuDataBits = b.cpuDataBits;
    p.clock = QString::fromStdString(b.clock);
    return p;
}

bool parseDesign(const QByteArray& line, DesignPorts* ports)
{
    brixo::BoardDescription board;
    if (!brixo::parseDesignLine(line.toStdString(), board))
        return false;
    *ports = portsOf(board);
    return true;
}

bool parseServerAddress(const QString& text, QString* host, int* port)
{
    std::string h;
    int p = 0;
    if (!brixo::parseHostPort(text.toStdString(), h, p))
        return false;
    *host = QString::fromStdString(h);
    *port = p;
    return true;
}

} // namespace design

// Lives on the server thread: starts the servers, watches the ones that run, ends them.
class DesignServerRunner : public QObject {
    Q_OBJECT
public:
    DesignServerRunner()
    {
        // A server that ends by itself is noticed within this long.
        watch_.setInterval(200);
        connect(&watch_, &QTimer::timeout, this, &DesignServerRunner::look);
    }
    void run(quint64 serial, std::shared_ptr<brixo::LabServer> server, brixo::LabServerOptions options, int limitMs)
    {
        const brixo::LabServer::Status status = server->start(options, limitMs);
        if (status == brixo::LabServer::Ready) {
            running_.push_back({serial, server});
            watch_.start();
        }
        emit started(serial, int(status), QString::fromStdString(server->errors()));
    }
    // The server is given up: it ends here, not on the window's thread.
    void release(const std::shared_ptr<brixo::LabServer>& server)
    {
        for (auto at = running_.begin(); at != running_.end(); ++at) {
            if (at->second == server) {
                running_.erase(at);
                server->stop();
                break;
            }
        }
        if (running_.empty())
            watch_.stop();
    }

signals:
    void started(quint64 serial, int status, const QString& errors);
    void ended(quint64 serial, const QString& errors);

private:
    void look()
    {
        for (std::size_t i = 0; i < running_.size(); ++i) {
            const auto [serial, server] = running_[i];
            if (server->running())
                continue;
            const QString errors = QString::fromStdString(server->errors());
            release(server);
            emit ended(serial, errors);
            return; // the others are looked at next time
        }
    }
    std::vector<std::pair<quint64, std::shared_ptr<brixo::LabServer>>> running_;
    QTimer watch_{this}; // a child, so it moves to the server thread with the runner
};

DesignServer::DesignServer(QObject* parent) : QObject(parent), thread_(new QThread), runner_(new DesignServerRunner)
{
    program = QString::fromStdString(
        brixo::labServerProgram(QCoreApplication::applicationFilePath().toLocal8Bit().toStdString()));
    thread_->setObjectName(QStringLiteral("design server"));
    runner_->moveToThread(thread_);
    connect(thread_, &QThread::finished, runner_, &QObject::deleteLater);
    connect(runner_, &DesignServerRunner::started, this, &DesignServer::started);
    connect(runner_, &DesignServerRunner::ended, this, &DesignServer::endedBy);
    thread_->start();
}

DesignServer::~DesignServer()
{
    stop();
    // After the servers are let go: events for the runner are served in order.
    QThread* thread = thread_;
    QMetaObject::invokeMethod(
        runner_, [thread] { thread->quit(); }, Qt::QueuedConnection);
    BoardThread::letGo(thread_, kStopLimitMs);
}

void DesignServer::release(Design& design)
{
    if (design.server) {
        // A start under way returns at once; the server thread ends and reaps it.
        design.server->cancel();
        DesignServerRunner* runner = runner_;
        QMetaObject::invokeMethod(
            runner_, [runner, server = design.server] { runner->release(server); }, Qt::QueuedConnection);
    }
    // What it ran stays described, for a Reload of the same files.
    design.server.reset();
}

void DesignServer::start(const QStringList& files, const DesignChoices& choices)
{
    // The board stays on the one it is on: previous_ until dropPrevious(), else current_.
    if (state_ == State::Starting || previous_.server)
        release(current_);
    else if (state_ == State::Running)
        previous_ = current_;
    messages_.clear();
    brixo::LabServerOptions options;
    options.program = program.toLocal8Bit().toStdString();
    for (const QString& f : files)
        options.files.push_back(f.toLocal8Bit().toStdString());
    options.top = choices.top.toStdString();
    options.simulator = choices.simulator.toStdString();
    options.clockHz = choices.clockHz;
    options.keysActiveLow = choices.keysActiveLow;
    options.captureErrors = true;
    current_ = Design();
    current_.server = std::make_shared<brixo::LabServer>();
    current_.serial = ++serial_;
    current_.files = files;
    current_.choices = choices;
    state_ = State::Starting;
    DesignServerRunner* runner = runner_;
    const int limit = readyLimitMs;
    QMetaObject::invokeMethod(
        runner_,
        [runner, serial = current_.serial, server = current_.server, options, limit] {
            runner->run(serial, server, options, limit);
        },
        Qt::QueuedConnection);
}

void DesignServer::stop()
{
    state_ = State::Stopped;
    ++serial_;
    release(current_);
    release(previous_);
    previous_ = Design();
}

void DesignServer::dropPrevious()
{
    release(previous_);
    previous_ = Design();
}

bool DesignServer::restorePrevious()
{
    if (!previous_.server)
        return false;
    release(current_);
    current_ = previous_;
    previous_ = Design();
    state_ = State::Running;
    return true;
}

void DesignServer::started(quint64 serial, int status, const QString& errors)
{
    if (serial != current_.serial || state_ != State::Starting)
        return;
    messages_ = errors;
    const std::shared_ptr<brixo::LabServer> server = current_.server;
    if (status == brixo::LabServer::Ready) {
        // Read once it is ready: the server thread no longer changes them.
        current_.host = QString::fromStdString(server->host());
        current_.port = server->port();
        current_.ports = design::portsOf(server->board());
        state_ = State::Running;
        emit ready();
        return;
    }
    QString reason;
    switch (status) {
    case brixo::LabServer::NotFound:
        reason = tr("无法启动仿真服务器 %1：%2").arg(program, QString::fromStdString(server->startError()));
        break;
    case brixo::LabServer::Failed:
        reason = server->exitStatus() == 1 ? tr("设计无法仿真，仿真器报告了以下问题：")
                                           : tr("仿真服务器意外结束（状态%1）。").arg(server->exitStatus());
        break;
    case brixo::LabServer::NotReady: reason = tr("仿真服务器在%1秒内没有准备好。").arg(readyLimitMs / 1000); break;
    default: reason = tr("仿真服务器的输出无法识别。"); break;
    }
    release(current_);
    state_ = State::Stopped;
    restorePrevious();
    emit failed(reason, messages_);
}

void DesignServer::endedBy(quint64 serial, const QString& errors)
{
    if (previous_.server && serial == previous_.serial) {
        previous_ = Design();
        // While the next one compiles it is still the board; once that is ready it is not.
        if (state_ == State::Starting)
            emit ended(errors);
        return;
    }
    if (serial != current_.serial || state_ != State::Running)
        return;
    messages_ = errors;
    state_ = State::Stopped;
    current_.server.reset();
    emit ended(messages_);
}

#include "design_server.moc"
