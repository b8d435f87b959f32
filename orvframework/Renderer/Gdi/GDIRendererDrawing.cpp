// The GDI+ renderer's rectangles, lines, colour lists, clip, clip region, alpha and translation.
#include "Renderer/Gdi/GDIRenderer.h"

#include "Utilities/Storage/Array.h"

#include <algorithm>

namespace Orv
{
ORVRESULT LGDIRenderer::DrawRect(const RectT<LONG>& rect, const ColorRGBA& color, float lineWidth)
{
    if (mCurrent == nullptr)
    {
        return S_OK;
    }
    ApplyClipRegion();
    GdiplusGraphics& g = mCurrent.GetMutable()->GetGraphics();
    GpPen* created = nullptr;
    GdiplusPen pen;
    if (pen.Record(GdipCreatePen1(ColorFromFloatRGBA(Faded(color)), lineWidth, Gdiplus::UnitWorld,
                                  &created)) != Gdiplus::Ok)
    {
        return S_OK;
    }
    pen.Reset(created);
    g.Record(GdipDrawRectangleI(g.Get(), pen.Get(), rect.x, rect.y, rect.width, rect.height));
    return S_OK;
}

ORVRESULT LGDIRenderer::FillRect(const RectT<LONG>& rect, const ColorRGBA& color, bool blend)
{
    if (mCurrent == nullptr)
    {
        return S_OK;
    }
    const ARGB argb = ColorFromFloatRGBA(Faded(color));
    LGDIRenderContextInfo& current = *mCurrent.GetMutable();
    if (!blend)
    {
        // The pixels are replaced in surface coordinates, without origin, clip or clip region,
        // and only those that lie on the surface.
        GdiplusBitmap& bitmap = current.GetFrontSurface().GetBitmap();
        const SizeT<LONG> size = current.GetFrontSurface().GetSize();
        const long long left = std::max<long long>(rect.x, 0);
        const long long top = std::max<long long>(rect.y, 0);
        const long long right =
            std::min<long long>(static_cast<long long>(rect.x) + rect.width, size.width);
        const long long bottom =
            std::min<long long>(static_cast<long long>(rect.y) + rect.height, size.height);
        for (long long y = top; y < bottom; ++y)
        {
            for (long long x = left; x < right; ++x)
            {
                bitmap.Record(GdipBitmapSetPixel(bitmap.Get(), static_cast<INT>(x),
                                                 static_cast<INT>(y), argb));
            }
        }
        return S_OK;
    }
    ApplyClipRegion();
    GdiplusGraphics& g = current.GetGraphics();
    GpSolidFill* created = nullptr;
    GdiplusSolidBrush brush;
    if (brush.Record(GdipCreateSolidFill(argb, &created)) != Gdiplus::Ok)
    {
        return S_OK;
    }
    brush.Reset(created);
    g.Record(GdipFillRectangleI(g.Get(), brush.Get(), rect.x, rect.y, rect.width, rect.height));
    return S_OK;
}

ORVRESULT LGDIRenderer::DrawFilledRect(const RectT<LONG>& rect, const ColorRGBA& fill,
                                       const ColorRGBA& outline, float lineWidth)
{
    if (fill.alpha > 0)
    {
        FillRect(rect, fill, true);
    }
    if (outline.alpha > 0)
    {
        DrawRect(rect, outline, lineWidth);
    }
    return S_OK;
}

ORVRESULT LGDIRenderer::DrawColorRectList(const ColorRectListT<float>& list,
                                          const PointT<double>& origin, bool)
{
    if (mCurrent == nullptr)
    {
        return S_OK;
    }
    Translate(origin);
    const PointT<float>& scale = list.GetScale();
    for (int i = static_cast<int>(list.GetCount()) - 1; i >= 0; --i)
    {
        const RectT<float>& r = list.GetRect(static_cast<unsigned int>(i));
        const RectT<LONG> rect(RoundDoubleToLong(static_cast<double>(r.x) * scale.x),
                               RoundDoubleToLong(static_cast<double>(r.y) * scale.y),
                               RoundDoubleToLong(static_cast<double>(r.width) * scale.x),
                               RoundDoubleToLong(static_cast<double>(r.height) * scale.y));
        FillRect(rect, ColorRGBA::FromPacked(list.GetColor(static_cast<unsigned int>(i))), true);
    }
    Translate(PointT<double>(-origin.x, -origin.y));
    return S_OK;
}

ORVRESULT LGDIRenderer::DrawLine(const PointT<float>& from, const PointT<float>& to,
                                 const ColorRGBA& color, float width)
{
    if (mCurrent == nullptr)
    {
        return S_OK;
    }
    ApplyClipRegion();
    GdiplusGraphics& g = mCurrent.GetMutable()->GetGraphics();
    GpPen* created = nullptr;
    GdiplusPen pen;
    if (pen.Record(GdipCreatePen1(ColorFromFloatRGBA(Faded(color)), width, Gdiplus::UnitWorld,
                                  &created)) != Gdiplus::Ok)
    {
        return S_OK;
    }
    pen.Reset(created);
    g.Record(GdipDrawLine(g.Get(), pen.Get(), from.x, from.y, to.x, to.y));
    return S_OK;
}

ORVRESULT LGDIRenderer::SetClipRect(const RectT<double>& clip)
{
    LRenderer::SetClipRect(clip);
    if (mCurrent == nullptr)
    {
        return S_OK;
    }
    LGDIRenderContextInfo& current = *mCurrent.GetMutable();
    const RectT<double>& state = current.GetState().clip;
    GdiplusGraphics& g = current.GetGraphics();
    const Gdiplus::Status status =
        g.Record(GdipSetClipRect(g.Get(), static_cast<REAL>(state.x), static_cast<REAL>(state.y),
                                 static_cast<REAL>(state.width), static_cast<REAL>(state.height),
                                 Gdiplus::CombineModeReplace));
    // The rectangle replaced any clip region the graphics had.
    mAppliedClipRegion = nullptr;
    mClipKnown = status == Gdiplus::Ok;
    return status;
}

ColorRGBA LGDIRenderer::Faded(const ColorRGBA& color) const
{
    ColorRGBA faded = color;
    faded.alpha *= GetAlpha();
    return faded;
}

void LGDIRenderer::ApplyClipRegion()
{
    LGDIRenderContextInfo& current = *mCurrent.GetMutable();
    const RenderState& state = current.GetState();
    if (mClipKnown && mAppliedClipRegion == state.clipRegion)
    {
        return;
    }
    if (LGDIRenderer::SetClipRect(state.clip) != Gdiplus::Ok || state.clipRegion == nullptr)
    {
        return;
    }
    // The region is in the context's own coordinates, the graphics' clip in current ones.
    GdiplusRegion region;
    GpRegion* created = nullptr;
    const GpRectF none{0, 0, 0, 0};
    if (region.Record(GdipCreateRegionRect(&none, &created)) != Gdiplus::Ok)
    {
        mClipKnown = false;
        return;
    }
    region.Reset(created);
    Array<RectT<LONG>> rects;
    state.clipRegion->GetValue().GetRects(rects);
    for (unsigned int i = 0; i < rects.GetCount(); ++i)
    {
        const RectT<LONG>& r = rects.GetConstElementPointer(i);
        const GpRectF rect{static_cast<REAL>(r.x - state.origin.x),
                           static_cast<REAL>(r.y - state.origin.y), static_cast<REAL>(r.width),
                           static_cast<REAL>(r.height)};
        region.Record(GdipCombineRegionRect(region.Get(), &rect, Gdiplus::CombineModeUnion));
    }
    GdiplusGraphics& g = current.GetGraphics();
    if (region.GetLastStatus() != Gdiplus::Ok ||
        g.Record(GdipSetClipRegion(g.Get(), region.Get(), Gdiplus::CombineModeIntersect)) !=
            Gdiplus::Ok)
    {
        mClipKnown = false;
        return;
    }
    mAppliedClipRegion = state.clipRegion;
}

ORVRESULT LGDIRenderer::Translate(const PointT<double>& offset)
{
    LRenderer::Translate(offset);
    if (mCurrent == nullptr)
    {
        return S_OK;
    }
    LGDIRenderContextInfo& current = *mCurrent.GetMutable();
    const PointT<double>& origin = current.GetState().origin;
    GdiplusGraphics& g = current.GetGraphics();
    g.Record(GdipResetWorldTransform(g.Get()));
    return g.Record(GdipTranslateWorldTransform(g.Get(), static_cast<REAL>(origin.x),
                                                static_cast<REAL>(origin.y),
                                                Gdiplus::MatrixOrderPrepend));
}
} // namespace Orv
