// A shared object that other objects can carry as their data: list items hold one, and its text
// (ToString) is what they show.
#pragma once

#include "ObjectBase/RefCountedObject.h"

namespace Orv
{
class LTaggableObject : public virtual LRefCountedObject
{
public:
    LTaggableObject() = default;
    ~LTaggableObject() override = default;
};
} // namespace Orv
