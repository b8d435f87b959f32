// Makes a plain class a shared object: LWrapper<TrafficLight,LRefCountedObject> is a traffic
// light held by reference-counted pointers.
#pragma once

#include "ObjectBase/RefCountedObject.h"

namespace Orv
{
template <class W, class B = LRefCountedObject>
class LWrapper : public W, public virtual B
{
public:
    LWrapper() = default;
    using W::W;
};
} // namespace Orv
