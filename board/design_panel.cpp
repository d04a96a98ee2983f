#include "design_panel.h"

#include <algorithm>

namespace design {

namespace {
constexpr int kMargin = 30; // from the panel's top left corner
constexpr int kGap = 8;     // between neighbours in a row
constexpr int kRowGap = 24; // between rows
}

PanelLayout panelLayout(const DesignPorts& ports, const ComponentSizes& sizes)
{
    // One column pitch for LEDs, switches and keys keeps component i of each kind in column i.
    const int pitch = std::max({sizes.switchSize.width(), sizes.keySize.width(), sizes.ledSize.width()}) + kGap;
    const int columns = std::max(1, std::min(kPerRow, std::max({ports.switches, ports.keys, ports.red, ports.green})));
    const int digitPitch = sizes.digitSize.width() + kGap;
    const int right = kMargin + std::max(columns * pitch, ports.digits * digitPitch);

    PanelLayout out;
    int y = kMargin;
    for (int i = 0; i < ports.digits; ++i)
        out.digits.append(QPoint(right - (i + 1) * digitPitch + kGap / 2, y));
    if (ports.digits > 0)
        y += sizes.digitSize.height() + kRowGap;

    const auto rows = [&](int count, const QSize& size, QVector<QPoint>* at) {
        for (int i = 0; i < count; ++i) {
            const int row = i / kPerRow, column = i % kPerRow;
            at->append(
                QPoint(right - (column + 1) * pitch + (pitch - size.width()) / 2, y + row * (size.height() + kRowGap)));
        }
        const int used = (count + kPerRow - 1) / kPerRow;
        y += used * (size.height() + kRowGap);
    };
    rows(ports.red, sizes.ledSize, &out.red);
    rows(ports.green, sizes.ledSize, &out.green);
    rows(ports.switches, sizes.switchSize, &out.switches);
    rows(ports.keys, sizes.keySize, &out.keys);
    return out;
}

} // namespace design
