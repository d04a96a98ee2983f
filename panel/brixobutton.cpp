#include "panel/brixobutton.h"

BrixoButton::BrixoButton(QWidget* parent) : QPushButton(parent) { setObjectName(QStringLiteral("dataSlot")); }

void BrixoButton::setDataText(QString text, bool toggle)
{
    QFont f = font();
    f.setPointSize(14);
    setFont(f);
    if (isVertical) {
        if (toggle) {
            isVertical = false;
            text.remove(QLatin1Char('\n'));
        }
        setText(text);
    } else if (toggle) {
        isVertical = true;
        setText(text.split(QString(), Qt::SkipEmptyParts).join(QLatin1Char('\n')));
    } else {
        setText(text);
    }
    adjustSize();
}
