// Font families and fonts (fontconfig, FreeType, cairo's FreeType faces), string formats,
// regions, and laying out, drawing and measuring text.
#include "GdiPlusObjects.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>
#include <map>
#include <mutex>
#include <new>
#include <string>

using namespace Gdiplus;

namespace
{
// What one face of a family (regular, bold, italic, bold italic) gives text.
struct Face
{
    bool resolved = false;
    cairo_font_face_t* face = nullptr;
    USHORT emHeight = 2048;
    USHORT ascent = 0;
    USHORT descent = 0;
    USHORT lineSpacing = 0;
    double underlinePosition = 0; // em fractions, positive downward from the baseline
    double underlineThickness = 0;
    double strikeoutPosition = 0; // positive upward
    double strikeoutThickness = 0;
};

std::mutex gFontLock; // fontconfig set-up, FreeType and faces being resolved

std::string ToUtf8(const WCHAR* text, size_t length)
{
    std::string out;
    for (size_t i = 0; i < length; ++i)
    {
        auto cp = static_cast<std::uint32_t>(text[i]);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        {
            cp = 0xFFFD;
        }
        if (cp < 0x80)
        {
            out += static_cast<char>(cp);
        }
        else if (cp < 0x800)
        {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
        else if (cp < 0x10000)
        {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
        else
        {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y)
                      {
                          return std::tolower(static_cast<unsigned char>(x)) ==
                                 std::tolower(static_cast<unsigned char>(y));
                      });
}

cairo_font_options_t* TextOptions()
{
    static cairo_font_options_t* options = []
    {
        cairo_font_options_t* o = cairo_font_options_create();
        cairo_font_options_set_antialias(o, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(o, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(o, CAIRO_HINT_METRICS_ON);
        return o;
    }();
    return options;
}

// The best installed match for a family name and style; null when fontconfig has nothing.
FcPattern* Match(const std::string& family, int style)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT,
                        (style & FontStyleBold) != 0 ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT,
                        (style & FontStyleItalic) != 0 ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    cairo_ft_font_options_substitute(TextOptions(), pattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    return match;
}

void ReadMetrics(FcPattern* match, Face& face)
{
    static FT_Library library = nullptr;
    if (library == nullptr && FT_Init_FreeType(&library) != 0)
    {
        library = nullptr;
        return;
    }
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch)
    {
        return;
    }
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FT_Face ft = nullptr;
    if (FT_New_Face(library, reinterpret_cast<const char*>(file), index, &ft) != 0)
    {
        return;
    }
    if (FT_IS_SCALABLE(ft) && ft->units_per_EM > 0)
    {
        double em = ft->units_per_EM;
        face.emHeight = ft->units_per_EM;
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ft, FT_SFNT_OS2));
        int ascent = ft->ascender;
        int descent = -ft->descender;
        if (os2 != nullptr && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
        {
            ascent = os2->usWinAscent;
            descent = os2->usWinDescent;
        }
        int spacing = std::max(ascent + descent,
                               ft->ascender - ft->descender +
                                   std::max<int>(0, ft->height - ft->ascender + ft->descender));
        face.ascent = static_cast<USHORT>(std::clamp(ascent, 0, 65535));
        face.descent = static_cast<USHORT>(std::clamp(descent, 0, 65535));
        face.lineSpacing = static_cast<USHORT>(std::clamp(spacing, 0, 65535));
        face.underlinePosition = -ft->underline_position / em;
        face.underlineThickness = std::max<double>(ft->underline_thickness, em / 20) / em;
        if (os2 != nullptr && os2->version != 0xFFFF && os2->yStrikeoutSize > 0)
        {
            face.strikeoutPosition = os2->yStrikeoutPosition / em;
            face.strikeoutThickness = os2->yStrikeoutSize / em;
        }
        else
        {
            face.strikeoutPosition = ascent / em / 3;
            face.strikeoutThickness = face.underlineThickness;
        }
    }
    FT_Done_Face(ft);
}
} // namespace

namespace Gdiplus
{
// A family as fonts keep it: shared, so that a font outlives the family object it was made from.
struct FamilyData
{
    ~FamilyData()
    {
        for (Face& face : faces)
        {
            if (face.face != nullptr)
            {
                cairo_font_face_destroy(face.face);
            }
        }
    }
    std::string name;
    Face faces[4];

    // The face for a style (bold and italic bits); null face when it cannot be had.
    const Face& Resolve(int style)
    {
        std::lock_guard<std::mutex> lock(gFontLock);
        Face& face = faces[style & 3];
        if (!face.resolved)
        {
            face.resolved = true;
            if (FcPattern* match = Match(name, style & 3))
            {
                face.face = cairo_ft_font_face_create_for_pattern(match);
                ReadMetrics(match, face);
                FcPatternDestroy(match);
            }
            if (face.face != nullptr && cairo_font_face_status(face.face) != CAIRO_STATUS_SUCCESS)
            {
                cairo_font_face_destroy(face.face);
                face.face = nullptr;
            }
            if (face.lineSpacing == 0)
            {
                face.emHeight = 2048;
                face.ascent = 1638;
                face.descent = 410;
                face.lineSpacing = 2048;
            }
        }
        return face;
    }
};

class GpFontFamily
{
public:
    std::shared_ptr<FamilyData> data;
    bool generic = false;
};

class GpFont
{
public:
    std::shared_ptr<FamilyData> family;
    REAL emSize = 0;
    INT style = 0;
    Unit unit = UnitPoint;
};

class GpStringFormat
{
public:
    INT flags = 0;
    LANGID language = 0;
    StringTrimming trimming = StringTrimmingCharacter;
    std::vector<CharacterRange> ranges;
};
} // namespace Gdiplus

namespace
{
// The installed family whose name (any of its names) is the given one; null when none is. The
// installed fonts are looked up once per name: later requests share the family found (or its
// absence), with the faces it has resolved.
std::shared_ptr<FamilyData> FindFamily(const std::string& name, bool acceptAny)
{
    std::lock_guard<std::mutex> lock(gFontLock);
    static bool initialised = FcInit() == FcTrue;
    if (!initialised)
    {
        return nullptr;
    }
    static std::map<std::string, std::shared_ptr<FamilyData>>* const known =
        new std::map<std::string, std::shared_ptr<FamilyData>>();
    std::string key(acceptAny ? "*" : "=");
    for (char c : name)
    {
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (auto found = known->find(key); found != known->end())
    {
        return found->second;
    }
    std::shared_ptr<FamilyData> data;
    if (FcPattern* match = Match(name, 0))
    {
        std::string found;
        FcChar8* family = nullptr;
        for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
        {
            std::string candidate(reinterpret_cast<const char*>(family));
            if (acceptAny || EqualNoCase(candidate, name))
            {
                found = candidate;
                break;
            }
        }
        FcPatternDestroy(match);
        if (!found.empty())
        {
            data = std::make_shared<FamilyData>();
            data->name = found;
        }
    }
    known->emplace(key, data);
    return data;
}

// The text as laid out: where each character sits.
struct LaidOut
{
    struct Char
    {
        double x = 0;
        double advance = 0;
        int line = 0;
        unsigned long glyph = 0;
        bool visible = false;  // drawn (not a line break or control character)
        bool trailing = false; // a blank after the line's last other character
    };
    std::vector<Char> chars;
    int lines = 1;
    double emPixels = 0;
    double lineHeight = 0;
    double ascent = 0;
    double padding = 0;
    const Face* face = nullptr;
    cairo_scaled_font_t* font = nullptr;

    ~LaidOut()
    {
        if (font != nullptr)
        {
            cairo_scaled_font_destroy(font);
        }
    }
};

double EmPixels(const GpFont* font, double dpi)
{
    return font->emSize * UnitToPixels(font->unit, dpi);
}

GpStatus Lay(const GpFont* font, double dpi, const WCHAR* text, INT length, const RectF& rect,
             INT flags, LaidOut& out)
{
    const Face& face = font->family->Resolve(font->style);
    if (face.face == nullptr)
    {
        return FontFamilyNotFound;
    }
    out.face = &face;
    out.emPixels = EmPixels(font, dpi);
    out.lineHeight = face.lineSpacing * out.emPixels / face.emHeight;
    out.ascent = face.ascent * out.emPixels / face.emHeight;
    out.padding = out.emPixels / 6.0;
    cairo_matrix_t fontMatrix;
    cairo_matrix_t identity;
    cairo_matrix_init_scale(&fontMatrix, out.emPixels, out.emPixels);
    cairo_matrix_init_identity(&identity);
    out.font = cairo_scaled_font_create(face.face, &fontMatrix, &identity, TextOptions());
    if (cairo_scaled_font_status(out.font) != CAIRO_STATUS_SUCCESS)
    {
        return OutOfMemory;
    }
    FT_Face ft = cairo_ft_scaled_font_lock_face(out.font);
    if (ft == nullptr)
    {
        return GenericError;
    }
    out.chars.resize(static_cast<size_t>(length));
    for (INT i = 0; i < length; ++i)
    {
        wchar_t c = text[i];
        LaidOut::Char& ch = out.chars[static_cast<size_t>(i)];
        if (c >= 0x20 && c != 0x7F)
        {
            ch.glyph = FT_Get_Char_Index(ft, static_cast<FT_ULong>(c));
            ch.visible = true;
        }
    }
    cairo_ft_scaled_font_unlock_face(out.font);
    for (LaidOut::Char& ch : out.chars)
    {
        if (ch.visible)
        {
            cairo_glyph_t glyph{ch.glyph, 0, 0};
            cairo_text_extents_t extents;
            cairo_scaled_font_glyph_extents(out.font, &glyph, 1, &extents);
            ch.advance = extents.x_advance;
        }
    }

    bool wrap = rect.Width > 0 && (flags & StringFormatFlagsNoWrap) == 0;
    double wrapWidth = std::max(0.0, rect.Width - 2 * out.padding);
    int line = 0;
    double x = 0;
    INT lineStart = 0;
    INT lastBlank = -1;
    for (INT i = 0; i < length; ++i)
    {
        LaidOut::Char& ch = out.chars[static_cast<size_t>(i)];
        wchar_t c = text[i];
        if (c == L'\n')
        {
            ch.x = x;
            ch.line = line;
            ++line;
            x = 0;
            lineStart = i + 1;
            lastBlank = -1;
            continue;
        }
        if (wrap && c != L' ' && x + ch.advance > wrapWidth && i > lineStart)
        {
            // Break after the line's last blank, or else before this character.
            INT next = lastBlank >= lineStart ? lastBlank + 1 : i;
            ++line;
            x = 0;
            for (INT j = next; j < i; ++j)
            {
                LaidOut::Char& moved = out.chars[static_cast<size_t>(j)];
                moved.x = x;
                moved.line = line;
                x += moved.advance;
            }
            lineStart = next;
            lastBlank = -1;
        }
        ch.x = x;
        ch.line = line;
        x += ch.advance;
        if (c == L' ')
        {
            lastBlank = i;
        }
    }
    out.lines = line + 1;
    // Blanks after each line's last other character.
    bool seenOther = false;
    for (INT i = length - 1; i >= 0; --i)
    {
        LaidOut::Char& ch = out.chars[static_cast<size_t>(i)];
        if (i == length - 1 || out.chars[static_cast<size_t>(i + 1)].line != ch.line ||
            text[i + 1] == L'\n')
        {
            seenOther = false;
        }
        if (text[i] == L'\n' || text[i] == L'\r')
        {
            continue;
        }
        if (text[i] == L' ' && !seenOther)
        {
            ch.trailing = true;
        }
        else
        {
            seenOther = true;
        }
    }
    return Ok;
}

INT TextLength(const WCHAR* text, INT length)
{
    return length == -1 ? static_cast<INT>(std::wcslen(text)) : length;
}
} // namespace

GpStatus GdipCreateFontFamilyFromName(const WCHAR* name, GpFontCollection* collection,
                                      GpFontFamily** family)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (name == nullptr || family == nullptr || name[0] == 0)
    {
        return InvalidParameter;
    }
    if (collection != nullptr)
    {
        return NotImplemented;
    }
    std::shared_ptr<FamilyData> data = FindFamily(ToUtf8(name, std::wcslen(name)), false);
    if (!data)
    {
        return FontFamilyNotFound;
    }
    auto* created = new (std::nothrow) GpFontFamily;
    if (created == nullptr)
    {
        return OutOfMemory;
    }
    created->data = std::move(data);
    *family = created;
    return Ok;
}

GpStatus GdipGetGenericFontFamilySansSerif(GpFontFamily** family)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (family == nullptr)
    {
        return InvalidParameter;
    }
    static GpFontFamily* generic = []() -> GpFontFamily*
    {
        std::shared_ptr<FamilyData> data = FindFamily("sans-serif", true);
        if (!data)
        {
            return nullptr;
        }
        auto* created = new GpFontFamily;
        created->data = std::move(data);
        created->generic = true;
        return created;
    }();
    if (generic == nullptr)
    {
        return FontFamilyNotFound;
    }
    *family = generic;
    return Ok;
}

GpStatus GdipDeleteFontFamily(GpFontFamily* family)
{
    if (family == nullptr)
    {
        return InvalidParameter;
    }
    if (!family->generic)
    {
        delete family;
    }
    return Ok;
}

namespace
{
GpStatus FamilyMetric(const GpFontFamily* family, INT style, USHORT* out, USHORT Face::*field)
{
    if (family == nullptr || out == nullptr || style < 0 || style > 15)
    {
        return InvalidParameter;
    }
    *out = family->data->Resolve(style).*field;
    return Ok;
}
} // namespace

GpStatus GdipGetEmHeight(const GpFontFamily* family, INT style, USHORT* emHeight)
{
    return FamilyMetric(family, style, emHeight, &Face::emHeight);
}

GpStatus GdipGetCellAscent(const GpFontFamily* family, INT style, USHORT* ascent)
{
    return FamilyMetric(family, style, ascent, &Face::ascent);
}

GpStatus GdipGetCellDescent(const GpFontFamily* family, INT style, USHORT* descent)
{
    return FamilyMetric(family, style, descent, &Face::descent);
}

GpStatus GdipCreateFont(const GpFontFamily* family, REAL emSize, INT style, GpUnit unit,
                        GpFont** font)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (family == nullptr || font == nullptr || !std::isfinite(emSize) || emSize <= 0 ||
        style < 0 || style > 15 || unit < UnitWorld || unit > UnitMillimeter || unit == UnitDisplay)
    {
        return InvalidParameter;
    }
    if (family->data->Resolve(style).face == nullptr)
    {
        return FontStyleNotFound;
    }
    auto* created = new (std::nothrow) GpFont;
    if (created == nullptr)
    {
        return OutOfMemory;
    }
    created->family = family->data;
    created->emSize = emSize;
    created->style = style;
    created->unit = unit;
    *font = created;
    return Ok;
}

