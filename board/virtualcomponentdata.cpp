#include "virtualcomponentdata.h"

VirtualComponentData::VirtualComponentData(QObject* parent) : QObject(parent) {}

VirtualComponentData::~VirtualComponentData() = default;

int VirtualComponentData::resize(std::vector<std::uint8_t>& array, int& count, int n, int limit,
                                 std::uint8_t initial)
{
    // A refused or negative count keeps the old array, so count == size always holds.
    if (n > limit || n < 0)
        return -1;
    array.assign(static_cast<std::size_t>(n), initial);
    count = n;
    return 0;
}

int VirtualComponentData::setSwitchCount(int n)
{
    return resize(switches_, switchCount_, n, kMaxSwitches, 0);
}

int VirtualComponentData::setKeyCount(int n)
{
    return resize(keys_, keyCount_, n, kMaxKeys, keyIdleLevel);
}

int VirtualComponentData::setRedLedCount(int n)
{
    return resize(redLeds_, redLedCount_, n, kMaxRedLeds, ledOnLevel ? 1 : 0);
}

int VirtualComponentData::setGreenLedCount(int n)
{
    return resize(greenLeds_, greenLedCount_, n, kMaxGreenLeds, ledOnLevel ? 1 : 0);
}

int VirtualComponentData::setDigitCount(int n)
{
    return resize(digits_, digitCount_, n, kMaxDigits, digitMask);
}

void VirtualComponentData::setDataSlots(const std::vector<DataSlot>& entries)
{
    const int n = static_cast<int>(entries.size());
    // Unclaimed positions keep their own index and width 0, never an unset value.
    std::vector<DataSlot> table(entries.size());
    for (int i = 0; i < n; ++i)
        table[static_cast<std::size_t>(i)] = DataSlot{i, 0};
    std::vector<bool> taken(entries.size(), false);
    for (const DataSlot& e : entries) {
        if (e.index < 0 || e.index >= n || taken[static_cast<std::size_t>(e.index)])
            continue;  // the first widget with an index wins
        taken[static_cast<std::size_t>(e.index)] = true;
        table[static_cast<std::size_t>(e.index)] = e;
    }
    dataSlots_ = std::move(table);
    dataTexts_ = QStringList();
    for (int i = 0; i < n; ++i)
        dataTexts_ << QString();
}
