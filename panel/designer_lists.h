#pragma once
// What the design toolbox shows and accepts, kept widget-free so it can be tested directly:
// the component lists' item texts and colours, where an added component lands, and which
// texts the data-slot edits commit.
#include "component_kinds.h"

#include <QPoint>
#include <QString>

#include <optional>

namespace brixo {

struct ComboItem {
    QString icon; // resource path of the item's picture
    QString text; // already translated
};

// Item 0 of a kind's list.
ComboItem comboHeader(ComponentKind kind);
// The item for component index i (list item i + 1). Green LEDs carry their LED-chain number 18 + i.
ComboItem comboItem(ComponentKind kind, int index);

// Item background: "gray" for a component on the panel, "white" for one that is not.
QString itemColorName(bool onPanel);

// Component index that list item `item` stands for, or -1 for the header and for items past the count.
int componentForItem(int item, int count);

// setXp / setyp: a coordinate moved by an increase.
inline int shifted(int coordinate, int increase) { return coordinate + increase; }
// Where a component chosen from its list is put: side by side along the top edge.
QPoint placedPosition(int componentIndex);
// Where a new data slot or text label with creation number `key` is put.
QPoint newSlotPosition(int key);

// The data-slot edits commit only a number of two or more digits that does not start with 0.
extern const char* const kSlotEditPattern;
bool slotEditCommits(const QString& text);
// The committed value, or nothing when the text is not a number or does not fit an int.
std::optional<int> slotEditNumber(const QString& text);

} // namespace brixo
