// Graphics: drawing on a bitmap or a window's pixels, with its modes, transform and clip.
#include "GdiPlusObjects.h"

#include "WindowPixels.h"

#include <algorithm>
#include <cmath>
#include <new>

using namespace Gdiplus;

namespace Gdiplus
{
GpGraphics::~GpGraphics()
{
    if (cr != nullptr)
    {
        cairo_destroy(cr);
    }
    if (windowSurface != nullptr)
    {
        cairo_surface_destroy(windowSurface);
    }
    if (image != nullptr)
    {
        image->Release();
    }
}

GpStatus CreateGraphics(BitmapObject* image, cairo_surface_t* windowSurface, GpGraphics** graphics)
{
    auto* created = new (std::nothrow) GpGraphics;
    if (created == nullptr)
    {
        if (windowSurface != nullptr)
        {
            cairo_surface_destroy(windowSurface);
        }
        return OutOfMemory;
    }
    created->windowSurface = windowSurface;
    if (image != nullptr)
    {
        image->AddRef();
        created->image = image;
    }
    created->cr = cairo_create(image != nullptr ? image->Surface() : windowSurface);
    if (cairo_status(created->cr) != CAIRO_STATUS_SUCCESS)
    {
        delete created;
        return OutOfMemory;
    }
    *graphics = created;
    return Ok;
}

DrawScope::DrawScope(GpGraphics* graphics, GpImage* source)
    : mGraphics(graphics)
{
    if (!mBusy.Enter(graphics->busy))
    {
        mStatus = ObjectBusy;
        return;
    }
    BitmapObject* target = graphics->image;
    if (target != nullptr && !mBusy.Enter(target->busy))
    {
        mStatus = ObjectBusy;
        return;
    }
    if (source != nullptr && !mBusy.Enter(AsBitmap(source)->busy))
    {
        mStatus = ObjectBusy; // also a bitmap drawn on its own graphics
        return;
    }
    if ((target != nullptr && target->locked) || (source != nullptr && AsBitmap(source)->locked))
    {
        mStatus = WrongState;
        return;
    }
    if (target != nullptr)
    {
        target->Surface(); // brings the premultiplied copy up to date
    }
    cairo_new_path(graphics->cr);
    static const cairo_matrix_t identity{1, 0, 0, 1, 0, 0};
    SetMatrix(identity);
    ApplyClip();
    bool smooth = graphics->smoothing == SmoothingModeHighQuality ||
                  graphics->smoothing == SmoothingModeAntiAlias;
    SetAntialias(smooth ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
    SetOperator(graphics->compositing == CompositingModeSourceCopy ? CAIRO_OPERATOR_SOURCE
                                                                   : CAIRO_OPERATOR_OVER);
    mDrawing = true;
}

void DrawScope::SetAntialias(cairo_antialias_t antialias)
{
    if (mGraphics->appliedAntialias != antialias)
    {
        cairo_set_antialias(mGraphics->cr, antialias);
        mGraphics->appliedAntialias = antialias;
    }
}

void DrawScope::SetOperator(cairo_operator_t op)
{
    if (mGraphics->appliedOperator != op)
    {
        cairo_set_operator(mGraphics->cr, op);
        mGraphics->appliedOperator = op;
    }
}

void DrawScope::SetMatrix(const cairo_matrix_t& matrix)
{
    const cairo_matrix_t& applied = mGraphics->appliedMatrix;
    if (applied.xx != matrix.xx || applied.yx != matrix.yx || applied.xy != matrix.xy ||
        applied.yy != matrix.yy || applied.x0 != matrix.x0 || applied.y0 != matrix.y0)
    {
        cairo_set_matrix(mGraphics->cr, &matrix);
        mGraphics->appliedMatrix = matrix;
    }
}

void DrawScope::ApplyClip()
{
    GpGraphics& g = *mGraphics;
    if (g.clipVersion == g.appliedVersion)
    {
        return;
    }
    cairo_t* c = g.cr;
    cairo_reset_clip(c);
    // In device pixels (the matrix is the identity here), on whole pixels.
    if (!g.clipInfinite)
    {
        SetAntialias(CAIRO_ANTIALIAS_NONE);
        // Cairo's coordinates reach only so far; a clip beyond that limits nothing more.
        constexpr double kReach = 4194304.0;
        const double left = std::clamp(g.clipLeft, -kReach, kReach);
        const double top = std::clamp(g.clipTop, -kReach, kReach);
        cairo_rectangle(c, left, top, std::clamp(g.clipRight, -kReach, kReach) - left,
                        std::clamp(g.clipBottom, -kReach, kReach) - top);
        cairo_clip(c);
    }
    if (g.clipHasRegion)
    {
        SetAntialias(CAIRO_ANTIALIAS_NONE);
        cairo_new_path(c);
        for (const RectF& r : g.clipRects)
        {
            cairo_rectangle(c, r.X, r.Y, r.Width, r.Height);
        }
        // An empty path clips everything away.
        cairo_clip(c);
    }
    g.appliedVersion = g.clipVersion;
}

void DrawScope::ClipFurther(double x, double y, double width, double height)
{
    if (!mSaved)
    {
        cairo_save(mGraphics->cr);
        mSaved = true;
        mSavedAntialias = mGraphics->appliedAntialias;
        mSavedOperator = mGraphics->appliedOperator;
        mSavedMatrix = mGraphics->appliedMatrix;
    }
    cairo_rectangle(mGraphics->cr, x, y, width, height);
    cairo_clip(mGraphics->cr);
}

DrawScope::~DrawScope()
{
    if (!mDrawing)
    {
        return;
    }
    if (mSaved)
    {
        // Back to the settings of ClipFurther's save.
        cairo_restore(mGraphics->cr);
        mGraphics->appliedAntialias = mSavedAntialias;
        mGraphics->appliedOperator = mSavedOperator;
        mGraphics->appliedMatrix = mSavedMatrix;
    }
    if (mGraphics->image != nullptr)
    {
        mGraphics->image->SurfaceChanged();
    }
    else
    {
        cairo_surface_flush(mGraphics->windowSurface);
    }
}

void DrawScope::UseWorld(bool forLines)
{
    cairo_matrix_t m = mGraphics->world;
    PixelOffsetMode mode = mGraphics->pixelOffset;
    if (forLines && mode != PixelOffsetModeHalf && mode != PixelOffsetModeHighQuality)
    {
        m.x0 += 0.5;
        m.y0 += 0.5;
    }
    SetMatrix(m);
}

void ApplyFilter(cairo_pattern_t* pattern, InterpolationMode interpolation)
{
    switch (interpolation)
    {
        case InterpolationModeNearestNeighbor:
            cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
            break;
        case InterpolationModeHighQuality:
        case InterpolationModeBicubic:
        case InterpolationModeHighQualityBicubic:
            cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
            break;
        default:
            cairo_pattern_set_filter(pattern, CAIRO_FILTER_BILINEAR);
            break;
    }
}

void SetSourceColor(cairo_t* cr, ARGB color)
{
    cairo_set_source_rgba(cr, ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0,
                          (color & 0xFF) / 255.0, (color >> 24) / 255.0);
}

double UnitToPixels(Unit unit, double dpi)
{
    switch (unit)
    {
        case UnitPoint:
            return dpi / 72.0;
        case UnitInch:
            return dpi;
        case UnitDocument:
            return dpi / 300.0;
        case UnitMillimeter:
            return dpi / 25.4;
        default:
            return 1.0;
    }
}
} // namespace Gdiplus

namespace
{
bool Finite(std::initializer_list<double> values)
{
    for (double v : values)
    {
        if (!std::isfinite(v))
        {
            return false;
        }
    }
    return true;
}

template <class Mode>
GpStatus SetMode(GpGraphics* graphics, Mode GpGraphics::*field, Mode value, int lowest, int highest)
{
    if (graphics == nullptr || static_cast<int>(value) < lowest ||
        static_cast<int>(value) > highest)
    {
        return InvalidParameter;
    }
    BusyScope busy;
    if (!busy.Enter(graphics->busy))
    {
        return ObjectBusy;
    }
    graphics->*field = value;
    return Ok;
}

template <class Mode>
GpStatus GetMode(GpGraphics* graphics, Mode GpGraphics::*field, Mode* value)
{
    if (graphics == nullptr || value == nullptr)
    {
        return InvalidParameter;
    }
    *value = graphics->*field;
    return Ok;
}

// The pen's width in world units for the graphics (never below one device pixel).
double PenWidth(const GpGraphics* graphics, const GpPen* pen)
{
    double width = pen->width * UnitToPixels(pen->unit, graphics->dpi);
    return width < 1.0 ? 1.0 : width;
}

GpStatus Stroke(GpGraphics* graphics, GpPen* pen, void (*trace)(cairo_t*, const void*),
                const void* data)
{
    DrawScope scope(graphics, nullptr);
    if (scope.status() != Ok)
    {
        return scope.status();
    }
    cairo_t* cr = scope.cr();
    scope.UseWorld(true);
    trace(cr, data);
    SetSourceColor(cr, pen->color);
    cairo_set_line_width(cr, PenWidth(graphics, pen));
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, 10.0);
    cairo_stroke(cr);
    return Ok;
}

GpStatus Fill(GpGraphics* graphics, GpBrush* brush, void (*trace)(cairo_t*, const void*),
              const void* data, cairo_fill_rule_t rule)
{
    DrawScope scope(graphics, nullptr);
    if (scope.status() != Ok)
    {
        return scope.status();
    }
    cairo_t* cr = scope.cr();
    scope.UseWorld(false);
    trace(cr, data);
    ApplyBrush(brush, cr, graphics->interpolation);
    cairo_set_fill_rule(cr, rule);
    cairo_fill(cr);
    return Ok;
}

struct RectArgs
{
    double x, y, width, height;
};

void TraceRect(cairo_t* cr, const void* data)
{
    auto* r = static_cast<const RectArgs*>(data);
    cairo_rectangle(cr, r->x, r->y, r->width, r->height);
}

void TraceLine(cairo_t* cr, const void* data)
{
    auto* r = static_cast<const RectArgs*>(data);
    cairo_move_to(cr, r->x, r->y);
    cairo_line_to(cr, r->width, r->height);
}

// True when every pixel of the image surface is opaque (an RGB24 surface always is).
bool IsOpaque(cairo_surface_t* surface)
{
    if (cairo_image_surface_get_format(surface) == CAIRO_FORMAT_RGB24)
    {
        return true;
    }
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    for (int y = 0; y < height; ++y)
    {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < width; ++x)
        {
            if (row[x] < 0xFF000000u)
            {
                return false;
            }
        }
    }
    return true;
}

