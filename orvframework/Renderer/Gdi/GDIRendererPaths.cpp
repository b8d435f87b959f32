// The GDI+ renderer's polylines and polygons, drawn from the path cache.
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/Gdi/GDIRendererGraphicsPath.h"

#include <cmath>
#include <vector>

namespace Orv
{
namespace
{
// Ten times the float epsilon: a scale this close to 1 is no scale.
constexpr float kScaleTolerance = 1.1920929e-6f;

std::vector<GpPointF> ToPoints(const PolylineT<float>& polyline)
{
    std::vector<GpPointF> points(polyline.GetCount());
    const PointT<float>* from = polyline.GetPoints();
    for (size_t i = 0; i < points.size(); ++i)
    {
        points[i] = GpPointF{from[i].x, from[i].y};
    }
    return points;
}
} // namespace

ORVRESULT LGDIRenderer::DrawCachedPath(PathKind kind, PolylineT<float>& points,
                                       const ColorRGBA& color, const PointT<float>& offset,
                                       const PointT<float>& scale, bool keepCached)
{
    if (mCurrent == nullptr)
    {
        return S_OK;
    }
    GdiplusGraphics& g = mCurrent.GetMutable()->GetGraphics();
    RCPtr<LGraphicsPath>& cached = mPathCache.GetEntry(points, false);
    const bool changed = points.IsChanged();
    points.SetChanged(false);
    if (changed)
    {
        cached = nullptr;
    }
    if (cached == nullptr)
    {
        cached = new LGraphicsPath();
        GdiplusPath& path = cached->GetPath();
        const std::vector<GpPointF> figure = ToPoints(points);
        const INT count = static_cast<INT>(figure.size());
        switch (kind)
        {
            case PathKind::Segments:
                for (INT k = 0; k + 1 < count; k += 2)
                {
                    path.Record(GdipStartPathFigure(path.Get()));
                    path.Record(GdipAddPathLine(path.Get(), figure[k].X, figure[k].Y,
                                                figure[k + 1].X, figure[k + 1].Y));
                }
                break;
            case PathKind::Polyline:
                path.Record(GdipAddPathLine2(path.Get(), figure.data(), count));
                break;
            case PathKind::Polygon:
            case PathKind::FilledPolygon:
                path.Record(GdipAddPathPolygon(path.Get(), figure.data(), count));
                break;
        }
    }
    // The entry may be taken by another polyline while this one draws: keep the path alive.
    RCPtr<LGraphicsPath> drawn = cached;

    ApplyClipRegion();
    const ARGB argb = ColorFromFloatRGBA(Faded(color));
    GdiplusPen pen;
    GdiplusSolidBrush brush;
    if (kind == PathKind::FilledPolygon)
    {
        GpSolidFill* created = nullptr;
        if (brush.Record(GdipCreateSolidFill(argb, &created)) == Gdiplus::Ok)
        {
            brush.Reset(created);
        }
    }
    else
    {
        GpPen* created = nullptr;
        if (pen.Record(GdipCreatePen1(argb, points.GetLineWidth(), Gdiplus::UnitWorld, &created)) ==
            Gdiplus::Ok)
        {
            pen.Reset(created);
        }
    }

    Translate(PointT<double>(offset.x, offset.y));
    auto draw = [&](GpPath* path)
    {
        if (kind == PathKind::FilledPolygon)
        {
            g.Record(GdipFillPath(g.Get(), brush.Get(), path));
        }
        else
        {
            g.Record(GdipDrawPath(g.Get(), pen.Get(), path));
        }
    };
    if (std::fabs(scale.x - 1.0f) < kScaleTolerance && std::fabs(scale.y - 1.0f) < kScaleTolerance)
    {
        draw(drawn->GetPath().Get());
    }
    else
    {
        // The cached path stays as built: a scaled copy is drawn.
        GdiplusMatrix matrix;
        GpMatrix* createdMatrix = nullptr;
        if (matrix.Record(GdipCreateMatrix(&createdMatrix)) == Gdiplus::Ok)
        {
            matrix.Reset(createdMatrix);
            matrix.Record(
                GdipScaleMatrix(matrix.Get(), scale.x, scale.y, Gdiplus::MatrixOrderPrepend));
        }
        GdiplusPath clone;
        GpPath* createdClone = nullptr;
        if (clone.Record(GdipClonePath(drawn->GetPath().Get(), &createdClone)) == Gdiplus::Ok)
        {
            clone.Reset(createdClone);
            clone.Record(GdipTransformPath(clone.Get(), matrix.Get()));
            draw(clone.Get());
        }
    }
    Translate(PointT<double>(-static_cast<double>(offset.x), -static_cast<double>(offset.y)));
    if (!keepCached)
    {
        cached = nullptr;
    }
    return S_OK;
}

ORVRESULT LGDIRenderer::DrawLineSegments(PolylineT<float>& points, const ColorRGBA& color,
                                         const PointT<float>& offset, const PointT<float>& scale,
                                         bool keepCached)
{
    return DrawCachedPath(PathKind::Segments, points, color, offset, scale, keepCached);
}

ORVRESULT LGDIRenderer::DrawPolyline(PolylineT<float>& points, const ColorRGBA& color,
                                     const PointT<float>& offset, const PointT<float>& scale,
                                     bool keepCached)
{
    return DrawCachedPath(PathKind::Polyline, points, color, offset, scale, keepCached);
}

ORVRESULT LGDIRenderer::DrawPolygon(PolylineT<float>& points, const ColorRGBA& color,
                                    const PointT<float>& offset, const PointT<float>& scale,
                                    bool keepCached)
{
    return DrawCachedPath(PathKind::Polygon, points, color, offset, scale, keepCached);
}

ORVRESULT LGDIRenderer::FillPolygon(PolylineT<float>& points, const ColorRGBA& color,
                                    const PointT<float>& offset, const PointT<float>& scale,
                                    bool keepCached)
{
    return DrawCachedPath(PathKind::FilledPolygon, points, color, offset, scale, keepCached);
}
} // namespace Orv
