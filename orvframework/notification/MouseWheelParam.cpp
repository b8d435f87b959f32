#include "notification/MouseWheelParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
LMouseWheelParam::LMouseWheelParam(const PointT<LONG>& point, DWORD modifiers, LONG amount)
    : LPointWithModifiersParam(point, modifiers, 0)
    , amount(amount)
{
}

RCPtr<LMouseWheelParam> LMouseWheelParam::Create(const PointT<LONG>& point, DWORD modifiers,
                                                 LONG amount)
{
    return RCPtr<LMouseWheelParam>(new LMouseWheelParam(point, modifiers, amount));
}

void* LMouseWheelParam::operator new(std::size_t size)
{
    return UiThreadPool<LMouseWheelParam, 4>().Allocate(size);
}

void LMouseWheelParam::operator delete(void* pointer)
{
    UiThreadPool<LMouseWheelParam, 4>().Free(pointer);
}
} // namespace Orv
