// The OpenGL glyph renderer: its atlas laid out cell by cell, its glyph table, the bounds of a
// measuring walk, the font cache, and text measured and drawn by the renderer that
// LRenderer::Create makes, against the GDI+ renderer's measurement and on the picture.
#include "GLRendererTestSupport.h"

#include "Renderer/Font.h"
#include "Renderer/FontRenderer/FontFileInfo.h"
#include "Renderer/FontRenderer/FreetypeFontRenderer.h"
#include "Renderer/OpenGL/GLGlyphRenderer.h"
#include "Renderer/ProcessMeasurementRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
using Processor = LGLGlyphRenderer;

// One glyph handed to the renderer as a walk would: looked up, then (when the renderer asks)
// given a box, an advance and a bitmap of the size whose pixels are value + x + y.
struct FedGlyph
{
    std::uint32_t code;
    int width;
    int height;
};

ConstRCPtr<LPixelBuffer<unsigned char>> GlyphBitmap(int width, int height)
{
    if (width == 0 || height == 0)
    {
        return nullptr;
    }
    RCPtr<LPixelBuffer<unsigned char>> bitmap =
        LPixelBuffer<unsigned char>::Create(width, height, width, nullptr);
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            *bitmap->GetPixel(x, y) = static_cast<unsigned char>(1 + (x + 3 * y) % 250);
        }
    }
    return bitmap;
}

// Feeds the glyphs in one walk of the mode; the flags LookupGlyph answered for each.
std::vector<int> Feed(LGLGlyphRenderer& renderer, const ConstRCPtr<LFont>& font,
                      const std::vector<FedGlyph>& glyphs, int mode)
{
    std::vector<int> flags;
    renderer.BeginString(font, mode);
    float pen = 0;
    for (const FedGlyph& fed : glyphs)
    {
        LGlyphProcessor::SGlyphInfo glyph;
        glyph.charCode = fed.code;
        glyph.penX = pen;
        flags.push_back(renderer.LookupGlyph(glyph));
        if (flags.back() != 0)
        {
            glyph.glyphIndex = fed.code + 100;
            glyph.left = 1;
            glyph.top = -fed.height;
            glyph.right = 1 + fed.width;
            glyph.bottom = 0;
            glyph.advanceX = (fed.width + 2) * 64;
            glyph.bitmap = GlyphBitmap(fed.width, fed.height);
        }
        renderer.ProcessGlyph(glyph);
        pen += static_cast<float>(glyph.advanceX >> 6);
    }
    renderer.EndString();
    return flags;
}

// The cached font of the font in the renderer's cache, or null.
const LGLGlyphRenderer::LCachedFont* Cached(LGLGlyphRenderer& renderer,
                                            const ConstRCPtr<LFont>& font)
{
    const LGLGlyphRenderer::FontCache& cache = renderer.GetFontCache();
    for (int i = 0; i < cache.GetCount(); ++i)
    {
        if (cache.GetEntryAt(i).handle == LFont::GetUniqueID(font))
        {
            return cache.GetEntryAt(i).object.Get();
        }
    }
    return nullptr;
}

// Is the pixel the background's?
bool Blank(std::uint32_t pixel)
{
    return ChannelDistance(pixel, kWhiteArgb) == 0;
}

// A window whose renderer LRenderer::Create made for type 0, measuring fonts for the process
// while it lives.
struct TextTarget
{
    explicit TextTarget(int width, int height)
        : gl(width, height)
    {
        LGLRenderer::InstallBackEnd();
        gl.context = nullptr;
        const ConstRCPtr<LRenderer> made =
            LRenderer::Create(LRenderer::kOpenGL, RectT<LONG>(0, 0, width, height), gl.window);
        gl.renderer = dynamic_cast<LGLRenderer*>(made.GetMutable());
        EXPECT_NE(gl.renderer, nullptr);
        EXPECT_EQ(gl.renderer->InitRenderContextInfo(RectT<LONG>(0, 0, width, height), gl.window,
                                                     false, gl.context),
                  S_OK);
        SetMeasurementRenderer(gl.renderer);
    }
    ~TextTarget() { SetMeasurementRenderer(nullptr); }
    TextTarget(const TextTarget&) = delete;
    TextTarget& operator=(const TextTarget&) = delete;

