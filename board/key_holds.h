#pragma once
// Why each panel key is down in run mode. A key can be held by the mouse, by its keyboard key
// and be latched all at once; the board sees one press when the first reason comes and one
// release when the last one goes.
#include <vector>

namespace board {

class KeyHolds {
public:
    enum Source : unsigned { Mouse = 1u, Keyboard = 2u, Latch = 4u };

    void reset(int keys);
    int size() const { return static_cast<int>(why_.size()); }

    // Adds a reason; true when the key was up, so the board must see a press.
    bool hold(int key, Source source);
    // Drops a reason; true when it was the last one, so the board must see a release.
    bool letGo(int key, Source source);
    // Drops every reason of one key (its press did not reach the board).
    void forget(int key);
    // Drops every reason of every key; returns the keys that were down.
    std::vector<int> clear();

    bool isDown(int key) const { return reasons(key) != 0; }
    bool has(int key, Source source) const { return (reasons(key) & source) != 0; }
    // The keys one source holds, ascending.
    std::vector<int> heldBy(Source source) const;

private:
    unsigned reasons(int key) const;
    std::vector<unsigned> why_;
};

} // namespace board
