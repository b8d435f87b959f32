#include "notification/MouseWheelParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
namespace
{
// UI thread only, no lock; never destroyed (see LPointWithModifiersParam).
ReuseAllocator<LMouseWheelParam, 4>& GetPool()
{
    static auto* pool = new ReuseAllocator<LMouseWheelParam, 4>(false);
    return *pool;
}
} // namespace

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
    return GetPool().Allocate(size);
}

void LMouseWheelParam::operator delete(void* pointer)
{
    GetPool().Free(pointer);
}
} // namespace Orv
