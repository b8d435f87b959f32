#include "Renderer/AutoClip.h"

namespace Orv
{
CAutoClip::CAutoClip(const ConstRCPtr<LRenderer>& renderer)
    : mRenderer(renderer)
{
    mRenderer.GetMutable()->PushState();
}

CAutoClip::CAutoClip(const ConstRCPtr<LRenderer>& renderer, const RectT<double>& frame,
                     const RectT<double>& clip, const ConstRCPtr<LStencil>& stencil)
    : CAutoClip(renderer, frame, clip, stencil, true)
{
}

CAutoClip::CAutoClip(const ConstRCPtr<LRenderer>& renderer, const RectT<double>& frame,
                     const RectT<double>& clip, const ConstRCPtr<LStencil>& stencil, bool relative)
    : mRenderer(renderer)
{
    mRenderer.GetMutable()->PushClip(frame, clip, stencil, relative);
}

CAutoClip::CAutoClip(const ConstRCPtr<LRenderer>& renderer, const PushClipInfo& info)
    : mRenderer(renderer)
{
    switch (info.flavor)
    {
        case 0:
            mRenderer.GetMutable()->PushState();
            break;
        case 1:
            mRenderer.GetMutable()->PushClip(info.frame, info.clip, info.stencil,
                                             info.relative != 0);
            break;
        case 2:
            mRenderer.GetMutable()->PushOrigin(info.origin);
            break;
        default:
            ORV_THROW(std::runtime_error, "Unknown PushClip flavor");
    }
}

CAutoClip::~CAutoClip()
{
    mRenderer.GetMutable()->PopState();
}
} // namespace Orv
