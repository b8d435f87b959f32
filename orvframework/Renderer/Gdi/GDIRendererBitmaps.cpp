// The GDI+ renderer's bitmaps (fitted once per size and drawn from the bitmap cache) and the
// copies between render contexts.
#include "Renderer/Gdi/GDIRenderer.h"
#include "Renderer/Gdi/GDIRendererCachedBitmap.h"

#include <algorithm>

namespace Orv
{
namespace
{
REAL Limited(LONG value)
{
    return static_cast<REAL>(std::clamp<LONG>(value, -8388608, 8388608));
}

// Image attributes that multiply alpha by the factor.
class FadingAttributes
{
public:
    explicit FadingAttributes(float alpha)
    {
        if (GdipCreateImageAttributes(&mAttributes) != Gdiplus::Ok)
        {
            mAttributes = nullptr;
            return;
        }
        Gdiplus::ColorMatrix matrix{};
        for (int i = 0; i < 5; ++i)
        {
            matrix.m[i][i] = 1.0f;
        }
        matrix.m[3][3] = alpha;
        if (GdipSetImageAttributesColorMatrix(mAttributes, Gdiplus::ColorAdjustTypeBitmap, TRUE,
                                              &matrix, nullptr,
                                              Gdiplus::ColorMatrixFlagsDefault) != Gdiplus::Ok)
        {
            GdipDisposeImageAttributes(mAttributes);
            mAttributes = nullptr;
        }
    }
    ~FadingAttributes()
    {
        if (mAttributes != nullptr)
        {
            GdipDisposeImageAttributes(mAttributes);
        }
    }
    FadingAttributes(const FadingAttributes&) = delete;
    FadingAttributes& operator=(const FadingAttributes&) = delete;

    // Null when they could not be made.
    GpImageAttributes* Get() const { return mAttributes; }

private:
    GpImageAttributes* mAttributes = nullptr;
};

// The other back-end's context, or an on-screen one, is no source.
LGDIRenderContextInfo* OffscreenContext(const ConstRCPtr<LRenderContextInfo>& context)
{
    auto* gdi = dynamic_cast<LGDIRenderContextInfo*>(context.GetMutable());
    return gdi != nullptr && gdi->IsOffscreen() ? gdi : nullptr;
}
} // namespace

ORVRESULT LGDIRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap,
                                   const RectT<LONG>& destination, int resizeType)
{
    if (mCurrent == nullptr)
    {
        ORV_THROW(std::runtime_error);
    }
    if (resizeType != kResizeStretch && resizeType != kResizeTile && resizeType != kResizeCentre)
    {
        ORV_THROW(std::invalid_argument, "Invalid ResizeType passed to DrawBitmap.");
    }
    if (bitmap == nullptr)
    {
        return S_OK;
    }
    // A bitmap of the destination's size is copied as it is, whatever the resize type.
    const int mode =
        bitmap->GetWidth() == destination.width && bitmap->GetHeight() == destination.height
            ? kResizeStretch
            : resizeType;
    ApplyClipRegion();
    const float alpha = GetAlpha();
    if (alpha < 1.0f)
    {
        // A cached bitmap is drawn as it is: a faded bitmap is drawn from its picture.
        if (alpha > 0.0f)
        {
            DrawFadedPicture(*bitmap, destination, mode, alpha);
        }
        return S_OK;
    }
    const BitmapKey key(bitmap, destination.width, destination.height, mode);
    RCPtr<LCachedBitmap>& entry = mBitmapCache.GetEntry(key, false);
    if (entry == nullptr)
    {
        MakePicture(*bitmap, destination, mode, entry);
    }
    if (entry == nullptr)
    {
        return S_OK;
    }
    GdiplusGraphics& g = mCurrent.GetMutable()->GetGraphics();
    g.Record(GdipDrawCachedBitmap(g.Get(), entry->GetCachedBitmap().Get(), destination.x,
                                  destination.y));
    return S_OK;
}

