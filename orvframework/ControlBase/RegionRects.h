// The update region of a draw pass, walked rectangle by rectangle in the coordinates the
// renderer draws in now. A region is kept in the render context's own coordinates; the looks and
// controls draw in coordinates moved by the current origin of the render state.
#pragma once

#include "Renderer/Region.h"
#include "Renderer/Renderer.h"

#include <vector>

namespace Orv
{
// Empties rects and fills it with the region's rectangles, each moved by the negative current
// origin of the renderer's render state (unmoved without a render context).
void GetRegionRectsHere(const LRenderer& renderer, const LRegion& region,
                        std::vector<RectT<double>>& rects);
// The current origin of the renderer's render state; (0, 0) without a render context.
PointT<double> GetRenderOrigin(const LRenderer& renderer);
} // namespace Orv
