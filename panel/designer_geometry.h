#pragma once
// Slider arithmetic of the design toolbox, kept widget-free so it can be tested directly.
#include <QRectF>
#include <QSize>

namespace brixo {

// Digit size for the digit-size slider (0..10): (43 x s, 67 x s) with s = index / 10, truncated.
QSize digitSizeForSlider(int index);

// Displayed background for the background-size slider (0..20), image of imageSize.
struct BackgroundDisplay {
    int fitSide = 0;  // side of the square the scaled picture must fit in
    QSize picture;    // picture size after aspect-kept scaling into that square
    QRectF sceneRect; // scene rectangle of the background view
    QSize viewSize;   // background view size (scene plus a 10 pixel margin)
};
BackgroundDisplay backgroundDisplayForSlider(QSize imageSize, int index);

} // namespace brixo
