#include "Renderer/Gdi/GDIRendererCachedBitmap.h"

namespace Orv
{
LGDIRenderer::LCachedBitmap::LCachedBitmap(GpBitmap* picture, GpGraphics* graphics)
{
    GpCachedBitmap* cached = nullptr;
    if (mCached.Record(GdipCreateCachedBitmap(picture, graphics, &cached)) == Gdiplus::Ok)
    {
        mCached.Reset(cached);
    }
}
} // namespace Orv
