#pragma once
// The five component kinds of a panel, described once: everything that lists the kinds walks
// this table instead of naming them by hand. How many of each a panel holds is the board's.
#include "board_layout.h"

#include <QString>
#include <QtGlobal>

#include <array>

namespace brixo {

enum class ComponentKind { Switch, Key, RedLed, GreenLed, Digit };

struct KindInfo {
    ComponentKind kind;
    // Widget i is "<objectName><i>", the kind's button group "<objectName>Group" and its toolbox
    // list "<objectName>Combo".
    const char* objectName;
    const char* name;       // source text (context MainWindow) of tool tips and the component table
    const char* listHeader; // item 0 of the toolbox list; the blanks keep the words clear of the icon
    const char* listItem;   // the list's text before a component's number
    const char* picture;    // the toolbox list's picture and the design-mode face
    const char* vp2Name;    // the name a .vp2 line gives the component
    int maximum;            // largest count a panel holds, also a new panel's preset
    int numberBase;         // green LEDs come after the red ones on the board's LED chain
    int layer;              // creation order: later kinds lie on top where components overlap
};

inline constexpr std::array<KindInfo, 5> kComponentKinds{{
    {ComponentKind::Switch, "switch", QT_TRANSLATE_NOOP("MainWindow", "开关"),
     QT_TRANSLATE_NOOP("MainWindow", "  开关"), QT_TRANSLATE_NOOP("MainWindow", "  开关"), ":/images/switch_1", "sw",
     BoardLayout::switches, 0, 1},
    {ComponentKind::Key, "key", QT_TRANSLATE_NOOP("MainWindow", "按键"), QT_TRANSLATE_NOOP("MainWindow", "  按键"),
     QT_TRANSLATE_NOOP("MainWindow", "  按键"), ":/images/KEY0", "key", BoardLayout::keys, 0, 0},
    {ComponentKind::RedLed, "redLed", QT_TRANSLATE_NOOP("MainWindow", "指示灯"),
     QT_TRANSLATE_NOOP("MainWindow", "  红灯"), QT_TRANSLATE_NOOP("MainWindow", "  指示灯"), ":/images/led_red",
     "redLed", BoardLayout::redLeds, 0, 3},
    {ComponentKind::GreenLed, "greenLed", QT_TRANSLATE_NOOP("MainWindow", "指示灯"),
     QT_TRANSLATE_NOOP("MainWindow", "  绿灯"), QT_TRANSLATE_NOOP("MainWindow", ". 指示灯"), ":/images/led_green",
     "greenLed", BoardLayout::greenLeds, BoardLayout::greenLedFirstBit, 2},
    {ComponentKind::Digit, "digit", QT_TRANSLATE_NOOP("MainWindow", "数码管"),
     QT_TRANSLATE_NOOP("MainWindow", " 数码管"), QT_TRANSLATE_NOOP("MainWindow", " 数码管"), ":/images/BG", "sstube",
     BoardLayout::digits, 0, 4},
}};

constexpr const KindInfo& kindInfo(ComponentKind kind) { return kComponentKinds[static_cast<int>(kind)]; }
constexpr int maximumCount(ComponentKind kind) { return kindInfo(kind).maximum; }
// The number the board and every text give component i of the kind.
constexpr int boardNumber(ComponentKind kind, int index) { return kindInfo(kind).numberBase + index; }
// The kinds in creation order, lowest layer first.
std::array<ComponentKind, 5> kindsInLayerOrder();

// The component's translated name and board number, e.g. "指示灯18": the component table's
// first column, and its tool tip in run mode; design mode adds how to select and remove it.
QString componentLabel(ComponentKind kind, int index);
QString componentToolTip(ComponentKind kind, int index, bool designing);

} // namespace brixo
