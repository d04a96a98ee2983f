#include "designer_geometry.h"

#include <gtest/gtest.h>

using brixo::backgroundDisplayForSlider;
using brixo::digitSizeForSlider;

TEST(DesignerGeometry, DigitSliderTruncatesTowardZero)
{
    struct Case {
        int index;
        QSize want;
    };
    const Case cases[] = {{0, {0, 0}}, {5, {21, 33}}, {10, {43, 67}}, {3, {12, 20}}, {7, {30, 46}}};
    for (const auto &c : cases)
        EXPECT_EQ(digitSizeForSlider(c.index), c.want) << "slider " << c.index;
}

TEST(DesignerGeometry, BackgroundScalesDisplayOnly)
{
    const auto half = backgroundDisplayForSlider(QSize(400, 300), 5);
    EXPECT_EQ(half.fitSide, 200);
    EXPECT_EQ(half.picture, QSize(200, 150));
    EXPECT_EQ(half.sceneRect, QRectF(0, 0, 200, 150));
    EXPECT_EQ(half.viewSize, QSize(210, 160));

    const auto twice = backgroundDisplayForSlider(QSize(401, 301), 20);
    EXPECT_EQ(twice.picture, QSize(802, 602));
    EXPECT_EQ(twice.viewSize, QSize(812, 612));
}

TEST(DesignerGeometry, BackgroundWithoutPictureIsEmpty)
{
    const auto none = backgroundDisplayForSlider(QSize(), 10);
    EXPECT_EQ(none.fitSide, 0);
    EXPECT_TRUE(none.picture.isEmpty());
    EXPECT_TRUE(none.viewSize.isEmpty());
}
