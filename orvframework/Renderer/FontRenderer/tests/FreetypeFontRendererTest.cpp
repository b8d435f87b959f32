#include "Renderer/FontRenderer/FreetypeFontRenderer.h"

#include "FontFiles.h"
#include "Renderer/Font.h"
#include "Renderer/FontRenderer/FontFileInfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

using namespace Orv;

namespace
{
// A glyph processor that writes down each glyph of a walk. With caching on, a glyph it has seen
// is answered from its own table (flags 0), as a caching processor does.
class LRecordingProcessor : public LGlyphProcessor
{
public:
    struct Step
    {
        std::uint32_t code;
        float penX;
        float penY;
        std::int32_t left, top, right, bottom;
        std::int32_t advanceX;
        std::uint32_t glyphIndex;
        bool hasBitmap;
        int bitmapWidth;
        int bitmapHeight;
        std::vector<unsigned char> pixels;
    };

    void BeginString(const ConstRCPtr<LFont>&, int mode) override
    {
        ++begun;
        lastMode = mode;
        steps.clear();
        lookups.clear();
    }
    void EndString() override { ++ended; }
    int LookupGlyph(SGlyphInfo& glyph) override
    {
        lookups.push_back(glyph.charCode);
        if (caching)
        {
            const SCachedGlyph cached = table.Find(static_cast<long>(glyph.charCode));
            if (cached.charCode != 0)
            {
                glyph.glyphIndex = cached.glyphIndex;
                glyph.left = cached.left;
                glyph.top = cached.top;
                glyph.right = cached.right;
                glyph.bottom = cached.bottom;
                glyph.advanceX = cached.advanceX;
                glyph.advanceY = cached.advanceY;
                return 0;
            }
        }
        return kRequestAll;
    }
    void ProcessGlyph(SGlyphInfo& glyph) override
    {
        Step step{glyph.charCode,
                  glyph.penX,
                  glyph.penY,
                  glyph.left,
                  glyph.top,
                  glyph.right,
                  glyph.bottom,
                  glyph.advanceX,
                  glyph.glyphIndex,
                  glyph.bitmap != nullptr,
                  0,
                  0,
                  {}};
        if (glyph.bitmap != nullptr)
        {
            step.bitmapWidth = glyph.bitmap->GetWidth();
            step.bitmapHeight = glyph.bitmap->GetHeight();
            for (int y = 0; y < step.bitmapHeight; ++y)
            {
                for (int x = 0; x < step.bitmapWidth; ++x)
                {
                    step.pixels.push_back(*glyph.bitmap->GetPixel(x, y));
                }
            }
        }
        steps.push_back(step);
        SCachedGlyph cached;
        cached.charCode = static_cast<long>(glyph.charCode);
        cached.glyphIndex = glyph.glyphIndex;
        cached.left = glyph.left;
        cached.top = glyph.top;
        cached.right = glyph.right;
        cached.bottom = glyph.bottom;
        cached.advanceX = glyph.advanceX;
        cached.advanceY = glyph.advanceY;
        table.Add(cached);
    }
    Bounds& GetBounds(Bounds& out) override
    {
        out = Bounds();
        return out;
    }

    bool caching = false;
    int begun = 0;
    int ended = 0;
    int lastMode = -1;
    std::vector<Step> steps;
    std::vector<std::uint32_t> lookups;
    GlyphTable table;
};

// The same font opened with FreeType directly, at the same size: what the walk must agree with.
class ReferenceFace
{
public:
    ReferenceFace(const std::string& path, int faceIndex, float points)
    {
        EXPECT_EQ(FT_Init_FreeType(&mLibrary), 0);
        EXPECT_EQ(FT_New_Face(mLibrary, path.c_str(), faceIndex, &mFace), 0) << path;
        EXPECT_EQ(FT_Set_Char_Size(mFace, 0, static_cast<FT_F26Dot6>(points * 64), 96, 96), 0);
    }
    ~ReferenceFace()
    {
        FT_Done_Face(mFace);
        FT_Done_FreeType(mLibrary);
    }
    ReferenceFace(const ReferenceFace&) = delete;
    ReferenceFace& operator=(const ReferenceFace&) = delete;

