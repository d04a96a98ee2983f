#include "lab_commands.h"

#include "commands.h"
#include "lab_client.h"
#include "lab_token_store.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <set>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace cli {

namespace {

using brixo::LabClient;
using brixo::LabError;
using brixo::LabUrl;

QString q(const std::string &s) { return QString::fromStdString(s); }

QString labFailureText(const LabUrl &url, const LabError &e)
{
    if (e.status == 0)
        return QCoreApplication::translate("cli", "实验室服务器 %1：%2").arg(q(url.text()), q(e.message));
    return QCoreApplication::translate("cli", "实验室服务器 %1 拒绝了请求：%2（HTTP %3）")
        .arg(q(url.text()), q(e.message))
        .arg(e.status);
}

int labFailed(const LabUrl &url, const LabError &e, QString *why = nullptr)
{
    const QString text = labFailureText(url, e);
    printError(text);
    if (why)
        *why = text;
    return ExitLibrary;
}

LabUrl urlOf(const std::string &text)
{
    LabUrl url;
    std::string ignored;
    brixo::parseLabUrl(text, url, ignored); // checked with the options
    return url;
}

// BRIXO_LAB_TOKEN first, then the one `login` saved for the server.
std::string tokenFor(const LabUrl &url)
{
    const char *env = std::getenv("BRIXO_LAB_TOKEN");
    if (env && *env)
        return env;
    return loadLabToken(url.text());
}

int notSignedIn(const LabUrl &url, QString *why = nullptr)
{
    const QString text =
        QCoreApplication::translate("cli", "没有登录 %1：先运行 brixo-cli login %1 或设置 BRIXO_LAB_TOKEN")
            .arg(q(url.text()));
    printError(text);
    if (why)
        *why = text;
    return ExitLibrary;
}

// One line from standard input, at most 1024 bytes, without its line end; with `hidden` and a
// terminal, the typing is not shown.
bool readLine(const QString &prompt, bool hidden, std::string &line)
{
    const bool terminal = ::isatty(STDIN_FILENO);
    termios before{};
    const bool noEcho = hidden && terminal && ::tcgetattr(STDIN_FILENO, &before) == 0;
    if (terminal) {
        const QByteArray p = prompt.toUtf8();
        std::fwrite(p.constData(), 1, size_t(p.size()), stderr);
        std::fflush(stderr);
    }
    if (noEcho) {
        termios quiet = before;
        quiet.c_lflag &= tcflag_t(~ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    line.clear();
    char c;
    bool any = false;
    while (::read(STDIN_FILENO, &c, 1) == 1) {
        any = true;
        if (c == '\n')
            break;
        if (line.size() < 1024)
            line += c;
    }
    if (noEcho) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
        std::fputc('\n', stderr);
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return any;
}

} // namespace

int loginCommand(const Options &o)
{
    const LabUrl url = urlOf(o.args[0]);
    std::string user = o.args.size() > 1 ? o.args[1] : std::string(), password;
    if (user.empty() && !readLine(QCoreApplication::translate("cli", "用户名："), false, user))
        user.clear();
    if (user.empty() || !readLine(QCoreApplication::translate("cli", "密码："), true, password)) {
        printError(QCoreApplication::translate("cli", "login 从标准输入读取用户名和密码，各一行"));
        return ExitUsage;
    }
    LabClient client(url);
    std::string role;
    int seconds = 0;
    LabError e;
    if (!client.login(user, password, role, seconds, e))
        return labFailed(url, e);
    if (o.printToken) {
        printOut(q(client.token()) + QLatin1Char('\n'));
        return ExitOk;
    }
    std::string why;
    if (!saveLabToken(url.text(), user, client.token(), why)) {
        printError(QCoreApplication::translate("cli", "无法保存令牌：%1").arg(q(why)));
        return ExitLibrary;
    }
    if (!o.quiet)
        printOut(QCoreApplication::translate("cli", "已作为 %1（%2）登录 %3，%4 小时内有效")
                     .arg(q(user), q(role), q(url.text()))
                     .arg(seconds / 3600) +
                 QLatin1Char('\n'));
    return ExitOk;
}

int logoutCommand(const Options &o)
{
    const LabUrl url = urlOf(o.args.empty() ? o.lab : o.args[0]);
    const std::string token = tokenFor(url);
    if (token.empty())
        return notSignedIn(url);
    LabClient client(url, token);
    LabError e;
    const bool revoked = client.logout(e);
    // A token the server no longer knows is as good as revoked: it is forgotten either way.
    std::string why;
    if (loadLabToken(url.text()) == token && !saveLabToken(url.text(), std::string(), std::string(), why))
        printError(QCoreApplication::translate("cli", "无法保存令牌：%1").arg(q(why)));
    if (!revoked && e.status != 401)
        return labFailed(url, e);
    return ExitOk;
}

int labListCommand(const Options &o)
{
    const LabUrl url = urlOf(o.lab);
    const std::string token = tokenFor(url);
    if (token.empty())
        return notSignedIn(url);
    LabClient client(url, token);
    std::vector<brixo::LabBoardInfo> boards;
    LabError e;
    if (!client.boards(boards, e))
        return labFailed(url, e);
    if (o.json) {
        QJsonArray array;
        for (const brixo::LabBoardInfo &b : boards)
            array.append(QJsonObject{{QStringLiteral("id"), q(b.id)},
                                     {QStringLiteral("kind"), q(b.kind)},
                                     {QStringLiteral("state"), q(b.state)},
                                     {QStringLiteral("queue"), b.queue}});
        printOut(QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)) + '\n');
        return ExitOk;
    }
    for (const brixo::LabBoardInfo &b : boards)
        printOut(QStringLiteral("%1  %2  %3  %4\n").arg(q(b.id), q(b.kind), q(b.state)).arg(b.queue));
    return ExitOk;
}