void TracePath(cairo_t* cr, const void* data)
{
    static_cast<const GpPath*>(data)->Trace(cr);
}

// Draws `source` (premultiplied) so that its pixel (sx, sy) lands on (dx, dy) at scale (kx, ky),
// filling the world rectangle dest.
void PaintScaled(cairo_t* cr, cairo_surface_t* source, double dx, double dy, double sx, double sy,
                 double kx, double ky, const RectArgs& dest, InterpolationMode interpolation,
                 cairo_extend_t extend, double alpha = 1.0)
{
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(source);
    cairo_matrix_t m;
    cairo_matrix_init_translate(&m, sx, sy);
    cairo_matrix_scale(&m, 1.0 / kx, 1.0 / ky);
    cairo_matrix_translate(&m, -dx, -dy);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_pattern_set_extend(pattern, extend);
    ApplyFilter(pattern, interpolation);
    cairo_set_source(cr, pattern);
    cairo_rectangle(cr, dest.x, dest.y, dest.width, dest.height);
    if (alpha >= 1.0)
    {
        cairo_fill(cr);
    }
    else
    {
        // The colour matrix's alpha scale: the same pixels painted through the rectangle at that
        // alpha. cr's clip and state come back as they were.
        cairo_save(cr);
        cairo_clip(cr);
        cairo_paint_with_alpha(cr, alpha);
        cairo_restore(cr);
    }
    cairo_pattern_destroy(pattern);
}
} // namespace

