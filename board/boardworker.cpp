#include "boardworker.h"

#include "lab_client.h"
#include "step_route_board.h"
#include "tamroadpter.h"
#include "vestrix_board.h"

#include <vestrix.h>

#include <hostui.h>

#include <QFile>

BoardWorker::BoardWorker() { qRegisterMetaType<brixo::Readback>(); }

BoardWorker::~BoardWorker() = default;

void BoardWorker::step(quint64 id, const brixo::Inputs& inputs)
{
    QMetaObject::invokeMethod(
        this, [this, id, inputs] { emit stepped(id, session().step(inputs)); }, Qt::QueuedConnection);
}

void BoardWorker::read(quint64 id, const brixo::Reads& reads)
{
    QMetaObject::invokeMethod(
        this, [this, id, reads] { emit stepped(id, session().read(reads)); }, Qt::QueuedConnection);
}

void BoardWorker::configure(const QByteArray& path)
{
    QMetaObject::invokeMethod(
        this,
        [this, path] {
            int code;
            if (lab_) {
                code = configureLab(path);
            } else {
                std::lock_guard<std::recursive_mutex> lock(brixo::vestrixMutex());
                code = ConfigureFPGA(path.constData());
            }
            emit configured(code);
        },
        Qt::QueuedConnection);
}

void BoardWorker::connectServer(const QString& host, int port)
{
    QMetaObject::invokeMethod(
        this,
        [this, host, port] {
            bool listed = false;
            const int code = TamroAdpter::connectServer(host, port, &listed);
            emit serverConnected(code, listed);
        },
        Qt::QueuedConnection);
}

void BoardWorker::deselect()
{
    QMetaObject::invokeMethod(
        this, [] { TamroAdpter::deselect(); }, Qt::QueuedConnection);
}

void BoardWorker::useLabBoard(std::shared_ptr<brixo::LabClient> client, const std::string& board, void* owner)
{
    QMetaObject::invokeMethod(
        this,
        [this, client, board, owner] {
            labOwner_ = owner;
            session_.reset();
            sessionConnection_ = 0;
            lab_ = board.empty() ? nullptr : client;
            labBoard_ = lab_ ? board : std::string();
        },
        Qt::QueuedConnection);
}

// The download runs on the lab server; the bar across the window follows its progress as the
// lab library's own bar does for an adapter.
int BoardWorker::configureLab(const QByteArray& path)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(brixo::LabClient::kAnswerLimit))
        return VESTRIX_FILE_OPEN_FAILED;
    const QByteArray bytes = file.readAll();
    std::unique_ptr<hostui::ProgressBar> bar;
    if (labOwner_)
        bar = std::make_unique<hostui::ProgressBar>(labOwner_, tr("下载进度").toStdString());
    constexpr int kSteps = 100;
    if (bar)
        bar->setRange(0, kSteps);
    brixo::LabError e;
    const bool done = lab_->configure(
        labBoard_, bytes.toStdString(),
        [&bar](const brixo::LabConfigureState& s) {
            const int at = s.total > 0 ? int(s.done * kSteps / s.total) : 0;
            while (bar && bar->value() < at)
                bar->step();
            return true;
        },
        e);
    if (!done) {
        emit labFailed(QString::fromStdString(e.message));
        return VESTRIX_FPGA_LINK_FAILED;
    }
    return 0;
}

QString BoardWorker::sessionKind() const
{
    std::lock_guard<std::mutex> lock(kindMutex_);
    return kind_;
}

void BoardWorker::setStepObserver(brixo::BoardSession::Subscriber observer)
{
    std::lock_guard<std::mutex> lock(observerMutex_);
    observer_ = std::move(observer);
}

// A new connection gets a new session: the step route when the connected entry is a lab server
// that offers it, otherwise the lab library's register scans.
brixo::BoardSession& BoardWorker::session()
{
    const TamroAdpter::Connection now = TamroAdpter::connection();
    if (lab_ && !session_) {
        session_ = std::make_unique<brixo::LabBoardSession>(*lab_, labBoard_);
        sessionConnection_ = now.serial;
        subscribeObserver();
        return *session_;
    }
    if (lab_)
        return *session_;
    if (!session_ || now.serial != sessionConnection_) {
        session_.reset();
        if (!now.host.empty())
            session_ = brixo::StepRouteBoard::open(now.host, now.port);
        if (!session_)
            session_ = std::make_unique<brixo::VestrixBoard>(true);
        sessionConnection_ = now.serial;
        subscribeObserver();
    }
    return *session_;
}

void BoardWorker::subscribeObserver()
{
    session_->subscribe([this](const brixo::Inputs& in, bool wrote, const brixo::Readback& r) {
        std::lock_guard<std::mutex> lock(observerMutex_);
        if (observer_)
            observer_(in, wrote, r);
    });
    std::lock_guard<std::mutex> lock(kindMutex_);
    kind_ = QString::fromStdString(session_->kind());
}