void LGDIRenderer::MakePicture(const LBitmap& bitmap, const RectT<LONG>& destination, int mode,
                               RCPtr<LCachedBitmap>& cached)
{
    GdiplusGraphics& g = mCurrent.GetMutable()->GetGraphics();
    GdiplusBitmap picture;
    if (DrawPicture(bitmap, destination, mode, picture))
    {
        cached = new LCachedBitmap(picture.Get(), g.Get());
    }
}

void LGDIRenderer::DrawFadedPicture(const LBitmap& bitmap, const RectT<LONG>& destination, int mode,
                                    float alpha)
{
    GdiplusBitmap picture;
    FadingAttributes attributes(alpha);
    if (attributes.Get() == nullptr || !DrawPicture(bitmap, destination, mode, picture))
    {
        return;
    }
    GdiplusGraphics& g = mCurrent.GetMutable()->GetGraphics();
    const auto width = static_cast<REAL>(destination.width);
    const auto height = static_cast<REAL>(destination.height);
    g.Record(GdipDrawImageRectRect(g.Get(), picture.Get(), static_cast<REAL>(destination.x),
                                   static_cast<REAL>(destination.y), width, height, 0, 0, width,
                                   height, Gdiplus::UnitPixel, attributes.Get(), nullptr, nullptr));
}

bool LGDIRenderer::DrawPicture(const LBitmap& bitmap, const RectT<LONG>& destination, int mode,
                               GdiplusBitmap& picture)
{
    GdiplusGraphics& g = mCurrent.GetMutable()->GetGraphics();
    GpBitmap* createdPicture = nullptr;
    if (picture.Record(GdipCreateBitmapFromGraphics(destination.width, destination.height, g.Get(),
                                                    &createdPicture)) != Gdiplus::Ok)
    {
        bitmap.RecordStatus(picture.GetLastStatus());
        return false;
    }
    picture.Reset(createdPicture);
    GdiplusGraphics pg;
    GpGraphics* createdGraphics = nullptr;
    if (pg.Record(GdipGetImageGraphicsContext(picture.Get(), &createdGraphics)) != Gdiplus::Ok)
    {
        bitmap.RecordStatus(pg.GetLastStatus());
        return false;
    }
    pg.Reset(createdGraphics);

    GpBitmap* image = bitmap.GetGdiplusBitmap();
    const REAL srcX = Limited(bitmap.GetX());
    const REAL srcY = Limited(bitmap.GetY());
    const REAL srcW = Limited(bitmap.GetWidth());
    const REAL srcH = Limited(bitmap.GetHeight());
    const auto dstW = static_cast<REAL>(destination.width);
    const auto dstH = static_cast<REAL>(destination.height);
    auto drawPart = [&](REAL x, REAL y, REAL width, REAL height)
    {
        pg.Record(GdipDrawImageRectRect(pg.Get(), image, x, y, width, height, srcX, srcY, srcW,
                                        srcH, Gdiplus::UnitPixel, nullptr, nullptr, nullptr));
    };
    switch (mode)
    {
        case kResizeStretch:
            drawPart(0, 0, dstW, dstH);
            break;
        case kResizeTile:
            if (srcW <= 0 || srcH <= 0)
            {
                break;
            }
            if (dstW / srcW < 3.0f && dstH / srcH < 3.0f)
            {
                // A few tiles: each drawn whole and cut by the picture's edge.
                for (REAL x = 0; x < dstW; x += srcW)
                {
                    for (REAL y = 0; y < dstH; y += srcH)
                    {
                        drawPart(x, y, srcW, srcH);
                    }
                }
            }
            else
            {
                // Many tiles: one fill with the image as a texture.
                GdiplusBitmap tiles;
                GpBitmap* createdTiles = nullptr;
                if (tiles.Record(GdipCreateBitmapFromScan0(
                        static_cast<INT>(dstW), static_cast<INT>(dstH), 0,
                        Gdiplus::PixelFormat32bppARGB, nullptr, &createdTiles)) != Gdiplus::Ok)
                {
                    break;
                }
                tiles.Reset(createdTiles);
                GpTexture* texture = nullptr;
                if (pg.Record(GdipCreateTextureIA(image, nullptr, srcX, srcY, srcW, srcH,
                                                  &texture)) != Gdiplus::Ok)
                {
                    break;
                }
                GdiplusGraphics tg;
                GpGraphics* createdTg = nullptr;
                if (tg.Record(GdipGetImageGraphicsContext(tiles.Get(), &createdTg)) == Gdiplus::Ok)
                {
                    tg.Reset(createdTg);
                    tg.Record(GdipFillRectangle(tg.Get(), texture, 0, 0, dstW, dstH));
                    tg.Reset();
                    pg.Record(GdipDrawImageRectRect(pg.Get(), tiles.Get(), 0, 0, dstW, dstH, 0, 0,
                                                    dstW, dstH, Gdiplus::UnitPixel, nullptr,
                                                    nullptr, nullptr));
                }
                GdipDeleteBrush(texture);
            }
            break;
        default: // kResizeCentre: unscaled, cut by the picture's edge
            drawPart((dstW - srcW) * 0.5f, (dstH - srcH) * 0.5f, srcW, srcH);
            break;
    }
    bitmap.RecordStatus(pg.GetLastStatus());
    return true;
}