GpStatus GdipGetImageGraphicsContext(GpImage* image, GpGraphics** graphics)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (image == nullptr || graphics == nullptr)
    {
        return InvalidParameter;
    }
    BusyScope busy;
    if (!busy.Enter(AsBitmap(image)->busy))
    {
        return ObjectBusy;
    }
    if (AsBitmap(image)->locked)
    {
        return WrongState;
    }
    return CreateGraphics(AsBitmap(image), nullptr, graphics);
}

GpStatus GdipCreateFromHWND(HWND window, GpGraphics** graphics)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (graphics == nullptr)
    {
        return InvalidParameter;
    }
    cairo_surface_t* surface = GetLentWindowSurface(window);
    if (surface == nullptr)
    {
        surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 0, 0);
    }
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
    {
        cairo_surface_destroy(surface);
        return OutOfMemory;
    }
    return CreateGraphics(nullptr, surface, graphics);
}

GpStatus GdipDeleteGraphics(GpGraphics* graphics)
{
    if (graphics == nullptr)
    {
        return InvalidParameter;
    }
    if (!graphics->busy.TryEnter())
    {
        return ObjectBusy;
    }
    delete graphics;
    return Ok;
}

GpStatus GdipFlush(GpGraphics* graphics, FlushIntention intention)
{
    if (graphics == nullptr ||
        (intention != FlushIntentionFlush && intention != FlushIntentionSync))
    {
        return InvalidParameter;
    }
    // Every call has finished drawing when it returns; there is nothing left to push.
    return Ok;
}

