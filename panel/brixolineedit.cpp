#include "panel/brixolineedit.h"

BrixoLineedit::BrixoLineedit(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("BrixoLineedit"));
}

void BrixoLineedit::setLabelText(const QString& text)
{
    resize(100, 20);
    QFont f = font();
    f.setPointSize(14);
    setFont(f);
    setText(text);
    // A line edit's size hint ignores its text, so fit the width to the text itself.
    const QFontMetrics fm(f);
    const QMargins m = textMargins() + contentsMargins();
    const int width = fm.horizontalAdvance(text) + m.left() + m.right() + 8;
    resize(qMax(width, fm.horizontalAdvance(QLatin1Char('x')) * 2), qMax(sizeHint().height(), fm.height() + 4));
}
