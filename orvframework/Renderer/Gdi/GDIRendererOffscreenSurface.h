// One off-screen picture of a GDI+ render context: a bitmap compatible with the context's window
// and the graphics that draw into it.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Renderer/Gdi/GdiplusObject.h"
#include "Utilities/Geometry/Geometry.h"

namespace Orv
{
class LGDIRendererOffscreenSurface : public virtual LRefCountedObject
{
public:
    // The window is only used to make compatible bitmaps; it is never owned.
    LGDIRendererOffscreenSurface(const SizeT<LONG>& size, HWND window);
    ~LGDIRendererOffscreenSurface() override;
    LGDIRendererOffscreenSurface(const LGDIRendererOffscreenSurface&) = delete;
    LGDIRendererOffscreenSurface& operator=(const LGDIRendererOffscreenSurface&) = delete;

    // Replaces the picture by a new, transparent one of the size (at least 1 x 1). Returns S_OK.
    ORVRESULT Resize(const SizeT<LONG>& size);
    // The picture's size; 0 x 0 when there is none.
    SizeT<LONG> GetSize() const;
    // Copies the source rectangle of the picture, unscaled, to the target with its top left
    // corner at the point; a failure is recorded on the target.
    void DrawTo(GdiplusGraphics& target, const PointT<LONG>& at, const RectT<LONG>& source) const;

    GdiplusBitmap& GetBitmap() { return mBitmap; }
    GdiplusGraphics& GetGraphics() { return mGraphics; }

private:
    HWND mWindow;
    GdiplusGraphics mGraphics;
    GdiplusBitmap mBitmap;
};
} // namespace Orv
