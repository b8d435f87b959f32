#include "notification/PointParam.h"

namespace Orv
{
LPointParam::LPointParam(const PointT<LONG>& point)
    : point(point)
{
}

WString LPointParam::ToString() const
{
    return WString::CreateFormatted(L"point(%d, %d)", static_cast<int>(point.x),
                                    static_cast<int>(point.y));
}
} // namespace Orv
