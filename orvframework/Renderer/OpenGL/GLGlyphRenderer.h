// The glyph processor of the OpenGL back-end. It keeps, per font, an 8-bit alpha atlas of the
// glyphs met so far and an OpenGL texture made from it; it draws glyphs as textured quads in the
// current OpenGL colour and measures strings.
//
// Modes: kModeAccumulateBounds gathers the bounds of the glyphs walked, kModeUpdateTexture keeps
// the font's texture up to date, kModeDraw draws. Measuring (kModeMeasure) adds new glyphs to the
// atlas without uploading it; the next drawing walk uploads it when it begins.
//
// Uploading and drawing need the OpenGL context current. UI thread only.
#pragma once

#include "Renderer/Font.h"
#include "Renderer/FontRenderer/GlyphProcessor.h"
#include "Renderer/OpenGL/GLTexture.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Storage/HashBits.h"
#include "Utilities/Storage/PurgableObjectCache.h"

namespace Orv
{
class LGLGlyphRenderer : public LGlyphProcessor
{
public:
    // The atlas: this wide (and its stride), a power of two high, at most kMaxAtlasHeight.
    static constexpr int kAtlasWidth = 512;
    static constexpr int kMaxAtlasHeight = 4096;
    // The most fonts kept at once.
    static constexpr int kFontCacheSize = 16;
    // The atlas position of a glyph that has no cell (too large for the atlas): it is measured
    // but not drawn.
    static constexpr std::uint16_t kNoCell = 0xFFFF;

    // One font's glyphs: their atlas, the texture made from it, and the glyph table. A glyph's
    // cell is its bitmap with a border of one pixel; cells are placed in rows, left to right.
    class LCachedFont : public LGLTexture
    {
    public:
        // An all-zero atlas kAtlasWidth wide and the smallest power of two at least the font's
        // size high, all of it dirty.
        static RCPtr<LCachedFont> Create(const ConstRCPtr<LFont>& font);

        // Makes room for a cell of w x h at the cursor, starting a new row when the cell would
        // reach the atlas's right edge, and growing the atlas (new rows zero, all of it dirty)
        // when the cell reaches its bottom. false (nothing changed) when the cell cannot be
        // placed: wider than the atlas, or the atlas would pass kMaxAtlasHeight.
        bool Reserve(int w, int h);
        // Moves the cursor past a cell of width w.
        void AdvanceCursor(int w) { mCursorX += w; }
        // Copies the bitmap into the atlas with its top-left pixel at x, y, and adds its cell to
        // the dirty rectangle.
        void CopyGlyph(const LPixelBuffer<unsigned char>& bitmap, int x, int y);
        // Makes the texture again from the whole atlas when part of it is dirty; the atlas is
        // then clean.
        void UploadIfDirty();

        const ConstRCPtr<LFont>& GetFont() const { return mFont; }
        int GetCursorX() const { return mCursorX; }
        int GetCursorY() const { return mCursorY; }
        int GetRowHeight() const { return mRowHeight; }
        const ConstRCPtr<LPixelBuffer<unsigned char>>& GetAtlas() const { return mAtlas; }
        // x, y, width, height; width and height 0 when clean.
        const RectT<float>& GetDirtyRect() const { return mDirty; }
        GlyphTable& GetGlyphs() { return mGlyphs; }

    private:
        explicit LCachedFont(const ConstRCPtr<LFont>& font);

        ConstRCPtr<LFont> mFont;
        int mCursorX = 0;
        int mCursorY = 0;
        int mRowHeight = 0;
        RCPtr<LPixelBuffer<unsigned char>> mAtlas;
        RectT<float> mDirty;
        GlyphTable mGlyphs;
    };

    using FontCache = PurgableObjectCache<LCachedFont, ConstRCPtr<LFont>, int, &LFont::GetUniqueID,
                                          8, &GetBits<8, 4, int>>;

    // A renderer with an empty font cache, no current font and zero bounds.
    static RCPtr<LGLGlyphRenderer> Create();

    // Sets the mode, zeroes the bounds and makes the font's cached font current (made, or
    // taking the place of the least recently used of kFontCacheSize, when the font has none);
    // with kModeUpdateTexture its texture is brought up to date.
    void BeginString(const ConstRCPtr<LFont>& font, int mode) override;
    // Drops the current font.
    void EndString() override;
    // 0 with the glyph's index, box and advance filled when the current font holds the glyph;
    // kRequestAll when it does not; 0 outside a walk.
    int LookupGlyph(SGlyphInfo& glyph) override;
    // A new glyph goes into the atlas and the glyph table; then, by the mode, the glyph is drawn
    // (top of the line at y 0, the baseline the font's ascent below it) and its advance box joins
    // the bounds. Nothing outside a walk.
    void ProcessGlyph(SGlyphInfo& glyph) override;
    Bounds& GetBounds(Bounds& out) override;

    FontCache& GetFontCache() { return mFontCache; }
    const RCPtr<LCachedFont>& GetCurrentFont() const { return mCurrentFont; }

private:
    LGLGlyphRenderer();
    // Puts the current glyph's bitmap into the current font's atlas and sets its atlas position.
    void AddGlyphToAtlas(const LPixelBuffer<unsigned char>* bitmap);

    FontCache mFontCache;
    RCPtr<LCachedFont> mCurrentFont;
    SCachedGlyph mCurrentGlyph;
    Bounds mBounds;
    int mMode = 0;
};
} // namespace Orv
