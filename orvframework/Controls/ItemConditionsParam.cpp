#include "Controls/ItemConditionsParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
LItemConditionsParam::LItemConditionsParam(DWORD oldConditions, DWORD newConditions,
                                           const PointT<double>& point, int itemIndex,
                                           int lookIndex, bool hovered)
    : LConditionsParam(oldConditions, newConditions, point)
    , itemIndex(itemIndex)
    , lookIndex(lookIndex)
    , hovered(hovered)
{
}

RCPtr<LItemConditionsParam> LItemConditionsParam::Create(DWORD oldConditions, DWORD newConditions,
                                                         const PointT<double>& point, int itemIndex,
                                                         int lookIndex, bool hovered)
{
    return RCPtr<LItemConditionsParam>(new LItemConditionsParam(oldConditions, newConditions, point,
                                                                itemIndex, lookIndex, hovered));
}

void* LItemConditionsParam::operator new(std::size_t size)
{
    return UiThreadPool<LItemConditionsParam, 4>().Allocate(size);
}

void LItemConditionsParam::operator delete(void* pointer)
{
    UiThreadPool<LItemConditionsParam, 4>().Free(pointer);
}
} // namespace Orv
