#include "Renderer/FontRenderer/FreetypeFontRenderer.h"

#include "Renderer/Font.h"
#include "Renderer/FontRenderer/FontFileInfo.h"

#include FT_GLYPH_H

#include <algorithm>
#include <cstdint>

namespace Orv
{
namespace
{
// The FreeType state all FreeType font renderers share, and how many of them are alive.
struct FreetypeState
{
    int users = 0;
    FT_Library library = nullptr;
    FTC_Manager manager = nullptr;
    FTC_CMapCache charmapCache = nullptr;
    FTC_ImageCache imageCache = nullptr;
};

FreetypeState& GetState()
{
    static FreetypeState state;
    return state;
}

// Releases a glyph copy when it goes out of scope.
class GlyphHolder
{
public:
    GlyphHolder() = default;
    GlyphHolder(const GlyphHolder&) = delete;
    GlyphHolder& operator=(const GlyphHolder&) = delete;
    ~GlyphHolder() { Reset(); }

    FT_Glyph* Out() { return &mGlyph; }
    FT_Glyph Get() const { return mGlyph; }
    void Reset()
    {
        if (mGlyph != nullptr)
        {
            FT_Done_Glyph(mGlyph);
            mGlyph = nullptr;
        }
    }

private:
    FT_Glyph mGlyph = nullptr;
};

// Row y of a bitmap, counted from the top whichever way its rows run in memory.
const unsigned char* BitmapRow(const FT_Bitmap& bitmap, unsigned int y)
{
    return bitmap.pitch >= 0 ? bitmap.buffer + static_cast<std::size_t>(y) *
                                                   static_cast<unsigned int>(bitmap.pitch)
                             : bitmap.buffer + static_cast<std::size_t>(bitmap.rows - 1 - y) *
                                                   static_cast<unsigned int>(-bitmap.pitch);
}

// The rendered glyph as an 8-bit image: a black-and-white bitmap expanded to 0 and 255 (stride
// the width), a grey one copied (stride its pitch). Null for other pixel modes.
RCPtr<LPixelBuffer<unsigned char>> ToPixelBuffer(const FT_Bitmap& bitmap)
{
    const int width = static_cast<int>(bitmap.width);
    const int rows = static_cast<int>(bitmap.rows);
    if (width < 0 || rows < 0 || (bitmap.buffer == nullptr && width != 0 && rows != 0))
    {
        return RCPtr<LPixelBuffer<unsigned char>>();
    }
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO)
    {
        RCPtr<LPixelBuffer<unsigned char>> image =
            LPixelBuffer<unsigned char>::Create(width, rows, width, nullptr);
        for (int y = 0; image != nullptr && y < rows; ++y)
        {
            const unsigned char* row = BitmapRow(bitmap, static_cast<unsigned int>(y));
            for (int x = 0; x < width; ++x)
            {
                if ((row[x / 8] & (0x80 >> (x % 8))) != 0)
                {
                    *image->GetPixel(x, y) = 255;
                }
            }
        }
        return image;
    }
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY)
    {
        const int stride = bitmap.pitch >= 0 ? bitmap.pitch : -bitmap.pitch;
        RCPtr<LPixelBuffer<unsigned char>> image =
            LPixelBuffer<unsigned char>::Create(width, rows, stride, nullptr);
        for (int y = 0; image != nullptr && y < rows; ++y)
        {
            unsigned char* to = image->GetPixel(0, y);
            if (to != nullptr)
            {
                std::copy_n(BitmapRow(bitmap, static_cast<unsigned int>(y)), width, to);
            }
        }
        return image;
    }
    return RCPtr<LPixelBuffer<unsigned char>>();
}

// Renders the glyph slot, in the preferred mode first; the slot's bitmap as an image, or null
// when neither mode gives one.
RCPtr<LPixelBuffer<unsigned char>> RenderSlot(FT_GlyphSlot slot, bool antialiased)
{
    const FT_Render_Mode first = antialiased ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    const FT_Render_Mode second = antialiased ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL;
    for (const FT_Render_Mode mode : {first, second})
    {
        if (FT_Render_Glyph(slot, mode) == 0)
        {
            RCPtr<LPixelBuffer<unsigned char>> image = ToPixelBuffer(slot->bitmap);
            if (image != nullptr)
            {
                return image;
            }
        }
    }
    return RCPtr<LPixelBuffer<unsigned char>>();
}
} // namespace