    FT_UInt Index(char32_t code) const { return FT_Get_Char_Index(mFace, code); }
    // The advance in 1/64 pixel.
    long Advance(char32_t code) const
    {
        EXPECT_EQ(FT_Load_Glyph(mFace, Index(code), FT_LOAD_DEFAULT), 0);
        return mFace->glyph->advance.x;
    }
    float Kerning(char32_t left, char32_t right) const
    {
        FT_Vector delta{};
        FT_Get_Kerning(mFace, Index(left), Index(right), FT_KERNING_DEFAULT, &delta);
        return static_cast<float>(delta.x) / 64.0f;
    }
    // The left edge of the glyph's box in whole pixels.
    long Left(char32_t code) const
    {
        EXPECT_EQ(FT_Load_Glyph(mFace, Index(code), FT_LOAD_DEFAULT), 0);
        FT_Glyph glyph = nullptr;
        EXPECT_EQ(FT_Get_Glyph(mFace->glyph, &glyph), 0);
        FT_BBox box{};
        FT_Glyph_Get_CBox(glyph, FT_GLYPH_BBOX_PIXELS, &box);
        FT_Done_Glyph(glyph);
        return box.xMin;
    }

private:
    FT_Library mLibrary = nullptr;
    FT_Face mFace = nullptr;
};

// A FreeType font renderer whose walks a recording processor receives.
struct Walk
{
    RCPtr<LRecordingProcessor> processor{new LRecordingProcessor()};
    ConstRCPtr<LFreetypeFontRenderer> renderer{new LFreetypeFontRenderer(processor, processor)};

    int Run(const wchar_t* text, const char* family, float size, int style = 0, float maxWidth = 0)
    {
        return renderer.GetMutable()->ProcessString(WString(text), Font(family, size, style),
                                                    processor, 0, maxWidth,
                                                    LGlyphProcessor::kModeDrawString);
    }
    ORVRESULT Metrics(const char* family, float size, int& height, int& ascent, int& descent)
    {
        return renderer.GetMutable()->GetFontMetrics(Font(family, size, 0), height, ascent,
                                                     descent);
    }
    static ConstRCPtr<LFont> Font(const char* family, float size, int style = 0)
    {
        return LFont::GetFont(WString(family), size, style);
    }
};

std::string DejaVu(const char* name)
{
    return OrvTest::FindInstalledFont(name);
}

// The pens of the walk's glyphs, x only.
std::vector<float> Pens(const LRecordingProcessor& processor)
{
    std::vector<float> pens;
    for (const LRecordingProcessor::Step& step : processor.steps)
    {
        pens.push_back(step.penX);
    }
    return pens;
}
} // namespace

TEST(FreetypeFontRenderer, MetricsOfAFontAt96DotsPerInch)
{
    Walk walk;
    for (const float size : {7.5f, 9.0f, 12.0f, 30.0f, 72.0f})
    {
        int height = -1;
        int ascent = 0;
        int descent = 0;
        ASSERT_EQ(walk.Metrics("DejaVu Sans", size, height, ascent, descent), S_OK);
        EXPECT_LT(ascent, 0) << size;
        EXPECT_GT(descent, 0) << size;
        EXPECT_GE(height, static_cast<int>(size * 96 / 72)) << size;
        EXPECT_GE(height, descent - ascent) << size;
    }
    // 12 points are 16 pixels: the face's line is 19 pixels, 15 above the baseline and 4 below.
    int height = 0;
    int ascent = 0;
    int descent = 0;
    ASSERT_EQ(walk.Metrics("DejaVu Sans", 12, height, ascent, descent), S_OK);
    EXPECT_EQ(height, 19);
    EXPECT_EQ(ascent, -15);
    EXPECT_EQ(descent, 4);
}

TEST(FreetypeFontRenderer, AWalkPlacesEachGlyphByItsAdvanceAndKerning)
{
    Walk walk;
    LRecordingProcessor& p = *walk.processor;
    const ReferenceFace sans(DejaVu("DejaVuSans.ttf"), 0, 12);
    ASSERT_LT(sans.Kerning('A', 'V'), 0) << "the face kerns A and V";

    EXPECT_EQ(walk.Run(L"AVA", "DejaVu Sans", 12), 3);
    EXPECT_EQ(p.begun, 1);
    EXPECT_EQ(p.ended, 1);
    EXPECT_EQ(p.lastMode, LGlyphProcessor::kModeDrawString);
    const float v = static_cast<float>(sans.Advance('A')) / 64 + sans.Kerning('A', 'V');
    const float a = v + static_cast<float>(sans.Advance('V')) / 64 + sans.Kerning('V', 'A');
    EXPECT_EQ(Pens(p), (std::vector<float>{0, v, a}));
    ASSERT_EQ(p.steps.size(), 3u);
    EXPECT_EQ(p.steps[1].glyphIndex, sans.Index('V'));
    EXPECT_EQ(p.steps[1].advanceX, sans.Advance('V'));
    for (const LRecordingProcessor::Step& step : p.steps)
    {
        // The box holds the rendered bitmap.
        EXPECT_TRUE(step.hasBitmap);
        EXPECT_EQ(step.bitmapWidth, step.right - step.left);
        EXPECT_EQ(step.bitmapHeight, step.bottom - step.top);
        EXPECT_LT(step.top, 0);
    }

    // A character the face has no glyph for: no step, no advance, and the kerning of its
    // neighbours stays.
    EXPECT_EQ(walk.Run(L"A󰀀V󰀁A", "DejaVu Sans", 12), 5);
    EXPECT_EQ(Pens(p), (std::vector<float>{0, v, a}));
    EXPECT_EQ(p.lookups.size(), 5u);
}