GpStatus GdipGetDpiX(GpGraphics* graphics, REAL* dpi)
{
    if (graphics == nullptr || dpi == nullptr)
    {
        return InvalidParameter;
    }
    *dpi = graphics->dpi;
    return Ok;
}

GpStatus GdipGetDpiY(GpGraphics* graphics, REAL* dpi)
{
    return GdipGetDpiX(graphics, dpi);
}

GpStatus GdipSetSmoothingMode(GpGraphics* graphics, SmoothingMode mode)
{
    return SetMode(graphics, &GpGraphics::smoothing, mode, SmoothingModeDefault,
                   SmoothingModeAntiAlias);
}

GpStatus GdipGetSmoothingMode(GpGraphics* graphics, SmoothingMode* mode)
{
    return GetMode(graphics, &GpGraphics::smoothing, mode);
}

GpStatus GdipSetInterpolationMode(GpGraphics* graphics, InterpolationMode mode)
{
    return SetMode(graphics, &GpGraphics::interpolation, mode, InterpolationModeDefault,
                   InterpolationModeHighQualityBicubic);
}

GpStatus GdipGetInterpolationMode(GpGraphics* graphics, InterpolationMode* mode)
{
    return GetMode(graphics, &GpGraphics::interpolation, mode);
}

GpStatus GdipSetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode mode)
{
    return SetMode(graphics, &GpGraphics::pixelOffset, mode, PixelOffsetModeDefault,
                   PixelOffsetModeHalf);
}

GpStatus GdipGetPixelOffsetMode(GpGraphics* graphics, PixelOffsetMode* mode)
{
    return GetMode(graphics, &GpGraphics::pixelOffset, mode);
}

GpStatus GdipSetCompositingMode(GpGraphics* graphics, CompositingMode mode)
{
    return SetMode(graphics, &GpGraphics::compositing, mode, CompositingModeSourceOver,
                   CompositingModeSourceCopy);
}

GpStatus GdipGetCompositingMode(GpGraphics* graphics, CompositingMode* mode)
{
    return GetMode(graphics, &GpGraphics::compositing, mode);
}

GpStatus GdipTranslateWorldTransform(GpGraphics* graphics, REAL dx, REAL dy, GpMatrixOrder order)
{
    if (graphics == nullptr || !Finite({dx, dy}) ||
        (order != MatrixOrderPrepend && order != MatrixOrderAppend))
    {
        return InvalidParameter;
    }
    BusyScope busy;
    if (!busy.Enter(graphics->busy))
    {
        return ObjectBusy;
    }
    if (order == MatrixOrderPrepend)
    {
        cairo_matrix_translate(&graphics->world, dx, dy);
    }
    else
    {
        graphics->world.x0 += dx;
        graphics->world.y0 += dy;
    }
    return Ok;
}

GpStatus GdipResetWorldTransform(GpGraphics* graphics)
{
    if (graphics == nullptr)
    {
        return InvalidParameter;
    }
    BusyScope busy;
    if (!busy.Enter(graphics->busy))
    {
        return ObjectBusy;
    }
    cairo_matrix_init_identity(&graphics->world);
    return Ok;
}

