#include "designer_lists.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace brixo {

namespace {
struct KindTexts {
    const char* icon;
    const char* header;
    const char* item;
};

// The leading blanks are part of the texts: they keep the words clear of the icons.
KindTexts textsFor(ComponentKind kind)
{
    switch (kind) {
    case ComponentKind::Switch: return {":/images/switch_1", QT_TRANSLATE_NOOP("MainWindow", "  开关"), QT_TRANSLATE_NOOP("MainWindow", "  开关")};
    case ComponentKind::Key: return {":/images/KEY0", QT_TRANSLATE_NOOP("MainWindow", "  按键"), QT_TRANSLATE_NOOP("MainWindow", "  按键")};
    case ComponentKind::RedLed: return {":/images/led_red", QT_TRANSLATE_NOOP("MainWindow", "  红灯"), QT_TRANSLATE_NOOP("MainWindow", "  指示灯")};
    case ComponentKind::GreenLed: return {":/images/led_green", QT_TRANSLATE_NOOP("MainWindow", "  绿灯"), QT_TRANSLATE_NOOP("MainWindow", ". 指示灯")};
    case ComponentKind::Digit: return {":/images/BG", QT_TRANSLATE_NOOP("MainWindow", " 数码管"), QT_TRANSLATE_NOOP("MainWindow", " 数码管")};
    }
    return {"", "", ""};
}

QString tr(const char* text) { return QCoreApplication::translate("MainWindow", text); }
}  // namespace

int maximumCount(ComponentKind kind)
{
    switch (kind) {
    case ComponentKind::Switch: return 36;
    case ComponentKind::Key: return 20;
    case ComponentKind::RedLed: return 18;
    case ComponentKind::GreenLed: return 18;
    case ComponentKind::Digit: return 8;
    }
    return 0;
}

ComboItem comboHeader(ComponentKind kind)
{
    const KindTexts t = textsFor(kind);
    return {QString::fromLatin1(t.icon), tr(t.header)};
}

ComboItem comboItem(ComponentKind kind, int index)
{
    const KindTexts t = textsFor(kind);
    if (kind == ComponentKind::GreenLed)
        return {QString::fromLatin1(t.icon), QString::number(index) + tr(t.item) + QString::number(18 + index)};
    return {QString::fromLatin1(t.icon), tr(t.item) + QString::number(index)};
}

QString itemColorName(bool onPanel)
{
    return onPanel ? QStringLiteral("gray") : QStringLiteral("white");
}

int componentForItem(int item, int count)
{
    const int index = item - 1;
    return (item >= 1 && index < count) ? index : -1;
}

QPoint placedPosition(int componentIndex)
{
    return QPoint(shifted(0, 2 * componentIndex), shifted(0, 0));
}

QPoint newSlotPosition(int key)
{
    return QPoint(shifted(5 * key, 5), 10);
}

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

}  // namespace brixo
