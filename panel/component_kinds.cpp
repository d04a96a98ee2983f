#include "component_kinds.h"

#include <QCoreApplication>

#include <algorithm>

namespace brixo {

static_assert(kComponentKinds[0].kind == ComponentKind::Switch && kComponentKinds[4].kind == ComponentKind::Digit,
              "kindInfo indexes the table by the enum's value");

std::array<ComponentKind, 5> kindsInLayerOrder()
{
    std::array<ComponentKind, 5> kinds{};
    for (const KindInfo& k : kComponentKinds)
        kinds[k.layer] = k.kind;
    return kinds;
}

QString componentLabel(ComponentKind kind, int index)
{
    return QCoreApplication::translate("MainWindow", kindInfo(kind).name) + QString::number(boardNumber(kind, index));
}

QString componentToolTip(ComponentKind kind, int index, bool designing)
{
    const QString label = componentLabel(kind, index);
    return designing ? label + QCoreApplication::translate("MainWindow", "（双击选中后右击删除）") : label;
}

} // namespace brixo
