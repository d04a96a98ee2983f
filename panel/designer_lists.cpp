#include "designer_lists.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace brixo {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("MainWindow", text); }
} // namespace

ComboItem comboHeader(ComponentKind kind)
{
    const KindInfo& k = kindInfo(kind);
    return {QString::fromLatin1(k.picture), tr(k.listHeader)};
}

ComboItem comboItem(ComponentKind kind, int index)
{
    const KindInfo& k = kindInfo(kind);
    const QString text = tr(k.listItem) + QString::number(boardNumber(kind, index));
    // Green LEDs lead with their place in the list, since their board numbers start at 18.
    return {QString::fromLatin1(k.picture), k.numberBase ? QString::number(index) + text : text};
}

QString itemColorName(bool onPanel) { return onPanel ? QStringLiteral("gray") : QStringLiteral("white"); }

int componentForItem(int item, int count)
{
    const int index = item - 1;
    return (item >= 1 && index < count) ? index : -1;
}

QPoint placedPosition(int componentIndex) { return QPoint(shifted(0, 2 * componentIndex), shifted(0, 0)); }

QPoint newSlotPosition(int key) { return QPoint(shifted(5 * key, 5), 10); }

const char* const kSlotEditPattern = "[1-9][0-9]+$";

bool slotEditCommits(const QString& text)
{
    static const QRegularExpression whole(QRegularExpression::anchoredPattern(QString::fromLatin1(kSlotEditPattern)));
    return whole.match(text).hasMatch();
}

std::optional<int> slotEditNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace brixo
