#include "support/emu_hid_service.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace emu {

namespace {

int32_t get32(const std::string &s, size_t at)
{
    int32_t v = 0;
    if (at + 4 <= s.size())
        std::memcpy(&v, s.data() + at, 4);
    return v;
}

std::string word(int32_t v) { return std::string(reinterpret_cast<const char *>(&v), 4); }

} // namespace

HidService::HidService()
{
    char dir[] = "/tmp/brixo_hid_XXXXXX";
    if (!::mkdtemp(dir))
        return;
    path_ = std::string(dir) + "/hid.sock";
    listener_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path_.c_str(), sizeof addr.sun_path - 1);
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 8) != 0)
        return;
    thread_ = std::thread([this] { run(); });
}

HidService::~HidService()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    if (listener_ >= 0)
        ::close(listener_);
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        ::rmdir(path_.substr(0, path_.rfind('/')).c_str());
    }
}

void HidService::add(Adapter *adapter)
{
    attach(adapter); // gives it its path
    std::lock_guard<std::mutex> lock(mutex_);
    adapters_.push_back(adapter);
}

void HidService::run()
{
    std::vector<int> clients;
    while (!stop_) {
        std::vector<pollfd> fds{{listener_, POLLIN, 0}};
        for (int c : clients)
            fds.push_back({c, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 50) <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            const int c = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (c >= 0)
                clients.push_back(c);
        }
        for (size_t i = 1; i < fds.size(); ++i) {
            if (!fds[i].revents)
                continue;
            char buffer[4096];
            const ssize_t n = ::recv(fds[i].fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                ::close(fds[i].fd);
                clients.erase(std::find(clients.begin(), clients.end(), fds[i].fd));
                continue;
            }
            const std::string reply = answer(std::string(buffer, size_t(n)));
            ::send(fds[i].fd, reply.data(), reply.size(), MSG_NOSIGNAL);
        }
    }
    for (int c : clients)
        ::close(c);
}

std::string HidService::answer(const std::string &r)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (r.empty())
        return word(-1);
    const auto device = [&](size_t at) -> Adapter * {
        const int32_t h = get32(r, at);
        return h > 0 && size_t(h) <= opened_.size() ? opened_[size_t(h - 1)] : nullptr;
    };
    switch (r[0]) {
    case 'E': {
        uint16_t vid = 0, pid = 0;
        if (r.size() >= 5)
            std::memcpy(&vid, r.data() + 1, 2), std::memcpy(&pid, r.data() + 3, 2);
        std::string out;
        for (Adapter *a : adapters_) {
            if (a->kind() != Adapter::Kind::Hid || a->vendorId != vid || a->productId != pid)
                continue;
            out += char(a->path().size());
            out += char(a->description.size());
            out += a->path() + a->description;
            out += char(a->descriptionReadable ? 1 : 0);
        }
        return out.empty() ? std::string() : out;
    }
    case 'O':
        for (Adapter *a : adapters_) {
            if (a->path() == r.substr(1) && a->open()) {
                opened_.push_back(a);
                return word(int32_t(opened_.size()));
            }
        }
        return word(0);
    case 'W': {
        Adapter *a = device(1);
        return word(a ? a->write(reinterpret_cast<const uint8_t *>(r.data()) + 5, int(r.size()) - 5) : -1);
    }
    case 'R': {
        Adapter *a = device(1);
        const int32_t length = get32(r, 5), limit = get32(r, 9);
        if (!a || length < 0 || length > 4000)
            return word(-1);
        std::string data(size_t(length), '\0');
        const int got = a->read(reinterpret_cast<uint8_t *>(&data[0]), length, limit);
        return word(got) + (got > 0 ? data.substr(0, size_t(got)) : std::string());
    }
    case 'C':
        if (Adapter *a = device(1))
            a->close();
        return word(0);
    }
    return word(-1);
}

} // namespace emu
