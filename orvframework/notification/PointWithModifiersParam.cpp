#include "notification/PointWithModifiersParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
LPointWithModifiersParam::LPointWithModifiersParam(const PointT<LONG>& point, DWORD modifiers,
                                                   DWORD extra)
    : LPointParam(point)
    , modifiers(modifiers)
    , extra(extra)
{
}

RCPtr<LPointWithModifiersParam> LPointWithModifiersParam::Create(const PointT<LONG>& point,
                                                                 DWORD modifiers, DWORD extra)
{
    return RCPtr<LPointWithModifiersParam>(new LPointWithModifiersParam(point, modifiers, extra));
}

WString LPointWithModifiersParam::ToString() const
{
    return LPointParam::ToString() +
           WString::CreateFormatted(L"  modifiers: 0x%08x", static_cast<unsigned int>(modifiers));
}

void* LPointWithModifiersParam::operator new(std::size_t size)
{
    return UiThreadPool<LPointWithModifiersParam, 32>().Allocate(size);
}

void LPointWithModifiersParam::operator delete(void* pointer)
{
    UiThreadPool<LPointWithModifiersParam, 32>().Free(pointer);
}
} // namespace Orv
