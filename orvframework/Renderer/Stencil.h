// The stencil carried in the render state: a size, and bounds from (0, 0) of that size.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Geometry/Geometry.h"

namespace Orv
{
class LStencil : public virtual LRefCountedObject
{
public:
    // A new stencil of the size, with bounds 0, 0, width, height.
    static RCPtr<LStencil> Create(const SizeT<LONG>& size);

    const SizeT<LONG>& GetSize() const { return mSize; }
    const RectT<LONG>& GetBounds() const { return mBounds; }

private:
    explicit LStencil(const SizeT<LONG>& size);

    SizeT<LONG> mSize;
    RectT<LONG> mBounds;
};
} // namespace Orv
