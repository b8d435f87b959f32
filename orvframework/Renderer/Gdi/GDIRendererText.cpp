// The GDI+ renderer's text: font metrics, string measurement and drawing. Font sizes are points;
// results are pixels at 96 DPI.
#include "Renderer/Font.h"
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/Gdi/GdiplusFont.h"

#include <cmath>
#include <vector>

namespace Orv
{
namespace
{
// Half away from zero, truncated to an int.
int RoundHalfAway(double value)
{
    return static_cast<int>(value >= 0 ? std::trunc(value + 0.5) : std::trunc(value - 0.5));
}

// The named family, or the generic sans-serif one in its place; which one it is, and the font
// of the size and style in pixels.
struct MetricsFont
{
    MetricsFont(const WString& name, float size, int style)
    {
        GpFontFamily* named = nullptr;
        if (GdipCreateFontFamilyFromName(name.GetBuffer(), nullptr, &named) == Gdiplus::Ok)
        {
            ownedFamily = named;
            family = named;
        }
        else
        {
            family = GdiplusFont::GetGenericSansSerif();
        }
        GpFont* created = nullptr;
        if (family != nullptr &&
            GdipCreateFont(family, size, style, Gdiplus::UnitPixel, &created) != Gdiplus::Ok &&
            family == ownedFamily)
        {
            family = GdiplusFont::GetGenericSansSerif();
            if (family != nullptr &&
                GdipCreateFont(family, size, style, Gdiplus::UnitPixel, &created) != Gdiplus::Ok)
            {
                created = nullptr;
            }
        }
        font.Reset(created);
    }
    ~MetricsFont()
    {
        font.Reset();
        if (ownedFamily != nullptr)
        {
            GdipDeleteFontFamily(ownedFamily);
        }
    }
    MetricsFont(const MetricsFont&) = delete;
    MetricsFont& operator=(const MetricsFont&) = delete;

    GpFontFamily* ownedFamily = nullptr;
    GpFontFamily* family = nullptr;
    GdiplusFontHandle font;
};
} // namespace

ORVRESULT LGDIRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int& height, int& ascent,
                                       int& descent)
{
    height = 0;
    ascent = 0;
    descent = 0;
    if (font == nullptr)
    {
        return S_OK;
    }
    const int style = font->GetStyle();
    MetricsFont metrics(font->GetName(), font->GetSize(), style);
    if (metrics.font.Get() == nullptr)
    {
        // Not even the generic family gives a font: zero metrics.
        return S_OK;
    }
    REAL lineHeight = 0;
    REAL size = 0;
    USHORT cellAscent = 0;
    USHORT cellDescent = 0;
    USHORT em = 0;
    if (GdipGetFontHeightGivenDPI(metrics.font.Get(), 72.0f, &lineHeight) != Gdiplus::Ok ||
        GdipGetFontSize(metrics.font.Get(), &size) != Gdiplus::Ok ||
        GdipGetCellAscent(metrics.family, style, &cellAscent) != Gdiplus::Ok ||
        GdipGetCellDescent(metrics.family, style, &cellDescent) != Gdiplus::Ok ||
        GdipGetEmHeight(metrics.family, style, &em) != Gdiplus::Ok || em == 0)
    {
        return S_OK;
    }
    // Each moved outward to the next whole pixel unless within 0.001 of one.
    height = RoundHalfAway(lineHeight * 96.0 / 72.0 + 0.499);
    ascent = RoundHalfAway(cellAscent * static_cast<double>(size) * -96.0 / (em * 72.0) - 0.499);
    descent = RoundHalfAway(cellDescent * static_cast<double>(size) * 96.0 / (em * 72.0) + 0.499);
    return S_OK;
}

