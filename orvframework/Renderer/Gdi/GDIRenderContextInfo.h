// The GDI+ renderer's render context: a front surface that all drawing goes to and that is
// copied to the window, and a back surface that trades places with it when an off-screen context
// scrolls.
#pragma once

#include "Renderer/Gdi/GDIRendererOffscreenSurface.h"
#include "Renderer/RenderContextInfo.h"
#include "Utilities/Storage/Array.h"

namespace Orv
{
class LGDIRenderContextInfo : public LRenderContextInfo
{
public:
    LGDIRenderContextInfo(const RectT<LONG>& bounds, HWND window, bool offscreen);
    ~LGDIRenderContextInfo() override;

    // 4096 x 4096.
    SizeT<LONG> GetMaxSize() const override;

    // Readies the surfaces for a frame: both are made anew (transparent) when their size differs
    // from the bounds or when the frame redraws exactly the whole bounds; otherwise the pixels of
    // the last frame stay.
    void Begin();
    // Ends a frame: unless the context is off-screen, copies each dirty rectangle from the front
    // surface to the same place in the window. The dirty region is left as it is.
    void Flush();

    // The graphics of the front surface.
    GdiplusGraphics& GetGraphics() { return mFront->GetGraphics(); }
    LGDIRendererOffscreenSurface& GetFrontSurface() { return *mFront; }
    LGDIRendererOffscreenSurface& GetBackSurface() { return *mBack; }
    void SwapSurfaces() { std::swap(mFront, mBack); }

private:
    // The bounds' size, each side rounded half away from zero.
    SizeT<LONG> GetSurfaceSize() const;

    RCPtr<LGDIRendererOffscreenSurface> mFront;
    RCPtr<LGDIRendererOffscreenSurface> mBack;
    // The dirty rectangles of the frame being flushed, kept so that a frame allocates nothing.
    Array<RectT<LONG>> mDirtyRects;
};
} // namespace Orv