TEST(FreetypeFontRenderer, TheFirstGlyphStartsAtThePenOnlyInAFaceWithKerning)
{
    Walk walk;
    LRecordingProcessor& p = *walk.processor;
    const ReferenceFace sans(DejaVu("DejaVuSans.ttf"), 0, 12);
    ASSERT_LT(sans.Left('j'), 0);
    walk.Run(L"jj", "DejaVu Sans", 12);
    ASSERT_EQ(p.steps.size(), 2u);
    EXPECT_EQ(p.steps[0].penX, static_cast<float>(-sans.Left('j')));
    EXPECT_EQ(p.steps[0].left, sans.Left('j'));
    EXPECT_EQ(p.steps[1].penX, static_cast<float>(-sans.Left('j')) +
                                   static_cast<float>(sans.Advance('j')) / 64 +
                                   sans.Kerning('j', 'j'));

    const ReferenceFace mono(DejaVu("DejaVuSansMono-BoldOblique.ttf"), 0, 12);
    ASSERT_LT(mono.Left('j'), 0);
    walk.Run(L"jj", "DejaVu Sans Mono", 12, LFont::kBold | LFont::kItalic);
    EXPECT_EQ(Pens(p), (std::vector<float>{0, static_cast<float>(mono.Advance('j')) / 64}));
}

TEST(FreetypeFontRenderer, SmallFontsAreRenderedInBlackAndWhite)
{
    struct Case
    {
        float size;
        bool grey;
    };
    Walk walk;
    for (const Case c : {Case{7.5f, false}, Case{7.9f, false}, Case{8.0f, true}, Case{14.0f, true}})
    {
        walk.Run(L"Ag", "DejaVu Sans", c.size);
        int ink = 0;
        int between = 0;
        for (const LRecordingProcessor::Step& step : walk.processor->steps)
        {
            for (const unsigned char pixel : step.pixels)
            {
                ink += pixel != 0 ? 1 : 0;
                between += pixel != 0 && pixel != 255 ? 1 : 0;
            }
        }
        EXPECT_GT(ink, 10) << c.size;
        EXPECT_EQ(between > 0, c.grey) << c.size;
    }
}

TEST(FreetypeFontRenderer, CachedGlyphsWalkTheSameWithoutBitmaps)
{
    Walk walk;
    LRecordingProcessor& p = *walk.processor;
    p.caching = true;
    walk.Run(L"Wave To", "DejaVu Serif", 11);
    const std::vector<LRecordingProcessor::Step> loaded = p.steps;
    walk.Run(L"Wave To", "DejaVu Serif", 11);
    ASSERT_EQ(p.steps.size(), loaded.size());
    for (std::size_t i = 0; i < loaded.size(); ++i)
    {
        EXPECT_EQ(p.steps[i].penX, loaded[i].penX) << i;
        EXPECT_EQ(p.steps[i].glyphIndex, loaded[i].glyphIndex) << i;
        EXPECT_EQ(p.steps[i].right, loaded[i].right) << i;
        EXPECT_TRUE(loaded[i].hasBitmap) << i;
        EXPECT_FALSE(p.steps[i].hasBitmap) << i;
    }
}

TEST(FreetypeFontRenderer, AMaximumWidthEndsTheWalkBeforeTheGlyphThatPassesIt)
{
    Walk walk;
    LRecordingProcessor& p = *walk.processor;
    walk.Run(L"MMMM", "DejaVu Sans Mono", 12);
    ASSERT_EQ(p.steps.size(), 4u);
    const float limit = p.steps[2].penX + static_cast<float>(p.steps[2].right) - 0.5f;
    EXPECT_EQ(walk.Run(L"MMMM", "DejaVu Sans Mono", 12, 0, limit), 2);
    EXPECT_EQ(p.steps.size(), 2u);
    EXPECT_EQ(p.ended, p.begun);
}