GpStatus GdipSetClipRect(GpGraphics* graphics, REAL x, REAL y, REAL width, REAL height,
                         CombineMode mode)
{
    if (graphics == nullptr || !Finite({x, y, width, height}) || mode < CombineModeReplace ||
        mode > CombineModeComplement)
    {
        return InvalidParameter;
    }
    if (mode != CombineModeReplace && mode != CombineModeIntersect)
    {
        return NotImplemented;
    }
    BusyScope busy;
    if (!busy.Enter(graphics->busy))
    {
        return ObjectBusy;
    }
    // The rectangle's corners in device pixels (the world transform may mirror it).
    double x0 = x, y0 = y, x1 = static_cast<double>(x) + width,
           y1 = static_cast<double>(y) + height;
    cairo_matrix_transform_point(&graphics->world, &x0, &y0);
    cairo_matrix_transform_point(&graphics->world, &x1, &y1);
    double left = std::fmin(x0, x1), right = std::fmax(x0, x1);
    double top = std::fmin(y0, y1), bottom = std::fmax(y0, y1);
    if (mode == CombineModeIntersect && !graphics->clipInfinite)
    {
        left = std::fmax(left, graphics->clipLeft);
        top = std::fmax(top, graphics->clipTop);
        right = std::fmin(right, graphics->clipRight);
        bottom = std::fmin(bottom, graphics->clipBottom);
    }
    graphics->clipInfinite = false;
    graphics->clipLeft = left;
    graphics->clipTop = top;
    graphics->clipRight = std::fmax(left, right);
    graphics->clipBottom = std::fmax(top, bottom);
    if (mode == CombineModeReplace)
    {
        graphics->clipHasRegion = false;
        graphics->clipRects.clear();
    }
    ++graphics->clipVersion;
    return Ok;
}

namespace
{
// The overlap of two rectangles; false when they do not overlap.
bool Overlap(const RectF& a, const RectF& b, RectF& out)
{
    const float left = std::fmax(a.X, b.X);
    const float top = std::fmax(a.Y, b.Y);
    const float right = std::fmin(a.X + a.Width, b.X + b.Width);
    const float bottom = std::fmin(a.Y + a.Height, b.Y + b.Height);
    if (!(right > left && bottom > top))
    {
        return false;
    }
    out = RectF{left, top, right - left, bottom - top};
    return true;
}
} // namespace

GpStatus GdipSetClipRegion(GpGraphics* graphics, GpRegion* region, CombineMode mode)
{
    if (graphics == nullptr || region == nullptr || mode < CombineModeReplace ||
        mode > CombineModeComplement)
    {
        return InvalidParameter;
    }
    if (mode != CombineModeReplace && mode != CombineModeIntersect)
    {
        return NotImplemented;
    }
    BusyScope busy;
    if (!busy.Enter(graphics->busy))
    {
        return ObjectBusy;
    }
    // The region's rectangles in device pixels.
    std::vector<RectF> rects;
    rects.reserve(region->rects.size());
    for (const RectF& r : region->rects)
    {
        double x0 = r.X, y0 = r.Y, x1 = static_cast<double>(r.X) + r.Width,
               y1 = static_cast<double>(r.Y) + r.Height;
        cairo_matrix_transform_point(&graphics->world, &x0, &y0);
        cairo_matrix_transform_point(&graphics->world, &x1, &y1);
        rects.push_back(
            RectF{static_cast<REAL>(std::fmin(x0, x1)), static_cast<REAL>(std::fmin(y0, y1)),
                  static_cast<REAL>(std::fabs(x1 - x0)), static_cast<REAL>(std::fabs(y1 - y0))});
    }
    if (mode == CombineModeReplace)
    {
        graphics->clipInfinite = true;
        graphics->clipHasRegion = !region->infinite;
        graphics->clipRects = std::move(rects);
    }
    else if (!region->infinite)
    {
        if (graphics->clipHasRegion)
        {
            // What both unions cover: the overlaps of every pair.
            std::vector<RectF> both;
            for (const RectF& a : graphics->clipRects)
            {
                for (const RectF& b : rects)
                {
                    RectF overlap{};
                    if (Overlap(a, b, overlap))
                    {
                        both.push_back(overlap);
                    }
                }
            }
            graphics->clipRects = std::move(both);
        }
        else
        {
            graphics->clipRects = std::move(rects);
        }
        graphics->clipHasRegion = true;
    }
    ++graphics->clipVersion;
    return Ok;
}

