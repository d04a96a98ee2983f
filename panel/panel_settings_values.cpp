#include "panel_settings_values.h"

#include <algorithm>

namespace brixo {

PanelCounts clampedCounts(const PanelCounts& c)
{
    const PanelCounts& m = kPanelCountMaxima;
    return {std::clamp(c.switches, 0, m.switches), std::clamp(c.keys, 0, m.keys), std::clamp(c.redLeds, 0, m.redLeds),
            std::clamp(c.greenLeds, 0, m.greenLeds), std::clamp(c.digits, 0, m.digits)};
}

QString storedPanelText(const QString& typed) { return typed.simplified(); }

QString panelWindowTitle(const QString& typedName)
{
    // A field holding only blanks still counts as filled in: the title keeps its " - ".
    if (typedName.isEmpty())
        return QStringLiteral("Brixo");
    return QStringLiteral("Brixo - ") + storedPanelText(typedName);
}

} // namespace brixo
