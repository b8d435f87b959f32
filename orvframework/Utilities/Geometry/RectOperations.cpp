#include "Utilities/Geometry/RectOperations.h"

#include <cmath>

namespace Orv
{
namespace
{
constexpr double kDoubleEpsilon = 2.220446049250313e-16;
constexpr float kFloatEpsilon = 1.1920929e-7f;

double SnapEdge(double v)
{
    return v >= 0 ? std::trunc(v + v * kDoubleEpsilon) : std::trunc(v - (v * kDoubleEpsilon + 1));
}

template <class T>
bool Intersect(RectT<T>& out, const RectT<T>& a, const RectT<T>& b, T epsilon)
{
    const T left = a.x > b.x ? a.x : b.x;
    const T top = a.y > b.y ? a.y : b.y;
    const T right = a.Right() < b.Right() ? a.Right() : b.Right();
    const T bottom = a.Bottom() < b.Bottom() ? a.Bottom() : b.Bottom();
    out = RectT<T>(left, top, right - left, bottom - top);
    return out.width > epsilon && out.height > epsilon;
}
} // namespace

void RoundRectOutward(RectT<double>& rect)
{
    if (rect.width < 0)
    {
        rect.x += rect.width;
        rect.width = -rect.width;
    }
    if (rect.height < 0)
    {
        rect.y += rect.height;
        rect.height = -rect.height;
    }
    const double left = SnapEdge(rect.x);
    const double top = SnapEdge(rect.y);
    const double right = SnapEdge(rect.x + rect.width);
    const double bottom = SnapEdge(rect.y + rect.height);
    rect = RectT<double>(left, top, right - left, bottom - top);
}

bool IntersectRect(RectT<double>& out, const RectT<double>& a, const RectT<double>& b)
{
    return Intersect(out, a, b, kDoubleEpsilon);
}

bool IntersectRect(RectT<float>& out, const RectT<float>& a, const RectT<float>& b)
{
    return Intersect(out, a, b, kFloatEpsilon);
}
} // namespace Orv
