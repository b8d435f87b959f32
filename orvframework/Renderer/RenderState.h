// The render state of a context: the origin of the current coordinate system, the clip rectangle
// in current coordinates, the scale, the stencil, the alpha that drawing multiplies its colours
// by, and the clip region (the part of the target that is being drawn). Copies share the stencil
// and the clip region.
#pragma once

#include "ObjectBase/Holder.h"
#include "Renderer/Region.h"
#include "Renderer/Stencil.h"
#include "Utilities/Geometry/Geometry.h"

namespace Orv
{
class RenderState
{
public:
    RenderState() = default;
    RenderState(const RenderState&) = default;
    RenderState& operator=(const RenderState&) = default;
    virtual ~RenderState() = default;

    // The clip of a fresh state, which clips nothing: x and y -5e15, width and height 1e16, each
    // the single-precision value widened to double.
    static RectT<double> NoClip()
    {
        return RectT<double>(static_cast<double>(-5e15f), static_cast<double>(-5e15f),
                             static_cast<double>(1e16f), static_cast<double>(1e16f));
    }

    PointT<double> origin;
    RectT<double> clip = NoClip();
    float scale = 1.0f;
    bool stencilActive = false;
    ConstRCPtr<LStencil> stencil;
    // In 0..1.
    float alpha = 1.0f;
    // In the context's own coordinates; null while the whole target is drawn.
    ConstRCPtr<LHolder<LRegion>> clipRegion;
};
} // namespace Orv
