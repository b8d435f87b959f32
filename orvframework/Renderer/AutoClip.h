// A scope guard for the render state: its constructor saves the state of a renderer (pushing a
// state, a clip or an origin), its destructor restores it with PopState.
#pragma once

#include "Renderer/Renderer.h"

namespace Orv
{
// What CAutoClip pushes: flavour 0 a plain state, 1 a clip (frame, clip, stencil, relative),
// 2 an origin.
struct PushClipInfo
{
    int flavor = 0;
    RectT<double> frame;
    RectT<double> clip;
    ConstRCPtr<LStencil> stencil;
    int relative = 0;
    PointT<double> origin;
};

class CAutoClip
{
public:
    // PushState.
    explicit CAutoClip(const ConstRCPtr<LRenderer>& renderer);
    // PushClip, relative.
    CAutoClip(const ConstRCPtr<LRenderer>& renderer, const RectT<double>& frame,
              const RectT<double>& clip, const ConstRCPtr<LStencil>& stencil);
    CAutoClip(const ConstRCPtr<LRenderer>& renderer, const RectT<double>& frame,
              const RectT<double>& clip, const ConstRCPtr<LStencil>& stencil, bool relative);
    // By the record's flavour; throws "Unknown PushClip flavor" (pushing nothing) for another.
    CAutoClip(const ConstRCPtr<LRenderer>& renderer, const PushClipInfo& info);
    ~CAutoClip();
    CAutoClip(const CAutoClip&) = delete;
    CAutoClip& operator=(const CAutoClip&) = delete;

private:
    ConstRCPtr<LRenderer> mRenderer;
};
} // namespace Orv
