#include "Controls/ItemConditionsParam.h"

#include <cstdlib>
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

RCPtr<LItemConditionsParam> LItemConditionsParam::Create(DWORD oldConditions, DWORD newConditions,
                                                         const PointT<double>& point, int itemIndex,
                                                         int lookIndex, bool hovered)
{
    return RCPtr<LItemConditionsParam>(new LItemConditionsParam(oldConditions, newConditions, point,
                                                                itemIndex, lookIndex, hovered));
}

// The base class's pool holds blocks of the base's size only, so the larger payload has its own
// pair. malloc and free rather than the global operators: inlined into one function, a class
// operator new beside the global operator delete reads to g++ as a mismatched pair.
void* LItemConditionsParam::operator new(std::size_t size)
{
    if (void* pointer = std::malloc(size))
    {
        return pointer;
    }
    throw std::bad_alloc();
}

void LItemConditionsParam::operator delete(void* pointer)
{
    std::free(pointer);
}
} // namespace Orv
