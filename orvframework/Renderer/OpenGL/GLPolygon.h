// Fills a polygon outline through GLU's tessellator, which sends the triangles it makes straight
// to OpenGL (and so into a display list being recorded). The outline is one contour filled by
// the odd winding rule; where it crosses itself, new vertices are made at the crossings. One
// tessellator and one vertex store serve every polygon of the process.
//
// The current OpenGL context receives the triangles. UI thread only.
#pragma once

#include "Renderer/Polyline.h"

#include "platform/Wgl.h"

namespace Orv
{
class CGLPolygon
{
public:
    // Makes the process-wide tessellator on first use.
    CGLPolygon();
    virtual ~CGLPolygon() = default;
    CGLPolygon(const CGLPolygon&) = delete;
    CGLPolygon& operator=(const CGLPolygon&) = delete;

    // Fills the outline. Returns 0, or the GLU error the tessellator reported (what it drew
    // before stays drawn; fewer than three points draw nothing and are no error).
    GLenum Tessellate(const PolylineT<float>& outline);
};
} // namespace Orv
