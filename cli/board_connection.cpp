#include "board_connection.h"

#include "cli_texts.h"
#include "commands.h"
#include "host_port.h"
#include "lab_commands.h"
#include "lab_server.h"
#include "step_route_board.h"
#include "vestrix_board.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstring>

namespace cli {

int DeviceList::count() const
{
    int32_t n;
    std::memcpy(&n, names + VESTRIX_LIST_COUNT_OFFSET, sizeof n);
    return n < 0 ? 0 : n > VESTRIX_LIST_SLOTS ? VESTRIX_LIST_SLOTS : n;
}

QString DeviceList::name(int i) const
{
    return QString::fromUtf8(names + i * VESTRIX_LIST_SLOT_SIZE,
                             int(strnlen(names + i * VESTRIX_LIST_SLOT_SIZE, VESTRIX_LIST_SLOT_SIZE)));
}

int scan(const std::string &server, DeviceList &list)
{
    std::string host;
    int port = 0;
    if (!server.empty())
        brixo::parseHostPort(server, host, port);
    return ScanTAMRO(list.names, host.empty() ? nullptr : host.c_str(), port);
}

BoardConnection::BoardConnection() = default;
BoardConnection::~BoardConnection() = default;

int BoardConnection::enablePanelInput() { return vestrix ? vestrix->enablePanelInput() : 0; }

namespace {

void writeErrors(const std::string &errors)
{
    std::fwrite(errors.data(), 1, errors.size(), stderr);
    std::fflush(stderr);
}

// Starts the simulated board's server; the exit code on failure, else -1.
int startLab(const Options &o, brixo::LabServer &lab, QString &why)
{
    brixo::LabServerOptions sim = o.sim;
    sim.captureErrors = true;
    const brixo::LabServer::Status status = lab.start(sim);
    if (status == brixo::LabServer::Ready)
        return -1;
    // Its messages (the compiler's) before ours, as if it had written them itself.
    writeErrors(lab.errors());
    switch (status) {
    case brixo::LabServer::Ready: return -1;
    case brixo::LabServer::NotFound: why = QCoreApplication::translate("cli", "找不到 brixo-labd"); break;
    case brixo::LabServer::NotReady: why = QCoreApplication::translate("cli", "等待 brixo-labd 就绪超时"); break;
    case brixo::LabServer::Failed:
        // Its status 1: the design did not compile, its ports do not fit, or it did not start.
        if (lab.exitStatus() == 1) {
            why = QCoreApplication::translate("cli", "仿真的设计未能编译或启动");
            printError(why);
            return ExitDesign;
        }
        [[fallthrough]];
    case brixo::LabServer::Unreadable:
        why = QCoreApplication::translate("cli", "brixo-labd 未能启动仿真板（状态 %1）").arg(lab.exitStatus());
        break;
    }
    printError(why);
    return ExitLibrary;
}

} // namespace

std::string finishLab(brixo::LabServer &lab)
{
    if (lab.port() == 0) // never ready: what it said is on standard error already
        return lab.errors();
    lab.stop();
    const std::string errors = lab.errors();
    writeErrors(errors);
    return errors;
}

int connectBoard(const Options &o, bool session, brixo::LabServer &lab, BoardConnection &board, QString *why)
{
    QString reason;
    const auto fail = [&](const QString &text) {
        printError(text);
        if (why)
            *why = text;
        return int(ExitLibrary);
    };
    if (!o.lab.empty()) {
        board.labHold = std::make_unique<LabHold>();
        const int rc = board.labHold->acquire(o, why);
        if (rc >= 0)
            return rc;
        board.remote = true;
        // A student's simulated board keeps a simulated clock that CYCLES can drive.
        board.stepRoute = board.labHold->board().rfind("sim-", 0) == 0;
        if (session)
            board.session = board.labHold->session();
        return -1;
    }
    std::string server = o.server;
    if (!o.sim.files.empty()) {
        const int rc = startLab(o, lab, reason);
        if (why)
            *why = reason;
        if (rc >= 0)
            return rc;
        server = lab.host() + ":" + std::to_string(lab.port());
    }
    board.remote = !server.empty();
    if (session && board.remote) {
        std::string host;
        int port = 0;
        if (brixo::parseHostPort(server, host, port)) {
            if (std::unique_ptr<brixo::StepRouteBoard> route = brixo::StepRouteBoard::open(host, port)) {
                board.session = std::move(route);
                board.stepRoute = true;
                return -1;
            }
        }
    }
    DeviceList list;
    scan(server, list);
    int index = o.adapter;
    if (board.remote) {
        // The server is listed after any USB adapters.
        index = -1;
        for (int i = list.count() - 1; i >= 0 && index < 0; --i)
            if (list.name(i) == QLatin1String("Lantrovex"))
                index = i;
        if (index < 0)
            return fail(
                QCoreApplication::translate("cli", "远程实验服务器 %1 没有应答").arg(QString::fromStdString(server)));
    } else if (index >= list.count()) {
        return fail(
            QCoreApplication::translate("cli", "没有第 %1 个调试适配器（找到 %2 个）").arg(index).arg(list.count()));
    }
    const int rc = ConnectDevice(index);
    if (rc != 0)
        return fail(libraryFailureText(rc));
    if (session) {
        auto vestrix = std::make_unique<brixo::VestrixBoard>(false);
        board.vestrix = vestrix.get();
        board.session = std::move(vestrix);
    }
    return -1;
}

} // namespace cli
