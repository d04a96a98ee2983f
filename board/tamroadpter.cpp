#include "tamroadpter.h"

#include "errormessage.h"
#include "vestrix_board.h"

#include <cstring>
#include <mutex>

namespace {
using Lock = std::lock_guard<std::recursive_mutex>;

std::mutex connectionMutex;
TamroAdpter::Connection connected;
} // namespace

TamroAdpter::TamroAdpter(QObject* parent) : QObject(parent) {}

int TamroAdpter::scan(bool silent, const QString& host, int port)
{
    const QByteArray address = host.toLocal8Bit();
    scannedHost_ = host.isEmpty() ? std::string() : address.toStdString();
    scannedPort_ = host.isEmpty() ? 0 : port;
    int r;
    {
        Lock lock(brixo::vestrixMutex());
        r = ScanTAMRO(table_, host.isEmpty() ? nullptr : address.constData(), host.isEmpty() ? 0 : port);
    }
    if (!silent)
        ErrorMessage::showResult(r);
    return r;
}

int TamroAdpter::connect(int index)
{
    int r = VESTRIX_NO_ADAPTER;
    if (index != -1) {
        Lock lock(brixo::vestrixMutex());
        r = ConnectDevice(index);
        if (r == 0) {
            const bool server = !scannedHost_.empty() && name(index) == serverEntryName();
            remember(server ? scannedHost_ : std::string(), server ? scannedPort_ : 0);
        }
    }
    ErrorMessage::showResult(r);
    return r;
}

void TamroAdpter::autoConnect()
{
    Lock lock(brixo::vestrixMutex());
    if (ScanTAMRO(table_, nullptr, 0) == 0 && ConnectDevice(0) == 0)
        remember({}, 0);
}

int TamroAdpter::count() const
{
    std::int32_t n = 0;
    std::memcpy(&n, table_ + VESTRIX_LIST_COUNT_OFFSET, sizeof n);
    return n < 0 ? 0 : (n > VESTRIX_LIST_SLOTS ? VESTRIX_LIST_SLOTS : n);
}

QString TamroAdpter::name(int i) const
{
    if (i < 0 || i >= VESTRIX_LIST_SLOTS)
        return QString();
    const char* entry = table_ + i * VESTRIX_LIST_SLOT_SIZE;
    // The library terminates each name; a full slot without one is still bounded.
    return QString::fromLocal8Bit(entry, static_cast<int>(strnlen(entry, VESTRIX_LIST_SLOT_SIZE)));
}

int TamroAdpter::indexOf(const QString& name) const
{
    for (int i = 0; i < count(); ++i)
        if (this->name(i) == name)
            return i;
    return -1;
}

TamroAdpter::Connection TamroAdpter::connection()
{
    std::lock_guard<std::mutex> lock(connectionMutex);
    return connected;
}

void TamroAdpter::remember(const std::string& host, int port)
{
    std::lock_guard<std::mutex> lock(connectionMutex);
    connected.host = host;
    connected.port = port;
    ++connected.serial;
}

int TamroAdpter::connectServer(const QString& host, int port, bool* listed)
{
    TamroAdpter adapter;
    adapter.scannedHost_ = host.toLocal8Bit().toStdString();
    adapter.scannedPort_ = port;
    Lock lock(brixo::vestrixMutex());
    ScanTAMRO(adapter.table_, adapter.scannedHost_.c_str(), port);
    const int index = adapter.indexOf(serverEntryName());
    *listed = index >= 0;
    if (index < 0)
        return VESTRIX_NO_ADAPTER;
    const int r = ConnectDevice(index);
    if (r == 0)
        remember(adapter.scannedHost_, port);
    return r;
}

void TamroAdpter::deselect()
{
    Lock lock(brixo::vestrixMutex());
    ConnectDevice(-1);
    remember({}, 0);
}
