#include "board/lab_connection.h"

#include "board/boardworker.h"
#include "lab_client.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

#include <set>

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QString failureText(const brixo::LabError& e)
{
    return e.status ? QCoreApplication::translate("LabConnection", "服务器拒绝了请求：%1（HTTP %2）")
                          .arg(q(e.message))
                          .arg(e.status)
                    : QCoreApplication::translate("LabConnection", "服务器没有应答：%1").arg(q(e.message));
}

} // namespace

LabConnection::LabConnection(QMainWindow* window, BoardWorker* worker)
    : QObject(window), window_(window), worker_(worker), thread_(new QThread), runner_(new QObject),
      pollTimer_(new QTimer(this)), timeLabel_(new QLabel(window))
{
    setObjectName(QStringLiteral("labConnection"));
    runner_->moveToThread(thread_);
    thread_->start();
    timeLabel_->setObjectName(QStringLiteral("labTimeLabel"));
    timeLabel_->hide();
    window_->statusBar()->addPermanentWidget(timeLabel_);
    pollTimer_->setInterval(1000);
    connect(pollTimer_, &QTimer::timeout, this, &LabConnection::poll);
}

LabConnection::~LabConnection()
{
    pollTimer_->stop();
    if (client_) {
        client_->stopHeartbeat();
        brixo::LabError ignored;
        if (placed_)
            client_->release(ignored);
        client_->logout(ignored);
    }
    // A request still under way finishes within its time limit.
    thread_->quit();
    if (thread_->wait(2 * brixo::LabClient::kTimeLimitMs)) {
        delete runner_;
        delete thread_;
    }
}

QString LabConnection::timeLeftText(int seconds)
{
    seconds = seconds < 0 ? 0 : seconds;
    return QCoreApplication::translate("LabConnection", "剩余时间 %1:%2")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

void LabConnection::run(std::function<void()> work, std::function<void()> done)
{
    QMetaObject::invokeMethod(
        runner_,
        [this, work, done] {
            work();
            if (done)
                QMetaObject::invokeMethod(this, done, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void LabConnection::signIn(const QString& url, const QString& user, const QString& password)
{
    brixo::LabUrl parsed;
    std::string why;
    if (!brixo::parseLabUrl(url.toStdString(), parsed, why)) {
        emit signedIn(false, QCoreApplication::translate("LabConnection", "地址应写成 http://主机:端口"), {});
        return;
    }
    if (client_)
        release();
    auto client = std::make_shared<brixo::LabClient>(parsed);
    auto ok = std::make_shared<bool>(false);
    auto message = std::make_shared<QString>();
    auto kinds = std::make_shared<QStringList>();
    const std::string u = user.toStdString(), p = password.toStdString();
    run(
        [client, ok, message, kinds, u, p] {
            std::string role;
            int seconds = 0;
            brixo::LabError e;
            std::vector<brixo::LabBoardInfo> boards;
            *ok = client->login(u, p, role, seconds, e) && client->boards(boards, e);
            if (!*ok) {
                *message = failureText(e);
                return;
            }
            std::set<std::string> names;
            for (const brixo::LabBoardInfo& b : boards)
                names.insert(b.kind);
            for (const std::string& n : names)
                kinds->append(q(n));
        },
        [this, client, ok, message, kinds] {
            if (*ok)
                client_ = client;
            emit signedIn(*ok, *message, *kinds);
        });
}

void LabConnection::queueFor(const QString& kind)
{
    if (!client_)
        return;
    auto client = client_;
    auto ok = std::make_shared<bool>(false);
    auto message = std::make_shared<QString>();
    const std::string k = kind.toStdString();
    placed_ = true;
    run(
        [client, ok, message, k] {
            int position = 0;
            brixo::LabError e;
            // A hold or a place the user has from another client (a browser tab) is taken over.
            brixo::LabMe me;
            *ok = client->me(me, e) &&
                  ((me.kind == k && (me.state == "holding" || me.state == "queued")) || client->queue(k, position, e));
            if (*ok)
                client->startHeartbeat();
            else
                *message = failureText(e);
        },
        [this, ok, message] {
            if (!*ok) {
                placed_ = false;
                emit failed(*message);
                return;
            }
            poll();
            pollTimer_->start();
        });
}

void LabConnection::poll()
{
    if (!client_ || polling_ || fetching_)
        return;
    polling_ = true;
    auto client = client_;
    auto me = std::make_shared<brixo::LabMe>();
    auto ok = std::make_shared<bool>(false);
    auto error = std::make_shared<QString>();
    run(
        [client, me, ok, error] {
            brixo::LabError e;
            *ok = client->me(*me, e);
            if (!*ok)
                *error = failureText(e);
        },
        [this, me, ok, error] {
            polling_ = false;
            placeSeen(*me, *ok, *error);
        });
}

void LabConnection::placeSeen(const brixo::LabMe& me, bool ok, const QString& error)
{
    if (!placed_)
        return; // given back meanwhile
    if (!ok) {
        ended(error);
        return;
    }
    if (me.state == "queued") {
        emit placeChanged(me.position);
        return;
    }
    if (me.state != "holding") {
        ended(holding() ? QCoreApplication::translate("LabConnection", "实验板的使用时间已结束")
                        : QCoreApplication::translate("LabConnection", "已不在队列中"));
        return;
    }
    timeLabel_->setText(timeLeftText(me.secondsLeft));
    timeLabel_->show();
    if (holding() || fetching_)
        return;
    // Held now: its panel, as the server keeps it, before the board is the window's.
    fetching_ = true;
    auto client = client_;
    auto panel = std::make_shared<std::string>();
    auto hasPanel = std::make_shared<bool>(false);
    const std::string board = me.board;
    run(
        [client, panel, hasPanel, board] {
            brixo::LabError e;
            *hasPanel = client->panel(board, *panel, e);
        },
        [this, panel, hasPanel, board] {
            fetching_ = false;
            if (placed_)
                held(q(board), QByteArray::fromStdString(*panel), *hasPanel);
        });
}

void LabConnection::held(const QString& board, const QByteArray& panel, bool hasPanel)
{
    board_ = board;
    worker_->useLabBoard(client_, board.toStdString(), reinterpret_cast<void*>(window_->winId()));
    QString file;
    if (hasPanel) {
        panelDir_ = std::make_unique<QTemporaryDir>();
        QFile out(panelDir_->filePath(board + QStringLiteral(".jvp")));
        if (panelDir_->isValid() && out.open(QIODevice::WriteOnly) && out.write(panel) == panel.size()) {
            out.close();
            file = out.fileName();
        }
    }
    window_->statusBar()->showMessage(
        QCoreApplication::translate("LabConnection", "已连接实验室服务器的实验板 %1").arg(board), 5000);
    emit boardReady(board, file);
}

void LabConnection::ended(const QString& why)
{
    const bool wasHolding = holding();
    release();
    if (wasHolding)
        window_->statusBar()->showMessage(why);
    emit holdEnded(why);
}

void LabConnection::release()
{
    pollTimer_->stop();
    timeLabel_->hide();
    if (holding())
        worker_->useLabBoard(nullptr, std::string(), nullptr);
    board_.clear();
    if (!client_ || !placed_)
        return;
    placed_ = false;
    client_->stopHeartbeat();
    // Bounded by the client's time limit; the window waits that long at most.
    brixo::LabError ignored;
    client_->release(ignored);
}
