// The OpenGL renderer's bitmaps (textures from the texture cache) and the copies from off-screen
// render contexts.
#include "Renderer/OpenGL/GLRenderer.h"

#include "Utilities/Graphics/Bitmap.h"

#include <algorithm>

namespace Orv
{
namespace
{
// The off-screen context of this back-end a copy reads from; null for any other.
LGLRenderContextInfo* OffscreenSource(const ConstRCPtr<LRenderContextInfo>& context)
{
    auto* gl = dynamic_cast<LGLRenderContextInfo*>(context.GetMutable());
    return gl != nullptr && gl->IsOffscreen() ? gl : nullptr;
}

// Draws the part of a tile (source and destination left, top, right, bottom) that lies inside
// the area, the source cut in proportion.
void DrawInside(const LGLTexture& texture, const float source[4], const float destination[4],
                const float area[4])
{
    const float left = std::max(destination[0], area[0]);
    const float top = std::max(destination[1], area[1]);
    const float right = std::min(destination[2], area[2]);
    const float bottom = std::min(destination[3], area[3]);
    if (left >= right || top >= bottom)
    {
        return;
    }
    const float sx = (source[2] - source[0]) / (destination[2] - destination[0]);
    const float sy = (source[3] - source[1]) / (destination[3] - destination[1]);
    const float cutSource[4] = {
        source[0] + (left - destination[0]) * sx, source[1] + (top - destination[1]) * sy,
        source[0] + (right - destination[0]) * sx, source[1] + (bottom - destination[1]) * sy};
    const float cutDestination[4] = {left, top, right, bottom};
    texture.Draw(cutSource, cutDestination);
}
} // namespace

ORVRESULT LGLRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectT<LONG>& destination,
                                  int resizeType)
{
    if (bitmap == nullptr)
    {
        ORV_REQUIRE_SUCCESS(E_INVALIDARG);
    }
    const LONG bw = bitmap->GetWidth();
    const LONG bh = bitmap->GetHeight();
    // A bitmap of the destination's size is drawn as it is, whatever the resize type.
    const int mode =
        bw == destination.width && bh == destination.height ? kResizeStretch : resizeType;
    if (mode != kResizeStretch && mode != kResizeTile && mode != kResizeCentre)
    {
        ORV_THROW(std::logic_error, "Invalid ResizeType passed to DrawBitmap!");
    }
    if (GetCurrentContext() == nullptr)
    {
        return S_OK;
    }
    RCPtr<LGLTexture>& entry = mTextureCache.GetEntry(bitmap, false);
    RCPtr<LGLTexture> texture = entry;
    if (texture == nullptr || texture->GetName() == LGLTexture::kNoName ||
        !glIsTexture(texture->GetName()))
    {
        texture = new LGLTexture();
        texture->SetBitmap(bitmap);
        entry = texture;
    }

    glColor4f(1, 1, 1, 1);
    const auto ox = static_cast<float>(bitmap->GetX());
    const auto oy = static_cast<float>(bitmap->GetY());
    const float source[4] = {ox, oy, ox + static_cast<float>(bw), oy + static_cast<float>(bh)};
    const auto x = static_cast<float>(destination.x);
    const auto y = static_cast<float>(destination.y);
    const float area[4] = {x, y, x + static_cast<float>(destination.width),
                           y + static_cast<float>(destination.height)};
    switch (mode)
    {
        case kResizeStretch:
            texture->Draw(source, area);
            break;
        case kResizeTile:
            if (bw <= 0 || bh <= 0)
            {
                break;
            }
            for (long long column = destination.x;
                 column < static_cast<long long>(destination.x) + destination.width; column += bw)
            {
                for (long long row = destination.y;
                     row < static_cast<long long>(destination.y) + destination.height; row += bh)
                {
                    const float tile[4] = {static_cast<float>(column), static_cast<float>(row),
                                           static_cast<float>(column + bw),
                                           static_cast<float>(row + bh)};
                    DrawInside(*texture, source, tile, area);
                }
            }
            break;
        default: // kResizeCentre
        {
            const auto left = static_cast<float>(destination.x + (destination.width - bw) / 2);
            const auto top = static_cast<float>(destination.y + (destination.height - bh) / 2);
            const float placed[4] = {left, top, left + static_cast<float>(bw),
                                     top + static_cast<float>(bh)};
            DrawInside(*texture, source, placed, area);
            break;
        }
    }
    return S_OK;
}

