// Font families and fonts through fontconfig and FreeType; text laid out, measured and drawn.
#include "GdiPlusTestSupport.h"

#include <cmath>

using namespace Gdiplus;

namespace
{
constexpr ARGB kBlack = 0xFF000000u;

struct Font
{
    Font(const WCHAR* family, REAL size, INT style = FontStyleRegular, Unit unit = UnitPoint)
    {
        EXPECT_EQ(GdipCreateFontFamilyFromName(family, nullptr, &this->family), Ok);
        EXPECT_EQ(GdipCreateFont(this->family, size, style, unit, &font), Ok);
    }
    ~Font()
    {
        GdipDeleteFont(font);
        GdipDeleteFontFamily(family);
    }
    GpFontFamily* family = nullptr;
    GpFont* font = nullptr;
};

// The boxes of ranges of a text, as the renderer measures: trailing blanks counted or not.
std::vector<GpRectF> Measure(GpGraphics* g, const std::wstring& text, GpFont* font,
                             std::vector<CharacterRange> ranges, INT flags,
                             GpRectF layout = {0, 0, 9999, 9999})
{
    GpStringFormat* format = nullptr;
    EXPECT_EQ(GdipCreateStringFormat(0, 0, &format), Ok);
    EXPECT_EQ(GdipSetStringFormatMeasurableCharacterRanges(format, static_cast<INT>(ranges.size()),
                                                           ranges.data()),
              Ok);
    EXPECT_EQ(GdipSetStringFormatTrimming(format, StringTrimmingNone), Ok);
    EXPECT_EQ(GdipSetStringFormatFlags(format, flags), Ok);
    INT count = 0;
    EXPECT_EQ(GdipGetStringFormatMeasurableCharacterRangeCount(format, &count), Ok);
    EXPECT_EQ(count, static_cast<INT>(ranges.size()));
    std::vector<GpRegion*> regions(ranges.size());
    for (GpRegion*& region : regions)
    {
        EXPECT_EQ(GdipCreateRegion(&region), Ok);
    }
    EXPECT_EQ(GdipMeasureCharacterRanges(g, text.c_str(), static_cast<INT>(text.size()), font,
                                         layout, format, count, regions.data()),
              Ok);
    std::vector<GpRectF> boxes;
    for (GpRegion* region : regions)
    {
        GpRectF box{};
        EXPECT_EQ(GdipGetRegionBounds(region, g, &box), Ok);
        boxes.push_back(box);
        GdipDeleteRegion(region);
    }
    GdipDeleteStringFormat(format);
    return boxes;
}

// The bounding box of every pixel that is not transparent; empty (width 0) when none is.
GpRect Ink(const Canvas& canvas)
{
    UINT width = 0, height = 0;
    GdipGetImageWidth(canvas.bitmap, &width);
    GdipGetImageHeight(canvas.bitmap, &height);
    int left = INT32_MAX, top = INT32_MAX, right = -1, bottom = -1;
    for (int y = 0; y < static_cast<int>(height); ++y)
    {
        for (int x = 0; x < static_cast<int>(width); ++x)
        {
            if (canvas.At(x, y) >> 24 != 0)
            {
                left = std::min(left, x);
                top = std::min(top, y);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? GpRect{0, 0, 0, 0} : GpRect{left, top, right - left + 1, bottom - top + 1};
}

GpStatus DrawText(Canvas& canvas, const std::wstring& text, GpFont* font, GpRectF layout,
                  GpStringFormat* format = nullptr)
{
    GpSolidFill* black = nullptr;
    GdipCreateSolidFill(kBlack, &black);
    GpStatus status =
        GdipDrawString(canvas.graphics, text.c_str(), -1, font, &layout, format, black);
    GdipDeleteBrush(black);
    return status;
}
} // namespace

TEST(Fonts, FamiliesAreFoundByInstalledNameInAnyCase)
{
    GpFontFamily* family = nullptr;
    for (const WCHAR* name : {L"DejaVu Sans", L"dejavu sans", L"DEJAVU SERIF"})
    {
        EXPECT_EQ(GdipCreateFontFamilyFromName(name, nullptr, &family), Ok) << name;
        EXPECT_EQ(GdipDeleteFontFamily(family), Ok);
    }
    // Names fontconfig would substitute are not installed families.
    for (const WCHAR* name : {L"No Such Family 123", L"Arial", L"sans-serif"})
    {
        EXPECT_EQ(GdipCreateFontFamilyFromName(name, nullptr, &family), FontFamilyNotFound) << name;
    }
    EXPECT_EQ(GdipCreateFontFamilyFromName(L"", nullptr, &family), InvalidParameter);
    EXPECT_EQ(GdipCreateFontFamilyFromName(nullptr, nullptr, &family), InvalidParameter);
    // The generic family is one object that deleting keeps.
    GpFontFamily* generic = nullptr;
    GpFontFamily* again = nullptr;
    ASSERT_EQ(GdipGetGenericFontFamilySansSerif(&generic), Ok);
    EXPECT_EQ(GdipDeleteFontFamily(generic), Ok);
    ASSERT_EQ(GdipGetGenericFontFamilySansSerif(&again), Ok);
    EXPECT_EQ(again, generic);
    GpFont* font = nullptr;
    EXPECT_EQ(GdipCreateFont(generic, 10, FontStyleBold, UnitPoint, &font), Ok);
    EXPECT_EQ(GdipDeleteFont(font), Ok);
}

TEST(Fonts, FamiliesOfOneNameAreIndependentObjects)
{
    // Looked up again by name, a family is a new object; deleting one leaves the other and the
    // fonts made from either usable, and an absent family stays absent.
    GpFontFamily* first = nullptr;
    GpFontFamily* second = nullptr;
    ASSERT_EQ(GdipCreateFontFamilyFromName(L"DejaVu Sans", nullptr, &first), Ok);
    ASSERT_EQ(GdipCreateFontFamilyFromName(L"DEJAVU SANS", nullptr, &second), Ok);
    EXPECT_NE(first, second);
    GpFont* font = nullptr;
    ASSERT_EQ(GdipCreateFont(first, 12, FontStyleRegular, UnitPixel, &font), Ok);
    EXPECT_EQ(GdipDeleteFontFamily(first), Ok);
    USHORT em = 0;
    EXPECT_EQ(GdipGetEmHeight(second, FontStyleRegular, &em), Ok);
    EXPECT_EQ(em, 2048);
    EXPECT_EQ(GdipDeleteFontFamily(second), Ok);
    REAL height = 0;
    EXPECT_EQ(GdipGetFontHeightGivenDPI(font, 96, &height), Ok);
    EXPECT_GT(height, 12);
    EXPECT_EQ(GdipDeleteFont(font), Ok);
    GpFontFamily* missing = nullptr;
    for (int i = 0; i < 2; ++i)
    {
        EXPECT_EQ(GdipCreateFontFamilyFromName(L"No Such Family 123", nullptr, &missing),
                  FontFamilyNotFound);
    }
}

TEST(Fonts, DesignMetricsAndHeightsFollowTheUnits)
{
    // DejaVu Sans: 2048 units per em, Windows ascent 1901 and descent 483.
    Font pixels(L"DejaVu Sans", 20, FontStyleRegular, UnitPixel);
    USHORT em = 0, ascent = 0, descent = 0;
    EXPECT_EQ(GdipGetEmHeight(pixels.family, FontStyleRegular, &em), Ok);
    EXPECT_EQ(GdipGetCellAscent(pixels.family, FontStyleRegular, &ascent), Ok);
    EXPECT_EQ(GdipGetCellDescent(pixels.family, FontStyleRegular, &descent), Ok);
    EXPECT_EQ(em, 2048);
    EXPECT_EQ(ascent, 1901);
    EXPECT_EQ(descent, 483);
    REAL size = 0;
    EXPECT_EQ(GdipGetFontSize(pixels.font, &size), Ok);
    EXPECT_EQ(size, 20.0f);
    // A pixel-unit font's height does not depend on the resolution; a point-unit font's does.
    REAL height = 0;
    const double lineSpacing = (1901.0 + 483.0) / 2048.0;
    EXPECT_EQ(GdipGetFontHeightGivenDPI(pixels.font, 72, &height), Ok);
    EXPECT_NEAR(height, 20 * lineSpacing, 1e-3);
    EXPECT_EQ(GdipGetFontHeightGivenDPI(pixels.font, 144, &height), Ok);
    EXPECT_NEAR(height, 20 * lineSpacing, 1e-3);
    Font points(L"DejaVu Sans", 12);
    EXPECT_EQ(GdipGetFontHeightGivenDPI(points.font, 96, &height), Ok);
    EXPECT_NEAR(height, 16 * lineSpacing, 1e-3);
    EXPECT_EQ(GdipGetFontHeightGivenDPI(points.font, 0, &height), InvalidParameter);

    GpFont* font = nullptr;
    EXPECT_EQ(GdipCreateFont(points.family, 0, 0, UnitPoint, &font), InvalidParameter);
    EXPECT_EQ(GdipCreateFont(points.family, 10, 16, UnitPoint, &font), InvalidParameter);
    EXPECT_EQ(GdipCreateFont(points.family, 10, 0, UnitDisplay, &font), InvalidParameter);
    EXPECT_EQ(GdipCreateFont(nullptr, 10, 0, UnitPoint, &font), InvalidParameter);
    // A font outlives the family object it was made from.
    GpFontFamily* family = nullptr;
    ASSERT_EQ(GdipCreateFontFamilyFromName(L"DejaVu Sans", nullptr, &family), Ok);
    ASSERT_EQ(GdipCreateFont(family, 10, FontStyleItalic, UnitPoint, &font), Ok);
    GdipDeleteFontFamily(family);
    EXPECT_EQ(GdipGetFontHeightGivenDPI(font, 96, &height), Ok);
    EXPECT_GT(height, 10.0f);
    GdipDeleteFont(font);
}

TEST(Text, RangesMeasureWidthsLinesAndTrailingBlanks)
{
    Canvas canvas(1, 1);
    Font font(L"DejaVu Sans", 12); // 16 pixels per em at 96 DPI
    const REAL padding = 16.0f / 6;
    const REAL lineHeight = 16.0f * (1901 + 483) / 2048;
    std::vector<GpRectF> boxes =
        Measure(canvas.graphics, L"ab cd", font.font, {{0, 5}, {0, 2}, {3, 2}, {2, 1}}, 0);
    ASSERT_EQ(boxes.size(), 4u);
    EXPECT_NEAR(boxes[0].X, padding, 1e-4) << "the text starts a sixth of an em in";
    EXPECT_EQ(boxes[0].Y, 0.0f);
    EXPECT_NEAR(boxes[0].Height, lineHeight, 1e-3);
    EXPECT_GT(boxes[0].Width, 20.0f);
    // The parts side by side make the whole.
    EXPECT_NEAR(boxes[1].X + boxes[1].Width + boxes[3].Width, boxes[2].X, 1e-3);
    EXPECT_NEAR(boxes[2].X + boxes[2].Width, boxes[0].X + boxes[0].Width, 1e-3);

    // Trailing blanks take room only when asked for.
    const std::wstring blanks = L"ab   ";
    GpRectF without = Measure(canvas.graphics, blanks, font.font, {{0, 5}}, 0)[0];
    GpRectF with = Measure(canvas.graphics, blanks, font.font, {{0, 5}},
                           StringFormatFlagsMeasureTrailingSpaces)[0];
    EXPECT_NEAR(without.Width, boxes[1].Width, 1e-3);
    EXPECT_GT(with.Width, without.Width + 5);
    GpRectF onlyBlanks = Measure(canvas.graphics, L"   ", font.font, {{0, 3}},
                                 StringFormatFlagsMeasureTrailingSpaces)[0];
    EXPECT_GT(onlyBlanks.Width, 5.0f);
    GpRectF onlyBlanksNotCounted = Measure(canvas.graphics, L"   ", font.font, {{0, 3}}, 0)[0];
    EXPECT_EQ(onlyBlanksNotCounted.Width, 0.0f);

    // A line break starts a second line one line height down.
    GpRectF twoLines = Measure(canvas.graphics, L"ab\ncd", font.font, {{0, 5}}, 0)[0];
    EXPECT_NEAR(twoLines.Height, 2 * lineHeight, 1e-3);
    EXPECT_NEAR(twoLines.Width, boxes[1].Width, 1e-3);
    GpRectF second = Measure(canvas.graphics, L"ab\ncd", font.font, {{3, 2}}, 0)[0];
    EXPECT_NEAR(second.Y, lineHeight, 1e-3);
    EXPECT_NEAR(second.X, padding, 1e-4);
}

TEST(Text, NarrowLayoutWrapsAtBlanksUnlessNoWrap)
{
    Canvas canvas(1, 1);
    Font font(L"DejaVu Sans", 12);
    const std::wstring text = L"one two three";
    GpRectF wide = Measure(canvas.graphics, text, font.font, {{0, 13}}, 0)[0];
    GpRectF narrow =
        Measure(canvas.graphics, text, font.font, {{0, 13}}, 0, {0, 0, wide.Width * 0.6f, 9999})[0];
    EXPECT_GT(narrow.Height, wide.Height * 1.5f);
    EXPECT_LT(narrow.Width, wide.Width * 0.6f);
    // "three" starts the last line at the left.
    GpRectF three =
        Measure(canvas.graphics, text, font.font, {{8, 5}}, 0, {0, 0, wide.Width * 0.6f, 9999})[0];
    EXPECT_NEAR(three.X, 16.0f / 6, 1e-4);
    EXPECT_GT(three.Y, 0.0f);
    GpRectF noWrap = Measure(canvas.graphics, text, font.font, {{0, 13}}, StringFormatFlagsNoWrap,
                             {0, 0, wide.Width * 0.6f, 9999})[0];
    EXPECT_EQ(noWrap.Height, wide.Height);
    // A layout box clips the boxes unless NoClip.
    GpRectF clipped = Measure(canvas.graphics, text, font.font, {{0, 13}}, StringFormatFlagsNoWrap,
                              {0, 0, 20, 9999})[0];
    EXPECT_NEAR(clipped.Width, 20 - 16.0f / 6, 1e-3);
}

TEST(Text, DrawnInkLiesInTheMeasuredBox)
{
    Font font(L"DejaVu Sans", 12);
    const std::wstring text = L"Hxg Hxg";
    for (GpRectF layout : {GpRectF{5, 7, 0, 0}, GpRectF{20.5f, 3, 0, 0}})
    {
        Canvas canvas(120, 40);
        ASSERT_EQ(DrawText(canvas, text, font.font, layout), Ok);
        GpRectF box = Measure(canvas.graphics, text, font.font, {{0, 7}}, 0, layout)[0];
        GpRect ink = Ink(canvas);
        ASSERT_GT(ink.Width, 0);
        // The ink starts at the measured left (give or take a glyph's side bearing) ...
        EXPECT_GE(ink.X + 1, box.X);
        EXPECT_LE(ink.X, box.X + 2);
        // ... ends inside the measured width, and stays between the line's top and bottom.
        EXPECT_LE(ink.X + ink.Width, box.X + box.Width + 1);
        EXPECT_GE(ink.X + ink.Width, box.X + box.Width - 3);
        EXPECT_GE(ink.Y, box.Y);
        EXPECT_LE(ink.Y + ink.Height, box.Y + box.Height + 1);
        // "H" reaches near the cell's top; "g" descends below the baseline.
        EXPECT_LE(ink.Y, box.Y + box.Height * 0.35f);
        EXPECT_GE(ink.Y + ink.Height, box.Y + box.Height * 0.8f);
    }
}

TEST(Text, TranslationClipAndUnderlineApplyToText)
{
    Font plain(L"DejaVu Sans", 12);
    Font underlined(L"DejaVu Sans", 12, FontStyleUnderline);
    Canvas a(80, 30), b(80, 30);
    ASSERT_EQ(DrawText(a, L"abc", plain.font, {2, 2, 0, 0}), Ok);
    ASSERT_EQ(DrawText(b, L"abc", underlined.font, {2, 2, 0, 0}), Ok);
    GpRect inkPlain = Ink(a);
    GpRect inkUnderlined = Ink(b);
    EXPECT_GT(inkUnderlined.Y + inkUnderlined.Height, inkPlain.Y + inkPlain.Height)
        << "the underline lies below the letters";

    Canvas moved(80, 30);
    ASSERT_EQ(GdipTranslateWorldTransform(moved.graphics, 10, 5, MatrixOrderPrepend), Ok);
    ASSERT_EQ(DrawText(moved, L"abc", plain.font, {2, 2, 0, 0}), Ok);
    GpRect inkMoved = Ink(moved);
    EXPECT_EQ(inkMoved.X, inkPlain.X + 10);
    EXPECT_EQ(inkMoved.Y, inkPlain.Y + 5);

    // A layout box with a size clips the text to it.
    Canvas clipped(80, 30);
    ASSERT_EQ(DrawText(clipped, L"abcdefgh", plain.font, {0, 0, 20, 30}), Ok);
    GpRect inkClipped = Ink(clipped);
    EXPECT_LE(inkClipped.X + inkClipped.Width, 20);
}

TEST(Text, StatusCodesOfTextCalls)
{
    Canvas canvas(4, 4);
    Font font(L"DejaVu Sans", 12);
    GpStringFormat* format = nullptr;
    ASSERT_EQ(GdipCreateStringFormat(0, 0, &format), Ok);
    CharacterRange ranges[33] = {};
    EXPECT_EQ(GdipSetStringFormatMeasurableCharacterRanges(format, 33, ranges), ValueOverflow);
    EXPECT_EQ(GdipSetStringFormatMeasurableCharacterRanges(format, 1, nullptr), InvalidParameter);
    EXPECT_EQ(GdipSetStringFormatTrimming(format, static_cast<StringTrimming>(6)),
              InvalidParameter);
    CharacterRange beyond{2, 5};
    ASSERT_EQ(GdipSetStringFormatMeasurableCharacterRanges(format, 1, &beyond), Ok);
    GpRegion* region = nullptr;
    ASSERT_EQ(GdipCreateRegion(&region), Ok);
    GpRectF bounds{};
    EXPECT_EQ(GdipGetRegionBounds(region, canvas.graphics, &bounds), Ok);
    EXPECT_EQ(bounds.Width, 8388608.0f) << "a new region is infinite";
    GpRectF layout{0, 0, 100, 100};
    EXPECT_EQ(GdipMeasureCharacterRanges(canvas.graphics, L"abc", 3, font.font, layout, format, 1,
                                         &region),
              InvalidParameter)
        << "a range past the text";
    EXPECT_EQ(GdipMeasureCharacterRanges(canvas.graphics, L"abcdefg", -1, font.font, layout, format,
                                         2, &region),
              InvalidParameter)
        << "region count differs from range count";
    EXPECT_EQ(GdipMeasureCharacterRanges(canvas.graphics, L"abcdefg", -1, font.font, layout, format,
                                         1, &region),
              Ok);
    EXPECT_EQ(GdipGetRegionBounds(region, nullptr, &bounds), InvalidParameter);
    GpSolidFill* brush = nullptr;
    GdipCreateSolidFill(kBlack, &brush);
    EXPECT_EQ(GdipDrawString(canvas.graphics, nullptr, -1, font.font, &layout, nullptr, brush),
              InvalidParameter);
    EXPECT_EQ(GdipDrawString(canvas.graphics, L"a", -2, font.font, &layout, nullptr, brush),
              InvalidParameter);
    EXPECT_EQ(GdipDrawString(canvas.graphics, L"a", 1, nullptr, &layout, nullptr, brush),
              InvalidParameter);
    EXPECT_EQ(GdipDrawString(canvas.graphics, L"", 0, font.font, &layout, nullptr, brush), Ok);
    GdipDeleteBrush(brush);
    GdipDeleteRegion(region);
    GdipDeleteStringFormat(format);
    EXPECT_EQ(GdipDeleteStringFormat(nullptr), InvalidParameter);
    EXPECT_EQ(GdipDeleteRegion(nullptr), InvalidParameter);
    EXPECT_EQ(GdipDeleteFont(nullptr), InvalidParameter);
}

TEST(Text, ALayoutBoxClipsOnlyItsOwnText)
{
    // The box that clips a string is gone for the next call on the same graphics.
    Font plain(L"DejaVu Sans", 12);
    Canvas canvas(80, 30);
    ASSERT_EQ(DrawText(canvas, L"abcdefgh", plain.font, {0, 0, 20, 30}), Ok);
    GpSolidFill* brush = nullptr;
    ASSERT_EQ(GdipCreateSolidFill(0xFF0000FFu, &brush), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, brush, 70, 20, 5, 5), Ok);
    EXPECT_EQ(canvas.At(72, 22), 0xFF0000FFu);
    GdipDeleteBrush(brush);
}