GpStatus GdipResetClip(GpGraphics* graphics)
{
    if (graphics == nullptr)
    {
        return InvalidParameter;
    }
    BusyScope busy;
    if (!busy.Enter(graphics->busy))
    {
        return ObjectBusy;
    }
    graphics->clipInfinite = true;
    graphics->clipHasRegion = false;
    graphics->clipRects.clear();
    ++graphics->clipVersion;
    return Ok;
}

GpStatus GdipGraphicsClear(GpGraphics* graphics, ARGB color)
{
    if (graphics == nullptr)
    {
        return InvalidParameter;
    }
    DrawScope scope(graphics, nullptr);
    if (scope.status() != Ok)
    {
        return scope.status();
    }
    scope.SetOperator(CAIRO_OPERATOR_SOURCE);
    SetSourceColor(scope.cr(), color);
    cairo_paint(scope.cr());
    return Ok;
}

GpStatus GdipDrawLine(GpGraphics* graphics, GpPen* pen, REAL x1, REAL y1, REAL x2, REAL y2)
{
    if (graphics == nullptr || pen == nullptr || !Finite({x1, y1, x2, y2}))
    {
        return InvalidParameter;
    }
    RectArgs line{x1, y1, x2, y2};
    return Stroke(graphics, pen, TraceLine, &line);
}

GpStatus GdipDrawRectangleI(GpGraphics* graphics, GpPen* pen, INT x, INT y, INT width, INT height)
{
    if (graphics == nullptr || pen == nullptr)
    {
        return InvalidParameter;
    }
    if (width < 0 || height < 0)
    {
        return Ok; // nothing to draw
    }
    RectArgs rect{static_cast<double>(x), static_cast<double>(y), static_cast<double>(width),
                  static_cast<double>(height)};
    return Stroke(graphics, pen, TraceRect, &rect);
}

GpStatus GdipFillRectangle(GpGraphics* graphics, GpBrush* brush, REAL x, REAL y, REAL width,
                           REAL height)
{
    if (graphics == nullptr || brush == nullptr || !Finite({x, y, width, height}))
    {
        return InvalidParameter;
    }
    if (width <= 0 || height <= 0)
    {
        return Ok;
    }
    RectArgs rect{x, y, width, height};
    return Fill(graphics, brush, TraceRect, &rect, CAIRO_FILL_RULE_WINDING);
}

GpStatus GdipFillRectangleI(GpGraphics* graphics, GpBrush* brush, INT x, INT y, INT width,
                            INT height)
{
    return GdipFillRectangle(graphics, brush, static_cast<REAL>(x), static_cast<REAL>(y),
                             static_cast<REAL>(width), static_cast<REAL>(height));
}

GpStatus GdipDrawPath(GpGraphics* graphics, GpPen* pen, GpPath* path)
{
    if (graphics == nullptr || pen == nullptr || path == nullptr)
    {
        return InvalidParameter;
    }
    return Stroke(graphics, pen, TracePath, path);
}

GpStatus GdipFillPath(GpGraphics* graphics, GpBrush* brush, GpPath* path)
{
    if (graphics == nullptr || brush == nullptr || path == nullptr)
    {
        return InvalidParameter;
    }
    return Fill(graphics, brush, TracePath, path,
                path->fillMode == FillModeAlternate ? CAIRO_FILL_RULE_EVEN_ODD
                                                    : CAIRO_FILL_RULE_WINDING);
}

