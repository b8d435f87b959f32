#include "notification/ValueParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
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
    return UiThreadPool<LValueParam, 4>().Allocate(size);
}

void LValueParam::operator delete(void* pointer)
{
    UiThreadPool<LValueParam, 4>().Free(pointer);
}
} // namespace Orv
