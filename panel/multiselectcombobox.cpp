#include "panel/multiselectcombobox.h"

#include <QCursor>

MultiselectComboBox::MultiselectComboBox(QWidget* parent) : QComboBox(parent) {}

bool MultiselectComboBox::keepsPopupOpen(QPoint offset, QSize boxSize)
{
    // The list opens below the box and is never taller than 801 pixels.
    const int x = offset.x(), y = offset.y(), w = boxSize.width(), h = boxSize.height();
    return x >= 0 && x <= w && y > h - 1 && y <= h - 1 + 801;
}

void MultiselectComboBox::hidePopup()
{
    const QPoint offset = QCursor::pos() - mapToGlobal(QPoint(0, 0));
    if (keepsPopupOpen(offset, size()))
        return;
    QComboBox::hidePopup();
}
