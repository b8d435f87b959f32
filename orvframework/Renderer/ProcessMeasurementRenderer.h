// The renderer that fonts and text layout measure with: one for the whole process. It is null
// until someone sets it; the renderer factory installs a windowless GDI+ measuring renderer when
// it makes the first GDI+ renderer (LGDIRenderer::InstallMeasurementRenderer). Measuring without
// a renderer gives zero sizes, which fonts and text parts do not keep.
#pragma once

#include "Renderer/Renderer.h"

namespace Orv
{
// renderer := the measuring renderer, with a reference taken; null when there is none.
void GetMeasurementRenderer(ConstRCPtr<LRenderer>& renderer);
// Sets (or, with null, removes) the process-wide measuring renderer.
void SetMeasurementRenderer(const ConstRCPtr<LRenderer>& renderer);
} // namespace Orv
