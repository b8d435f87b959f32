// A chosen menu item: the menu and the item's value. Taken from its class's pool (UI thread
// only).
#pragma once

#include "ObjectBase/RCPtr.h"

#include <cstddef>

namespace Orv
{
class LMenuActivationParam : public virtual LRefCountedObject
{
public:
    static RCPtr<LMenuActivationParam> Create(const RCPtr<LRefCountedObject>& menu, LONG value);

    static void* operator new(std::size_t size);
    static void operator delete(void* pointer);

    // The menu descriptor.
    RCPtr<LRefCountedObject> menu;
    LONG value;

private:
    LMenuActivationParam(const RCPtr<LRefCountedObject>& menu, LONG value);
};
} // namespace Orv
