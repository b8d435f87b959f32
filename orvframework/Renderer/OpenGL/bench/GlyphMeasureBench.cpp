// Strings measured as the OpenGL back-end measures them: the FreeType font renderer walking each
// string into the OpenGL glyph renderer, whose glyph table answers every glyph once it has been
// seen. Measured against FreeType's own cache in the same run: a cache manager of the same limits
// over the same font file, each glyph looked up in a small-bitmap cache (FTC_SBitCache_Lookup)
// and placed by its advance and the face's kerning, giving the same box. Both are warm: every
// glyph was seen before the timing starts. The run ends with the medians and ratios
// (BenchmarkRatios.h).
//
// Argument: the font's size in points (one that is a whole number of pixels at 96 dots per inch,
// as the small-bitmap cache takes pixel sizes).
#include "BenchmarkRatios.h"
#include "Renderer/Font.h"
#include "Renderer/FontRenderer/FontFileInfo.h"
#include "Renderer/FontRenderer/FreetypeFontRenderer.h"
#include "Renderer/OpenGL/GLGlyphRenderer.h"

#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

using namespace Orv;

namespace
{
// Texts of the kind the updater's window shows.
const wchar_t* const kTexts[] = {
    L"Firmware Updater",
    L"Controller firmware 1.23.4567 found on the device",
    L"Writing the wheel display image: 42 %",
    L"Update complete. The device restarts now.",
    L"Select a firmware file",
    L"AVATAR WAVE Type",
    L"Abort",
    L"Time remaining: 1 minute 12 seconds",
};

std::size_t CharacterCount()
{
    std::size_t count = 0;
    for (const wchar_t* text : kTexts)
    {
        count += std::char_traits<wchar_t>::length(text);
    }
    return count;
}

ConstRCPtr<LFont> BenchFont(int points)
{
    return LFont::GetFont(WString(L"DejaVu Sans"), static_cast<float>(points), 0);
}

// The back-end's text path, measuring.
struct TextPath
{
    RCPtr<LGLGlyphRenderer> glyphs = LGLGlyphRenderer::Create();
    RCPtr<LFreetypeFontRenderer> text{new LFreetypeFontRenderer(glyphs, glyphs)};
    std::vector<WString> strings;

    TextPath()
    {
        for (const wchar_t* string : kTexts)
        {
            strings.emplace_back(string);
        }
    }

    float MeasureAll(const ConstRCPtr<LFont>& font)
    {
        float width = 0;
        RectT<float> box;
        for (const WString& string : strings)
        {
            width += text->MeasureString(box, string, font).width;
        }
        return width;
    }
};

// FreeType's cache over the font file the registry gives the font.
class FreetypeCache
{
public:
    explicit FreetypeCache(const ConstRCPtr<LFont>& font, int pixels)
    {
        const int id = LFontFileInfo::GetFileID(font);
        mPath = LFontFileInfo::GetFilePath(id).ToNarrow().GetBuffer();
        mFaceIndex = LFontFileInfo::GetFaceIndex(id);
        FT_Init_FreeType(&mLibrary);
        FTC_Manager_New(mLibrary, 8, 16, 0x400000, &RequestFace, this, &mManager);
        FTC_SBitCache_New(mManager, &mSBits);
        FTC_CMapCache_New(mManager, &mCharmaps);
        mType.face_id = reinterpret_cast<FTC_FaceID>(1);
        mType.width = static_cast<FT_UInt>(pixels);
        mType.height = static_cast<FT_UInt>(pixels);
        mType.flags = FT_LOAD_DEFAULT | FT_LOAD_RENDER;
    }
    ~FreetypeCache()
    {
        for (FTC_Node node : mHeld)
        {
            FTC_Node_Unref(node, mManager);
        }
        FTC_Manager_Done(mManager);
        FT_Done_FreeType(mLibrary);
    }
    FreetypeCache(const FreetypeCache&) = delete;
    FreetypeCache& operator=(const FreetypeCache&) = delete;

    bool Ready() const { return mSBits != nullptr && mCharmaps != nullptr; }