    GLTarget gl;
};
} // namespace

TEST(GLGlyphRenderer, CellsAreLaidOutInRowsWithABorderAndTheAtlasGrowsByPowersOfTwo)
{
    RCPtr<LGLGlyphRenderer> renderer = LGLGlyphRenderer::Create();
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(L"DejaVu Sans"), 12.9f, 0);

    // Made on the first walk: 512 wide, the smallest power of two not below the size, all dirty.
    Feed(*renderer, font, {}, LGlyphProcessor::kModeMeasure);
    const LGLGlyphRenderer::LCachedFont* cached = Cached(*renderer, font);
    ASSERT_NE(cached, nullptr);
    ASSERT_NE(cached->GetAtlas(), nullptr);
    EXPECT_EQ(cached->GetAtlas()->GetWidth(), 512);
    EXPECT_EQ(cached->GetAtlas()->GetStride(), 512);
    EXPECT_EQ(cached->GetAtlas()->GetHeight(), 16);
    EXPECT_EQ(cached->GetDirtyRect(), RectT<float>(0, 0, 512, 16));

    struct Step
    {
        FedGlyph glyph;
        int atlasX, atlasY; // where the bitmap's top-left pixel lands
        int cursorX, cursorY, rowHeight, atlasHeight;
    };
    const Step steps[] = {
        // A 14 x 16 bitmap takes the cell 16 x 18 at the corner; the atlas grows to 32 rows.
        {{'a', 14, 16}, 1, 1, 16, 0, 18, 32},
        // A space has no bitmap and still takes a 2 x 2 cell.
        {{' ', 0, 0}, 17, 1, 18, 0, 18, 32},
        // A cell that would end exactly at the right edge starts the next row, below the row's
        // tallest cell.
        {{'b', 492, 4}, 1, 19, 494, 18, 6, 32},
        {{'c', 20, 12}, 1, 25, 22, 24, 14, 64},
        // A cell ending one short of the edge stays in the row.
        {{'d', 487, 3}, 23, 25, 511, 24, 14, 64},
    };
    for (const Step& step : steps)
    {
        const std::vector<int> flags =
            Feed(*renderer, font, {step.glyph}, LGlyphProcessor::kModeMeasure);
        EXPECT_EQ(flags, std::vector<int>{LGlyphProcessor::kRequestAll}) << char(step.glyph.code);
        const LGlyphProcessor::SCachedGlyph glyph =
            const_cast<LGLGlyphRenderer::LCachedFont*>(cached)->GetGlyphs().Find(
                static_cast<long>(step.glyph.code));
        EXPECT_EQ(glyph.charCode, static_cast<long>(step.glyph.code));
        EXPECT_EQ(glyph.glyphIndex, step.glyph.code + 100);
        EXPECT_EQ(glyph.atlasX, step.atlasX) << char(step.glyph.code);
        EXPECT_EQ(glyph.atlasY, step.atlasY) << char(step.glyph.code);
        EXPECT_EQ(cached->GetCursorX(), step.cursorX) << char(step.glyph.code);
        EXPECT_EQ(cached->GetCursorY(), step.cursorY) << char(step.glyph.code);
        EXPECT_EQ(cached->GetRowHeight(), step.rowHeight) << char(step.glyph.code);
        EXPECT_EQ(cached->GetAtlas()->GetHeight(), step.atlasHeight) << char(step.glyph.code);
    }

    // The bitmaps are copied whole to their places, and the borders stay empty.
    const LPixelBuffer<unsigned char>& atlas = *cached->GetAtlas();
    const ConstRCPtr<LPixelBuffer<unsigned char>> a = GlyphBitmap(14, 16);
    const ConstRCPtr<LPixelBuffer<unsigned char>> c = GlyphBitmap(20, 12);
    for (int y = 0; y < 16; ++y)
    {
        for (int x = 0; x < 14; ++x)
        {
            ASSERT_EQ(*atlas.GetPixel(1 + x, 1 + y), *a->GetPixel(x, y)) << x << "," << y;
        }
        EXPECT_EQ(*atlas.GetPixel(0, 1 + y), 0);
        EXPECT_EQ(*atlas.GetPixel(15, 1 + y), 0);
    }
    EXPECT_EQ(*atlas.GetPixel(1 + 19, 25 + 11), *c->GetPixel(19, 11));
    for (int x = 0; x < 16; ++x)
    {
        EXPECT_EQ(*atlas.GetPixel(x, 0), 0);
        EXPECT_EQ(*atlas.GetPixel(x, 17), 0);
    }
    // Measuring uploads nothing: the atlas stays dirty.
    EXPECT_EQ(cached->GetDirtyRect(), RectT<float>(0, 0, 512, 64));
}