GpStatus GdipDeleteFont(GpFont* font)
{
    if (font == nullptr)
    {
        return InvalidParameter;
    }
    delete font;
    return Ok;
}

GpStatus GdipGetFontSize(GpFont* font, REAL* size)
{
    if (font == nullptr || size == nullptr)
    {
        return InvalidParameter;
    }
    *size = font->emSize;
    return Ok;
}

GpStatus GdipGetFontHeightGivenDPI(const GpFont* font, REAL dpi, REAL* height)
{
    if (font == nullptr || height == nullptr || !std::isfinite(dpi) || dpi <= 0)
    {
        return InvalidParameter;
    }
    const Face& face = font->family->Resolve(font->style);
    *height = static_cast<REAL>(face.lineSpacing * EmPixels(font, dpi) / face.emHeight);
    return Ok;
}

GpStatus GdipCreateStringFormat(INT formatFlags, LANGID language, GpStringFormat** format)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (format == nullptr)
    {
        return InvalidParameter;
    }
    auto* created = new (std::nothrow) GpStringFormat;
    if (created == nullptr)
    {
        return OutOfMemory;
    }
    created->flags = formatFlags;
    created->language = language;
    *format = created;
    return Ok;
}

GpStatus GdipDeleteStringFormat(GpStringFormat* format)
{
    if (format == nullptr)
    {
        return InvalidParameter;
    }
    delete format;
    return Ok;
}

