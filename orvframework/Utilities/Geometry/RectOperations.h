// Snapping a rectangle outward to whole pixels and intersecting rectangles: what clipping
// uses to combine clip rectangles.
#pragma once

#include "Utilities/Geometry/Geometry.h"

namespace Orv
{
// Flips a negative width or height (so the rectangle covers the same span), then moves each edge
// v to the largest whole number not above v + |v| x 2.220446049250313e-16; width and height
// become the differences of the snapped edges.
void RoundRectOutward(RectT<double>& rect);

// out := the overlap of a and b, from the larger left and top to the smaller right and bottom,
// stored even when a side comes out negative; out may be a or b. True when both sides exceed
// the epsilon of the element type (2.220446049250313e-16 for double, 1.1920929e-7 for float).
bool IntersectRect(RectT<double>& out, const RectT<double>& a, const RectT<double>& b);
bool IntersectRect(RectT<float>& out, const RectT<float>& a, const RectT<float>& b);
} // namespace Orv
