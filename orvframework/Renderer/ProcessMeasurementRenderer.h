// The renderer that fonts and text layout measure with. The application offers the renderer of
// its first window; before there is a window (or in a program without one) this process-wide
// renderer is the one: it is null until someone sets it, and measuring without a renderer gives
// zero sizes.
#pragma once

#include "Renderer/Renderer.h"

namespace Orv
{
// renderer := the measuring renderer, with a reference taken; null when there is none.
void GetMeasurementRenderer(ConstRCPtr<LRenderer>& renderer);
// Sets (or, with null, removes) the process-wide measuring renderer.
void SetMeasurementRenderer(const ConstRCPtr<LRenderer>& renderer);
} // namespace Orv
