#include "Utilities/Geometry/RectOperations.h"

#include <gtest/gtest.h>

using namespace Orv;

TEST(RoundRectOutward, FlipsAndSnapsEachEdgeDown)
{
    struct Row
    {
        RectT<double> in;
        RectT<double> expected;
    };
    const Row rows[] = {
        {{0.5, 1.5, 2.0, 2.0}, {0, 1, 2, 2}},
        {{-2.5, -0.5, 1.0, 1.0}, {-3, -1, 1, 1}},
        // A negative width or height covers the same span, flipped.
        {{10, 0, -4.5, 1}, {5, 0, 5, 1}},
        {{0, 10, 1, -10}, {0, 0, 1, 10}},
        // Edges a rounding error below a whole number snap up to it.
        {{2.9999999999999996, 0, 1, 1}, {3, 0, 1, 1}},
        {{-2.9999999999999996, 0, 1, 1}, {-3, 0, 1, 1}},
        // Below a whole number by more than that: the next whole number down.
        {{-3.0000000000000004, 0, 1, 1}, {-4, 0, 1, 1}},
        // Whole numbers stay.
        {{-7, 4, 3, 2}, {-7, 4, 3, 2}},
        {{0, 0, 0, 0}, {0, 0, 0, 0}},
    };
    for (const Row& row : rows)
    {
        RectT<double> rect = row.in;
        RoundRectOutward(rect);
        EXPECT_EQ(rect, row.expected)
            << row.in.x << "," << row.in.y << "," << row.in.width << "," << row.in.height;
    }
}

TEST(IntersectRect, OverlapEmptinessAndAliasing)
{
    RectT<double> out;
    EXPECT_TRUE(IntersectRect(out, RectT<double>(0, 0, 10, 10), RectT<double>(5, 5, 10, 10)));
    EXPECT_EQ(out, RectT<double>(5, 5, 5, 5));
    // Apart: the negative sides are kept.
    EXPECT_FALSE(IntersectRect(out, RectT<double>(0, 0, 2, 2), RectT<double>(5, 5, 1, 1)));
    EXPECT_EQ(out, RectT<double>(5, 5, -3, -3));
    // Touching rectangles share no area.
    EXPECT_FALSE(IntersectRect(out, RectT<double>(0, 0, 5, 5), RectT<double>(5, 0, 5, 5)));
    EXPECT_EQ(out, RectT<double>(5, 0, 0, 5));
    // The output may be an input.
    RectT<double> a(-5, -5, 10, 10);
    EXPECT_TRUE(IntersectRect(a, a, RectT<double>(0, 1, 100, 2)));
    EXPECT_EQ(a, RectT<double>(0, 1, 5, 2));

    RectT<float> f;
    EXPECT_FALSE(IntersectRect(f, RectT<float>(0, 0, 1e-7f, 1), RectT<float>(0, 0, 1, 1)));
    EXPECT_TRUE(IntersectRect(f, RectT<float>(0, 0, 2e-7f, 1), RectT<float>(0, 0, 1, 1)));
    EXPECT_EQ(f, RectT<float>(0, 0, 2e-7f, 1));
}

TEST(RectUnion, BoundingRectangleOfFloatRectangles)
{
    RectT<float> out;
    EXPECT_TRUE(RectT<float>::Union(out, RectT<float>(0, 0, 0, 0), RectT<float>(2, 3, 4, 5)));
    EXPECT_EQ(out, RectT<float>(0, 0, 6, 8));
    EXPECT_TRUE(RectT<float>::Union(out, out, RectT<float>(-1, 4, 1, 10)));
    EXPECT_EQ(out, RectT<float>(-1, 0, 7, 14));
    EXPECT_FALSE(RectT<float>::Union(out, RectT<float>(), RectT<float>(0, 0, 5, 0)));
}

TEST(RoundFloatPointToLong, HalfAwayFromZeroAndSaturation)
{
    EXPECT_EQ(RoundFloatPointToLong(PointT<float>(2.5f, -2.5f)), PointT<LONG>(3, -3));
    EXPECT_EQ(RoundFloatPointToLong(PointT<float>(0.49f, -0.49f)), PointT<LONG>(0, 0));
    EXPECT_EQ(RoundFloatPointToLong(PointT<float>(3e9f, -3e9f)),
              PointT<LONG>(2147483647, -2147483647 - 1));
}
