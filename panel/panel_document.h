#pragma once
// Widget-free value of a panel as the panel files hold it.
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QVector>

#include "key_bindings.h"

namespace panelfile {

// The first five follow brixo::ComponentKind, value for value.
enum class Kind { Switch, Key, RedLed, GreenLed, Digit, DataSlot, TextLabel };

// Array sizes of the fixed component kinds.
constexpr int kSwitchCount = 36;
constexpr int kKeyCount = 20;
constexpr int kRedLedCount = 18;
constexpr int kGreenLedCount = 18;
constexpr int kDigitCount = 8;
// Readers' limits: data slots and text labels per file, and pixels of a background picture.
constexpr int kMaxListEntries = 10000;
constexpr qint64 kMaxPicturePixels = 64 * 1024 * 1024;

int kindCount(Kind k); // 0 for data slots and text labels (unbounded lists)

struct Entry {
    Kind kind = Kind::Switch;
    int index = 0;
    int key = 0;         // creation number of data slots and text labels
    QPoint pos;          // top-left corner, relative to the panel's top-left corner
    bool upright = true; // switches
    int bitWidth = 0;    // data slots
    bool isVertical = false;
    QString text; // data slot text or label text
};

struct Document {
    QString name;
    QString description;
    QSize switchSize{30, 60};
    QSize buttonSize{40, 40};
    QSize ledSize{26, 26};
    QSize sstubeSize{40, 60};
    QImage background;
    QString imageFormat = QStringLiteral("png");
    // Panel position of the picture's top-left corner: a reader that widened the panel for
    // components left of or above the picture draws it this far in.
    QPoint backgroundOrigin;
    QVector<Entry> entries; // only the shown components
    // Absent from a file means the defaults; written only when they differ from them.
    KeyBindings keyBindings = KeyBindings::defaults();
};

// Geometry a reader derived: panel size (W, H), origin offset and the
// extension added on the left/top when components lie outside the picture.
struct Geometry {
    QSize panelSize{0, 0};
    QPoint offset;
    QSize extension{0, 0};
};

} // namespace panelfile