GpStatus GdipSetStringFormatFlags(GpStringFormat* format, INT flags)
{
    if (format == nullptr)
    {
        return InvalidParameter;
    }
    format->flags = flags;
    return Ok;
}

GpStatus GdipSetStringFormatTrimming(GpStringFormat* format, StringTrimming trimming)
{
    if (format == nullptr || trimming < StringTrimmingNone || trimming > StringTrimmingEllipsisPath)
    {
        return InvalidParameter;
    }
    format->trimming = trimming;
    return Ok;
}

GpStatus GdipSetStringFormatMeasurableCharacterRanges(GpStringFormat* format, INT rangeCount,
                                                      const CharacterRange* ranges)
{
    if (format == nullptr || rangeCount < 0 || (rangeCount > 0 && ranges == nullptr))
    {
        return InvalidParameter;
    }
    if (rangeCount > 32)
    {
        return ValueOverflow;
    }
    try
    {
        format->ranges.assign(ranges, ranges + rangeCount);
    }
    catch (const std::bad_alloc&)
    {
        return OutOfMemory;
    }
    return Ok;
}

GpStatus GdipGetStringFormatMeasurableCharacterRangeCount(GpStringFormat* format, INT* count)
{
    if (format == nullptr || count == nullptr)
    {
        return InvalidParameter;
    }
    *count = static_cast<INT>(format->ranges.size());
    return Ok;
}

