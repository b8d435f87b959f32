#include "notification/MenuActivationParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
LMenuActivationParam::LMenuActivationParam(const RCPtr<LRefCountedObject>& menu, LONG value)
    : menu(menu)
    , value(value)
{
}

RCPtr<LMenuActivationParam> LMenuActivationParam::Create(const RCPtr<LRefCountedObject>& menu,
                                                         LONG value)
{
    return RCPtr<LMenuActivationParam>(new LMenuActivationParam(menu, value));
}

void* LMenuActivationParam::operator new(std::size_t size)
{
    return UiThreadPool<LMenuActivationParam, 4>().Allocate(size);
}

void LMenuActivationParam::operator delete(void* pointer)
{
    UiThreadPool<LMenuActivationParam, 4>().Free(pointer);
}
} // namespace Orv
