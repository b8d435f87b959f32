#include "Renderer/Gdi/GDIRendererGraphicsPath.h"

namespace Orv
{
LGDIRenderer::LGraphicsPath::LGraphicsPath()
{
    GpPath* path = nullptr;
    if (mPath.Record(GdipCreatePath(Gdiplus::FillModeAlternate, &path)) == Gdiplus::Ok)
    {
        mPath.Reset(path);
    }
}
} // namespace Orv
