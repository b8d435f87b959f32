// The receiver of a glyph walk. A font renderer walks a string glyph by glyph and hands each glyph
// to a glyph processor, which caches, draws or measures it:
//   1. BeginString once, with the font and the mode;
//   2. for each character: LookupGlyph with the character code, pen position and position set
//      and the rest cleared; the walk then produces what the returned request flags ask for;
//      then ProcessGlyph;
//   3. EndString once, also when the walk stops early;
//   4. GetBounds may be called after the walk.
// A processor that has a glyph cached fills its glyph index, box and advance and returns 0; one
// that has not returns kRequestAll.
#pragma once

#include "Renderer/FontRenderer/PixelBuffer.h"
#include "Utilities/Storage/HashBits.h"
#include "Utilities/Storage/HashedList.h"

#include <cstdint>

namespace Orv
{
class LFont;

class LGlyphProcessor : public virtual LRefCountedObject
{
public:
    // Mode bits of BeginString.
    static constexpr int kModeAccumulateBounds = 2;
    static constexpr int kModeUpdateTexture = 4;
    static constexpr int kModeDraw = 8;
    // The modes of measuring and drawing.
    static constexpr int kModeMeasure = 3;
    static constexpr int kModeDrawString = 15;

    // Request flags of LookupGlyph. Any of them: load the glyph (its index and advance);
    // kRequestBox or kRequestBitmap: its box too; kRequestBitmap: its bitmap too.
    static constexpr int kRequestLoad = 1;
    static constexpr int kRequestBox = 2;
    static constexpr int kRequestBitmap = 4;
    static constexpr int kRequestAll = 7;

    // One step of a walk.
    struct SGlyphInfo
    {
        // The characters consumed so far; it starts at the walk's start position.
        int position = 0;
        // The character.
        std::uint32_t charCode = 0;
        // The pen, in pixels from the start of the string.
        float penX = 0;
        float penY = 0;
        // The glyph's pixel box relative to the pen, y growing downwards.
        std::int32_t left = 0;
        std::int32_t top = 0;
        std::int32_t right = 0;
        std::int32_t bottom = 0;
        // The advance, in 1/64 pixel.
        std::int32_t advanceX = 0;
        std::int32_t advanceY = 0;
        // The font's glyph index; 0 is the missing glyph.
        std::uint32_t glyphIndex = 0;
        // The rendered glyph, or null.
        ConstRCPtr<LPixelBuffer<unsigned char>> bitmap;
    };

    // What a processor keeps of a glyph, keyed by its character code; code 0 holds no glyph.
    struct SCachedGlyph
    {
        long charCode = 0;
        std::uint32_t glyphIndex = 0;
        std::int32_t left = 0;
        std::int32_t top = 0;
        std::int32_t right = 0;
        std::int32_t bottom = 0;
        std::int32_t advanceX = 0;
        std::int32_t advanceY = 0;
        // The glyph's top-left pixel in its font's atlas.
        std::uint16_t atlasX = 0;
        std::uint16_t atlasY = 0;

        static long GetUniqueID(const SCachedGlyph& glyph) { return glyph.charCode; }
    };

    // Cached glyphs by character code: 256 buckets by the code's low 8 bits. Find(code) gives
    // the glyph, or an all-zero one when the code is not held.
    using GlyphTable =
        HashedList<SCachedGlyph, long, &SCachedGlyph::GetUniqueID, 8, &GetBits<8, 0, long>>;

    // The bounding rectangle of the glyphs walked, as edges.
    struct Bounds
    {
        float left = 0;
        float top = 0;
        float right = 0;
        float bottom = 0;
    };

    virtual void BeginString(const ConstRCPtr<LFont>& font, int mode) = 0;
    virtual void EndString() = 0;
    // The request flags for the glyph (16 significant bits).
    virtual int LookupGlyph(SGlyphInfo& glyph) = 0;
    virtual void ProcessGlyph(SGlyphInfo& glyph) = 0;
    virtual Bounds& GetBounds(Bounds& out) = 0;
};
} // namespace Orv
