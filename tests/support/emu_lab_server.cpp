// The emulated remote-lab server: its own HTTP on a socket, the wire format's reader and writers.
#include "support/emu_lab_server.h"

#include "remote_lab_wire.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace emu {

namespace net = tamro::net;

namespace {

bool waitReadable(int fd, const std::atomic<bool> &stop)
{
    while (!stop) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0)
            return true;
    }
    return false;
}

} // namespace

LabServer::LabServer(ScanTarget *target) : target_(target)
{
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(listener_, 4);
    socklen_t len = sizeof a;
    getsockname(listener_, reinterpret_cast<sockaddr *>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { run(); });
}

LabServer::~LabServer()
{
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

void LabServer::dropConnections()
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (int client : clientSockets_)
        ::shutdown(client, SHUT_RDWR);
}

std::vector<LabServer::Request> LabServer::requests()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void LabServer::run()
{
    while (waitReadable(listener_, stop_)) {
        const int client = ::accept(listener_, nullptr, nullptr);
        if (client >= 0) { // each connection its own thread: the module connection stays open
            {
                std::lock_guard<std::mutex> lock(mutex_);
                clientSockets_.push_back(client);
            }
            clients_.emplace_back([this, client] {
                serve(client);
                std::lock_guard<std::mutex> lock(mutex_);
                clientSockets_.erase(std::remove(clientSockets_.begin(), clientSockets_.end(), client),
                                     clientSockets_.end());
                ::close(client);
            });
        }
    }
    for (std::thread &t : clients_)
        t.join();
}

// One connection, one request after another, until the client closes or the server stops.
void LabServer::serve(int client)
{
    std::string in;
    // Appends what the client sent next; false when it closed or the server stops.
    auto receive = [&] {
        char buf[512];
        if (!waitReadable(client, stop_))
            return false;
        const ssize_t n = ::recv(client, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        in.append(buf, size_t(n));
        return true;
    };
    for (;;) {
        size_t headEnd;
        while ((headEnd = in.find("\r\n\r\n")) == std::string::npos) {
            if (!receive())
                return;
        }
        const size_t cl = in.find("Content-Length: ");
        const size_t bodyLength = cl < headEnd ? std::strtoul(in.c_str() + cl + 16, nullptr, 10) : 0;
        while (in.size() < headEnd + 4 + bodyLength) {
            if (!receive())
                return;
        }
        Request r;
        r.raw = in.substr(0, headEnd + 4 + bodyLength);
        in.erase(0, r.raw.size());
        const std::string body = r.raw.substr(headEnd + 4);
        std::vector<net::Element> elements;
        std::string error;
        net::readElements(body, elements, error); // as far as they go: a bad body is answered below
        for (const net::Element &e : elements)
            r.params.emplace_back(e.name, e.text);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(r);
        }
        // The wait ends early when the server stops.
        for (int left = delayMs_; left > 0 && !stop_; left -= 10)
            ::usleep(10000);
        const int m = misbehaviour_;
        if (m == NeverAnswer) {
            waitReadable(client, stop_); // holds the connection open, silent
            return;
        }
        std::string xml = respond(body);
        if (m == AnswerTooMuch)
            xml.insert(xml.find("<soap:Body>"), std::string(3000, ' '));
        if (m == MalformedXml)
            xml.replace(xml.find("<soap:Body>"), 11, "<soap:Body<");
        std::string out = "HTTP/1.1 200 OK\r\nContent-Type: application/soap+xml; charset=utf-8\r\n"
                          "Content-Length: " +
                          std::to_string(xml.size()) + "\r\n\r\n" + xml;
        if (m == CloseEarly)
            out.resize(out.size() / 2);
        ::send(client, out.data(), out.size(), MSG_NOSIGNAL);
        if (m == CloseEarly)
            return;
    }
}

std::string LabServer::respond(const std::string &body)
{
    net::Request r;
    std::string error;
    if (!net::readRequest(body, r, error))
        return net::errorAnswer(error);
    if (r.kind == net::Request::Probe)
        return probeNeed_ ? net::probeAnswer() : net::answerEnvelope(net::answerElement(net::TagNoneReturn, "0"));
    std::vector<uint8_t> out = net::scanOutput(r.bits);
    uint8_t status = target_ ? target_->scan(r.instruction, r.data.data(), r.bits, out.data()) : 1;
    if (misbehaviour_ == BadStatus)
        status = 0x02;
    if (misbehaviour_ == WrongByteCount)
        out.push_back(0);
    return net::scanAnswer(status, out, r.capture);
}

} // namespace emu
