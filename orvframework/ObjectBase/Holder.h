// A reference-counted box for one plain value, so that a value can travel where a shared
// object is expected.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"

#include <memory>

namespace Orv
{
template <class T>
class LHolder : public virtual LRefCountedObject
{
public:
    explicit LHolder(const T& value)
        : mValue(std::make_unique<T>(value))
    {
    }

    // A new holder of a copy of value.
    static RCPtr<LHolder> Create(const T& value) { return RCPtr<LHolder>(new LHolder(value)); }

    const T& GetValue() const { return *mValue; }
    T& GetValue() { return *mValue; }

private:
    std::unique_ptr<T> mValue;
};
} // namespace Orv
