// Pens, brushes, matrices and paths.
#include "GdiPlusObjects.h"

#include <cmath>
#include <new>

using namespace Gdiplus;

namespace Gdiplus
{
TextureObject::~TextureObject()
{
    if (surface != nullptr)
    {
        cairo_surface_destroy(surface);
    }
}

void ApplyBrush(const GpBrush* brush, cairo_t* cr, InterpolationMode interpolation)
{
    if (auto* solid = dynamic_cast<const SolidFillObject*>(brush))
    {
        SetSourceColor(cr, solid->color);
        return;
    }
    // A texture tiles from the world origin; the pattern follows the current (world) matrix.
    auto* texture = static_cast<const TextureObject*>(brush);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(texture->surface);
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    ApplyFilter(pattern, interpolation);
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
}

void GpPath::Trace(cairo_t* cr) const
{
    for (const PathFigure& figure : figures)
    {
        if (figure.points.empty())
        {
            continue;
        }
        cairo_move_to(cr, figure.points[0].X, figure.points[0].Y);
        for (size_t i = 1; i < figure.points.size(); ++i)
        {
            cairo_line_to(cr, figure.points[i].X, figure.points[i].Y);
        }
        if (figure.closed)
        {
            cairo_close_path(cr);
        }
    }
}
} // namespace Gdiplus

namespace
{
bool Finite(const GpPointF* points, INT count)
{
    for (INT i = 0; i < count; ++i)
    {
        if (!std::isfinite(points[i].X) || !std::isfinite(points[i].Y))
        {
            return false;
        }
    }
    return true;
}

// The figure that lines are added to: the last open one, or a new one.
PathFigure& CurrentFigure(GpPath* path)
{
    if (path->startNewFigure || path->figures.empty() || path->figures.back().closed)
    {
        path->figures.emplace_back();
        path->startNewFigure = false;
    }
    return path->figures.back();
}

void AddPoints(GpPath* path, const GpPointF* points, INT count)
{
    PathFigure& figure = CurrentFigure(path);
    for (INT i = 0; i < count; ++i)
    {
        // A point equal to the figure's last one adds no line.
        if (!figure.points.empty() && figure.points.back().X == points[i].X &&
            figure.points.back().Y == points[i].Y && i == 0)
        {
            continue;
        }
        figure.points.push_back(points[i]);
    }
}
} // namespace

GpStatus GdipCreatePen1(ARGB color, REAL width, GpUnit unit, GpPen** pen)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (pen == nullptr || !std::isfinite(width) || width < 0 || unit == UnitDisplay ||
        unit < UnitWorld || unit > UnitMillimeter)
    {
        return InvalidParameter;
    }
    auto* created = new (std::nothrow) GpPen;
    if (created == nullptr)
    {
        return OutOfMemory;
    }
    created->color = color;
    created->width = width;
    created->unit = unit;
    *pen = created;
    return Ok;
}

GpStatus GdipDeletePen(GpPen* pen)
{
    if (pen == nullptr)
    {
        return InvalidParameter;
    }
    delete pen;
    return Ok;
}

GpStatus GdipCreateSolidFill(ARGB color, GpSolidFill** brush)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (brush == nullptr)
    {
        return InvalidParameter;
    }
    auto* created = new (std::nothrow) SolidFillObject;
    if (created == nullptr)
    {
        return OutOfMemory;
    }
    created->color = color;
    *brush = created;
    return Ok;
}

GpStatus GdipCreateTextureIA(GpImage* image, GpImageAttributes* attributes, REAL x, REAL y,
                             REAL width, REAL height, GpTexture** texture)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (image == nullptr || texture == nullptr || !std::isfinite(x) || !std::isfinite(y) ||
        !std::isfinite(width) || !std::isfinite(height) || std::fabs(x) > 32767 ||
        std::fabs(y) > 32767 || std::fabs(width) > 32767 || std::fabs(height) > 32767)
    {
        return InvalidParameter;
    }
    BitmapObject* bitmap = AsBitmap(image);
    // Whole pixels of a rectangle inside the image.
    INT left = static_cast<INT>(std::floor(x));
    INT top = static_cast<INT>(std::floor(y));
    INT w = static_cast<INT>(std::ceil(width));
    INT h = static_cast<INT>(std::ceil(height));
    if (w <= 0 || h <= 0 || left < 0 || top < 0 || left > bitmap->width - w ||
        top > bitmap->height - h)
    {
        return InvalidParameter;
    }
    if (attributes != nullptr)
    {
        return NotImplemented;
    }
    BusyScope busy;
    if (!busy.Enter(bitmap->busy))
    {
        return ObjectBusy;
    }
    if (bitmap->locked)
    {
        return WrongState;
    }
    auto* created = new (std::nothrow) TextureObject;
    if (created == nullptr)
    {
        return OutOfMemory;
    }
    created->surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(created->surface) != CAIRO_STATUS_SUCCESS)
    {
        delete created;
        return OutOfMemory;
    }
    cairo_t* copy = cairo_create(created->surface);
    cairo_set_source_surface(copy, bitmap->Surface(), -left, -top);
    cairo_set_operator(copy, CAIRO_OPERATOR_SOURCE);
    cairo_paint(copy);
    cairo_destroy(copy);
    *texture = created;
    return Ok;
}

