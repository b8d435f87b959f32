// The font renderer over FreeType 2. A font becomes a FreeType face and size through the cache
// manager: the face by the font's font-file id (LFontFileInfo), the size from the font's size in
// points at 96 x 96 dots per inch. Glyphs are loaded from the face directly.
//
// The FreeType state (library, cache manager, charmap and image caches) and the font-file
// registry are process-wide and shared by every FreeType font renderer: the first one made scans
// the font folders and sets FreeType up, the last one destroyed releases FreeType and empties the
// registry. Used on the UI thread only.
#pragma once

#include "Renderer/FontRenderer/FontRenderer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_CACHE_H

namespace Orv
{
class LFreetypeFontRenderer : public LFontRenderer
{
public:
    // Cache manager limits.
    static constexpr FT_UInt kMaxFaces = 8;
    static constexpr FT_UInt kMaxSizes = 16;
    static constexpr FT_ULong kMaxBytes = 0x400000;
    // The resolution sizes are looked up at.
    static constexpr FT_UInt kDotsPerInch = 96;
    // Fonts smaller than this many points are rendered in black and white first.
    static constexpr float kAntialiasedFromPoints = 8.0f;

    // The first renderer alive scans the font folders and sets FreeType up; a failing step
    // leaves the rest undone, and every size lookup then fails.
    LFreetypeFontRenderer(const ConstRCPtr<LGlyphProcessor>& firstProcessor,
                          const ConstRCPtr<LGlyphProcessor>& glyphProcessor);
    ~LFreetypeFontRenderer() override;

    // The cache manager's face requester: opens the face of the font-file id that faceId
    // carries (the id + 1, as the manager takes no null id), at its path and face index.
    static FT_Error RequestFace(FTC_FaceID faceId, FT_Library library, FT_Pointer requestData,
                                FT_Face* face);
    // The face id the cache manager is given for a font-file id.
    static FTC_FaceID FaceIdOf(int fileId);

    // E_FAIL when the size cannot be looked up; E_INVALIDARG for a null font. Throws the font-file
    // registry's runtime error for a font no registered family serves.
    ORVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int& height, int& ascent,
                             int& descent) override;
    // 0 (the processor not called) when the size cannot be looked up, for a null font or
    // processor. Characters without a glyph, and glyphs that fail to load or render, are passed
    // over.
    int ProcessString(const WString& text, const ConstRCPtr<LFont>& font,
                      const ConstRCPtr<LGlyphProcessor>& processor, int start, float maxWidth,
                      int mode) override;

private:
    // The size of the font in its face; false when there is none.
    static bool LookupSize(const ConstRCPtr<LFont>& font, FT_Size& size);
};
} // namespace Orv
