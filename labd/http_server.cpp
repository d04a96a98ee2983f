#include "http_server.h"

#include "http_connection.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/context.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>

#include <cstdio>
#include <mutex>
#include <openssl/ssl.h>
#include <optional>
#include <sys/resource.h>

namespace labd {
namespace http {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;

namespace {
std::mutex logMutex;
} // namespace

void Shared::log(const std::string &line) const
{
    std::lock_guard<std::mutex> lock(logMutex);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

struct Server::Impl {
    std::shared_ptr<Shared> shared = std::make_shared<Shared>();
    // Before the io context: what its connections still hold when it goes (the strands of their
    // routes' calls, the TLS context) goes after it.
    asio::thread_pool handlers;
    std::optional<asio::ssl::context> tls;
    asio::io_context io{1};
    tcp::acceptor acceptor{io};
    asio::steady_timer retry{io};

    explicit Impl(int handlerThreads) : handlers(std::size_t(handlerThreads > 0 ? handlerThreads : 1)) {}

    void accept()
    {
        acceptor.async_accept(asio::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
            if (ec == asio::error::operation_aborted || !acceptor.is_open())
                return;
            if (ec) {
                // Out of descriptors (or another passing failure): the pending client waits in
                // the backlog while a connection or two end.
                shared->log("brixo-labd: cannot accept a connection: " + ec.message() + "\n");
                retry.expires_after(std::chrono::milliseconds(100));
                retry.async_wait([this](beast::error_code e) {
                    if (!e)
                        accept();
                });
                return;
            }
            beast::error_code ignored;
            const tcp::endpoint peer = socket.remote_endpoint(ignored);
            const std::string client = peer.address().to_string(ignored) + ":" + std::to_string(peer.port());
            if (shared->open.load() >= shared->limits.connections) {
                shared->log(
                    logLine(client, "", "", 503, 0,
                            "connection refused: " + std::to_string(shared->limits.connections) + " connections open"));
                socket.close(ignored);
            } else {
                socket.set_option(tcp::no_delay(true), ignored); // head and body go out in one write anyway
                if (tls)
                    std::make_shared<Connection<beast::ssl_stream<beast::tcp_stream>>>(
                        beast::ssl_stream<beast::tcp_stream>(beast::tcp_stream(std::move(socket)), *tls), shared,
                        client)
                        ->start();
                else
                    std::make_shared<Connection<beast::tcp_stream>>(beast::tcp_stream(std::move(socket)), shared,
                                                                    client)
                        ->start();
            }
            accept();
        });
    }
};

Server::Server(Routes routes, Limits limits, bool logRequests) : impl_(std::make_unique<Impl>(limits.handlerThreads))
{
    impl_->shared->routes = std::move(routes);
    impl_->shared->limits = limits;
    impl_->shared->logRequests = logRequests;
    impl_->shared->handlers = &impl_->handlers;
}

Server::~Server()
{
    stop();
    // A handler still running finishes within its own limit; what it posts back is dropped with
    // the io context after it.
    impl_->handlers.join();
    // Routes hear of every WebSocket they were told of, even those the stop cut short.
    for (auto &[id, open] : impl_->shared->takeWebSockets())
        open.calls->end();
}

bool Server::useTls(const std::string &certificateFile, const std::string &keyFile, std::string &error)
{
    asio::ssl::context context(asio::ssl::context::tls_server);
    beast::error_code ec;
    context.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                            asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                            asio::ssl::context::no_tlsv1_1 | asio::ssl::context::single_dh_use,
                        ec);
    if (!ec && SSL_CTX_set_min_proto_version(context.native_handle(), TLS1_2_VERSION) != 1)
        ec = asio::error::invalid_argument;
    if (ec) {
        error = "cannot set up TLS: " + ec.message();
        return false;
    }
    context.use_certificate_chain_file(certificateFile, ec);
    if (ec) {
        error = "cannot use the certificate " + certificateFile + ": " + ec.message();
        return false;
    }
    context.use_private_key_file(keyFile, asio::ssl::context::pem, ec);
    if (ec) {
        error = "cannot use the key " + keyFile + ": " + ec.message();
        return false;
    }
    if (SSL_CTX_check_private_key(context.native_handle()) != 1) {
        error = "the key " + keyFile + " is not the certificate's";
        return false;
    }
    impl_->tls.emplace(std::move(context));
    return true;
}

int Server::bind(const std::string &address, int port)
{
    beast::error_code ec;
    const asio::ip::address a = asio::ip::make_address_v4(address, ec);
    if (ec || port < 0 || port > 65535)
        return -1;
    tcp::acceptor &acc = impl_->acceptor;
    const tcp::endpoint at(a, static_cast<unsigned short>(port));
    acc.open(at.protocol(), ec);
    if (!ec)
        acc.set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec)
        acc.bind(at, ec);
    if (!ec)
        acc.listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
        acc.close(ec);
        return -1;
    }
    return acc.local_endpoint(ec).port();
}

void Server::serve()
{
    if (!impl_->acceptor.is_open())
        return;
    impl_->accept();
    impl_->io.run();
}

void Server::stop()
{
    // On the io thread: no new client, every WebSocket closed and its route told, then serve()
    // returns; the HTTP connections go with the io context.
    asio::post(impl_->io, [impl = impl_.get()] {
        beast::error_code ignored;
        impl->acceptor.close(ignored);
        for (auto &[id, open] : impl->shared->openWebSockets())
            if (auto link = open.link.lock())
                link->abort();
        impl->io.stop();
    });
}

std::size_t Server::openConnections() const { return impl_->shared->open.load(); }

std::size_t Server::raiseOpenFileLimit()
{
    rlimit l{};
    if (getrlimit(RLIMIT_NOFILE, &l) != 0)
        return 1024;
    if (l.rlim_cur < l.rlim_max) {
        rlimit raised = l;
        raised.rlim_cur = l.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0)
            l = raised;
    }
    return l.rlim_cur == RLIM_INFINITY ? std::size_t(1) << 20 : std::size_t(l.rlim_cur);
}

} // namespace http
} // namespace labd
