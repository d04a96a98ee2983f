#pragma once
// Values behind the panel settings dialog: the counts a new panel starts with, their ranges,
// and how the typed name and identifier are stored and shown in the window title.
#include <QString>

namespace brixo {

struct PanelCounts {
    int switches = 36;
    int keys = 20;
    int redLeds = 18;
    int greenLeds = 18;
    int digits = 8;
};

// The presets are the maxima: a new board usually carries the full set.
constexpr PanelCounts kPanelCountMaxima{};

// Clamps each count into 0..its maximum.
PanelCounts clampedCounts(const PanelCounts& counts);

// Leading and trailing white space removed, inner runs collapsed to one space.
QString storedPanelText(const QString& typed);

// "Brixo - " and the stored name when anything was typed in the name field, else "Brixo".
QString panelWindowTitle(const QString& typedName);

}  // namespace brixo
