#include "Renderer/Gdi/GDIRendererOffscreenSurface.h"

#include <algorithm>

namespace Orv
{
LGDIRendererOffscreenSurface::LGDIRendererOffscreenSurface(const SizeT<LONG>& size, HWND window)
    : mWindow(window)
{
    Resize(size);
}

LGDIRendererOffscreenSurface::~LGDIRendererOffscreenSurface()
{
    // The graphics draws on the bitmap: it goes first.
    mGraphics.Reset();
    mBitmap.Reset();
}

ORVRESULT LGDIRendererOffscreenSurface::Resize(const SizeT<LONG>& size)
{
    mGraphics.Reset();
    mBitmap.Reset();
    const INT width = std::max<LONG>(1, size.width);
    const INT height = std::max<LONG>(1, size.height);

    // A bitmap in the window's format, made through a graphics for the window.
    GdiplusGraphics window;
    GpGraphics* windowGraphics = nullptr;
    if (window.Record(GdipCreateFromHWND(mWindow, &windowGraphics)) == Gdiplus::Ok)
    {
        window.Reset(windowGraphics);
    }
    GpBitmap* bitmap = nullptr;
    if (mBitmap.Record(GdipCreateBitmapFromGraphics(width, height, window.Get(), &bitmap)) ==
        Gdiplus::Ok)
    {
        mBitmap.Reset(bitmap);
    }
    window.Reset();

    GpGraphics* graphics = nullptr;
    if (mBitmap.Get() != nullptr &&
        mGraphics.Record(GdipGetImageGraphicsContext(mBitmap.Get(), &graphics)) == Gdiplus::Ok)
    {
        mGraphics.Reset(graphics);
    }
    return S_OK;
}

SizeT<LONG> LGDIRendererOffscreenSurface::GetSize() const
{
    if (mBitmap.Get() == nullptr)
    {
        return SizeT<LONG>(0, 0);
    }
    Gdiplus::RectF bounds{};
    Gdiplus::Unit unit = Gdiplus::UnitPixel;
    if (GdipGetImageBounds(mBitmap.Get(), &bounds, &unit) != Gdiplus::Ok)
    {
        return SizeT<LONG>(0, 0);
    }
    return SizeT<LONG>(static_cast<LONG>(bounds.Width), static_cast<LONG>(bounds.Height));
}

void LGDIRendererOffscreenSurface::DrawTo(GdiplusGraphics& target, const PointT<LONG>& at,
                                          const RectT<LONG>& source) const
{
    target.Record(GdipDrawImagePointRectI(target.Get(), mBitmap.Get(), at.x, at.y, source.x,
                                          source.y, source.width, source.height,
                                          Gdiplus::UnitPixel));
}
} // namespace Orv
