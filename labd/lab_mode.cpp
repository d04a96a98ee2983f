#include "lab_mode.h"

#include "adapter_board.h"
#include "http_lab_routes.h"
#include "http_server.h"
#include "lab_events.h"
#include "lab_routes.h"
#include "lab_service.h"
#include "static_files.h"
#include "student_board.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace labd {

namespace {

constexpr int kExitUsage = 2, kExitFailed = 3;

const char *const kUsage = "Usage: brixo-labd lab --config lab.json [--allow-plain-http] [--log]\n";

bool loopback(const std::string &host) { return host == "localhost" || host.compare(0, 4, "127.") == 0; }

std::string ownProgram()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "brixo-labd";
}

int fail(int status, const std::string &text)
{
    std::fprintf(stderr, "brixo-labd: %s\n", text.c_str());
    return status;
}

} // namespace

int runLabMode(const std::vector<std::string> &args)
{
    std::string configFile;
    bool allowPlain = false, log = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--config" && i + 1 < args.size())
            configFile = args[++i];
        else if (args[i] == "--allow-plain-http")
            allowPlain = true;
        else if (args[i] == "--log")
            log = true;
        else if (args[i] == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "brixo-labd: lab: unknown argument '%s'\n%s", args[i].substr(0, 200).c_str(), kUsage);
            return kExitUsage;
        }
    }
    if (configFile.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    lab::LabConfig config;
    std::string error;
    if (!lab::readLabConfig(configFile, config, error))
        return fail(kExitUsage, error);
    if (config.certificate.empty() && !loopback(config.listenHost) && !allowPlain)
        return fail(kExitUsage, "plain HTTP on " + config.listenHost +
                                    " would send passwords in the clear: give lab.json a certificate and key, or "
                                    "pass --allow-plain-http");
    const std::string listenHost = config.listenHost == "localhost" ? "127.0.0.1" : config.listenHost;

    std::signal(SIGPIPE, SIG_IGN);
    // One thread takes the signals that end the server; every other thread has them blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGQUIT})
        sigaddset(&stopSignals, s);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    // The routes are set once the service exists, which needs the bound port for its address.
    auto routes = std::make_shared<http::Routes>();
    http::Routes forward;
    forward.handle = [routes](const http::Request &r) { return routes->handle(r); };
    forward.bodyLimit = [routes](const http::Request &r) { return routes->bodyLimit(r); };
    forward.upgrade = [routes](const http::Request &r, http::WebSocketHandler &h, http::Response &refusal) {
        return routes->upgrade(r, h, refusal);
    };
    forward.refuse = [routes](int status, const std::string &why, const http::Request &head) {
        return routes->refuse(status, why, head);
    };
    // The connection bounds of the single-design server; a body as big as the lab routes take.
    http::Limits limits = labLimits(http::Server::raiseOpenFileLimit());
    limits.bodyBytes = http::Limits{}.bodyBytes;
    http::Server server(forward, limits, log);
    if (!config.certificate.empty() && !server.useTls(config.certificate, config.key, error))
        return fail(kExitFailed, error);
    const int port = server.bind(listenHost, config.listenPort);
    if (port < 0)
        return fail(kExitFailed, "cannot listen on " + config.listen);
    if (config.address == config.listen && config.listenPort == 0)
        config.address = config.listenHost + ":" + std::to_string(port);

    const std::string program = ownProgram();
    LabService::Options options;
    options.config = config;
    options.openBoard = [program](const lab::BoardConfig &b, std::string &) {
        AdapterBoardOptions o;
        o.adapter = b.adapter;
        o.resetFile = b.reset;
        o.cpuDataBits = b.cpuDataBits;
        o.program = program;
        return openAdapterBoard(o);
    };
    options.startSimulated = [program](const DesignUpload &d, std::vector<DesignMessage> &messages, std::string &why) {
        return startStudentBoard(d, program, messages, why);
    };
    std::unique_ptr<LabService> service;
    try {
        service = std::make_unique<LabService>(options);
    } catch (const std::exception &e) {
        return fail(kExitFailed, std::string("the lab database: ") + e.what());
    }
    EventHub hub(*service);
    service->setListener({[&hub](const std::string &board, const brixo::Inputs &inputs,
                                 const brixo::Readback &readback) { hub.stepped(board, inputs, readback); },
                          [&hub](const std::string &board, const ConfigureStatus &s) { hub.configured(board, s); }});
    // The browser client, from the installed share/brixo/web or the build tree.
    LabRoutesOptions routeOptions;
    const std::string webRoot = findWebRoot(program);
    if (!webRoot.empty())
        routeOptions.staticFiles = [webRoot](const http::Request &r) { return staticFile(r, webRoot); };
    *routes = labServiceRoutes(*service, hub, routeOptions);
    service->start();
    hub.start();

    std::thread([&server, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    }).detach();
    std::printf("listening on %s:%d\nboards %zu of host %s\n", listenHost.c_str(), port, config.boards.size(),
                config.host.c_str());
    std::fflush(stdout);
    server.serve();
    hub.stop();
    service.reset();
    std::fflush(stderr);
    // The signal thread still waits on `server`: the process ends here rather than unwinding it.
    std::fflush(stdout);
    _exit(0);
}

} // namespace labd
