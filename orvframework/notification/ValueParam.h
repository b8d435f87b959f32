// A control's value change. Taken from its class's pool (UI thread only).
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Storage/StringT.h"

#include <cstddef>

namespace Orv
{
class LValueParam : public virtual LRefCountedObject
{
public:
    static RCPtr<LValueParam> Create(double value, double scaledValue);

    // "ValueParam = %lf" with the normalised value.
    WString ToString() const override;

    static void* operator new(std::size_t size);
    static void operator delete(void* pointer);

    // The control's normalised value, 0 to 1.
    double value;
    // The same value in the control's own range.
    double scaledValue;

private:
    LValueParam(double value, double scaledValue);
};
} // namespace Orv
