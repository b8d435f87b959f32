// LGLGlyphRenderer::LCachedFont: one font's atlas and texture.
#include "Renderer/OpenGL/GLGlyphRenderer.h"

// LGLTexture's constructor needs the bitmap class whole.
#include "Utilities/Graphics/Bitmap.h"

#include <algorithm>
#include <cstring>

namespace Orv
{
LGLGlyphRenderer::LCachedFont::LCachedFont(const ConstRCPtr<LFont>& font)
    : mFont(font)
{
}

RCPtr<LGLGlyphRenderer::LCachedFont>
LGLGlyphRenderer::LCachedFont::Create(const ConstRCPtr<LFont>& font)
{
    RCPtr<LCachedFont> cached(new LCachedFont(font));
    const float size = font != nullptr ? font->GetSize() : 0.0f;
    const int rows = size >= 1.0f ? static_cast<int>(std::min(size, float(kMaxAtlasHeight))) : 0;
    cached->Reserve(0, rows);
    return cached;
}

bool LGLGlyphRenderer::LCachedFont::Reserve(int w, int h)
{
    if (w < 0 || h < 0)
    {
        return false;
    }
    int x = mCursorX;
    int y = mCursorY;
    int row = mRowHeight;
    if (x + w >= kAtlasWidth)
    {
        // A cell never ends exactly at the right edge.
        y += row;
        x = 0;
        row = 0;
    }
    if (x + w >= kAtlasWidth || y > kMaxAtlasHeight - h)
    {
        return false;
    }
    // The smallest power of two not below the cell's bottom, should the atlas grow.
    const int newHeight = NextPowerOfTwo(y + h);
    row = std::max(row, h);
    if (mAtlas == nullptr)
    {
        mAtlas = LPixelBuffer<unsigned char>::Create(kAtlasWidth, row, kAtlasWidth, nullptr);
        if (mAtlas == nullptr)
        {
            return false;
        }
    }
    if (y + h >= mAtlas->GetHeight())
    {
        if (mAtlas->SetHeight(newHeight) < 0)
        {
            return false;
        }
        mDirty = RectT<float>(0, 0, static_cast<float>(kAtlasWidth), static_cast<float>(newHeight));
    }
    mCursorX = x;
    mCursorY = y;
    mRowHeight = row;
    return true;
}

void LGLGlyphRenderer::LCachedFont::CopyGlyph(const LPixelBuffer<unsigned char>& bitmap, int x,
                                              int y)
{
    const int width = bitmap.GetWidth();
    const int height = bitmap.GetHeight();
    if (mAtlas == nullptr || width <= 0)
    {
        return;
    }
    for (int row = 0; row < height; ++row)
    {
        const unsigned char* from = bitmap.GetPixel(0, row);
        unsigned char* to = mAtlas->GetPixel(x, y + row);
        // The whole row must lie inside both images.
        if (from == nullptr || to == nullptr || bitmap.GetPixel(width - 1, row) == nullptr ||
            mAtlas->GetPixel(x + width - 1, y + row) == nullptr)
        {
            continue;
        }
        std::memcpy(to, from, static_cast<std::size_t>(width));
    }
    const RectT<float> cell(static_cast<float>(x - 1), static_cast<float>(y - 1),
                            static_cast<float>(width + 2), static_cast<float>(height + 2));
    RectT<float>::Union(mDirty, mDirty, cell);
}

void LGLGlyphRenderer::LCachedFont::UploadIfDirty()
{
    constexpr float kEpsilon = 1.1920929e-7f;
    if (mDirty.width <= kEpsilon || mDirty.height <= kEpsilon || mAtlas == nullptr)
    {
        return;
    }
    LGLTextureImage image;
    image.SetExternalData(mAtlas->GetData(), kAtlasWidth, 1, kAtlasWidth, mAtlas->GetHeight(),
                          GL_ALPHA, GL_UNSIGNED_BYTE);
    LGLTexture::Create(image, GL_ALPHA, kNearest, 1.0f);
    mDirty = RectT<float>();
}
} // namespace Orv