LFreetypeFontRenderer::LFreetypeFontRenderer(const ConstRCPtr<LGlyphProcessor>& firstProcessor,
                                             const ConstRCPtr<LGlyphProcessor>& glyphProcessor)
    : LFontRenderer(firstProcessor, glyphProcessor)
{
    FreetypeState& state = GetState();
    if (state.users++ != 0)
    {
        return;
    }
    LFontFileInfo::ScanFontFolder();
    if (FT_Init_FreeType(&state.library) != 0)
    {
        state.library = nullptr;
        return;
    }
    if (FTC_Manager_New(state.library, kMaxFaces, kMaxSizes, kMaxBytes, &RequestFace, nullptr,
                        &state.manager) != 0)
    {
        state.manager = nullptr;
        return;
    }
    if (FTC_CMapCache_New(state.manager, &state.charmapCache) != 0)
    {
        state.charmapCache = nullptr;
        return;
    }
    if (FTC_ImageCache_New(state.manager, &state.imageCache) != 0)
    {
        state.imageCache = nullptr;
    }
}

LFreetypeFontRenderer::~LFreetypeFontRenderer()
{
    FreetypeState& state = GetState();
    if (--state.users != 0)
    {
        return;
    }
    if (state.manager != nullptr)
    {
        FTC_Manager_Done(state.manager);
    }
    if (state.library != nullptr)
    {
        FT_Done_FreeType(state.library);
    }
    state = FreetypeState();
    LFontFileInfo::Clear();
}

FTC_FaceID LFreetypeFontRenderer::FaceIdOf(int fileId)
{
    return reinterpret_cast<FTC_FaceID>(
        static_cast<std::uintptr_t>(static_cast<unsigned int>(fileId)) + 1);
}

FT_Error LFreetypeFontRenderer::RequestFace(FTC_FaceID faceId, FT_Library library, FT_Pointer,
                                            FT_Face* face)
{
    const int fileId = static_cast<int>(reinterpret_cast<std::uintptr_t>(faceId) - 1);
    const NString path = LFontFileInfo::GetFilePath(fileId).ToNarrow();
    return FT_New_Face(library, path.GetBuffer(), LFontFileInfo::GetFaceIndex(fileId), face);
}

bool LFreetypeFontRenderer::LookupSize(const ConstRCPtr<LFont>& font, FT_Size& size)
{
    const FreetypeState& state = GetState();
    // The height in 26.6 points; sizes that do not make a positive one are no size.
    const float height = font->GetSize() * 64.0f;
    if (state.manager == nullptr || !(height >= 1.0f && height < 2147483648.0f))
    {
        return false;
    }
    FTC_ScalerRec scaler{};
    scaler.face_id = FaceIdOf(LFontFileInfo::GetFileID(font));
    scaler.width = 0;
    scaler.height = static_cast<FT_UInt>(height);
    scaler.pixel = 0;
    scaler.x_res = kDotsPerInch;
    scaler.y_res = kDotsPerInch;
    return FTC_Manager_LookupSize(state.manager, &scaler, &size) == 0 && size != nullptr;
}

ORVRESULT LFreetypeFontRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, int& height,
                                                int& ascent, int& descent)
{
    if (font == nullptr)
    {
        return E_INVALIDARG;
    }
    FT_Size size = nullptr;
    if (!LookupSize(font, size))
    {
        return E_FAIL;
    }
    const FT_Size_Metrics& metrics = size->metrics;
    ascent = static_cast<int>(-(metrics.ascender >> 6));
    descent = static_cast<int>(-(metrics.descender >> 6));
    const int lineHeight = static_cast<int>(metrics.height >> 6);
    const int nominal =
        static_cast<int>(font->GetSize() * static_cast<float>(kDotsPerInch) / 72.0f);
    height = lineHeight > nominal ? lineHeight : nominal;
    if (height < descent - ascent)
    {
        height = descent - ascent;
    }
    return S_OK;
}

