// A mouse wheel step. Taken from its class's pool (UI thread only).
#pragma once

#include "notification/PointWithModifiersParam.h"

namespace Orv
{
class LMouseWheelParam : public LPointWithModifiersParam
{
public:
    // The extra word of the point is 0.
    static RCPtr<LMouseWheelParam> Create(const PointT<LONG>& point, DWORD modifiers, LONG amount);

    static void* operator new(std::size_t size);
    static void operator delete(void* pointer);

    // The wheel amount as the window layer passes it.
    LONG amount;

private:
    LMouseWheelParam(const PointT<LONG>& point, DWORD modifiers, LONG amount);
};
} // namespace Orv
