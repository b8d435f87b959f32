#include "notification/ConditionsParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
namespace
{
// UI thread only, no lock; never destroyed (see LPointWithModifiersParam).
ReuseAllocator<LConditionsParam, 4>& GetPool()
{
    static auto* pool = new ReuseAllocator<LConditionsParam, 4>(false);
    return *pool;
}
} // namespace

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
    return GetPool().Allocate(size);
}

void LConditionsParam::operator delete(void* pointer)
{
    GetPool().Free(pointer);
}
} // namespace Orv
