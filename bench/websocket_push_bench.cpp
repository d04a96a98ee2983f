// A push over the HTTP stack's WebSockets: the route sends one message (stamped with the time it
// sent it) to every open WebSocket, and the client opened last, which gets it last, reads it.
// Measured in the same run with that client alone and with 300 open, as p50 and p99 of the
// delay (x_alone: the times with 300 as a multiple of those alone), and the server's memory per
// open WebSocket (kib_per_websocket, from VmRSS). The server is a child process of its own, so
// that the clients' memory is not counted.
#include "labd/http_server.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/websocket.hpp>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <mutex>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
using Client = beast::websocket::stream<beast::tcp_stream>;

long long nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The child: a WebSocket route whose "push" from any client goes to every client.
[[noreturn]] void serve(int portPipe)
{
    std::mutex m;
    std::vector<std::shared_ptr<labd::http::WebSocketPeer>> peers;
    labd::http::Routes routes;
    routes.handle = [](const labd::http::Request &) { return labd::http::Response{404, "text/plain", "", {}}; };
    routes.upgrade = [&](const labd::http::Request &, labd::http::WebSocketHandler &h, labd::http::Response &) {
        h.opened = [&](std::shared_ptr<labd::http::WebSocketPeer> p) {
            std::lock_guard<std::mutex> lock(m);
            peers.push_back(std::move(p));
        };
        h.received = [&](const std::string &) {
            std::lock_guard<std::mutex> lock(m);
            const std::string stamp = std::to_string(nowNs());
            for (const auto &p : peers)
                p->send(stamp);
        };
        return true;
    };
    labd::http::Server server(routes, labd::http::Limits(), false);
    const int port = server.bind("127.0.0.1", 0);
    if (write(portPipe, &port, sizeof port) != sizeof port)
        _exit(1);
    server.serve(); // until the parent ends it
    _exit(0);
}

struct ServerProcess {
    pid_t pid = -1;
    int port = -1;
    ServerProcess()
    {
        int p[2];
        if (pipe(p) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            close(p[0]);
            serve(p[1]);
        }
        close(p[1]);
        if (pid < 0 || read(p[0], &port, sizeof port) != sizeof port)
            port = -1;
        close(p[0]);
    }
    ~ServerProcess()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    long residentKiB() const
    {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmRSS:", 0) == 0)
                return std::stol(line.substr(6));
        return 0;
    }
};

std::unique_ptr<Client> open(asio::io_context &io, int port)
{
    auto ws = std::make_unique<Client>(io);
    beast::get_lowest_layer(*ws).connect({asio::ip::make_address_v4("127.0.0.1"), static_cast<unsigned short>(port)});
    ws->handshake("127.0.0.1", "/events");
    return ws;
}

long long readStamp(Client &ws)
{
    beast::flat_buffer b;
    ws.read(b);
    return std::stoll(beast::buffers_to_string(b.data()));
}

// `n` pushes from the first client; the delays, in microseconds, of the last client's copy.
std::vector<double> pushDelays(std::vector<std::unique_ptr<Client>> &clients, int n)
{
    std::vector<double> delays;
    for (int i = 0; i < n; ++i) {
        clients.front()->write(asio::buffer(std::string("push")));
        const long long sent = readStamp(*clients.back());
        delays.push_back(double(nowNs() - sent) / 1000);
        for (std::size_t c = 0; c + 1 < clients.size(); ++c)
            readStamp(*clients[c]); // every other client takes its copy too
    }
    std::sort(delays.begin(), delays.end());
    return delays;
}

double percentile(const std::vector<double> &sorted, double p)
{
    return sorted.empty() ? 0 : sorted[std::min(sorted.size() - 1, std::size_t(p * double(sorted.size())))];
}

void BM_PushBesideOpenWebSockets(benchmark::State &state)
{
    ServerProcess server;
    if (server.port < 0) {
        state.SkipWithError("the server did not start");
        return;
    }
    const int count = int(state.range(0)), pushes = 300;
    asio::io_context io;
    std::vector<std::unique_ptr<Client>> clients;
    std::vector<double> alone, beside;
    long before = 0, after = 0;
    try {
        clients.push_back(open(io, server.port));
        pushDelays(clients, 20); // warm
        for (auto _ : state) {
            alone = pushDelays(clients, pushes);
            before = server.residentKiB();
            while (int(clients.size()) < count)
                clients.push_back(open(io, server.port)); // the last opened gets each push last
            pushDelays(clients, 5);
            after = server.residentKiB();
            beside = pushDelays(clients, pushes);
        }
    } catch (const std::exception &e) {
        state.SkipWithError(e.what());
        return;
    }
    state.counters["p50_us_alone"] = percentile(alone, 0.5);
    state.counters["p99_us_alone"] = percentile(alone, 0.99);
    state.counters["p50_us_beside"] = percentile(beside, 0.5);
    state.counters["p99_us_beside"] = percentile(beside, 0.99);
    state.counters["x_alone_p50"] = percentile(beside, 0.5) / std::max(percentile(alone, 0.5), 1e-9);
    state.counters["x_alone_p99"] = percentile(beside, 0.99) / std::max(percentile(alone, 0.99), 1e-9);
    state.counters["kib_per_websocket"] = double(after - before) / (count - 1);
}

BENCHMARK(BM_PushBesideOpenWebSockets)->Arg(300)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