GpStatus GdipDrawImageRectRect(GpGraphics* graphics, GpImage* image, REAL dstx, REAL dsty,
                               REAL dstwidth, REAL dstheight, REAL srcx, REAL srcy, REAL srcwidth,
                               REAL srcheight, GpUnit srcUnit, const GpImageAttributes* attributes,
                               DrawImageAbort abort, void* abortData)
{
    if (graphics == nullptr || image == nullptr ||
        !Finite({dstx, dsty, dstwidth, dstheight, srcx, srcy, srcwidth, srcheight}) ||
        srcwidth == 0 || srcheight == 0 || srcUnit < UnitWorld || srcUnit > UnitMillimeter)
    {
        return InvalidParameter;
    }
    if (srcUnit != UnitPixel)
    {
        return NotImplemented;
    }
    const double alpha = attributes != nullptr && attributes->scalesAlpha
                             ? static_cast<double>(attributes->alpha)
                             : 1.0;
    if (abort != nullptr && abort(abortData))
    {
        return Aborted;
    }
    if (dstwidth == 0 || dstheight == 0)
    {
        return Ok;
    }
    DrawScope scope(graphics, image);
    if (scope.status() != Ok)
    {
        return scope.status();
    }
    cairo_t* cr = scope.cr();
    scope.UseWorld(false);
    BitmapObject* bitmap = AsBitmap(image);
    double kx = static_cast<double>(dstwidth) / srcwidth;
    double ky = static_cast<double>(dstheight) / srcheight;
    RectArgs dest{dstx, dsty, dstwidth, dstheight};
    // A part of whole pixels that fits one image surface is drawn on its own.
    bool whole = srcx == std::floor(srcx) && srcy == std::floor(srcy) &&
                 srcwidth == std::floor(srcwidth) && srcheight == std::floor(srcheight) &&
                 std::fabs(srcwidth) <= 32767 && std::fabs(srcheight) <= 32767;
    if (kx == 1.0 && ky == 1.0)
    {
        // Unscaled: a copy of the rectangle, nothing around it.
        PaintScaled(cr, bitmap->Surface(), dstx, dsty, srcx, srcy, 1, 1, dest,
                    graphics->interpolation, CAIRO_EXTEND_NONE, alpha);
        return Ok;
    }
    if (whole)
    {
        // Scaled: the rectangle on its own, its edge pixels repeated outward, so that filtering
        // neither fades the edges nor takes in pixels around the rectangle.
        cairo_surface_t* part =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(std::fabs(srcwidth)),
                                       static_cast<int>(std::fabs(srcheight)));
        if (cairo_surface_status(part) != CAIRO_STATUS_SUCCESS)
        {
            cairo_surface_destroy(part);
            return OutOfMemory;
        }
        double left = srcwidth > 0 ? srcx : srcx + srcwidth;
        double top = srcheight > 0 ? srcy : srcy + srcheight;
        cairo_t* copy = cairo_create(part);
        cairo_set_source_surface(copy, bitmap->Surface(), -left, -top);
        cairo_set_operator(copy, CAIRO_OPERATOR_SOURCE);
        cairo_paint(copy);
        cairo_destroy(copy);
        PaintScaled(cr, part, dstx, dsty, srcx - left, srcy - top, kx, ky, dest,
                    graphics->interpolation, CAIRO_EXTEND_PAD, alpha);
        cairo_surface_destroy(part);
        return Ok;
    }
    PaintScaled(cr, bitmap->Surface(), dstx, dsty, srcx, srcy, kx, ky, dest,
                graphics->interpolation, CAIRO_EXTEND_PAD, alpha);
    return Ok;
}

GpStatus GdipDrawImagePointRectI(GpGraphics* graphics, GpImage* image, INT x, INT y, INT srcx,
                                 INT srcy, INT srcwidth, INT srcheight, GpUnit srcUnit)
{
    if (srcwidth <= 0 || srcheight <= 0)
    {
        return graphics == nullptr || image == nullptr ? InvalidParameter : Ok;
    }
    return GdipDrawImageRectRect(graphics, image, static_cast<REAL>(x), static_cast<REAL>(y),
                                 static_cast<REAL>(srcwidth), static_cast<REAL>(srcheight),
                                 static_cast<REAL>(srcx), static_cast<REAL>(srcy),
                                 static_cast<REAL>(srcwidth), static_cast<REAL>(srcheight), srcUnit,
                                 nullptr, nullptr, nullptr);
}

GpStatus GdipCreateImageAttributes(GpImageAttributes** attributes)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (attributes == nullptr)
    {
        return InvalidParameter;
    }
    *attributes = new (std::nothrow) GpImageAttributes;
    return *attributes == nullptr ? OutOfMemory : Ok;
}

GpStatus GdipDisposeImageAttributes(GpImageAttributes* attributes)
{
    if (attributes == nullptr)
    {
        return InvalidParameter;
    }
    delete attributes;
    return Ok;
}

