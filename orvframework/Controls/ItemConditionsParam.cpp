#include "Controls/ItemConditionsParam.h"

#include <new>

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

RCPtr<LItemConditionsParam> LItemConditionsParam::Create(DWORD oldConditions,
                                                         DWORD newConditions,
                                                         const PointT<double>& point,
                                                         int itemIndex, int lookIndex,
                                                         bool hovered)
{
    return RCPtr<LItemConditionsParam>(new LItemConditionsParam(
        oldConditions, newConditions, point, itemIndex, lookIndex, hovered));
}

void* LItemConditionsParam::operator new(std::size_t size)
{
    return ::operator new(size);
}

void LItemConditionsParam::operator delete(void* pointer)
{
    ::operator delete(pointer);
}
} // namespace Orv
