// The emulated remote-lab server. Element names "00".."0C" are not valid XML, so the body is
// read as the request lays it out: "<NN>\n", text, "</NN>\n" inside soap:Body.
#include "support/emu_lab_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace emu {

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

std::string hex(const uint8_t *p, int n)
{
    std::string s;
    char b[3];
    for (int i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", p[i]);
        s += b;
    }
    return s;
}

std::vector<uint8_t> unhex(const std::string &s)
{
    std::vector<uint8_t> v;
    for (size_t i = 0; i + 1 < s.size(); i += 2)
        v.push_back(uint8_t(std::strtoul(s.substr(i, 2).c_str(), nullptr, 16)));
    return v;
}

std::string envelope(const std::string &inner)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<soap:Envelope "
           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">\r\n<soap:Body>\r\n" +
           inner + "\r\n</soap:Body>\r\n</soap:Envelope>";
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
        size_t at = body.find("<soap:Body>\n");
        at = at == std::string::npos ? body.size() : at + 12;
        while (at + 5 <= body.size() && body[at] == '<' && body[at + 1] != '/' && body[at + 4] == '\n') {
            const std::string name = body.substr(at + 1, 2);
            const size_t end = body.find("</" + name + ">\n", at + 5);
            if (end == std::string::npos)
                break;
            r.params.emplace_back(name, body.substr(at + 5, end - at - 5));
            at = end + 6;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(r);
        }
        const int m = misbehaviour_;
        if (m == NeverAnswer) {
            waitReadable(client, stop_); // holds the connection open, silent
            return;
        }
        std::string xml = respond(r);
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

std::string LabServer::respond(const Request &r)
{
    bool capture = false, afterData = false;
    int instruction = 0, rest = 0;
    std::vector<uint8_t> data;
    for (const auto &p : r.params) {
        if (p.first == "0C")
            return envelope(probeNeed_ ? "<NeedReturn>1</NeedReturn>" : "<NoneReturn>0</NoneReturn>");
        if (p.first == "00")
            capture = p.second == "1";
        else if (p.first == "02")
            afterData = true;
        else if (p.first == "05") {
            const std::vector<uint8_t> v = unhex(p.second);
            // the first "05" slot begins with the whole-byte count, later ones continue the data
            data.insert(data.end(), v.begin() + (data.empty() && !v.empty() ? 1 : 0), v.end());
        } else if (p.first == "06") {
            const std::vector<uint8_t> v = unhex(p.second);
            if (v.size() != 2)
                return envelope("<ErrorOccur>bad</ErrorOccur>");
            if (afterData) {
                rest = v[0];
                data.push_back(v[1]);
            } else {
                instruction = v[1];
            }
        }
    }
    const int whole = data.empty() ? 0 : int(data.size()) - 1;
    const int bits = afterData ? 8 * whole + rest : 0;
    std::vector<uint8_t> out(data.size() + 1, 0);
    uint8_t status = target_ ? target_->scan(uint8_t(instruction), data.data(), bits, out.data() + 1) : 1;
    if (misbehaviour_ == BadStatus)
        status = 0x02;
    out[0] = status;
    if (!capture)
        return envelope("<NeedReturn>" + hex(&status, 1) + "</NeedReturn>");
    if (out.size() < 2)
        out.push_back(0);
    if (misbehaviour_ == WrongByteCount)
        out.push_back(0);
    return envelope("<NeedReturn>" + hex(out.data(), int(out.size())) + "</NeedReturn>");
}

} // namespace emu
