#include "Renderer/FontRenderer/FontRenderer.h"

#include "Renderer/Font.h"

#include <algorithm>

namespace Orv
{
LFontRenderer::LFontRenderer(const ConstRCPtr<LGlyphProcessor>& firstProcessor,
                             const ConstRCPtr<LGlyphProcessor>& glyphProcessor)
    : mFirstProcessor(firstProcessor)
    , mGlyphProcessor(glyphProcessor)
{
}

LFontRenderer::~LFontRenderer() = default;

RectT<float>& LFontRenderer::MeasureString(RectT<float>& out, const WString& text,
                                           const ConstRCPtr<LFont>& font)
{
    ProcessString(text, font, mGlyphProcessor, 0, 0.0f, LGlyphProcessor::kModeMeasure);
    LGlyphProcessor::Bounds bounds;
    GetStringBounds(bounds);
    const float ascent = font != nullptr ? static_cast<float>(font->GetAscent()) : 0.0f;
    const float descent = font != nullptr ? static_cast<float>(font->GetDescent()) : 0.0f;
    out.x = bounds.left;
    out.y = std::min(bounds.top, ascent);
    out.width = bounds.right + 1 - bounds.left;
    out.height = std::max(bounds.bottom, descent) - out.y;
    return out;
}

LGlyphProcessor::Bounds& LFontRenderer::GetStringBounds(LGlyphProcessor::Bounds& out)
{
    if (mGlyphProcessor == nullptr)
    {
        out = LGlyphProcessor::Bounds();
        return out;
    }
    return mGlyphProcessor.GetMutable()->GetBounds(out);
}
} // namespace Orv
