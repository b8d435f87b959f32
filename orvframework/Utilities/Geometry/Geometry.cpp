#include "Utilities/Geometry/Geometry.h"

namespace Orv
{
namespace
{
constexpr double kDoubleIntegerLimit = 4503599627370496.0; // 2^52
} // namespace

LONG RoundDoubleToLong(double value)
{
    if (!(value >= -2147483648.0))
    {
        return static_cast<LONG>(0x80000000u);
    }
    if (value > 2147483647.0)
    {
        return 0x7FFFFFFF;
    }
    const double shifted = value < 0 ? value - 0.5 : value + 0.5;
    // Truncation toward zero; shifted lies within (-2^31 - 0.5, 2^31 - 0.5].
    if (shifted <= -2147483648.0)
    {
        return static_cast<LONG>(0x80000000u);
    }
    if (shifted >= 2147483647.0)
    {
        return 0x7FFFFFFF;
    }
    return static_cast<LONG>(shifted);
}

double LongToDouble(LONG value)
{
    const double converted = static_cast<double>(value);
    if (converted < -kDoubleIntegerLimit)
    {
        return -kDoubleIntegerLimit;
    }
    if (converted > kDoubleIntegerLimit)
    {
        return kDoubleIntegerLimit;
    }
    return converted;
}

LONG AddSaturated(LONG a, LONG b)
{
    const long long sum = static_cast<long long>(a) + b;
    if (sum > 0x7FFFFFFF)
    {
        return 0x7FFFFFFF;
    }
    if (sum < -0x7FFFFFFFLL - 1)
    {
        return static_cast<LONG>(0x80000000u);
    }
    return static_cast<LONG>(sum);
}

void RoundDoublePairToLong(double first, double second, LONG& outFirst, LONG& outSecond)
{
    outFirst = RoundDoubleToLong(first);
    outSecond = RoundDoubleToLong(second);
}

PointT<LONG> RoundDoublePointToLong(const PointT<double>& point)
{
    return PointT<LONG>(RoundDoubleToLong(point.x), RoundDoubleToLong(point.y));
}

PointT<LONG> RoundFloatPointToLong(const PointT<float>& point)
{
    return PointT<LONG>(RoundDoubleToLong(point.x), RoundDoubleToLong(point.y));
}

void LongPairToDouble(LONG first, LONG second, double& outFirst, double& outSecond)
{
    outFirst = LongToDouble(first);
    outSecond = LongToDouble(second);
}

RectT<double> LongRectToDouble(const RectT<LONG>& rect)
{
    return RectT<double>(LongToDouble(rect.x), LongToDouble(rect.y), LongToDouble(rect.width),
                         LongToDouble(rect.height));
}
} // namespace Orv