// What the hold and its interrupt guard share.
struct LabHold::State {
    LabUrl url;
    std::unique_ptr<LabClient> client;
    std::mutex mutex;
    bool placed = false; // queued or holding: there is something to give back
    std::string board;
    bool configuring = false;
    std::atomic<bool> stop{false};
    std::thread guard;

    void giveBack()
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!placed)
            return;
        placed = false;
        LabError ignored;
        // The guard may be here while the main thread waits on its own request: a client of
        // its own, with the same token.
        LabClient now(url, client->token());
        if (configuring) {
            std::string answer;
            now.request("DELETE", "/api/v1/boards/" + board + "/configure", "", "", answer, ignored);
        }
        now.release(ignored);
    }
};

LabHold::LabHold() : state_(std::make_shared<State>()) {}

LabHold::~LabHold()
{
    state_->stop = true;
    if (state_->guard.joinable())
        state_->guard.join();
    if (state_->client)
        state_->client->stopHeartbeat();
    state_->giveBack();
}

const std::string &LabHold::board() const { return state_->board; }

int LabHold::acquire(const Options &o, QString *why)
{
    State &s = *state_;
    s.url = urlOf(o.lab);
    const std::string token = tokenFor(s.url);
    if (token.empty())
        return notSignedIn(s.url, why);
    s.client = std::make_unique<LabClient>(s.url, token);
    // SIGINT and SIGTERM stay blocked in every thread (main sees to it for --lab); this thread
    // alone takes them, gives the board back and ends the process.
    s.guard = std::thread([state = state_] {
        sigset_t endSignals;
        sigemptyset(&endSignals);
        sigaddset(&endSignals, SIGINT);
        sigaddset(&endSignals, SIGTERM);
        while (!state->stop) {
            const timespec slice{0, 100 * 1000 * 1000};
            if (sigtimedwait(&endSignals, nullptr, &slice) > 0) {
                state->giveBack();
                printError(QCoreApplication::translate("cli", "已中断；实验板已归还"));
                std::fflush(stderr);
                std::_Exit(ExitLibrary);
            }
        }
    });
    LabError e;
    std::string kind = o.kind;
    if (kind.empty()) {
        // The lab's one kind of board, when it has one.
        std::vector<brixo::LabBoardInfo> boards;
        if (!s.client->boards(boards, e))
            return labFailed(s.url, e, why);
        std::set<std::string> kinds;
        for (const brixo::LabBoardInfo &b : boards)
            kinds.insert(b.kind);
        if (kinds.size() != 1) {
            QStringList names;
            for (const std::string &k : kinds)
                names << q(k);
            const QString text =
                kinds.empty() ? QCoreApplication::translate("cli", "实验室服务器 %1 没有实验板").arg(q(s.url.text()))
                              : QCoreApplication::translate("cli", "用 --kind 选择实验板的种类：%1")
                                    .arg(names.join(QStringLiteral(", ")));
            printError(text);
            if (why)
                *why = text;
            return kinds.empty() ? ExitLibrary : ExitUsage;
        }
        kind = *kinds.begin();
    }
    // A board of the kind held already, or a place in its queue, from another of the user's
    // clients (a browser tab, another shell) is used as it is, and left to that client at the end.
    brixo::LabMe before;
    if (!s.client->me(before, e))
        return labFailed(s.url, e, why);
    if (before.kind != kind || (before.state != "holding" && before.state != "queued")) {
        int position = 0;
        std::lock_guard<std::mutex> lock(s.mutex);
        if (!s.client->queue(kind, position, e))
            return labFailed(s.url, e, why);
        s.placed = true;
    }
    s.client->startHeartbeat();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(o.waitSeconds);
    int shown = 0;
    for (;;) {
        brixo::LabMe me;
        if (!s.client->me(me, e))
            return labFailed(s.url, e, why);
        if (me.state == "holding") {
            std::lock_guard<std::mutex> lock(s.mutex);
            s.board = me.board;
            return -1;
        }
        if (me.state != "queued") {
            e = LabError{0, "the queue let go of the wait"};
            return labFailed(s.url, e, why);
        }
        if (me.position != shown && !o.quiet) {
            shown = me.position;
            printError(QCoreApplication::translate("cli", "等待种类为 %1 的实验板：队列中第 %2 位")
                           .arg(q(kind))
                           .arg(me.position));
            std::fflush(stderr);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            const QString text =
                QCoreApplication::translate("cli", "在队列中等待了 %1 秒，没有等到实验板").arg(o.waitSeconds);
            printError(text);
            if (why)
                *why = text;
            return ExitLibrary;
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
}

std::unique_ptr<brixo::BoardSession> LabHold::session()
{
    return std::make_unique<brixo::LabBoardSession>(*state_->client, state_->board);
}

int LabHold::configure(const Options &o)
{
    State &s = *state_;
    QFile file(QString::fromStdString(o.args[0]));
    if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(LabClient::kAnswerLimit)) {
        printError(QCoreApplication::translate("cli", "无法读取文件 %1").arg(file.fileName()));
        return ExitUsage;
    }
    const QByteArray bytes = file.readAll();
    const bool bar = !o.quiet && ::isatty(STDERR_FILENO);
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.configuring = true;
    }
    LabError e;
    const bool done = s.client->configure(
        s.board, bytes.toStdString(),
        [bar](const brixo::LabConfigureState &st) {
            if (bar && st.total > 0) {
                constexpr int kWidth = 30;
                const int filled = int(st.done * kWidth / st.total);
                const QByteArray line = QStringLiteral("\r[%1%2] %3%   ")
                                            .arg(QString(filled, QLatin1Char('#')), QString(kWidth - filled, '-'))
                                            .arg(int(st.done * 100 / st.total), 3)
                                            .toUtf8();
                std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
                std::fflush(stderr);
            }
            return true;
        },
        e);
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        s.configuring = false;
    }
    if (bar)
        std::fputc('\n', stderr);
    if (!done)
        return labFailed(s.url, e);
    if (!o.quiet)
        printOut(QCoreApplication::translate("cli", "FPGA配置完成：%1 字节").arg(bytes.size()) + QLatin1Char('\n'));
    return ExitOk;
}

} // namespace cli
