#pragma once
// Where a panel built from a design's ports puts its components: digits on top, then the red
// and the green LEDs, the switches and the keys, each kind in rows of at most 18. Component 0
// sits at the right end of its row, as on the lab boards, so LED i stands above switch i.
#include "design_server.h"

#include <QPoint>
#include <QSize>
#include <QVector>

namespace design {

struct ComponentSizes {
    QSize switchSize, keySize, ledSize, digitSize;
};

struct PanelLayout {
    QVector<QPoint> switches, keys, red, green, digits;
};

constexpr int kPerRow = 18;

PanelLayout panelLayout(const DesignPorts& ports, const ComponentSizes& sizes);

} // namespace design
