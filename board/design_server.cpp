#include "design_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

namespace design {

bool parseListening(const QByteArray& line, QString* host, int* port)
{
    static const QByteArray prefix("listening on ");
    if (!line.startsWith(prefix))
        return false;
    return parseServerAddress(QString::fromUtf8(line.mid(prefix.size())), host, port);
}

bool parseDesign(const QByteArray& line, DesignPorts* ports)
{
    static const QByteArray prefix("design ");
    if (!line.startsWith(prefix))
        return false;
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(line.mid(prefix.size()), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject())
        return false;
    const QJsonObject o = doc.object();
    // A panel holds no more than the board's registers carry; the server already refuses
    // wider ports, so clamping only guards against a server of another version.
    const auto count = [&o](const char* name, int max) { return qBound(0, o.value(QLatin1String(name)).toInt(), max); };
    ports->top = o.value(QStringLiteral("top")).toString();
    ports->switches = count("switches", 36);
    ports->keys = count("keys", 20);
    ports->red = count("red", 18);
    ports->green = count("green", 18);
    ports->digits = count("digits", 8);
    ports->cpuDataBits = count("cpu_data_bits", 2048);
    ports->clock = o.value(QStringLiteral("clock")).toString();
    return true;
}

bool parseServerAddress(const QString& text, QString* host, int* port)
{
    const QString t = text.trimmed();
    const int colon = t.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    bool ok = false;
    const int p = t.mid(colon + 1).toInt(&ok);
    if (!ok || p < 1 || p > 65535)
        return false;
    *host = t.left(colon);
    *port = p;
    return true;
}

} // namespace design

namespace {
constexpr int kErrorKeep = 64 * 1024;
constexpr int kOutputLimit = 64 * 1024;
}

DesignServer::DesignServer(QObject* parent) : QObject(parent)
{
    program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("brixo-labd"));
    readyTimer_.setSingleShot(true);
    connect(&readyTimer_, &QTimer::timeout, this,
            [this] { fail(tr("仿真服务器在%1秒内没有准备好。").arg(readyLimitMs / 1000)); });
}

DesignServer::~DesignServer() { stop(); }

QString DesignServer::messages() const { return QString::fromUtf8(errors_); }

void DesignServer::start(const QStringList& files, bool keysActiveLow)
{
    stop();
    files_ = files;
    keysActiveLow_ = keysActiveLow;
    output_.clear();
    errors_.clear();
    host_.clear();
    port_ = 0;
    ports_ = DesignPorts();
    QStringList args{QStringLiteral("--verilog")};
    args += files;
    if (keysActiveLow)
        args << QStringLiteral("--keys-active-low");
    if (!simulator.isEmpty())
        args << QStringLiteral("--simulator") << simulator;
    // Its standard input stays open as long as we run, so a crash of ours never leaves it behind.
    args << QStringLiteral("--listen") << QStringLiteral("127.0.0.1:0") << QStringLiteral("--stdin-lifetime");
    process_ = new QProcess(this);
    process_->setProgram(program);
    process_->setArguments(args);
    connect(process_, &QProcess::readyReadStandardOutput, this, &DesignServer::readOutput);
    connect(process_, &QProcess::readyReadStandardError, this, &DesignServer::readErrors);
    connect(process_, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this, &DesignServer::finished);
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            fail(tr("无法启动仿真服务器 %1：%2").arg(program, process_->errorString()));
    });
    state_ = State::Starting;
    readyTimer_.start(readyLimitMs);
    process_->start(QIODevice::ReadWrite);
}

void DesignServer::stop()
{
    readyTimer_.stop();
    state_ = State::Stopped;
    if (!process_)
        return;
    QProcess* p = process_;
    process_ = nullptr;
    p->disconnect(this);
    if (p->state() != QProcess::NotRunning) {
        p->closeWriteChannel();
        p->terminate();
        if (!p->waitForFinished(2000)) {
            p->kill();
            p->waitForFinished(1000);
        }
    }
    // May be inside one of its own signals.
    p->deleteLater();
}

void DesignServer::readOutput()
{
    if (!process_)
        return;
    const QByteArray bytes = process_->readAllStandardOutput();
    if (state_ != State::Starting)
        return;
    output_ += bytes;
    const int first = output_.indexOf('\n');
    const int second = first < 0 ? -1 : output_.indexOf('\n', first + 1);
    if (second < 0) {
        if (output_.size() > kOutputLimit)
            fail(tr("仿真服务器的输出无法识别。"));
        return;
    }
    const QByteArray listening = output_.left(first).trimmed();
    const QByteArray designLine = output_.mid(first + 1, second - first - 1).trimmed();
    if (!design::parseListening(listening, &host_, &port_) || !design::parseDesign(designLine, &ports_)) {
        fail(tr("仿真服务器的输出无法识别。"));
        return;
    }
    readyTimer_.stop();
    state_ = State::Running;
    emit ready();
}

void DesignServer::readErrors()
{
    if (!process_)
        return;
    errors_ += process_->readAllStandardError();
    if (errors_.size() > kErrorKeep)
        errors_ = errors_.right(kErrorKeep);
}

void DesignServer::finished(int exitCode, QProcess::ExitStatus status)
{
    readErrors();
    const State was = state_;
    if (was == State::Starting) {
        if (status == QProcess::NormalExit && exitCode == 1)
            fail(tr("设计无法仿真，仿真器报告了以下问题："));
        else
            fail(tr("仿真服务器意外结束（状态%1）。").arg(exitCode));
        return;
    }
    stop();
    if (was == State::Running)
        emit ended(messages());
}

void DesignServer::fail(const QString& reason)
{
    if (state_ != State::Starting)
        return;
    if (process_)
        errors_ += process_->readAllStandardError();
    stop();
    emit failed(reason, messages());
}
