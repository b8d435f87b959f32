// A shared object holding one value whose text is that value: a wide string carried where a
// taggable object is expected (the data of a text item, the text of a status message).
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/TaggableObject.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
template <class T = WString>
class LWrapperStringable : public virtual LTaggableObject
{
public:
    explicit LWrapperStringable(const T& value)
        : mValue(value)
    {
    }

    static RCPtr<LWrapperStringable> Create(const T& value)
    {
        return RCPtr<LWrapperStringable>(new LWrapperStringable(value));
    }

    // A copy of the value as text.
    WString ToString() const override { return WString(mValue); }

    const T& GetValue() const { return mValue; }
    void SetValue(const T& value) { mValue = value; }

private:
    T mValue;
};
} // namespace Orv
