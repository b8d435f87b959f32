#include "notification/ValueParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
namespace
{
// UI thread only, no lock; never destroyed (see LPointWithModifiersParam).
ReuseAllocator<LValueParam, 4>& GetPool()
{
    static auto* pool = new ReuseAllocator<LValueParam, 4>(false);
    return *pool;
}
} // namespace

LValueParam::LValueParam(double value, double scaledValue)
    : value(value)
    , scaledValue(scaledValue)
{
}

RCPtr<LValueParam> LValueParam::Create(double value, double scaledValue)
{
    return RCPtr<LValueParam>(new LValueParam(value, scaledValue));
}

WString LValueParam::ToString() const
{
    return WString::CreateFormatted(L"ValueParam = %lf", value);
}

void* LValueParam::operator new(std::size_t size)
{
    return GetPool().Allocate(size);
}

void LValueParam::operator delete(void* pointer)
{
    GetPool().Free(pointer);
}
} // namespace Orv