TEST(FreetypeFontRenderer, LargeGlyphsKeepTheirBoxes)
{
    Walk walk;
    LRecordingProcessor& p = *walk.processor;
    walk.Run(L"W", "DejaVu Sans", 200);
    ASSERT_EQ(p.steps.size(), 1u);
    const LRecordingProcessor::Step& w = p.steps[0];
    // Far beyond what 8 bits hold.
    EXPECT_GT(w.right - w.left, 200);
    EXPECT_LT(w.top, -180);
    EXPECT_EQ(w.bitmapWidth, w.right - w.left);
    EXPECT_GT(w.advanceX, 255 * 64);
}

TEST(FreetypeFontRenderer, WithoutASizeNothingIsWalkedOrMeasured)
{
    Walk walk;
    LRecordingProcessor& p = *walk.processor;
    int height = -7;
    int ascent = -7;
    int descent = -7;
    for (const float size : {0.0f, -3.0f, 0.01f, NAN})
    {
        EXPECT_EQ(walk.Metrics("DejaVu Sans", size, height, ascent, descent), E_FAIL) << size;
        EXPECT_EQ(walk.Run(L"A", "DejaVu Sans", size), 0) << size;
    }
    EXPECT_EQ(height, -7);
    EXPECT_EQ(p.begun, 0);
    EXPECT_EQ(walk.renderer.GetMutable()->GetFontMetrics(nullptr, height, ascent, descent),
              E_INVALIDARG);
    EXPECT_EQ(
        walk.renderer.GetMutable()->ProcessString(WString(L"A"), nullptr, walk.processor, 0, 0, 15),
        0);
    EXPECT_EQ(walk.renderer.GetMutable()->ProcessString(WString(L"A"), Walk::Font("DejaVu Sans", 9),
                                                        nullptr, 0, 0, 15),
              0);
}

TEST(FreetypeFontRenderer, AFamilyInACollectionsSecondFaceIsDrawnWithThatFace)
{
    OrvTest::ScratchFolder folder;
    folder.Write("Built.ttc",
                 OrvTest::MakeCollection({OrvTest::DejaVuBytes("DejaVuSerif.ttf"),
                                          OrvTest::DejaVuBytes("DejaVuSans-Bold.ttf")}));
    std::unique_ptr<Walk> walk;
    {
        OrvTest::FontFolderConfiguration configuration({folder.Path()});
        walk = std::make_unique<Walk>();
    }
    const ReferenceFace bold(DejaVu("DejaVuSans-Bold.ttf"), 0, 10);
    walk->Run(L"Hm", "DejaVu Sans", 10, LFont::kBold);
    ASSERT_EQ(walk->processor->steps.size(), 2u);
    EXPECT_EQ(walk->processor->steps[1].penX, static_cast<float>(bold.Advance('H')) / 64);
    EXPECT_EQ(walk->processor->steps[1].glyphIndex, bold.Index('m'));
    // The first face, font-file id 0, is a face the cache manager opens too.
    EXPECT_EQ(LFontFileInfo::GetFileID(Walk::Font("DejaVu Serif", 10)), 0);
    const ReferenceFace serif(DejaVu("DejaVuSerif.ttf"), 0, 10);
    walk->Run(L"Hm", "DejaVu Serif", 10);
    ASSERT_EQ(walk->processor->steps.size(), 2u);
    EXPECT_EQ(walk->processor->steps[1].penX, static_cast<float>(serif.Advance('H')) / 64);
}

TEST(FreetypeFontRenderer, TheFreetypeStateLastsAsLongAsItsLastRenderer)
{
    auto first = std::make_unique<Walk>();
    Walk second;
    const int families = LFontFileInfo::GetCount();
    ASSERT_GT(families, 0);
    first.reset();
    EXPECT_EQ(LFontFileInfo::GetCount(), families);
    EXPECT_EQ(second.Run(L"Still", "DejaVu Sans", 9), 5);
    EXPECT_EQ(second.processor->steps.size(), 5u);
    {
        Walk third;
        EXPECT_EQ(third.Run(L"Too", "DejaVu Sans", 9), 3);
    }
    EXPECT_EQ(second.Run(L"Still", "DejaVu Sans", 9), 5);
}

TEST(FreetypeFontRenderer, TheLastRendererEmptiesTheRegistry)
{
    {
        Walk walk;
        EXPECT_GT(LFontFileInfo::GetCount(), 0);
    }
    EXPECT_EQ(LFontFileInfo::GetCount(), 0);
}