GpStatus GdipCreateRegion(GpRegion** region)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (region == nullptr)
    {
        return InvalidParameter;
    }
    *region = new (std::nothrow) GpRegion;
    return *region == nullptr ? OutOfMemory : Ok;
}

GpStatus GdipCreateRegionRect(const GpRectF* rect, GpRegion** region)
{
    if (!IsStarted())
    {
        return GdiplusNotInitialized;
    }
    if (rect == nullptr || region == nullptr || !std::isfinite(rect->X) ||
        !std::isfinite(rect->Y) || !std::isfinite(rect->Width) || !std::isfinite(rect->Height))
    {
        return InvalidParameter;
    }
    *region = new (std::nothrow) GpRegion;
    if (*region == nullptr)
    {
        return OutOfMemory;
    }
    (*region)->infinite = false;
    if (rect->Width > 0 && rect->Height > 0)
    {
        (*region)->rects.push_back(*rect);
    }
    return Ok;
}

GpStatus GdipCombineRegionRect(GpRegion* region, const GpRectF* rect, CombineMode mode)
{
    if (region == nullptr || rect == nullptr || !std::isfinite(rect->X) ||
        !std::isfinite(rect->Y) || !std::isfinite(rect->Width) || !std::isfinite(rect->Height) ||
        mode < CombineModeReplace || mode > CombineModeComplement)
    {
        return InvalidParameter;
    }
    const bool empty = !(rect->Width > 0 && rect->Height > 0);
    switch (mode)
    {
        case CombineModeReplace:
            region->infinite = false;
            region->rects.clear();
            if (!empty)
            {
                region->rects.push_back(*rect);
            }
            return Ok;
        case CombineModeUnion:
            if (!region->infinite && !empty)
            {
                region->rects.push_back(*rect);
            }
            return Ok;
        case CombineModeIntersect:
        {
            std::vector<RectF> kept;
            if (region->infinite)
            {
                kept.push_back(*rect);
            }
            else
            {
                for (const RectF& r : region->rects)
                {
                    const float left = std::max(r.X, rect->X);
                    const float top = std::max(r.Y, rect->Y);
                    const float right = std::min(r.X + r.Width, rect->X + rect->Width);
                    const float bottom = std::min(r.Y + r.Height, rect->Y + rect->Height);
                    if (right > left && bottom > top)
                    {
                        kept.push_back(RectF{left, top, right - left, bottom - top});
                    }
                }
            }
            region->infinite = false;
            region->rects = empty ? std::vector<RectF>() : std::move(kept);
            return Ok;
        }
        default:
            return NotImplemented;
    }
}