ORVRESULT LGDIRenderer::DrawRenderContext(const ConstRCPtr<LRenderContextInfo>& source,
                                          const PointT<LONG>& destination,
                                          const RectT<LONG>& sourceRect)
{
    LGDIRenderContextInfo* from = OffscreenContext(source);
    if (from == nullptr)
    {
        return E_INVALIDARG;
    }
    if (mCurrent == nullptr)
    {
        return E_FAIL;
    }
    ApplyClipRegion();
    GdiplusGraphics& g = mCurrent.GetMutable()->GetGraphics();
    GpBitmap* image = from->GetFrontSurface().GetBitmap().Get();
    const float alpha = GetAlpha();
    if (alpha < 1.0f)
    {
        FadingAttributes attributes(alpha);
        const auto width = static_cast<REAL>(sourceRect.width);
        const auto height = static_cast<REAL>(sourceRect.height);
        const Gdiplus::Status status = g.Record(GdipDrawImageRectRect(
            g.Get(), image, static_cast<REAL>(destination.x), static_cast<REAL>(destination.y),
            width, height, static_cast<REAL>(sourceRect.x), static_cast<REAL>(sourceRect.y), width,
            height, Gdiplus::UnitPixel, attributes.Get(), nullptr, nullptr));
        return status == Gdiplus::Ok && attributes.Get() != nullptr ? S_OK : E_FAIL;
    }
    const Gdiplus::Status status = g.Record(GdipDrawImagePointRectI(
        g.Get(), image, destination.x, destination.y, sourceRect.x, sourceRect.y, sourceRect.width,
        sourceRect.height, Gdiplus::UnitPixel));
    return status == Gdiplus::Ok ? S_OK : E_FAIL;
}

ORVRESULT LGDIRenderer::ScrollRenderContext(const ConstRCPtr<LRenderContextInfo>& context,
                                            const PointT<LONG>& offset)
{
    LGDIRenderContextInfo* target = OffscreenContext(context);
    if (target == nullptr)
    {
        return E_INVALIDARG;
    }
    RCPtr<LGDIRendererOffscreenSurface> old(&target->GetFrontSurface());
    target->SwapSurfaces();
    // The other surface's graphics has a clip of its own.
    mClipKnown = false;
    GdiplusGraphics& front = target->GetGraphics();
    front.Record(GdipGraphicsClear(front.Get(), 0));
    GpBitmap* oldBitmap = old->GetBitmap().Get();
    UINT width = 0;
    UINT height = 0;
    old->GetBitmap().Record(GdipGetImageHeight(oldBitmap, &height));
    old->GetBitmap().Record(GdipGetImageWidth(oldBitmap, &width));
    const Gdiplus::Status status = front.Record(GdipDrawImagePointRectI(
        front.Get(), oldBitmap, offset.x, offset.y, 0, 0, static_cast<INT>(width),
        static_cast<INT>(height), Gdiplus::UnitPixel));
    return status == Gdiplus::Ok ? S_OK : E_FAIL;
}
} // namespace Orv