TEST(GLGlyphRenderer, CachedGlyphsAreAnsweredFromTheTableButCodeZeroNeverIs)
{
    RCPtr<LGLGlyphRenderer> renderer = LGLGlyphRenderer::Create();
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(L"DejaVu Sans"), 13.1f, 0);

    // Outside a walk: nothing to answer, nothing kept.
    LGlyphProcessor::SGlyphInfo outside;
    outside.charCode = 'x';
    EXPECT_EQ(renderer->LookupGlyph(outside), 0);
    renderer->ProcessGlyph(outside);
    EXPECT_EQ(renderer->GetFontCache().GetCount(), 0);

    const std::vector<FedGlyph> text = {{'x', 5, 6}, {0, 3, 3}, {'y', 4, 8}, {'x', 5, 6}};
    EXPECT_EQ(Feed(*renderer, font, text, LGlyphProcessor::kModeMeasure),
              (std::vector<int>{7, 7, 7, 0}));
    const LGLGlyphRenderer::LCachedFont* cached = Cached(*renderer, font);
    ASSERT_NE(cached, nullptr);
    const int cursor = cached->GetCursorX();
    EXPECT_EQ(cursor, 7 + 5 + 6);

    // A second walk: the known glyphs come from the table with their box, advance and index,
    // and take no new cell; code 0 is loaded again each time.
    renderer->BeginString(font, LGlyphProcessor::kModeMeasure);
    LGlyphProcessor::SGlyphInfo y;
    y.charCode = 'y';
    EXPECT_EQ(renderer->LookupGlyph(y), 0);
    EXPECT_EQ(y.glyphIndex, 'y' + 100u);
    EXPECT_EQ(y.top, -8);
    EXPECT_EQ(y.right, 5);
    EXPECT_EQ(y.advanceX, 6 * 64);
    renderer->ProcessGlyph(y);
    LGlyphProcessor::SGlyphInfo zero;
    EXPECT_EQ(renderer->LookupGlyph(zero), LGlyphProcessor::kRequestAll);
    renderer->EndString();
    EXPECT_EQ(cached->GetCursorX(), cursor);
}