GpStatus GdipDeleteRegion(GpRegion* region)
{
    if (region == nullptr)
    {
        return InvalidParameter;
    }
    delete region;
    return Ok;
}

GpStatus GdipGetRegionBounds(GpRegion* region, GpGraphics* graphics, GpRectF* bounds)
{
    if (region == nullptr || graphics == nullptr || bounds == nullptr)
    {
        return InvalidParameter;
    }
    if (region->infinite)
    {
        *bounds = {-4194304.0f, -4194304.0f, 8388608.0f, 8388608.0f};
        return Ok;
    }
    if (region->rects.empty())
    {
        *bounds = {0, 0, 0, 0};
        return Ok;
    }
    float left = region->rects[0].X, top = region->rects[0].Y;
    float right = left + region->rects[0].Width, bottom = top + region->rects[0].Height;
    for (const RectF& r : region->rects)
    {
        left = std::min(left, r.X);
        top = std::min(top, r.Y);
        right = std::max(right, r.X + r.Width);
        bottom = std::max(bottom, r.Y + r.Height);
    }
    *bounds = {left, top, right - left, bottom - top};
    return Ok;
}

GpStatus GdipDrawString(GpGraphics* graphics, const WCHAR* text, INT length, const GpFont* font,
                        const GpRectF* layoutRect, const GpStringFormat* format,
                        const GpBrush* brush)
{
    if (graphics == nullptr || text == nullptr || font == nullptr || layoutRect == nullptr ||
        brush == nullptr || length < -1 || !std::isfinite(layoutRect->X) ||
        !std::isfinite(layoutRect->Y) || !std::isfinite(layoutRect->Width) ||
        !std::isfinite(layoutRect->Height))
    {
        return InvalidParameter;
    }
    length = TextLength(text, length);
    INT flags = format != nullptr ? format->flags : 0;
    LaidOut laid;
    if (GpStatus status = Lay(font, graphics->dpi, text, length, *layoutRect, flags, laid);
        status != Ok)
    {
        return status;
    }
    DrawScope scope(graphics, nullptr);
    if (scope.status() != Ok)
    {
        return scope.status();
    }
    cairo_t* cr = scope.cr();
    scope.UseWorld(false);
    const RectF& rect = *layoutRect;
    if (rect.Width > 0 && rect.Height > 0 && (flags & StringFormatFlagsNoClip) == 0)
    {
        scope.ClipFurther(rect.X, rect.Y, rect.Width, rect.Height);
    }
    std::vector<cairo_glyph_t> glyphs;
    glyphs.reserve(laid.chars.size());
    double left = rect.X + laid.padding;
    for (const LaidOut::Char& ch : laid.chars)
    {
        if (ch.visible)
        {
            glyphs.push_back(
                {ch.glyph, left + ch.x, rect.Y + ch.line * laid.lineHeight + laid.ascent});
        }
    }
    ApplyBrush(brush, cr, graphics->interpolation);
    cairo_set_scaled_font(cr, laid.font);
    cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    if ((font->style & (FontStyleUnderline | FontStyleStrikeout)) != 0)
    {
        // One line per text line, under or through its characters.
        for (int line = 0; line < laid.lines; ++line)
        {
            double from = 0, to = 0;
            bool any = false;
            for (const LaidOut::Char& ch : laid.chars)
            {
                if (ch.line == line && ch.visible && !ch.trailing)
                {
                    from = any ? std::min(from, ch.x) : ch.x;
                    to = any ? std::max(to, ch.x + ch.advance) : ch.x + ch.advance;
                    any = true;
                }
            }
            if (!any)
            {
                continue;
            }
            double baseline = rect.Y + line * laid.lineHeight + laid.ascent;
            double em = laid.emPixels;
            if ((font->style & FontStyleUnderline) != 0)
            {
                cairo_rectangle(cr, left + from, baseline + laid.face->underlinePosition * em,
                                to - from, std::max(1.0, laid.face->underlineThickness * em));
            }
            if ((font->style & FontStyleStrikeout) != 0)
            {
                cairo_rectangle(cr, left + from, baseline - laid.face->strikeoutPosition * em,
                                to - from, std::max(1.0, laid.face->strikeoutThickness * em));
            }
            cairo_fill(cr);
        }
    }
    return Ok;
}

