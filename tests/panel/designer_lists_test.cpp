#include "designer_lists.h"
#include "panel_settings_values.h"

#include <gtest/gtest.h>

using namespace brixo;

TEST(DesignerLists, ItemTextsAndIcons)
{
    struct Case {
        ComponentKind kind;
        int index;
        const char* icon;
        QString text;
    };
    const Case cases[] = {
        {ComponentKind::Switch, 0, ":/images/switch_1", QStringLiteral("  开关0")},
        {ComponentKind::Switch, 35, ":/images/switch_1", QStringLiteral("  开关35")},
        {ComponentKind::Key, 19, ":/images/KEY0", QStringLiteral("  按键19")},
        {ComponentKind::RedLed, 17, ":/images/led_red", QStringLiteral("  指示灯17")},
        {ComponentKind::GreenLed, 0, ":/images/led_green", QStringLiteral("0. 指示灯18")},
        {ComponentKind::GreenLed, 17, ":/images/led_green", QStringLiteral("17. 指示灯35")},
        {ComponentKind::Digit, 7, ":/images/BG", QStringLiteral(" 数码管7")},
    };
    for (const auto& c : cases) {
        const ComboItem item = comboItem(c.kind, c.index);
        EXPECT_EQ(item.text, c.text);
        EXPECT_EQ(item.icon, QString::fromLatin1(c.icon)) << item.text.toStdString();
    }
}

TEST(DesignerLists, HeadersKeepTheirBlanks)
{
    EXPECT_EQ(comboHeader(ComponentKind::Switch).text, QStringLiteral("  开关"));
    EXPECT_EQ(comboHeader(ComponentKind::Key).text, QStringLiteral("  按键"));
    EXPECT_EQ(comboHeader(ComponentKind::RedLed).text, QStringLiteral("  红灯"));
    EXPECT_EQ(comboHeader(ComponentKind::GreenLed).text, QStringLiteral("  绿灯"));
    EXPECT_EQ(comboHeader(ComponentKind::Digit).text, QStringLiteral(" 数码管"));
    EXPECT_EQ(comboHeader(ComponentKind::GreenLed).icon, QStringLiteral(":/images/led_green"));
}

TEST(DesignerLists, ItemToComponentAndPlace)
{
    struct Case {
        int item, count, component;
    };
    const Case cases[] = {{0, 36, -1}, {1, 36, 0}, {3, 36, 2}, {36, 36, 35}, {37, 36, -1}, {1, 0, -1}, {-1, 5, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(componentForItem(c.item, c.count), c.component) << "item " << c.item << " of " << c.count;

    EXPECT_EQ(placedPosition(2), QPoint(4, 0));
    EXPECT_EQ(placedPosition(0), QPoint(0, 0));
    EXPECT_EQ(newSlotPosition(0), QPoint(5, 10));
    EXPECT_EQ(newSlotPosition(2), QPoint(15, 10));
    EXPECT_EQ(shifted(7, -3), 4);
    EXPECT_EQ(itemColorName(true), QStringLiteral("gray"));
    EXPECT_EQ(itemColorName(false), QStringLiteral("white"));
}

TEST(DesignerLists, SlotEditsCommitOnlyTwoDigitNumbers)
{
    struct Case {
        const char* text;
        bool commits;
    };
    const Case cases[] = {{"8", false}, {"16", true},   {"0", false},   {"05", false},  {"10", true},
                          {"", false},  {"12a", false}, {" 16", false}, {"99999", true}};
    for (const auto& c : cases)
        EXPECT_EQ(slotEditCommits(QString::fromLatin1(c.text)), c.commits) << '"' << c.text << '"';
}

TEST(DesignerLists, SlotEditNumberRefusesWhatAnIntCannotHold)
{
    EXPECT_EQ(slotEditNumber(QStringLiteral("32")), 32);
    EXPECT_EQ(slotEditNumber(QStringLiteral("2147483647")), 2147483647);
    EXPECT_FALSE(slotEditNumber(QStringLiteral("2147483648")).has_value());
    EXPECT_FALSE(slotEditNumber(QStringLiteral("abc")).has_value());
    EXPECT_FALSE(slotEditNumber(QString()).has_value());
}

TEST(PanelSettingsValues, PresetsAndClamping)
{
    const PanelCounts p;
    EXPECT_EQ(p.switches, 36);
    EXPECT_EQ(p.keys, 20);
    EXPECT_EQ(p.redLeds, 18);
    EXPECT_EQ(p.greenLeds, 18);
    EXPECT_EQ(p.digits, 8);
    EXPECT_EQ(p.digits, maximumCount(ComponentKind::Digit));

    const PanelCounts c = clampedCounts({40, -1, 18, 19, 64});
    EXPECT_EQ(c.switches, 36);
    EXPECT_EQ(c.keys, 0);
    EXPECT_EQ(c.redLeds, 18);
    EXPECT_EQ(c.greenLeds, 18);
    EXPECT_EQ(c.digits, 8);
}

TEST(PanelSettingsValues, StoredTextsAndTitle)
{
    struct Case {
        QString typed, stored, title;
    };
    const Case cases[] = {
        {QStringLiteral("  DE2   实验  板 "), QStringLiteral("DE2 实验 板"), QStringLiteral("Brixo - DE2 实验 板")},
        {QStringLiteral("   "), QString(), QStringLiteral("Brixo - ")},
        {QString(), QString(), QStringLiteral("Brixo")},
        {QStringLiteral("a\t\nb"), QStringLiteral("a b"), QStringLiteral("Brixo - a b")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(storedPanelText(c.typed), c.stored);
        EXPECT_EQ(panelWindowTitle(c.typed), c.title);
    }
}
