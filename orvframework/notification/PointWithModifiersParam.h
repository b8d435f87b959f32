// A point with the modifier keys held. Taken from its class's pool (UI thread only).
#pragma once

#include "ObjectBase/RCPtr.h"
#include "notification/PointParam.h"

#include <cstddef>

namespace Orv
{
class LPointWithModifiersParam : public LPointParam
{
public:
    static RCPtr<LPointWithModifiersParam> Create(const PointT<LONG>& point, DWORD modifiers,
                                                  DWORD extra);

    // The point text, then "  modifiers: 0x%08x".
    WString ToString() const override;

    static void* operator new(std::size_t size);
    static void operator delete(void* pointer);

    // The flag word of the modifier keys held.
    DWORD modifiers;
    // A word passed through from the window layer; 0 from most callers.
    DWORD extra;

protected:
    LPointWithModifiersParam(const PointT<LONG>& point, DWORD modifiers, DWORD extra);
};
} // namespace Orv
