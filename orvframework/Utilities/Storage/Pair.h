// A reference-counted pair of two values, as hashed lists keep their keys and items.
#pragma once

#include "ObjectBase/TaggableObject.h"
#include "ObjectBase/TypeName.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
// The text form of a key type: its readable name.
template <class Key>
WString KeyToString()
{
    return WString(GetReadableTypeName(typeid(Key)).c_str());
}

template <class First, class Second>
class LPair : public LTaggableObject
{
public:
    LPair(const First& firstValue, const Second& secondValue)
        : first(firstValue)
        , second(secondValue)
    {
    }

    // The key type's name.
    WString ToString() const override { return KeyToString<First>(); }

    First first;
    Second second;
};
} // namespace Orv
