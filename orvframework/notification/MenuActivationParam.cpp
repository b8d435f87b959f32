#include "notification/MenuActivationParam.h"

#include "Utilities/Threading/ReuseAllocator.h"

namespace Orv
{
namespace
{
// UI thread only, no lock; never destroyed (see LPointWithModifiersParam).
ReuseAllocator<LMenuActivationParam, 4>& GetPool()
{
    static auto* pool = new ReuseAllocator<LMenuActivationParam, 4>(false);
    return *pool;
}
} // namespace

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
    return GetPool().Allocate(size);
}

void LMenuActivationParam::operator delete(void* pointer)
{
    GetPool().Free(pointer);
}
} // namespace Orv