GpStatus GdipSetImageAttributesColorMatrix(GpImageAttributes* attributes, ColorAdjustType type,
                                           BOOL enableFlag, const ColorMatrix* colorMatrix,
                                           const ColorMatrix*, ColorMatrixFlags flags)
{
    if (attributes == nullptr || type < ColorAdjustTypeDefault || type >= ColorAdjustTypeCount ||
        flags < ColorMatrixFlagsDefault || flags > ColorMatrixFlagsAltGray ||
        (enableFlag && colorMatrix == nullptr))
    {
        return InvalidParameter;
    }
    if ((type != ColorAdjustTypeDefault && type != ColorAdjustTypeBitmap) ||
        flags != ColorMatrixFlagsDefault)
    {
        return NotImplemented;
    }
    if (!enableFlag)
    {
        attributes->scalesAlpha = false;
        attributes->alpha = 1.0f;
        return Ok;
    }
    for (int row = 0; row < 5; ++row)
    {
        for (int column = 0; column < 5; ++column)
        {
            const REAL value = colorMatrix->m[row][column];
            if (row == 3 && column == 3)
            {
                if (!(value >= 0.0f && value <= 1.0f))
                {
                    return NotImplemented;
                }
                continue;
            }
            if (value != (row == column ? 1.0f : 0.0f))
            {
                return NotImplemented;
            }
        }
    }
    attributes->scalesAlpha = true;
    attributes->alpha = colorMatrix->m[3][3];
    return Ok;
}

GpCachedBitmap::~GpCachedBitmap()
{
    if (surface != nullptr)
    {
        cairo_surface_destroy(surface);
    }
}

GpStatus GdipCreateCachedBitmap(GpBitmap* bitmapHandle, GpGraphics* graphics,
                                GpCachedBitmap** cachedBitmap)
{
    BitmapObject* bitmap = static_cast<BitmapObject*>(bitmapHandle);
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (bitmap == nullptr || graphics == nullptr || cachedBitmap == nullptr)
    {
        return InvalidParameter;
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
    auto* cached = new (std::nothrow) GpCachedBitmap;
    if (cached == nullptr)
    {
        return OutOfMemory;
    }
    cached->width = bitmap->width;
    cached->height = bitmap->height;
    // An opaque picture is kept without alpha, so that drawing it is a plain copy.
    cairo_surface_t* source = bitmap->Surface();
    cached->surface = cairo_image_surface_create(
        IsOpaque(source) ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, bitmap->width, bitmap->height);
    if (cairo_surface_status(cached->surface) != CAIRO_STATUS_SUCCESS)
    {
        delete cached;
        return OutOfMemory;
    }
    cairo_t* copy = cairo_create(cached->surface);
    cairo_set_source_surface(copy, source, 0, 0);
    cairo_set_operator(copy, CAIRO_OPERATOR_SOURCE);
    cairo_paint(copy);
    cairo_destroy(copy);
    *cachedBitmap = cached;
    return Ok;
}

GpStatus GdipDeleteCachedBitmap(GpCachedBitmap* cachedBitmap)
{
    if (cachedBitmap == nullptr)
    {
        return InvalidParameter;
    }
    delete cachedBitmap;
    return Ok;
}

GpStatus GdipDrawCachedBitmap(GpGraphics* graphics, GpCachedBitmap* cachedBitmap, INT x, INT y)
{
    if (graphics == nullptr || cachedBitmap == nullptr)
    {
        return InvalidParameter;
    }
    const cairo_matrix_t& w = graphics->world;
    if (w.xx != 1.0 || w.yy != 1.0 || w.xy != 0.0 || w.yx != 0.0)
    {
        return WrongState;
    }
    DrawScope scope(graphics, nullptr);
    if (scope.status() != Ok)
    {
        return scope.status();
    }
    cairo_t* cr = scope.cr();
    double dx = std::round(x + w.x0);
    double dy = std::round(y + w.y0);
    cairo_set_source_surface(cr, cachedBitmap->surface, dx, dy);
    cairo_rectangle(cr, dx, dy, cachedBitmap->width, cachedBitmap->height);
    cairo_fill(cr);
    return Ok;
}
