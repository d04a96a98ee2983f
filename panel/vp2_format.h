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

// A written panel has at most 103 lines; the store keeps no more than this many, so a
// huge file cannot fill memory with rows nobody reads.
constexpr int kMaxVp2Lines = 4096;

// The file's text in the local encoding; GBK files from Chinese Windows where that is UTF-8.
QString decodeVp2Text(const QByteArray &bytes);
// Lines up to the first empty one (at most maxLines), each cut into exactly eight cells.
QVector<QStringList> splitVp2Lines(const QByteArray &bytes, int maxLines = kMaxVp2Lines);
// Rows past a kind's array size or past the stored lines are left out.
Vp2Panel decodeVp2(const QVector<QStringList> &rows);
// "," inside the name, background file name or description would shift line 1's
// fields, so it is written as a full-width comma; a line break would end the line
// early, so it is written as a blank (the reader simplifies blanks anyway).
QString vp2HeaderLines(const Vp2Panel &panel); // lines 1 to 3, each ended by "\n"
QByteArray writeVp2(const Vp2Panel &panel);

} // namespace panelfile