TEST(GLGlyphRenderer, GlyphsTooLargeForTheAtlasAreMeasuredButGetNoCell)
{
    RCPtr<LGLGlyphRenderer> renderer = LGLGlyphRenderer::Create();
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(L"DejaVu Sans"), 12.1f, 0);
    Feed(*renderer, font, {{'a', 10, 10}}, LGlyphProcessor::kModeMeasure);
    const LGLGlyphRenderer::LCachedFont* cached = Cached(*renderer, font);
    ASSERT_NE(cached, nullptr);

    // 510 wide plus its border reaches the edge; 600 wide passes it; 5000 high passes the
    // tallest atlas.
    const FedGlyph large[] = {{'W', 510, 4}, {'M', 600, 20}, {'T', 8, 5000}};
    for (const FedGlyph& glyph : large)
    {
        Feed(*renderer, font, {glyph}, LGlyphProcessor::kModeAccumulateBounds);
        const LGlyphProcessor::SCachedGlyph kept =
            const_cast<LGLGlyphRenderer::LCachedFont*>(cached)->GetGlyphs().Find(
                static_cast<long>(glyph.code));
        EXPECT_EQ(kept.charCode, static_cast<long>(glyph.code)) << char(glyph.code);
        EXPECT_EQ(kept.atlasX, LGLGlyphRenderer::kNoCell) << char(glyph.code);
        EXPECT_EQ(cached->GetCursorX(), 12) << char(glyph.code);
        EXPECT_EQ(cached->GetCursorY(), 0) << char(glyph.code);
        EXPECT_EQ(cached->GetAtlas()->GetHeight(), 16) << char(glyph.code);
        // Still measured.
        LGlyphProcessor::Bounds bounds;
        renderer->GetBounds(bounds);
        EXPECT_EQ(bounds.right, static_cast<float>(glyph.width + 2)) << char(glyph.code);
        EXPECT_EQ(bounds.top, static_cast<float>(-glyph.height)) << char(glyph.code);
    }
}

TEST(GLGlyphRenderer, TheBoundsRunFromTheOriginToTheLastPenPlusItsAdvanceWithKerning)
{
    RCPtr<LGLGlyphRenderer> glyphs = LGLGlyphRenderer::Create();
    RCPtr<LFreetypeFontRenderer> text(new LFreetypeFontRenderer(glyphs, glyphs));
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(L"DejaVu Sans"), 20.3f, 0);

    // FreeType's own numbers for the two glyphs at the same size.
    const int id = LFontFileInfo::GetFileID(font);
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&library), 0);
    ASSERT_EQ(FT_New_Face(library, LFontFileInfo::GetFilePath(id).ToNarrow().GetBuffer(),
                          LFontFileInfo::GetFaceIndex(id), &face),
              0);
    ASSERT_EQ(FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(20.3f * 64), 96, 96), 0);
    const FT_UInt a = FT_Get_Char_Index(face, 'A');
    const FT_UInt v = FT_Get_Char_Index(face, 'V');
    FT_Vector kerning{};
    FT_Get_Kerning(face, a, v, FT_KERNING_DEFAULT, &kerning);
    ASSERT_EQ(FT_Load_Glyph(face, a, FT_LOAD_DEFAULT), 0);
    const long advanceA = face->glyph->advance.x;
    ASSERT_EQ(FT_Load_Glyph(face, v, FT_LOAD_DEFAULT), 0);
    const long advanceV = face->glyph->advance.x;
    const long topV = -((face->glyph->metrics.horiBearingY + 63) >> 6);
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    ASSERT_LT(kerning.x, 0) << "the face kerns A and V";

    // Measured twice: from FreeType, then from the glyph table.
    for (int pass = 0; pass < 2; ++pass)
    {
        text->ProcessString(WString(L"AV"), font, glyphs, 0, 0, LGlyphProcessor::kModeMeasure);
        LGlyphProcessor::Bounds bounds;
        glyphs->GetBounds(bounds);
        const float penV = std::trunc(static_cast<float>(advanceA + kerning.x) / 64.0f);
        EXPECT_NEAR(bounds.right, penV + static_cast<float>(advanceV >> 6), 1.0f) << pass;
        EXPECT_LT(bounds.right, static_cast<float>((advanceA + advanceV) >> 6)) << pass;
        EXPECT_EQ(bounds.left, 0.0f) << pass;
        EXPECT_EQ(bounds.bottom, 0.0f) << "A and V end on the baseline";
        EXPECT_NEAR(bounds.top, static_cast<float>(topV), 1.0f) << pass;
    }
}

