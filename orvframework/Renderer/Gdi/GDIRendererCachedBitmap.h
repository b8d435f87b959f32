// A picture of the GDI+ renderer's bitmap cache: a bitmap already fitted to the size it is drawn
// at, held as a GDI+ cached bitmap in the format of the graphics it was made for.
#pragma once

#include "Renderer/Gdi/GDIRenderer.h"

namespace Orv
{
class LGDIRenderer::LCachedBitmap : public virtual LRefCountedObject
{
public:
    // A failure leaves the object without a cached bitmap and the status recorded.
    LCachedBitmap(GpBitmap* picture, GpGraphics* graphics);

    GdiplusCachedBitmap& GetCachedBitmap() { return mCached; }

private:
    GdiplusCachedBitmap mCached;
};
} // namespace Orv
