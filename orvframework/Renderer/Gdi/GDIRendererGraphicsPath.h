// A path of the GDI+ renderer's path cache: the figure built from a polyline's points, filled
// even-odd.
#pragma once

#include "Renderer/Gdi/GDIRenderer.h"

namespace Orv
{
class LGDIRenderer::LGraphicsPath : public virtual LRefCountedObject
{
public:
    // An empty path; a failure leaves the object without a path and the status recorded.
    LGraphicsPath();

    GdiplusPath& GetPath() { return mPath; }

private:
    GdiplusPath mPath;
};
} // namespace Orv