GpStatus GdipMeasureCharacterRanges(GpGraphics* graphics, const WCHAR* text, INT length,
                                    const GpFont* font, const GpRectF& layoutRect,
                                    const GpStringFormat* format, INT regionCount,
                                    GpRegion** regions)
{
    if (graphics == nullptr || text == nullptr || font == nullptr || format == nullptr ||
        length < -1 || regionCount != static_cast<INT>(format->ranges.size()) ||
        (regionCount > 0 && regions == nullptr))
    {
        return InvalidParameter;
    }
    length = TextLength(text, length);
    for (INT i = 0; i < regionCount; ++i)
    {
        const CharacterRange& range = format->ranges[static_cast<size_t>(i)];
        if (regions[i] == nullptr || range.First < 0 || range.Length < 0 ||
            range.First > length - range.Length)
        {
            return InvalidParameter;
        }
    }
    LaidOut laid;
    if (GpStatus status = Lay(font, graphics->dpi, text, length, layoutRect, format->flags, laid);
        status != Ok)
    {
        return status;
    }
    bool countTrailing = (format->flags & StringFormatFlagsMeasureTrailingSpaces) != 0;
    bool clip = layoutRect.Width > 0 && layoutRect.Height > 0 &&
                (format->flags & StringFormatFlagsNoClip) == 0;
    for (INT i = 0; i < regionCount; ++i)
    {
        const CharacterRange& range = format->ranges[static_cast<size_t>(i)];
        std::vector<RectF> boxes;
        for (int line = 0; line < laid.lines; ++line)
        {
            double from = 0, to = 0;
            bool any = false;
            for (INT c = range.First; c < range.First + range.Length; ++c)
            {
                const LaidOut::Char& ch = laid.chars[static_cast<size_t>(c)];
                if (ch.line != line || !ch.visible || (ch.trailing && !countTrailing))
                {
                    continue;
                }
                from = any ? std::min(from, ch.x) : ch.x;
                to = any ? std::max(to, ch.x + ch.advance) : ch.x + ch.advance;
                any = true;
            }
            if (!any || to <= from)
            {
                continue;
            }
            double left = layoutRect.X + laid.padding + from;
            double right = layoutRect.X + laid.padding + to;
            double top = layoutRect.Y + line * laid.lineHeight;
            double bottom = top + laid.lineHeight;
            if (clip)
            {
                left = std::max<double>(left, layoutRect.X);
                top = std::max<double>(top, layoutRect.Y);
                right = std::min<double>(right, layoutRect.X + layoutRect.Width);
                bottom = std::min<double>(bottom, layoutRect.Y + layoutRect.Height);
                if (right <= left || bottom <= top)
                {
                    continue;
                }
            }
            boxes.push_back({static_cast<REAL>(left), static_cast<REAL>(top),
                             static_cast<REAL>(right - left), static_cast<REAL>(bottom - top)});
        }
        regions[i]->infinite = false;
        regions[i]->rects = std::move(boxes);
    }
    return Ok;
}

#if defined(__SANITIZE_ADDRESS__)
#define ORV_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORV_LEAK_CHECKED 1
#endif
#endif
#if defined(ORV_LEAK_CHECKED)
// fontconfig loses a few bytes while it reads its configuration files on first use (in
// FcInitLoadConfigAndFonts); that is its own, once per process. The leak checker's fast stacks end
// inside the library, so memory that fontconfig itself allocated is not reported.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
#endif