RectT<float> LGDIRenderer::MeasureString(const WString& text, const ConstRCPtr<LFont>& font)
{
    if (text.GetBuffer()[0] == 0 || font == nullptr)
    {
        return RectT<float>(0, 0, 0, 0);
    }
    GdiplusFont gfont(font->GetName().GetBuffer(), font->GetSize(), font->GetStyle(),
                      Gdiplus::UnitPoint);
    int height = 0;
    int ascent = 0;
    int descent = 0;
    GetFontMetrics(font, height, ascent, descent);
    if (gfont.Get() == nullptr)
    {
        return RectT<float>(0, static_cast<float>(ascent), 0, static_cast<float>(height));
    }

    const Gdiplus::RectF layout{0, 0, 9999.0f, 9999.0f};
    GdiplusGraphics g;
    GpGraphics* createdGraphics = nullptr;
    if (g.Record(GdipGetImageGraphicsContext(mMeasuringBitmap.Get(), &createdGraphics)) ==
        Gdiplus::Ok)
    {
        g.Reset(createdGraphics);
    }
    const INT length = static_cast<INT>(text.GetLength());
    GdiplusStringFormat format;
    GpStringFormat* createdFormat = nullptr;
    if (format.Record(GdipCreateStringFormat(0, 0, &createdFormat)) == Gdiplus::Ok)
    {
        format.Reset(createdFormat);
    }
    const Gdiplus::CharacterRange range{0, length};
    format.Record(GdipSetStringFormatMeasurableCharacterRanges(format.Get(), 1, &range));
    format.Record(GdipSetStringFormatTrimming(format.Get(), Gdiplus::StringTrimmingNone));
    format.Record(
        GdipSetStringFormatFlags(format.Get(), Gdiplus::StringFormatFlagsMeasureTrailingSpaces));
    INT count = 0;
    format.Record(GdipGetStringFormatMeasurableCharacterRangeCount(format.Get(), &count));

    float width = 0;
    if (count > 0)
    {
        std::vector<GdiplusRegion> regions(static_cast<size_t>(count));
        std::vector<GpRegion*> handles(static_cast<size_t>(count), nullptr);
        bool made = true;
        for (size_t i = 0; i < regions.size(); ++i)
        {
            GpRegion* region = nullptr;
            made = regions[i].Record(GdipCreateRegion(&region)) == Gdiplus::Ok && made;
            regions[i].Reset(region);
            handles[i] = region;
        }
        Gdiplus::RectF box{};
        if (made &&
            g.Record(GdipMeasureCharacterRanges(g.Get(), text.GetBuffer(), length, gfont.Get(),
                                                layout, format.Get(), count, handles.data())) ==
                Gdiplus::Ok &&
            g.Record(GdipGetRegionBounds(handles[0], g.Get(), &box)) == Gdiplus::Ok)
        {
            double right = static_cast<double>(box.X) + box.Width;
            if (mScreenDpi != 96 && mScreenDpi > 0)
            {
                // From screen pixels to pixels at 96 DPI.
                right = (9600.0 / mScreenDpi) * right / 100.0;
            }
            // Rounded up unless within 0.0001 above a whole number, plus three pixels of slack.
            double w = std::trunc(right + 0.9999);
            if (w > 0)
            {
                w += 3.0;
            }
            width = static_cast<float>(w);
        }
    }
    return RectT<float>(0, static_cast<float>(ascent), width, static_cast<float>(height));
}

ORVRESULT LGDIRenderer::DrawString(const WString& text, const ConstRCPtr<LFont>& font,
                                   const PointT<LONG>& position, const ColorRGBA& color)
{
    if (mCurrent == nullptr || font == nullptr)
    {
        return S_OK;
    }
    GdiplusFont gfont(font->GetName().GetBuffer(), mScale * font->GetSize(), font->GetStyle(),
                      Gdiplus::UnitPoint);
    if (gfont.Get() == nullptr)
    {
        return S_OK;
    }
    GdiplusSolidBrush brush;
    GpSolidFill* created = nullptr;
    if (brush.Record(GdipCreateSolidFill(ColorFromFloatRGBA(Faded(color)), &created)) !=
        Gdiplus::Ok)
    {
        return S_OK;
    }
    brush.Reset(created);
    ApplyClipRegion();
    GdiplusGraphics& g = mCurrent.GetMutable()->GetGraphics();
    // The layout box starts one pixel above the given point.
    const Gdiplus::RectF layout{static_cast<REAL>(position.x), static_cast<REAL>(position.y - 1), 0,
                                0};
    g.Record(
        GdipDrawString(g.Get(), text.GetBuffer(), -1, gfont.Get(), &layout, nullptr, brush.Get()));
    return S_OK;
}
} // namespace Orv
