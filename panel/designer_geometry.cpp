#include "designer_geometry.h"

namespace brixo {

QSize digitSizeForSlider(int index)
{
    const float s = static_cast<float>(index) / 10.0f;
    return QSize(static_cast<int>(43 * s), static_cast<int>(67 * s));
}

BackgroundDisplay backgroundDisplayForSlider(QSize imageSize, int index)
{
    BackgroundDisplay d;
    if (imageSize.isEmpty() || index < 0)
        return d; // no picture loaded: nothing to show
    const float s = static_cast<float>(index) / 10.0f;
    const float w = imageSize.width() * s;
    const float h = imageSize.height() * s;
    d.fitSide = static_cast<int>(w);
    d.picture = imageSize.scaled(d.fitSide, d.fitSide, Qt::KeepAspectRatio);
    d.sceneRect = QRectF(0, 0, w, h);
    d.viewSize = QSize(static_cast<int>(w + 10), static_cast<int>(h + 10));
    return d;
}

} // namespace brixo
