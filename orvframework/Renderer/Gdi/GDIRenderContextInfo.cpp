#include "Renderer/Gdi/GDIRenderContextInfo.h"

namespace Orv
{
LGDIRenderContextInfo::LGDIRenderContextInfo(const RectT<LONG>& bounds, HWND window, bool offscreen)
    : LRenderContextInfo(bounds, window, offscreen)
{
    mFront = new LGDIRendererOffscreenSurface(GetSurfaceSize(), window);
    mBack = new LGDIRendererOffscreenSurface(GetSurfaceSize(), window);
}

LGDIRenderContextInfo::~LGDIRenderContextInfo()
{
    mBack = nullptr;
    mFront = nullptr;
}

SizeT<LONG> LGDIRenderContextInfo::GetMaxSize() const
{
    return SizeT<LONG>(4096, 4096);
}

SizeT<LONG> LGDIRenderContextInfo::GetSurfaceSize() const
{
    const RectT<LONG>& bounds = GetBounds();
    return SizeT<LONG>(RoundDoubleToLong(static_cast<double>(bounds.width)),
                       RoundDoubleToLong(static_cast<double>(bounds.height)));
}

void LGDIRenderContextInfo::Begin()
{
    const SizeT<LONG> size = mFront->GetSize();
    const RectT<LONG>& bounds = GetBounds();
    if (size.width == bounds.width && size.height == bounds.height)
    {
        // The same size: only a frame that redraws exactly the whole bounds starts afresh.
        const LRegion& dirty = GetDirtyRegion();
        RECT only{};
        if (dirty.GetRectCount() != 1 || !dirty.GetBounds(only) || only.left != bounds.x ||
            only.top != bounds.y || only.right - only.left != bounds.width ||
            only.bottom - only.top != bounds.height)
        {
            return;
        }
    }
    mFront->Resize(GetSurfaceSize());
    mBack->Resize(GetSurfaceSize());
}

void LGDIRenderContextInfo::Flush()
{
    GdiplusGraphics& front = GetGraphics();
    front.Record(GdipFlush(front.Get(), Gdiplus::FlushIntentionSync));
    if (IsOffscreen())
    {
        return;
    }
    GdiplusGraphics window;
    GpGraphics* windowGraphics = nullptr;
    if (window.Record(GdipCreateFromHWND(GetWindow(), &windowGraphics)) != Gdiplus::Ok)
    {
        return;
    }
    window.Reset(windowGraphics);
    GetDirtyRegion().GetRects(mDirtyRects);
    for (int i = static_cast<int>(mDirtyRects.GetCount()) - 1; i >= 0; --i)
    {
        const RectT<LONG>& rect = mDirtyRects.GetConstElementPointer(static_cast<unsigned int>(i));
        mFront->DrawTo(window, PointT<LONG>(rect.x, rect.y), rect);
    }
}
} // namespace Orv
