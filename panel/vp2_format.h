#pragma once
// The comma-separated legacy panel text: three header lines, then one line per component.
#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

namespace panelfile {

struct Vp2Component {
    bool visible = false;
    int x = 0;
    int y = 0;
    bool lying = false;
};

struct Vp2Panel {
    QString name;
    QString backgroundFileName;
    QSize backgroundSize{0, 0};
    QString description;
    QSize switchSize, buttonSize, ledSize, sstubeSize;
    // Block order of the file; each vector's length is that kind's count.
    QVector<Vp2Component> switches, keys, redLeds, greenLeds, digits;
};

// Lines up to the first empty one, each cut into exactly eight cells.
QVector<QStringList> splitVp2Lines(const QByteArray &bytes);
// Rows past a kind's array size or past the stored lines are left out.
Vp2Panel decodeVp2(const QVector<QStringList> &rows);
// "," inside the name or description would shift line 1's fields, so it is
// written as a full-width comma.
QByteArray writeVp2(const Vp2Panel &panel);

}  // namespace panelfile
