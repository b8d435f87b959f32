// The payload of a list's per-item condition notifications ("NID_ITEM_HOVER_CONDITION_CHANGE",
// "NID_ITEM_LEFT_DRAG_CONDITION_CHANGE"): the row's condition change together with the item the
// row shows, the row's active look and whether it is hovered. Made on the heap for each
// notification; UI thread only.
#pragma once

#include "notification/ConditionsParam.h"

#include <cstddef>

namespace Orv
{
class LItemConditionsParam : public LConditionsParam
{
public:
    static RCPtr<LItemConditionsParam> Create(DWORD oldConditions, DWORD newConditions,
                                              const PointT<double>& point, int itemIndex,
                                              int lookIndex, bool hovered);

    // The base's pool is sized for the base; this class takes plain heap memory.
    static void* operator new(std::size_t size);
    static void operator delete(void* pointer);

    // The item the row shows (-1: none).
    int itemIndex;
    // The row's active look.
    int lookIndex;
    // The row's hover condition.
    bool hovered;

private:
    LItemConditionsParam(DWORD oldConditions, DWORD newConditions, const PointT<double>& point,
                         int itemIndex, int lookIndex, bool hovered);
};
} // namespace Orv
