// The OpenGL renderer's polylines and polygons, kept as display lists.
#include "Renderer/OpenGL/GLPolygon.h"
#include "Renderer/OpenGL/GLRenderer.h"

namespace Orv
{
static_assert(sizeof(PointT<float>) == 2 * sizeof(GLfloat), "points are read as float pairs");

void LGLRenderer::DrawPath(PathKind kind, const PolylineT<float>& points)
{
    const auto count = static_cast<GLsizei>(points.GetCount());
    switch (kind)
    {
        case PathKind::Segments:
        case PathKind::Polyline:
            glLineWidth(points.GetLineWidth());
            glEnableClientState(GL_VERTEX_ARRAY);
            glVertexPointer(2, GL_FLOAT, 0, points.GetPoints());
            glDrawArrays(kind == PathKind::Segments ? GL_LINES : GL_LINE_STRIP, 0, count);
            glDisableClientState(GL_VERTEX_ARRAY);
            break;
        case PathKind::Outline:
        {
            // The closed outline, as every back-end draws a polygon.
            glBegin(GL_LINE_LOOP);
            const PointT<float>* p = points.GetPoints();
            for (GLsizei i = 0; i < count; ++i)
            {
                glVertex2f(p[i].x, p[i].y);
            }
            glEnd();
            break;
        }
        case PathKind::Fill:
            CGLPolygon().Tessellate(points);
            break;
    }
}

ORVRESULT LGLRenderer::DrawCachedPath(PathKind kind, PolylineT<float>& points,
                                      const ColorRGBA& color, const PointT<float>& offset,
                                      const PointT<float>& scale, bool cache)
{
    if (GetCurrentContext() == nullptr)
    {
        return S_OK;
    }
    glPushMatrix();
    glTranslatef(offset.x, offset.y, 0);
    glScalef(scale.x, scale.y, 1);
    if (kind != PathKind::Outline)
    {
        glDisable(GL_TEXTURE_2D);
    }
    glColor4f(color.red, color.green, color.blue, color.alpha);
    if (kind == PathKind::Outline)
    {
        glLineWidth(points.GetLineWidth());
    }

    PolylineCache* own = nullptr;
    PolylineCache* partner = nullptr;
    switch (kind)
    {
        case PathKind::Segments:
            own = &mPolylineCaches[kSegmentsCache];
            break;
        case PathKind::Polyline:
            own = &mPolylineCaches[kPolylineCache];
            break;
        case PathKind::Outline:
            own = &mPolylineCaches[kOutlineCache];
            partner = &mPolylineCaches[kFillCache];
            break;
        case PathKind::Fill:
            own = &mPolylineCaches[kFillCache];
            partner = &mPolylineCaches[kOutlineCache];
            break;
    }

    if (!cache)
    {
        // Outline and fill of one polygon go together: both lists are dropped.
        own->Invalidate(points);
        if (partner != nullptr)
        {
            partner->Invalidate(points);
        }
        DrawPath(kind, points);
        glPopMatrix();
        return S_OK;
    }
    const bool changed = points.IsChanged();
    points.SetChanged(false);
    if (changed && partner != nullptr)
    {
        partner->Invalidate(points);
    }
    RCPtr<LGLDisplayList>& entry = own->GetEntry(points, changed);
    // The entry may be taken over while this draw runs: the list stays alive meanwhile.
    RCPtr<LGLDisplayList> lists = entry;
    if (lists == nullptr)
    {
        lists = LGLDisplayList::Create(1);
        entry = lists;
        lists->BeginRecord(0);
        DrawPath(kind, points);
        lists->EndRecord();
    }
    lists->Call(0, 1);
    glPopMatrix();
    return S_OK;
}

ORVRESULT LGLRenderer::DrawLineSegments(PolylineT<float>& points, const ColorRGBA& color,
                                        const PointT<float>& offset, const PointT<float>& scale,
                                        bool keepCached)
{
    return DrawCachedPath(PathKind::Segments, points, color, offset, scale, keepCached);
}

ORVRESULT LGLRenderer::DrawPolyline(PolylineT<float>& points, const ColorRGBA& color,
                                    const PointT<float>& offset, const PointT<float>& scale,
                                    bool keepCached)
{
    return DrawCachedPath(PathKind::Polyline, points, color, offset, scale, keepCached);
}

ORVRESULT LGLRenderer::DrawPolygon(PolylineT<float>& points, const ColorRGBA& color,
                                   const PointT<float>& offset, const PointT<float>& scale,
                                   bool keepCached)
{
    return DrawCachedPath(PathKind::Outline, points, color, offset, scale, keepCached);
}

ORVRESULT LGLRenderer::FillPolygon(PolylineT<float>& points, const ColorRGBA& color,
                                   const PointT<float>& offset, const PointT<float>& scale,
                                   bool keepCached)
{
    return DrawCachedPath(PathKind::Fill, points, color, offset, scale, keepCached);
}
} // namespace Orv