    // The string's width as the font renderer measures it: from the origin (or a pen left of
    // it) to the last pen plus that glyph's advance, and one more pixel. Warming, the cache
    // nodes of the string's glyphs are held, so that they stay in the cache as the glyph
    // renderer's table keeps its glyphs.
    float Measure(const wchar_t* text, bool warming = false)
    {
        FT_Face face = nullptr;
        if (FTC_Manager_LookupFace(mManager, mType.face_id, &face) != 0)
        {
            return 0;
        }
        const bool kerning = FT_HAS_KERNING(face);
        float pen = 0;
        float left = 0;
        float right = 0;
        FT_UInt previous = 0;
        for (const wchar_t* c = text; *c != 0; ++c)
        {
            const FT_UInt index =
                FTC_CMapCache_Lookup(mCharmaps, mType.face_id, -1, static_cast<FT_UInt32>(*c));
            FTC_SBit sbit = nullptr;
            FTC_Node node = nullptr;
            if (index == 0 ||
                FTC_SBitCache_Lookup(mSBits, &mType, index, &sbit, warming ? &node : nullptr) != 0)
            {
                continue;
            }
            if (node != nullptr)
            {
                mHeld.push_back(node);
            }
            if (kerning && previous != 0)
            {
                FT_Vector delta{};
                FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &delta);
                pen += static_cast<float>(delta.x) / 64.0f;
            }
            left = std::min(left, pen);
            right = std::max(right, pen + static_cast<float>(sbit->xadvance));
            pen += static_cast<float>(sbit->xadvance);
            previous = index;
        }
        return right + 1 - left;
    }

private:
    static FT_Error RequestFace(FTC_FaceID, FT_Library library, FT_Pointer self, FT_Face* face)
    {
        const FreetypeCache& cache = *static_cast<FreetypeCache*>(self);
        return FT_New_Face(library, cache.mPath.c_str(), cache.mFaceIndex, face);
    }

    std::string mPath;
    int mFaceIndex = 0;
    FT_Library mLibrary = nullptr;
    FTC_Manager mManager = nullptr;
    FTC_SBitCache mSBits = nullptr;
    FTC_CMapCache mCharmaps = nullptr;
    FTC_ImageTypeRec mType{};
    std::vector<FTC_Node> mHeld;
};

int Pixels(int points)
{
    return points * 96 / 72;
}

void BM_FontRendererMeasure(benchmark::State& state)
{
    TextPath path;
    const ConstRCPtr<LFont> font = BenchFont(static_cast<int>(state.range(0)));
    path.MeasureAll(font);
    for (auto _ : state)
    {
        benchmark::DoNotOptimize(path.MeasureAll(font));
    }
}
BENCHMARK(BM_FontRendererMeasure)->Arg(9)->Arg(12)->Arg(24);

void BM_FreetypeCacheMeasure(benchmark::State& state)
{
    // The registry is filled while a font renderer lives.
    TextPath path;
    const int points = static_cast<int>(state.range(0));
    FreetypeCache cache(BenchFont(points), Pixels(points));
    if (!cache.Ready())
    {
        state.SkipWithError("FreeType's caches could not be made");
        return;
    }
    // The same boxes as the font renderer, within a pixel a glyph.
    const ConstRCPtr<LFont> font = BenchFont(points);
    for (const WString& string : path.strings)
    {
        RectT<float> box;
        const float ours = path.text->MeasureString(box, string, font).width;
        const float theirs = cache.Measure(string.GetBuffer(), true);
        if (std::fabs(ours - theirs) > static_cast<float>(string.GetLength()))
        {
            state.SkipWithError("the two measurements disagree");
            return;
        }
    }
    for (auto _ : state)
    {
        float width = 0;
        for (const wchar_t* text : kTexts)
        {
            width += cache.Measure(text);
        }
        benchmark::DoNotOptimize(width);
    }
}
BENCHMARK(BM_FreetypeCacheMeasure)->Arg(9)->Arg(12)->Arg(24);
} // namespace

int main(int argc, char** argv)
{
    const double characters = static_cast<double>(CharacterCount());
    std::vector<OrvTest::Ratio> ratios;
    for (const char* size : {"9", "12", "24"})
    {
        ratios.push_back({"", std::string("BM_FontRendererMeasure/") + size,
                          std::string("BM_FreetypeCacheMeasure/") + size, characters});
    }
    ratios[0].label = "measure, 9 pt, font renderer to FreeType cache (/char)";
    ratios[1].label = "measure, 12 pt, font renderer to FreeType cache (/char)";
    ratios[2].label = "measure, 24 pt, font renderer to FreeType cache (/char)";
    return OrvTest::RunWithRatios(argc, argv, std::move(ratios));
}
