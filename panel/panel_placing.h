#pragma once
// What the panel readers share: sizes and places read from a file are bounded before widgets
// get them, and the background is scaled without unbounded allocations.
#include "panel/panelmodel.h"
#include "panel_document.h"

#include <QGraphicsPixmapItem>
#include <QGraphicsScene>
#include <QPushButton>

#include <algorithm>

namespace panelplacing {

// Component sizes come from files; a digit's pictures are scaled to its size, so an absurd
// size would allocate without bound. Real boards use a few dozen pixels.
inline constexpr int kMaxComponentSide = 1024;
inline QSize boundedSize(QSize s)
{
    return QSize(std::clamp(s.width(), 0, kMaxComponentSide), std::clamp(s.height(), 0, kMaxComponentSide));
}

// Keeps W + 10 and the scene rectangle within int for sizes read from a file.
inline int boundedSide(int v) { return std::clamp(v, -1000000, 1000000); }

// Shows the background at (w, h) with fast scaling. Beyond a few tens of millions of pixels
// the scaled copy is not made: the item scales the unscaled picture instead, which looks the
// same and costs nothing, so a huge size in a file cannot exhaust memory.
inline void addScaledBackground(QGraphicsScene& scene, const QPixmap& picture, int w, int h)
{
    if (picture.isNull() || w <= 0 || h <= 0)
        return;
    if (qint64(w) * h <= 32LL * 1024 * 1024) {
        scene.addPixmap(picture.scaled(w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        return;
    }
    QGraphicsPixmapItem* item = scene.addPixmap(picture);
    item->setTransformationMode(Qt::FastTransformation);
    item->setTransform(QTransform::fromScale(double(w) / picture.width(), double(h) / picture.height()));
}

inline QPushButton* at(const QVector<QPushButton*>& buttons, int i)
{
    return i >= 0 && i < buttons.size() ? buttons.at(i) : nullptr;
}

// Legacy files store positions as any 32-bit number; the widget's rectangle would overflow
// near the ends of the range, so positions are kept within a million pixels like .jvp ones.
inline void place(QPushButton* b, bool visible, int x, int y)
{
    if (!b)
        return;
    b->setVisible(visible);
    b->move(boundedSide(x), boundedSide(y));
}

inline void placeSized(QPushButton* b, bool visible, int x, int y, QSize size)
{
    if (!b)
        return;
    b->setVisible(visible);
    b->setGeometry(boundedSide(x), boundedSide(y), size.width(), size.height());
}

// A document carrying the window's component sizes and picture format: the reader's defaults
// for members a file leaves out, and what the writer saves.
inline panelfile::Document documentWithSizesOf(const PanelModel& w)
{
    panelfile::Document doc;
    doc.switchSize = w.switchSize();
    doc.buttonSize = w.buttonSize();
    doc.ledSize = w.ledSize();
    doc.sstubeSize = w.sstubeSize();
    doc.imageFormat = w.background().format;
    return doc;
}

} // namespace panelplacing