ORVRESULT LGLRenderer::DrawRenderContext(const ConstRCPtr<LRenderContextInfo>& source,
                                         const PointT<LONG>& destination,
                                         const RectT<LONG>& sourceRect)
{
    LGLRenderContextInfo* from = OffscreenSource(source);
    if (from == nullptr)
    {
        return E_INVALIDARG;
    }
    if (GetCurrentContext() == nullptr || from->GetSurface() == nullptr)
    {
        return E_FAIL;
    }
    const RectT<LONG>& bounds = from->GetBounds();
    const auto W = static_cast<float>(bounds.width);
    const auto H = static_cast<float>(bounds.height);
    const auto sx = static_cast<float>(sourceRect.x);
    const auto sy = static_cast<float>(sourceRect.y);
    const auto sw = static_cast<float>(sourceRect.width);
    const auto sh = static_cast<float>(sourceRect.height);
    const auto px = static_cast<float>(destination.x);
    const auto py = static_cast<float>(destination.y);
    // The surface's rows run bottom-up.
    const float left = sx / W;
    const float right = (sx + sw) / W;
    const float top = (H - sy) / H;
    const float bottom = (H - sy - sh) / H;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, from->GetSurface()->GetTexture());
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(left, top);
    glVertex2f(px, py);
    glTexCoord2f(left, bottom);
    glVertex2f(px, py + sh);
    glTexCoord2f(right, bottom);
    glVertex2f(px + sw, py + sh);
    glTexCoord2f(right, top);
    glVertex2f(px + sw, py);
    glEnd();
    // Later drawing must not be textured with the surface.
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    return S_OK;
}

ORVRESULT LGLRenderer::ScrollRenderContext(const ConstRCPtr<LRenderContextInfo>& context,
                                           const PointT<LONG>& offset)
{
    LGLRenderContextInfo* target = OffscreenSource(context);
    if (target == nullptr)
    {
        return E_INVALIDARG;
    }
    RenderStart(context);
    GLOffscreenSurface* surface = target->GetSurface();
    if (surface == nullptr)
    {
        RenderFinish(context);
        return E_FAIL;
    }
    const RectT<LONG> bounds = target->GetBounds();
    PushClip(RectT<double>(bounds.x, bounds.y, 0, 0),
             RectT<double>(bounds.x, bounds.y, bounds.width, bounds.height), nullptr, false);
    // What was drawn goes to the second texture at the offset; the uncovered part is clear.
    const GLuint previous = surface->GetTexture();
    surface->BeginScroll();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, previous);
    glColor4f(1, 1, 1, 1);
    const auto x = static_cast<float>(bounds.x);
    const auto w = static_cast<float>(bounds.width);
    const auto h = static_cast<float>(bounds.height);
    const auto px = static_cast<float>(offset.x);
    const auto py = static_cast<float>(offset.y);
    const float left = x / w;
    const float right = (x + w) / w;
    glBlendFunc(GL_ONE, GL_ZERO);
    glBegin(GL_QUADS);
    glTexCoord2f(left, 1);
    glVertex2f(px, py);
    glTexCoord2f(left, 0);
    glVertex2f(px, py + h);
    glTexCoord2f(right, 0);
    glVertex2f(px + w, py + h);
    glTexCoord2f(right, 1);
    glVertex2f(px + w, py);
    glEnd();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    surface->EndScroll();
    PopState();
    RenderFinish(context);
    return S_OK;
}
} // namespace Orv
