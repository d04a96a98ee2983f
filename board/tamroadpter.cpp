#include "tamroadpter.h"

#include "errormessage.h"

#include <cstring>

TamroAdpter::TamroAdpter(QObject* parent) : QObject(parent) {}

int TamroAdpter::scan(bool silent)
{
    const int r = ScanTAMRO(table_, nullptr, 0);
    if (!silent)
        ErrorMessage::showResult(r);
    return r;
}

int TamroAdpter::connect(int index)
{
    const int r = index == -1 ? int(VESTRIX_NO_ADAPTER) : ConnectDevice(index);
    ErrorMessage::showResult(r);
    return r;
}

void TamroAdpter::autoConnect()
{
    if (ScanTAMRO(table_, nullptr, 0) == 0)
        ConnectDevice(0);
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
