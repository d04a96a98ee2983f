#include "panel/brixolineedit.h"

#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionFrame>

BrixoLineedit::BrixoLineedit(QWidget* parent) : QLineEdit(parent)
{
    setObjectName(QStringLiteral("textLabel"));
    // Typed text stays visible: the label grows with what the student writes.
    connect(this, &QLineEdit::textEdited, this, &BrixoLineedit::fitToText);
}

void BrixoLineedit::setLabelText(QString text)
{
    resize(100, 20);
    QFont f = font();
    f.setPointSize(14);
    setFont(f);
    setText(text);
    fitToText();
}

void BrixoLineedit::fitToText()
{
    const QFontMetrics fm(font());
    QStyleOptionFrame opt;
    initStyleOption(&opt);
    const QSize content(fm.horizontalAdvance(text()) + 2 * fm.averageCharWidth(), fm.height() + 4);
    const QSize fitted = style()->sizeFromContents(QStyle::CT_LineEdit, &opt, content, this);
    resize(qMax(fitted.width(), 20), fitted.height());
}
