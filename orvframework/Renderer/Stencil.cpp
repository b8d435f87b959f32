#include "Renderer/Stencil.h"

namespace Orv
{
LStencil::LStencil(const SizeT<LONG>& size)
    : mSize(size)
    , mBounds(0, 0, size.width, size.height)
{
}

RCPtr<LStencil> LStencil::Create(const SizeT<LONG>& size)
{
    return RCPtr<LStencil>(new LStencil(size));
}
} // namespace Orv
