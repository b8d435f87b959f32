#include "notification/ConditionsParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
LConditionsParam::LConditionsParam(DWORD oldConditions, DWORD newConditions,
                                   const PointT<double>& point)
    : oldConditions(oldConditions)
    , newConditions(newConditions)
    , point(point)
{
}

RCPtr<LConditionsParam> LConditionsParam::Create(DWORD oldConditions, DWORD newConditions,
                                                 const PointT<double>& point)
{
    return RCPtr<LConditionsParam>(new LConditionsParam(oldConditions, newConditions, point));
}

WString LConditionsParam::ToString() const
{
    return WString::CreateFormatted(L"(%g, %g)", point.x, point.y);
}

void* LConditionsParam::operator new(std::size_t size)
{
    return UiThreadPool<LConditionsParam, 4>().Allocate(size);
}

void LConditionsParam::operator delete(void* pointer)
{
    UiThreadPool<LConditionsParam, 4>().Free(pointer);
}
} // namespace Orv