GpStatus GdipDeleteBrush(GpBrush* brush)
{
    if (brush == nullptr)
    {
        return InvalidParameter;
    }
    delete brush;
    return Ok;
}

GpStatus GdipCreateMatrix(GpMatrix** matrix)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (matrix == nullptr)
    {
        return InvalidParameter;
    }
    *matrix = new (std::nothrow) GpMatrix;
    return *matrix == nullptr ? OutOfMemory : Ok;
}

GpStatus GdipScaleMatrix(GpMatrix* matrix, REAL scaleX, REAL scaleY, GpMatrixOrder order)
{
    if (matrix == nullptr || !std::isfinite(scaleX) || !std::isfinite(scaleY) ||
        (order != MatrixOrderPrepend && order != MatrixOrderAppend))
    {
        return InvalidParameter;
    }
    cairo_matrix_t scale;
    cairo_matrix_init_scale(&scale, scaleX, scaleY);
    cairo_matrix_t result;
    // cairo_matrix_multiply(r, a, b) applies a first, then b.
    if (order == MatrixOrderPrepend)
    {
        cairo_matrix_multiply(&result, &scale, &matrix->m);
    }
    else
    {
        cairo_matrix_multiply(&result, &matrix->m, &scale);
    }
    matrix->m = result;
    return Ok;
}

GpStatus GdipDeleteMatrix(GpMatrix* matrix)
{
    if (matrix == nullptr)
    {
        return InvalidParameter;
    }
    delete matrix;
    return Ok;
}

GpStatus GdipCreatePath(GpFillMode fillMode, GpPath** path)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (path == nullptr || (fillMode != FillModeAlternate && fillMode != FillModeWinding))
    {
        return InvalidParameter;
    }
    auto* created = new (std::nothrow) GpPath;
    if (created == nullptr)
    {
        return OutOfMemory;
    }
    created->fillMode = fillMode;
    *path = created;
    return Ok;
}

GpStatus GdipDeletePath(GpPath* path)
{
    if (path == nullptr)
    {
        return InvalidParameter;
    }
    delete path;
    return Ok;
}

GpStatus GdipClonePath(GpPath* path, GpPath** clone)
{
    if (path == nullptr || clone == nullptr)
    {
        return InvalidParameter;
    }
    try
    {
        *clone = new GpPath(*path);
    }
    catch (const std::bad_alloc&)
    {
        return OutOfMemory;
    }
    return Ok;
}

GpStatus GdipStartPathFigure(GpPath* path)
{
    if (path == nullptr)
    {
        return InvalidParameter;
    }
    path->startNewFigure = true;
    return Ok;
}

GpStatus GdipAddPathLine(GpPath* path, REAL x1, REAL y1, REAL x2, REAL y2)
{
    GpPointF points[2] = {{x1, y1}, {x2, y2}};
    return GdipAddPathLine2(path, points, 2);
}

GpStatus GdipAddPathLine2(GpPath* path, const GpPointF* points, INT count)
{
    if (path == nullptr || points == nullptr || count <= 0 || !Finite(points, count))
    {
        return InvalidParameter;
    }
    try
    {
        AddPoints(path, points, count);
    }
    catch (const std::bad_alloc&)
    {
        return OutOfMemory;
    }
    return Ok;
}

GpStatus GdipAddPathPolygon(GpPath* path, const GpPointF* points, INT count)
{
    if (path == nullptr || points == nullptr || count < 3 || !Finite(points, count))
    {
        return InvalidParameter;
    }
    try
    {
        path->startNewFigure = true;
        AddPoints(path, points, count);
        path->figures.back().closed = true;
    }
    catch (const std::bad_alloc&)
    {
        return OutOfMemory;
    }
    return Ok;
}

GpStatus GdipTransformPath(GpPath* path, GpMatrix* matrix)
{
    if (path == nullptr)
    {
        return InvalidParameter;
    }
    if (matrix == nullptr)
    {
        return Ok;
    }
    for (PathFigure& figure : path->figures)
    {
        for (PointF& point : figure.points)
        {
            double x = point.X, y = point.Y;
            cairo_matrix_transform_point(&matrix->m, &x, &y);
            point.X = static_cast<REAL>(x);
            point.Y = static_cast<REAL>(y);
        }
    }
    return Ok;
}
