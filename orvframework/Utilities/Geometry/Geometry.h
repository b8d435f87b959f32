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

    // out := the bounding rectangle of a and b (the smaller left and top, the larger right and
    // bottom); out may be a or b. True when both sides exceed the float epsilon 1.1920929e-7.
    static bool Union(RectT& out, const RectT& a, const RectT& b) requires std::is_same_v<T, float>
    {
        const float left = a.x < b.x ? a.x : b.x;
        const float top = a.y < b.y ? a.y : b.y;
        const float right = a.Right() > b.Right() ? a.Right() : b.Right();
        const float bottom = a.Bottom() > b.Bottom() ? a.Bottom() : b.Bottom();
        out = RectT(left, top, right - left, bottom - top);
        return out.width > 1.1920929e-7f && out.height > 1.1920929e-7f;
    }
};

// Width and height.
template <class T>
struct SizeT
{
    T width{};
    T height{};

    SizeT() = default;
    SizeT(T w, T h)
        : width(w)
        , height(h)
    {
    }

    bool operator==(const SizeT&) const = default;
};

void RoundDoublePairToLong(double first, double second, LONG& outFirst, LONG& outSecond);
PointT<LONG> RoundDoublePointToLong(const PointT<double>& point);
// Each coordinate by the rule (values beyond the 32-bit range saturate).
PointT<LONG> RoundFloatPointToLong(const PointT<float>& point);
void LongPairToDouble(LONG first, LONG second, double& outFirst, double& outSecond);
RectT<double> LongRectToDouble(const RectT<LONG>& rect);
} // namespace Orv