TEST(GLGlyphRenderer, TheLeastRecentlyUsedOfSeventeenFontsIsDroppedAndMadeAgainWhenNeeded)
{
    RCPtr<LGLGlyphRenderer> glyphs = LGLGlyphRenderer::Create();
    RCPtr<LFreetypeFontRenderer> text(new LFreetypeFontRenderer(glyphs, glyphs));
    std::vector<ConstRCPtr<LFont>> fonts;
    for (int i = 0; i < 17; ++i)
    {
        fonts.push_back(LFont::GetFont(WString(L"DejaVu Sans"), 30.0f + static_cast<float>(i), 0));
    }
    for (size_t i = 0; i < 16; ++i)
    {
        text->ProcessString(WString(L"ab"), fonts[i], glyphs, 0, 0, LGlyphProcessor::kModeMeasure);
    }
    // The first font is used once more, so that the second is the least recently used.
    text->ProcessString(WString(L"c"), fonts[0], glyphs, 0, 0, LGlyphProcessor::kModeMeasure);
    const LGLGlyphRenderer::LCachedFont* first = Cached(*glyphs, fonts[0]);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(Cached(*glyphs, fonts[1]), nullptr);

    text->ProcessString(WString(L"ab"), fonts[16], glyphs, 0, 0, LGlyphProcessor::kModeMeasure);
    EXPECT_EQ(glyphs->GetFontCache().GetCount(), 16);
    EXPECT_EQ(Cached(*glyphs, fonts[1]), nullptr);
    EXPECT_EQ(Cached(*glyphs, fonts[0]), first);
    ASSERT_NE(Cached(*glyphs, fonts[16]), nullptr);

    // Back again: a new atlas, filled anew, measuring as before.
    LGlyphProcessor::Bounds before;
    text->ProcessString(WString(L"ab"), fonts[2], glyphs, 0, 0, LGlyphProcessor::kModeMeasure);
    glyphs->GetBounds(before);
    text->ProcessString(WString(L"ab"), fonts[1], glyphs, 0, 0, LGlyphProcessor::kModeMeasure);
    const LGLGlyphRenderer::LCachedFont* again = Cached(*glyphs, fonts[1]);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->GetCursorX(), 0);
    EXPECT_NE(Cached(*glyphs, fonts[2]), nullptr);
    LGlyphProcessor::Bounds after;
    glyphs->GetBounds(after);
    EXPECT_LT(after.right, before.right) << "the smaller font measures narrower";
}

TEST(GLGlyphRenderer, MeasuredStringsAgreeWithTheGdiplusRendererWithinAPixelAGlyph)
{
    TextTarget gl(16, 16);
    GdiTarget gdi(16, 16);
    const wchar_t* const texts[] = {L"Firmware",   L"Update complete", L"AVATAR WAVE",
                                    L"0123456789", L"iiiiillll",       L"MMMWWW",
                                    L"x"};
    const struct
    {
        const wchar_t* family;
        float size;
        int style;
    } fonts[] = {{L"DejaVu Sans", 9.0f, 0},
                 {L"DejaVu Sans", 12.0f, LFont::kBold},
                 {L"DejaVu Serif", 10.5f, LFont::kItalic},
                 {L"DejaVu Sans Mono", 16.0f, 0}};
    for (const auto& f : fonts)
    {
        const ConstRCPtr<LFont> font = LFont::GetFont(WString(f.family), f.size, f.style);
        for (const wchar_t* text : texts)
        {
            const WString string(text);
            const RectT<float> freetype = gl.gl.renderer->MeasureString(string, font);
            const RectT<float> gdiplus = gdi.renderer->MeasureString(string, font);
            // The GDI+ width carries three pixels of slack, and GDI+ lays text out a sixth of
            // an em from the left.
            const float padding = f.size * 96.0f / 72.0f / 6.0f;
            EXPECT_NEAR(freetype.width, gdiplus.width - 3 - padding,
                        static_cast<float>(string.GetLength()))
                << string.ToNarrow().GetBuffer() << " in "
                << WString(f.family).ToNarrow().GetBuffer() << " " << f.size;
            EXPECT_GT(freetype.width, 1.0f);
        }
    }
}

