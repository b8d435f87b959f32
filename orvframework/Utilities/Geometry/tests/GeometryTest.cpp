#include "Utilities/Geometry/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Orv;

TEST(RoundDoubleToLong, HalfAwayFromZeroAndSaturation)
{
    struct Row
    {
        double value;
        LONG expected;
    };
    const Row rows[] = {
        {2.5, 3},
        {-2.5, -3},
        {2.49, 2},
        {-0.4, 0},
        {0.0, 0},
        {-0.5, -1},
        {3.0e9, 2147483647},
        {-3.0e9, -2147483647 - 1},
        {std::nan(""), -2147483647 - 1},
        {std::numeric_limits<double>::infinity(), 2147483647},
        {-std::numeric_limits<double>::infinity(), -2147483647 - 1},
        {2147483647.0, 2147483647},
        {2147483646.6, 2147483647},
        {-2147483648.0, -2147483647 - 1},
        {-2147483647.7, -2147483647 - 1},
    };
    for (const Row& row : rows)
    {
        EXPECT_EQ(RoundDoubleToLong(row.value), row.expected) << row.value;
    }
}

TEST(GeometryConversions, PointsAndRectangles)
{
    EXPECT_EQ(PointT<LONG>(10, 20).Offset(PointT<double>(0.5, -0.5)), PointT<LONG>(11, 19));
    EXPECT_EQ(PointT<LONG>(2147483000, -2147483000).Offset(PointT<double>(1e6, -1e6)),
              PointT<LONG>(2147483647, -2147483647 - 1));
    EXPECT_EQ(RoundDoublePointToLong(PointT<double>(-1.5, 1.49)), PointT<LONG>(-2, 1));
    EXPECT_EQ(RectT<double>(0.5, 1.5, -2.5, 1e12).ToInt(), RectT<LONG>(1, 2, -3, 2147483647));

    LONG a = 0;
    LONG b = 0;
    RoundDoublePairToLong(7.5, -7.5, a, b);
    EXPECT_EQ(a, 8);
    EXPECT_EQ(b, -8);

    double x = 0;
    double y = 0;
    LongPairToDouble(-2147483647 - 1, 2147483647, x, y);
    EXPECT_EQ(x, -2147483648.0);
    EXPECT_EQ(y, 2147483647.0);
    EXPECT_EQ(LongRectToDouble(RectT<LONG>(1, -2, 3, 4)), RectT<double>(1, -2, 3, 4));
    EXPECT_EQ(RectT<LONG>(1, 2, 3, 4).Right(), 4);
    EXPECT_EQ(RectT<LONG>(1, 2, 3, 4).Bottom(), 6);
}
