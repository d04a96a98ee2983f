#pragma once
// The fixed 696-byte record of a .vpl panel file (little-endian fields).
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace panelfile {

struct LegacyEntry {
    bool visible = false;
    int x = 0;
    int y = 0;
};

class LegacyBlock {
public:
    static constexpr int kSize = 696;
    static constexpr int kGreen = 9, kRed = 18, kSwitches = 18, kDigits = 8, kKeys = 4;

    // Copies at most kSize bytes to the start; a shorter input leaves the tail as it was.
    void overlay(const QByteArray &bytes);
    // Reads at most kSize bytes of the file; false (block unchanged) when it cannot be opened.
    bool loadFile(const QString &fileName);

    // Out-of-range indices give a hidden entry rather than reading past the record.
    LegacyEntry green(int i) const { return entry(0, kGreen, i); }
    LegacyEntry red(int i) const { return entry(108, kRed, i); }
    LegacyEntry switchAt(int i) const { return entry(324, kSwitches, i); }
    LegacyEntry digit(int i) const { return entry(540, kDigits, i); }
    LegacyEntry key(int i) const { return entry(636, kKeys, i); }
    int backgroundWidth() const { return i32(684); }
    int backgroundHeight() const { return i32(688); }
    bool hasBackground() const { return raw_[692] != 0; }

private:
    LegacyEntry entry(int base, int count, int i) const;
    int i32(int off) const;
    std::array<std::uint8_t, kSize> raw_{};
};

} // namespace panelfile
