// A change of a control's condition bits. Taken from its class's pool (UI thread only).
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Storage/StringT.h"

#include <cstddef>

namespace Orv
{
class LConditionsParam : public virtual LRefCountedObject
{
public:
    static RCPtr<LConditionsParam> Create(DWORD oldConditions, DWORD newConditions,
                                          const PointT<double>& point);

    // "(%g, %g)" with the point.
    WString ToString() const override;

    static void* operator new(std::size_t size);
    static void operator delete(void* pointer);

    DWORD oldConditions;
    DWORD newConditions;
    PointT<double> point;

protected:
    LConditionsParam(DWORD oldConditions, DWORD newConditions, const PointT<double>& point);
};
} // namespace Orv
