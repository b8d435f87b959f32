// The render context of the Direct3D 9 renderer: a plain context that accepts no surface.
#pragma once

#include "Renderer/RenderContextInfo.h"

namespace Orv
{
class LD3D9RenderContextInfo : public LRenderContextInfo
{
public:
    using LRenderContextInfo::LRenderContextInfo;

    // 0 by 0.
    SizeT<LONG> GetMaxSize() const override { return SizeT<LONG>(0, 0); }
};
} // namespace Orv
