#include "notification/MouseButtonParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
LMouseButtonParam::LMouseButtonParam(DWORD button, const PointT<LONG>& point, DWORD modifiers,
                                     bool pressed, DWORD clickData, DWORD extra)
    : LPointWithModifiersParam(point, modifiers, extra)
    , button(button)
    , pressed(pressed)
    , clickData(clickData)
{
}

RCPtr<LMouseButtonParam> LMouseButtonParam::Create(DWORD button, const PointT<LONG>& point,
                                                   DWORD modifiers, bool pressed, DWORD clickData,
                                                   DWORD extra)
{
    return RCPtr<LMouseButtonParam>(
        new LMouseButtonParam(button, point, modifiers, pressed, clickData, extra));
}

void* LMouseButtonParam::operator new(std::size_t size)
{
    return UiThreadPool<LMouseButtonParam, 32>().Allocate(size);
}

void LMouseButtonParam::operator delete(void* pointer)
{
    UiThreadPool<LMouseButtonParam, 32>().Free(pointer);
}
} // namespace Orv
