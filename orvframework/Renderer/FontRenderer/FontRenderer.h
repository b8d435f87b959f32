// The text source of a renderer that does not rasterise text itself: font metrics, string
// measurement and the glyph walk of a string. A font renderer walks a string glyph by glyph and
// hands each glyph to a glyph processor; measuring and drawing hand the walk to the glyph
// processor the renderer was made with.
#pragma once

#include "Renderer/FontRenderer/GlyphProcessor.h"
#include "Utilities/Geometry/Geometry.h"
#include "Utilities/Storage/StringT.h"

namespace Orv
{
class LFont;

class LFontRenderer : public virtual LRefCountedObject
{
public:
    // The first processor is only held; the glyph processor is the one measuring and drawing use.
    LFontRenderer(const ConstRCPtr<LGlyphProcessor>& firstProcessor,
                  const ConstRCPtr<LGlyphProcessor>& glyphProcessor);
    ~LFontRenderer() override;
    LFontRenderer(const LFontRenderer&) = delete;
    LFontRenderer& operator=(const LFontRenderer&) = delete;

    // out := the extent of the text in the font, relative to the baseline at the start of the
    // string: from the glyphs' bounds (a measuring walk) and the font's ascent and descent.
    virtual RectT<float>& MeasureString(RectT<float>& out, const WString& text,
                                        const ConstRCPtr<LFont>& font);
    // The font's line height, ascent (negative: above the baseline) and descent in pixels.
    virtual ORVRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, int& height, int& ascent,
                                     int& descent) = 0;
    // Walks the text from its first character, handing each glyph to the processor with the
    // mode; the count of characters walked. A positive maximum width stops the walk before the
    // first glyph whose right edge would pass it.
    virtual int ProcessString(const WString& text, const ConstRCPtr<LFont>& font,
                              const ConstRCPtr<LGlyphProcessor>& processor, int start,
                              float maxWidth, int mode) = 0;
    // The glyph processor's bounds; all 0 without a glyph processor.
    virtual LGlyphProcessor::Bounds& GetStringBounds(LGlyphProcessor::Bounds& out);

    const ConstRCPtr<LGlyphProcessor>& GetGlyphProcessor() const { return mGlyphProcessor; }

private:
    ConstRCPtr<LGlyphProcessor> mFirstProcessor;
    ConstRCPtr<LGlyphProcessor> mGlyphProcessor;
};
} // namespace Orv
