#pragma once
// Values behind the panel settings dialog: the counts a new panel starts with, their ranges,
// and how the typed name and identifier are stored and shown in the window title.
#include "component_kinds.h"

#include <QString>

namespace brixo {

struct PanelCounts {
    int switches = maximumCount(ComponentKind::Switch);
    int keys = maximumCount(ComponentKind::Key);
    int redLeds = maximumCount(ComponentKind::RedLed);
    int greenLeds = maximumCount(ComponentKind::GreenLed);
    int digits = maximumCount(ComponentKind::Digit);
};

// The presets are the maxima: a new board usually carries the full set.
constexpr PanelCounts kPanelCountMaxima{};

// Clamps each count into 0..its maximum.
PanelCounts clampedCounts(const PanelCounts& counts);

// Leading and trailing white space removed, inner runs collapsed to one space.
QString storedPanelText(const QString& typed);

// "Brixo - " and the stored name when anything was typed in the name field, else "Brixo".
QString panelWindowTitle(const QString& typedName);

} // namespace brixo