int LFreetypeFontRenderer::ProcessString(const WString& text, const ConstRCPtr<LFont>& font,
                                         const ConstRCPtr<LGlyphProcessor>& processor, int start,
                                         float maxWidth, int mode)
{
    FT_Size size = nullptr;
    if (font == nullptr || processor == nullptr || !LookupSize(font, size))
    {
        return 0;
    }
    FT_Face face = size->face;
    const bool hasKerning = FT_HAS_KERNING(face);
    const bool antialiased = font->GetSize() >= kAntialiasedFromPoints;
    LGlyphProcessor& receiver = *processor.GetMutable();
    LGlyphProcessor::SGlyphInfo glyph;
    glyph.position = start;
    FT_UInt previous = 0;
    const int length = static_cast<int>(text.GetLength());
    const wchar_t* characters = text.GetBuffer();
    int walked = length;

    receiver.BeginString(font, mode);
    for (int i = 0; i < length; ++i)
    {
        glyph.bitmap = nullptr;
        glyph.glyphIndex = 0;
        glyph.left = glyph.top = glyph.right = glyph.bottom = 0;
        glyph.advanceX = glyph.advanceY = 0;
        glyph.charCode = static_cast<std::uint32_t>(characters[i]);
        const int flags = receiver.LookupGlyph(glyph) & 0xFFFF;
        const FT_UInt index = flags != 0 ? FT_Get_Char_Index(face, glyph.charCode)
                                         : static_cast<FT_UInt>(glyph.glyphIndex);
        if (index == 0)
        {
            continue;
        }
        GlyphHolder loaded;
        if (flags != 0)
        {
            if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0 ||
                FT_Get_Glyph(face->glyph, loaded.Out()) != 0)
            {
                glyph.position = i + 1;
                continue;
            }
            glyph.glyphIndex = index;
            glyph.advanceX = static_cast<std::int32_t>(face->glyph->advance.x);
            glyph.advanceY = static_cast<std::int32_t>(face->glyph->advance.y);
        }
        if ((flags & (LGlyphProcessor::kRequestBox | LGlyphProcessor::kRequestBitmap)) != 0)
        {
            FT_BBox box{};
            FT_Glyph_Get_CBox(loaded.Get(), FT_GLYPH_BBOX_PIXELS, &box);
            glyph.left = static_cast<std::int32_t>(box.xMin);
            glyph.top = static_cast<std::int32_t>(-box.yMax);
            glyph.right = static_cast<std::int32_t>(box.xMax);
            glyph.bottom = static_cast<std::int32_t>(-box.yMin);
        }
        if ((flags & LGlyphProcessor::kRequestBitmap) != 0)
        {
            glyph.bitmap = RenderSlot(face->glyph, antialiased);
            if (glyph.bitmap == nullptr)
            {
                glyph.position = i + 1;
                continue;
            }
        }
        if (hasKerning)
        {
            if (previous != 0)
            {
                FT_Vector delta{};
                if (FT_Get_Kerning(face, previous, index, FT_KERNING_DEFAULT, &delta) == 0)
                {
                    glyph.penX += static_cast<float>(delta.x) / 64.0f;
                }
            }
            else if (glyph.left < 0)
            {
                // The first glyph starts at the pen, also when it reaches to the left of it.
                glyph.penX -= static_cast<float>(glyph.left);
            }
        }
        if (maxWidth > 0 && glyph.penX + static_cast<float>(glyph.right) > maxWidth)
        {
            walked = i;
            break;
        }
        receiver.ProcessGlyph(glyph);
        loaded.Reset();
        glyph.penX += static_cast<float>(glyph.advanceX) / 64.0f;
        glyph.penY += static_cast<float>(glyph.advanceY) / 64.0f;
        glyph.bitmap = nullptr;
        previous = index;
        glyph.position = i + 1;
    }
    glyph.bitmap = nullptr;
    receiver.EndString();
    return walked;
}
} // namespace Orv