TEST(GLGlyphRenderer, AnEmptyStringMeasuresOnePixelWideOverTheFontsCell)
{
    TextTarget target(16, 16);
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(L"DejaVu Sans"), 12.7f, 0);
    int height = 0;
    int ascent = 0;
    int descent = 0;
    ASSERT_EQ(target.gl.renderer->GetFontMetrics(font, height, ascent, descent), S_OK);
    ASSERT_LT(ascent, 0);
    ASSERT_GT(descent, 0);
    // The bounds start at the origin: from the ascent to the descent, one pixel wide.
    EXPECT_EQ(target.gl.renderer->MeasureString(WString(L""), font),
              RectT<float>(0, static_cast<float>(ascent), 1, static_cast<float>(descent - ascent)));
}

TEST(GLGlyphRenderer, TextDrawnThroughTheRendererHasInkOnlyInsideItsMeasuredBox)
{
    TextTarget target(240, 70);
    const ConstRCPtr<LFont> font = LFont::GetFont(WString(L"DejaVu Sans"), 17.0f, 0);
    const WString text(L"Glyph AVQ|jy");
    const PointT<LONG> at(12, 15);
    auto draw = [&](LRenderer& r)
    {
        r.FillRect(RectT<LONG>(0, 0, 240, 70), kWhite, false);
        EXPECT_EQ(r.DrawString(text, font, at, kBlue), S_OK);
    };
    target.gl.Frame(draw);
    const Picture first = target.gl.Read();
    first.Save("glyph_renderer_text");

    // The measured box is relative to the baseline, which lies the ascent below the point.
    const RectT<float> box = target.gl.renderer->MeasureString(text, font);
    const int ascent = font->GetAscent();
    ASSERT_LT(ascent, 0);
    const float left = static_cast<float>(at.x) + box.x;
    const float top = static_cast<float>(at.y - ascent) + box.y;
    const float right = left + box.width;
    const float bottom = top + box.height;
    int ink = 0;
    int inkLeft = 0;
    int inkRight = 0;
    for (int y = 0; y < first.height; ++y)
    {
        for (int x = 0; x < first.width; ++x)
        {
            const std::uint32_t p = first.At(x, y);
            if (Blank(p))
            {
                continue;
            }
            ++ink;
            (x < (left + right) / 2 ? inkLeft : inkRight) += 1;
            // Blue over white: red and green fall together, blue stays.
            EXPECT_EQ(p & 0xFF, 0xFFu) << x << "," << y;
            EXPECT_TRUE(x >= left && x < right && y >= top && y < bottom)
                << "ink at " << x << "," << y << " outside " << left << "," << top << " - " << right
                << "," << bottom;
        }
    }
    EXPECT_GT(ink, 300);
    EXPECT_GT(inkLeft, 100);
    EXPECT_GT(inkRight, 100);
    // Solid ink where a glyph's stem is: the bar's middle.
    bool solid = false;
    for (int x = static_cast<int>(left); x < static_cast<int>(right); ++x)
    {
        solid = solid || first.At(x, at.y - ascent - 5) == kBlueArgb;
    }
    EXPECT_TRUE(solid);

    // Drawn again from the glyphs cached in the texture: the same picture.
    target.gl.Frame(draw);
    const Picture second = target.gl.Read();
    EXPECT_EQ(second.pixels, first.pixels);

    // An empty text draws nothing and leaves the colour alone.
    target.gl.Frame(
        [&](LRenderer& r)
        {
            r.FillRect(RectT<LONG>(0, 0, 240, 70), kWhite, false);
            glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
            EXPECT_EQ(r.DrawString(WString(L""), font, at, kRed), S_OK);
            GLfloat color[4] = {};
            glGetFloatv(GL_CURRENT_COLOR, color);
            EXPECT_FLOAT_EQ(color[0], 0.25f);
            EXPECT_FLOAT_EQ(color[2], 0.75f);
        });
    const Picture empty = target.gl.Read();
    EXPECT_TRUE(std::all_of(empty.pixels.begin(), empty.pixels.end(), Blank));
}
