// Points and rectangles of the framework, with the conversions between their integer and
// floating-point forms.
//
// Integer geometry is 32 bits wide (LONG); every conversion from double to integer goes through
// one rounding rule (RoundDoubleToLong) so that all code rounds alike.
#pragma once

#include "platform/Types.h"

#include <type_traits>

namespace Orv
{
// Half away from zero; NaN and values below -2^31 give -2^31, values above 2^31 - 1 give 2^31 - 1.
LONG RoundDoubleToLong(double value);
// An integer as a double, clamped to +-2^52.
double LongToDouble(LONG value);
// a + b, held to the 32-bit range.
LONG AddSaturated(LONG a, LONG b);

template <class T>
struct PointT
{
    T x{};
    T y{};

    PointT() = default;
    PointT(T px, T py)
        : x(px)
        , y(py)
    {
    }

    bool operator==(const PointT&) const = default;

    // This integer point plus offset, each component rounded by the rule; a sum beyond the
    // 32-bit range saturates.
    PointT Offset(const PointT<double>& offset) const requires std::is_same_v<T, LONG>
    {
        return PointT(AddSaturated(x, RoundDoubleToLong(offset.x)),
                      AddSaturated(y, RoundDoubleToLong(offset.y)));
    }
};

// Origin and size.
template <class T>
struct RectT
{
    T x{};
    T y{};
    T width{};
    T height{};

    RectT() = default;
    RectT(T px, T py, T w, T h)
        : x(px)
        , y(py)
        , width(w)
        , height(h)
    {
    }

    T Right() const { return x + width; }
    T Bottom() const { return y + height; }
    bool operator==(const RectT&) const = default;

    // Each of the four values rounded by the rule.
    RectT<LONG> ToInt() const requires std::is_same_v<T, double>
    {
        return RectT<LONG>(RoundDoubleToLong(x), RoundDoubleToLong(y), RoundDoubleToLong(width),
                           RoundDoubleToLong(height));
    }
};

void RoundDoublePairToLong(double first, double second, LONG& outFirst, LONG& outSecond);
PointT<LONG> RoundDoublePointToLong(const PointT<double>& point);
void LongPairToDouble(LONG first, LONG second, double& outFirst, double& outSecond);
RectT<double> LongRectToDouble(const RectT<LONG>& rect);
} // namespace Orv
