#include "notification/PointWithModifiersParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
namespace
{
// Used on the UI thread only, so without a lock. Never destroyed, so that parameters released
// by other globals at exit still find it.
ReuseAllocator<LPointWithModifiersParam, 32>& GetPool()
{
    static auto* pool = new ReuseAllocator<LPointWithModifiersParam, 32>(false);
    return *pool;
}
} // namespace

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
    return GetPool().Allocate(size);
}

void LPointWithModifiersParam::operator delete(void* pointer)
{
    GetPool().Free(pointer);
}
} // namespace Orv
