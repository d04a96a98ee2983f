#include "board/virtualcomponentdata.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct CountCase {
    const char* kind;
    std::function<int(VirtualComponentData&, int)> set;
    std::function<int(const VirtualComponentData&)> count;
    std::function<std::size_t(const VirtualComponentData&)> size;
    std::function<int(const VirtualComponentData&, int)> value;
    int limit;
    int initial;
};

std::vector<CountCase> countCases()
{
    using V = VirtualComponentData;
    return {
        {"switch", &V::setSwitchCount, &V::switchCount, [](const V& d) { return d.switches().size(); }, &V::switchValue,
         36, 0},
        {"key", &V::setKeyCount, &V::keyCount, [](const V& d) { return d.keys().size(); }, &V::keyValue, 20, 0},
        {"red", &V::setRedLedCount, &V::redLedCount, [](const V& d) { return d.redLeds().size(); }, &V::redLed, 18, 0},
        {"green", &V::setGreenLedCount, &V::greenLedCount, [](const V& d) { return d.greenLeds().size(); },
         &V::greenLed, 18, 0},
        {"digit", &V::setDigitCount, &V::digitCount, [](const V& d) { return d.digits().size(); }, &V::digit, 64, 0xFF},
    };
}

TEST(VirtualComponentDataCounts, LimitsInitialValuesAndInvariant)
{
    for (const CountCase& c : countCases()) {
        SCOPED_TRACE(c.kind);
        VirtualComponentData data;
        EXPECT_EQ(c.count(data), 0);
        EXPECT_EQ(c.size(data), 0u);

        EXPECT_EQ(c.set(data, c.limit), 0);
        EXPECT_EQ(c.count(data), c.limit);
        ASSERT_EQ(c.size(data), static_cast<std::size_t>(c.limit));
        for (int i = 0; i < c.limit; ++i)
            EXPECT_EQ(c.value(data, i), c.initial) << i;

        // Refused counts leave the last accepted size in place.
        EXPECT_EQ(c.set(data, 5), 0);
        EXPECT_EQ(c.set(data, c.limit + 1), -1);
        EXPECT_EQ(c.set(data, 40 + c.limit), -1);
        EXPECT_EQ(c.set(data, -1), -1);
        EXPECT_EQ(c.count(data), 5);
        EXPECT_EQ(c.size(data), 5u);

        EXPECT_EQ(c.set(data, 0), 0);
        EXPECT_EQ(c.size(data), 0u);
        // Reads past the array are 0, never outside memory.
        EXPECT_EQ(c.value(data, 0), 0);
        EXPECT_EQ(c.value(data, -1), 0);
    }
}

TEST(VirtualComponentDataCounts, FixedLevelsAndSegmentPattern)
{
    VirtualComponentData data;
    EXPECT_EQ(data.keyIdleLevel, 0);
    EXPECT_EQ(data.digitMask, 0xFF);
    EXPECT_EQ(data.ledOnLevel, 0);
    EXPECT_FALSE(data.simulationMode);
    EXPECT_EQ(VirtualComponentData::segmentPattern(0), 191);
    EXPECT_EQ(VirtualComponentData::segmentPattern(0x1B), 252); // low four bits only
    EXPECT_EQ(VirtualComponentData::segmentPattern(-1), 241);
}

struct Widget {
    int index;
    int bitWidth;
};

TEST(VirtualComponentDataSlots, PairsSlotWithWidgetIndexAndZeroWidthForGaps)
{
    struct Case {
        const char* name;
        std::vector<DataSlot> widgets;
        std::vector<DataSlot> expected;
    };
    const std::vector<Case> cases = {
        {"in order", {{0, 4}, {1, 12}, {2, 1}}, {{0, 4}, {1, 12}, {2, 1}}},
        {"reversed", {{2, 1}, {0, 4}, {1, 12}}, {{0, 4}, {1, 12}, {2, 1}}},
        {"gap", {{0, 8}, {5, 16}}, {{0, 8}, {1, 0}}},
        {"duplicate", {{1, 8}, {1, 16}}, {{0, 0}, {1, 8}}},
        {"negative", {{-3, 8}}, {{0, 0}}},
        {"none", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VirtualComponentData data;
        data.setDataSlots(c.widgets);
        ASSERT_EQ(data.dataSlotCount(), static_cast<int>(c.expected.size()));
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            EXPECT_EQ(data.dataSlots()[i].index, c.expected[i].index) << i;
            EXPECT_EQ(data.dataSlots()[i].bitWidth, c.expected[i].bitWidth) << i;
            EXPECT_TRUE(data.dataText(static_cast<int>(i)).isEmpty());
        }
    }

    Widget a{1, 12}, b{0, 4};
    VirtualComponentData data;
    data.setDataSlots(QList<Widget*>{&a, nullptr, &b});
    ASSERT_EQ(data.dataSlotCount(), 2);
    EXPECT_EQ(data.dataSlots()[0].bitWidth, 4);
    EXPECT_EQ(data.dataSlots()[1].bitWidth, 12);
}

} // namespace
