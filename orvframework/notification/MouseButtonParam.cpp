#include "notification/MouseButtonParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
namespace
{
// UI thread only, no lock; never destroyed (see LPointWithModifiersParam).
ReuseAllocator<LMouseButtonParam, 32>& GetPool()
{
    static auto* pool = new ReuseAllocator<LMouseButtonParam, 32>(false);
    return *pool;
}
} // namespace

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
    return GetPool().Allocate(size);
}

void LMouseButtonParam::operator delete(void* pointer)
{
    GetPool().Free(pointer);
}
} // namespace Orv
