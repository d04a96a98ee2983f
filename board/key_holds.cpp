#include "key_holds.h"

namespace board {

void KeyHolds::reset(int keys) { why_.assign(static_cast<std::size_t>(keys > 0 ? keys : 0), 0u); }

unsigned KeyHolds::reasons(int key) const
{
    return key >= 0 && key < size() ? why_[static_cast<std::size_t>(key)] : 0u;
}

bool KeyHolds::hold(int key, Source source)
{
    if (key < 0 || key >= size())
        return false;
    unsigned& why = why_[static_cast<std::size_t>(key)];
    const bool wasUp = why == 0;
    why |= source;
    return wasUp;
}

bool KeyHolds::letGo(int key, Source source)
{
    if (!has(key, source))
        return false;
    unsigned& why = why_[static_cast<std::size_t>(key)];
    why &= ~static_cast<unsigned>(source);
    return why == 0;
}

void KeyHolds::forget(int key)
{
    if (key >= 0 && key < size())
        why_[static_cast<std::size_t>(key)] = 0;
}

std::vector<int> KeyHolds::clear()
{
    std::vector<int> down;
    for (int k = 0; k < size(); ++k)
        if (why_[static_cast<std::size_t>(k)] != 0)
            down.push_back(k);
    why_.assign(why_.size(), 0u);
    return down;
}

std::vector<int> KeyHolds::heldBy(Source source) const
{
    std::vector<int> keys;
    for (int k = 0; k < size(); ++k)
        if (has(k, source))
            keys.push_back(k);
    return keys;
}

} // namespace board
