#include "Renderer/OpenGL/GLGlyphRenderer.h"

namespace Orv
{
LGLGlyphRenderer::LGLGlyphRenderer()
    : mFontCache(kFontCacheSize)
{
}

RCPtr<LGLGlyphRenderer> LGLGlyphRenderer::Create()
{
    return RCPtr<LGLGlyphRenderer>(new LGLGlyphRenderer());
}

void LGLGlyphRenderer::BeginString(const ConstRCPtr<LFont>& font, int mode)
{
    mMode = mode;
    mBounds = Bounds();
    mCurrentFont = nullptr;
    if (font == nullptr)
    {
        return;
    }
    RCPtr<LCachedFont>& entry = mFontCache.GetEntry(font, false);
    if (entry == nullptr)
    {
        entry = LCachedFont::Create(font);
    }
    mCurrentFont = entry;
    if ((mode & kModeUpdateTexture) != 0)
    {
        mCurrentFont->UploadIfDirty();
    }
}

void LGLGlyphRenderer::EndString()
{
    mCurrentFont = nullptr;
}

int LGLGlyphRenderer::LookupGlyph(SGlyphInfo& glyph)
{
    if (mCurrentFont == nullptr)
    {
        return 0;
    }
    mCurrentGlyph = mCurrentFont->GetGlyphs().Find(static_cast<long>(glyph.charCode));
    if (mCurrentGlyph.charCode == 0)
    {
        return kRequestAll;
    }
    glyph.left = mCurrentGlyph.left;
    glyph.top = mCurrentGlyph.top;
    glyph.right = mCurrentGlyph.right;
    glyph.bottom = mCurrentGlyph.bottom;
    glyph.advanceX = mCurrentGlyph.advanceX;
    glyph.advanceY = mCurrentGlyph.advanceY;
    glyph.glyphIndex = mCurrentGlyph.glyphIndex;
    return 0;
}

void LGLGlyphRenderer::AddGlyphToAtlas(const LPixelBuffer<unsigned char>* bitmap)
{
    const int w = bitmap != nullptr ? bitmap->GetWidth() : 0;
    const int h = bitmap != nullptr ? bitmap->GetHeight() : 0;
    LCachedFont& font = *mCurrentFont;
    if (!font.Reserve(w + 2, h + 2))
    {
        mCurrentGlyph.atlasX = kNoCell;
        mCurrentGlyph.atlasY = kNoCell;
        return;
    }
    mCurrentGlyph.atlasX = static_cast<std::uint16_t>(font.GetCursorX() + 1);
    mCurrentGlyph.atlasY = static_cast<std::uint16_t>(font.GetCursorY() + 1);
    if (bitmap != nullptr)
    {
        font.CopyGlyph(*bitmap, mCurrentGlyph.atlasX, mCurrentGlyph.atlasY);
    }
    font.AdvanceCursor(w + 2);
    if ((mMode & kModeUpdateTexture) != 0)
    {
        font.UploadIfDirty();
    }
}

void LGLGlyphRenderer::ProcessGlyph(SGlyphInfo& glyph)
{
    if (mCurrentFont == nullptr)
    {
        return;
    }
    if (mCurrentGlyph.charCode == 0)
    {
        mCurrentGlyph.charCode = static_cast<long>(glyph.charCode);
        mCurrentGlyph.left = glyph.left;
        mCurrentGlyph.top = glyph.top;
        mCurrentGlyph.right = glyph.right;
        mCurrentGlyph.bottom = glyph.bottom;
        mCurrentGlyph.advanceX = glyph.advanceX;
        mCurrentGlyph.advanceY = glyph.advanceY;
        mCurrentGlyph.glyphIndex = glyph.glyphIndex;
        AddGlyphToAtlas(glyph.bitmap.Get());
        mCurrentFont->GetGlyphs().Add(mCurrentGlyph);
    }
    const SCachedGlyph& g = mCurrentGlyph;
    if ((mMode & kModeDraw) != 0 && g.atlasX != kNoCell)
    {
        const float ascent = static_cast<float>(mCurrentFont->GetFont()->GetAscent());
        const float ax = g.atlasX;
        const float ay = g.atlasY;
        const float source[4] = {ax, ay, ax + static_cast<float>(g.right - g.left),
                                 ay + static_cast<float>(g.bottom - g.top)};
        const float destination[4] = {glyph.penX + static_cast<float>(g.left),
                                      static_cast<float>(g.top) - (ascent + glyph.penY),
                                      glyph.penX + static_cast<float>(g.right),
                                      static_cast<float>(g.bottom) - (ascent + glyph.penY)};
        mCurrentFont->Draw(source, destination);
    }
    if ((mMode & kModeAccumulateBounds) != 0)
    {
        RectT<float> bounds(mBounds.left, mBounds.top, mBounds.right - mBounds.left,
                            mBounds.bottom - mBounds.top);
        const RectT<float> advance(glyph.penX, glyph.penY + static_cast<float>(g.top),
                                   static_cast<float>(g.advanceX >> 6),
                                   static_cast<float>(g.bottom - g.top));
        RectT<float>::Union(bounds, bounds, advance);
        mBounds.left = bounds.x;
        mBounds.top = bounds.y;
        mBounds.right = bounds.Right();
        mBounds.bottom = bounds.Bottom();
    }
}

LGlyphProcessor::Bounds& LGLGlyphRenderer::GetBounds(Bounds& out)
{
    out = mBounds;
    return out;
}
} // namespace Orv
