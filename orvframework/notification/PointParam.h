// A point in window pixels: the base of the mouse parameters.
#pragma once

#include "ObjectBase/RefCountedObject.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
class LPointParam : public virtual LRefCountedObject
{
public:
    // "point(%d, %d)".
    WString ToString() const override;

    PointT<LONG> point;

protected:
    explicit LPointParam(const PointT<LONG>& point);
};
} // namespace Orv
