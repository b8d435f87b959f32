#include "Renderer/Gdi/GDIRenderer.h"

#include "Renderer/Gdi/GDIRendererCachedBitmap.h"
#include "Renderer/Gdi/GDIRendererGraphicsPath.h"
#include "Renderer/Milliseconds.h"
#include "Renderer/ProcessMeasurementRenderer.h"

namespace Orv
{
LGDIRenderer::LGDIRenderer()
    : LGDIRenderer(&GetMilliseconds)
{
}

LGDIRenderer::LGDIRenderer(MillisecondClock clock)
    : mBitmapCache(kCacheSize)
    , mPathCache(kCacheSize)
    , mClock(clock != nullptr ? clock : &GetMilliseconds)
{
    GpBitmap* measuring = nullptr;
    if (mMeasuringBitmap.Record(GdipCreateBitmapFromScan0(1, 1, 0, Gdiplus::PixelFormat32bppARGB,
                                                          nullptr, &measuring)) == Gdiplus::Ok)
    {
        mMeasuringBitmap.Reset(measuring);
    }
    mLastPurgeTime = mClock();
    if (HDC screen = GetDC(nullptr))
    {
        const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        if (dpi > 0)
        {
            mScreenDpi = dpi;
        }
    }
}

LGDIRenderer::~LGDIRenderer()
{
    mCurrent = nullptr;
}

ConstRCPtr<LRenderer> LGDIRenderer::InstallMeasurementRenderer()
{
    ConstRCPtr<LRenderer> renderer;
    GetMeasurementRenderer(renderer);
    if (renderer == nullptr)
    {
        renderer = new LGDIRenderer();
        SetMeasurementRenderer(renderer);
    }
    return renderer;
}

int LGDIRenderer::GetRendererType()
{
    return kGdiplus;
}

ORVRESULT LGDIRenderer::InitRenderContextInfo(const RectT<LONG>& bounds, HWND window,
                                              bool offscreen,
                                              ConstRCPtr<LRenderContextInfo>& context)
{
    context = new LGDIRenderContextInfo(bounds, window, offscreen);
    return context != nullptr ? S_OK : E_FAIL;
}

ORVRESULT LGDIRenderer::RenderStart(const ConstRCPtr<LRenderContextInfo>& context)
{
    LRenderer::RenderStart(context);
    mCurrent = dynamic_cast<LGDIRenderContextInfo*>(GetCurrentRenderContext());
    // Another graphics, or one kept from the last frame: its clip is set again when drawing.
    mClipKnown = false;
    mAppliedClipRegion = nullptr;
    if (mCurrent == nullptr)
    {
        // A context of another back-end has no surfaces to start.
        return S_OK;
    }
    LGDIRenderContextInfo& current = *mCurrent.GetMutable();
    current.Begin();
    GdiplusGraphics& g = current.GetGraphics();
    REAL dpi = 96.0f;
    if (g.Record(GdipGetDpiX(g.Get(), &dpi)) == Gdiplus::Ok && dpi > 0)
    {
        mScale = 96.0f / dpi;
    }
    g.Record(GdipSetSmoothingMode(g.Get(), Gdiplus::SmoothingModeHighSpeed));
    g.Record(GdipSetInterpolationMode(g.Get(), Gdiplus::InterpolationModeNearestNeighbor));
    g.Record(GdipSetPixelOffsetMode(g.Get(), Gdiplus::PixelOffsetModeHighSpeed));
    g.Record(GdipSetCompositingMode(g.Get(), Gdiplus::CompositingModeSourceOver));
    if (GetRenderContextCount() == 1)
    {
        // The outermost frame draws at the context's origin. The surfaces may keep their
        // graphics from the last frame, so the transform is set, not added to.
        g.Record(GdipResetWorldTransform(g.Get()));
        const PointT<double>& origin = current.GetState().origin;
        if (origin.x != 0.0 || origin.y != 0.0)
        {
            g.Record(GdipTranslateWorldTransform(g.Get(), static_cast<REAL>(origin.x),
                                                 static_cast<REAL>(origin.y),
                                                 Gdiplus::MatrixOrderAppend));
        }
    }
    return S_OK;
}

ORVRESULT LGDIRenderer::RenderFinish(const ConstRCPtr<LRenderContextInfo>& context)
{
    if (GetCurrentRenderContext() != context.Get())
    {
        // Not the frame on top: the base reports the mismatch, and nothing is flushed.
        return LRenderer::RenderFinish(context);
    }
    if (mCurrent != nullptr)
    {
        mCurrent.GetMutable()->Flush();
    }
    mCurrent = nullptr;
    mClipKnown = false;
    mAppliedClipRegion = nullptr;
    LRenderer::RenderFinish(context);
    if (GetRenderContextCount() != 0)
    {
        mCurrent = dynamic_cast<LGDIRenderContextInfo*>(GetCurrentRenderContext());
    }
    PurgeWhenDue();
    return S_OK;
}

void LGDIRenderer::PurgeWhenDue()
{
    const DWORD now = mClock();
    if (static_cast<std::int32_t>(now - mLastPurgeTime) <=
        static_cast<std::int32_t>(kPurgeInterval))
    {
        return;
    }
    // Entries not used since the purge before this one lose their pictures.
    mBitmapCache.Purge(mBitmapCache.GetPurgeThreshold());
    mBitmapCache.SetPurgeThreshold(mBitmapCache.GetUseClock());
    mLastPurgeTime = now;
}
} // namespace Orv
