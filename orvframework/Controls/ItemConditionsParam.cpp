#include "Controls/ItemConditionsParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
namespace
{
// The base's pool holds blocks of the base's size, so the larger payload keeps its own. UI
// thread only, no lock; never destroyed (as the base's).
ReuseAllocator<LItemConditionsParam, 4>& GetPool()
{
    static auto* pool = new ReuseAllocator<LItemConditionsParam, 4>(false);
    return *pool;
}
} // namespace

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
    return GetPool().Allocate(size);
}

void LItemConditionsParam::operator delete(void* pointer)
{
    GetPool().Free(pointer);
}
} // namespace Orv
