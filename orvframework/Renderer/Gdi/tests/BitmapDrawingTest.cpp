// The GDI+ renderer's bitmaps on real pixels: stretched, tiled and centred with nearest-neighbour
// sampling, parts of images, the bitmap cache's keys, and copies between render contexts.
#include "GdiRendererTestSupport.h"

#include "Renderer/AutoClip.h"
#include "Renderer/Gdi/GDIRendererCachedBitmap.h"

using namespace Orv;

namespace
{
// Bitmaps whose pixels spell their position: column x, row y is green 0x10 (x + 1) and blue
// 0x10 (y + 1), opaque.
ARGB Code(LONG x, LONG y)
{
    return 0xFF000000u | static_cast<ARGB>(0x10 * (x + 1)) << 8 | static_cast<ARGB>(0x10 * (y + 1));
}

ConstRCPtr<LBitmap> Coded(LONG width, LONG height)
{
    return MakeBitmap(width, height, [](LONG x, LONG y) { return Code(x, y); });
}

// The surface as text: for each pixel the column and row of the source pixel it shows ("00",
// "21"), or ".." for transparent, "??" for anything else; pixels separated by blanks.
std::string Sources(LGDIRenderContextInfo& context, int width, int height)
{
    std::string text;
    for (int y = 0; y < height; ++y)
    {
        for (int x = 0; x < width; ++x)
        {
            const ARGB c = SurfacePixel(context, x, y);
            if (x > 0)
            {
                text += ' ';
            }
            if (c == 0)
            {
                text += "..";
                continue;
            }
            const int column = static_cast<int>((c >> 8) & 0xFF) / 0x10 - 1;
            const int row = static_cast<int>(c & 0xFF) / 0x10 - 1;
            if ((c >> 16 & 0xFF) != 0 || c >> 24 != 0xFF || column < 0 || row < 0)
            {
                text += "??";
                continue;
            }
            text += static_cast<char>('0' + column);
            text += static_cast<char>('0' + row);
        }
        text += '\n';
    }
    return text;
}
} // namespace

TEST(GdiBitmaps, StretchedOverTheWholeDestination)
{
    // Pictures are scaled with GDI+'s default (bilinear) interpolation: a single colour fills the
    // whole destination without fading at its edges,
    RendererFixture f(8, 4, true);
    f.Start();
    f.renderer->DrawBitmap(MakeBitmap(1, 1, [](LONG, LONG) { return kRedArgb; }),
                           RectT<LONG>(0, 0, 5, 2), LRenderer::kResizeStretch);
    // and two colours side by side run from the one to the other, left to right.
    f.renderer->DrawBitmap(
        MakeBitmap(2, 1, [](LONG x, LONG) { return x == 0 ? kRedArgb : kGreenArgb; }),
        RectT<LONG>(0, 2, 8, 2), LRenderer::kResizeStretch);
    f.Finish();
    EXPECT_EQ(SurfacePicture(*f.gdi, kRedArgb).substr(0, 18), Rows({"#####...", //
                                                                    "#####..."}));
    EXPECT_EQ(SurfacePixel(*f.gdi, 0, 2), kRedArgb);
    int lastRed = 256;
    for (int x = 0; x < 8; ++x)
    {
        const ARGB c = SurfacePixel(*f.gdi, x, 2);
        EXPECT_EQ(c, SurfacePixel(*f.gdi, x, 3));
        EXPECT_EQ(c >> 24, 0xFFu) << x;
        const int red = static_cast<int>((c >> 16) & 0xFF);
        EXPECT_LT(red, lastRed + (x == 0 ? 0 : 1)) << x;
        EXPECT_NEAR(red + static_cast<int>((c >> 8) & 0xFF), 255, 2) << x;
        lastRed = red;
    }
    EXPECT_EQ(SurfacePixel(*f.gdi, 7, 2), kGreenArgb);
}

TEST(GdiBitmaps, TiledFewTimesOrThroughATexture)
{
    ConstRCPtr<LBitmap> bitmap = Coded(3, 2);
    {
        // 7 / 3 and 3 / 2 are below 3: tiles drawn one by one, the last ones cut.
        RendererFixture f(7, 3, true);
        f.Start();
        f.renderer->DrawBitmap(bitmap, RectT<LONG>(0, 0, 7, 3), LRenderer::kResizeTile);
        f.Finish();
        EXPECT_EQ(Sources(*f.gdi, 7, 3),
                  Rows({"00 10 20 00 10 20 00", //
                        "01 11 21 01 11 21 01", //
                        "00 10 20 00 10 20 00"}));
    }
    {
        // 9 / 3 is 3: one fill with the bitmap as a texture, the same picture.
        RendererFixture f(9, 2, true);
        f.Start();
        f.renderer->DrawBitmap(bitmap, RectT<LONG>(0, 0, 9, 2), LRenderer::kResizeTile);
        f.Finish();
        EXPECT_EQ(Sources(*f.gdi, 9, 2),
                  Rows({"00 10 20 00 10 20 00 10 20", //
                        "01 11 21 01 11 21 01 11 21"}));
    }
}

TEST(GdiBitmaps, CentredUnscaledAndCut)
{
    RendererFixture f(5, 4, true);
    f.Start();
    // Larger than the destination: placed at a negative offset and cut.
    f.renderer->DrawBitmap(Coded(3, 3), RectT<LONG>(0, 0, 1, 1), LRenderer::kResizeCentre);
    f.renderer->DrawBitmap(Coded(3, 2), RectT<LONG>(0, 0, 5, 4), LRenderer::kResizeCentre);
    f.Finish();
    EXPECT_EQ(Sources(*f.gdi, 5, 4),
              Rows({"11 .. .. .. ..", //
                    ".. 00 10 20 ..", //
                    ".. 01 11 21 ..", //
                    ".. .. .. .. .."}));
}

TEST(GdiBitmaps, PartsOfAnImageClippedAndTranslated)
{
    ConstRCPtr<LBitmap> image = Coded(4, 3);
    ConstRCPtr<LBitmap> part = image->CreateSubBitmap(1, 1, 2, 2);
    RendererFixture f(6, 5, true);
    f.Start();
    {
        // At (2, 1), clipped to its first three columns.
        CAutoClip clip(f.renderer, RectT<double>(2, 1, 4, 4), RectT<double>(2, 1, 3, 4),
                       ConstRCPtr<LStencil>());
        f.renderer->DrawBitmap(part, RectT<LONG>(0, 0, 4, 2), LRenderer::kResizeTile);
        f.renderer->DrawBitmap(part, RectT<LONG>(0, 2, 2, 2), LRenderer::kResizeCentre);
    }
    f.Finish();
    EXPECT_EQ(Sources(*f.gdi, 6, 5),
              Rows({".. .. .. .. .. ..", //
                    ".. .. 11 21 11 ..", //
                    ".. .. 12 22 12 ..", //
                    ".. .. 11 21 .. ..", //
                    ".. .. 12 22 .. .."}));
}

TEST(GdiBitmaps, TheCacheKeepsOnePicturePerBitmapSizeAndResizeType)
{
    RendererFixture f(6, 2, true);
    ConstRCPtr<LBitmap> bitmap = Coded(3, 2);
    LGDIRenderer::BitmapCache& cache = f.renderer->GetBitmapCache();
    f.Start();
    f.renderer->DrawBitmap(bitmap, RectT<LONG>(0, 0, 6, 2), LRenderer::kResizeStretch);
    EXPECT_EQ(cache.GetCount(), 1);
    // Drawn again the same way: the cached picture.
    f.renderer->DrawBitmap(bitmap, RectT<LONG>(0, 0, 6, 2), LRenderer::kResizeStretch);
    EXPECT_EQ(cache.GetCount(), 1);
    // The same size tiled is a picture of its own and shows the tiles.
    f.renderer->DrawBitmap(bitmap, RectT<LONG>(0, 0, 6, 2), LRenderer::kResizeTile);
    EXPECT_EQ(cache.GetCount(), 2);
    EXPECT_EQ(Sources(*f.gdi, 6, 2), Rows({"00 10 20 00 10 20", //
                                           "01 11 21 01 11 21"}));
    // At its own size every resize type is the plain copy: one picture.
    f.renderer->DrawBitmap(bitmap, RectT<LONG>(0, 0, 3, 2), LRenderer::kResizeTile);
    f.renderer->DrawBitmap(bitmap, RectT<LONG>(3, 0, 3, 2), LRenderer::kResizeCentre);
    EXPECT_EQ(cache.GetCount(), 3);
    // Another size is another picture; parts of one image share its bucket.
    f.renderer->DrawBitmap(bitmap, RectT<LONG>(0, 0, 3, 1), LRenderer::kResizeStretch);
    EXPECT_EQ(cache.GetCount(), 4);
    ConstRCPtr<LBitmap> left = bitmap->CreateSubBitmap(0, 0, 1, 1);
    ConstRCPtr<LBitmap> right = bitmap->CreateSubBitmap(2, 0, 1, 1);
    EXPECT_EQ(LGDIRenderer::BitmapKey::GetHashBits(LGDIRenderer::BitmapKey(left, 1, 1, 0)),
              LGDIRenderer::BitmapKey::GetHashBits(LGDIRenderer::BitmapKey(right, 1, 1, 0)));
    f.renderer->DrawBitmap(left, RectT<LONG>(0, 0, 1, 1), 0);
    f.renderer->DrawBitmap(right, RectT<LONG>(1, 0, 1, 1), 0);
    EXPECT_EQ(cache.GetCount(), 6);
    EXPECT_EQ(Sources(*f.gdi, 2, 1), Rows({"00 20"}));
    f.Finish();
}

TEST(GdiBitmaps, BadResizeTypesThrowAndDrawNothing)
{
    RendererFixture f(3, 2, true);
    ConstRCPtr<LBitmap> bitmap = Coded(3, 2);
    f.Start();
    for (int type : {-1, 3})
    {
        // Even at the bitmap's own size, where no scaling would be needed.
        EXPECT_THROW(f.renderer->DrawBitmap(bitmap, RectT<LONG>(0, 0, 3, 2), type),
                     std::invalid_argument);
    }
    EXPECT_EQ(f.renderer->GetBitmapCache().GetCount(), 0);
    // A bitmap that has no image, a null bitmap and an empty destination draw nothing.
    f.renderer->DrawBitmap(LBitmap::GetBitmap(L"/nonexistent/none.png"), RectT<LONG>(0, 0, 3, 2),
                           0);
    f.renderer->DrawBitmap(ConstRCPtr<LBitmap>(), RectT<LONG>(0, 0, 3, 2), 0);
    f.renderer->DrawBitmap(bitmap, RectT<LONG>(0, 0, 0, 2), 0);
    f.Finish();
    EXPECT_EQ(Sources(*f.gdi, 3, 2), Rows({".. .. ..", //
                                           ".. .. .."}));
}

TEST(GdiBitmaps, OffscreenContextsAreDrawnAndScrolled)
{
    RendererFixture target(5, 3);
    ConstRCPtr<LRenderContextInfo> source;
    target.renderer->InitRenderContextInfo(RectT<LONG>(0, 0, 3, 2), nullptr, true, source);
    auto* sourceGdi = dynamic_cast<LGDIRenderContextInfo*>(source.GetMutable());
    ConstRCPtr<LBitmap> bitmap = Coded(3, 2);

    target.renderer->RenderStart(source);
    target.renderer->DrawBitmap(bitmap, RectT<LONG>(0, 0, 3, 2), 0);
    target.renderer->RenderFinish(source);
    // Moved by (1, 1): uncovered pixels transparent, the rest cut.
    EXPECT_EQ(target.renderer->ScrollRenderContext(source, PointT<LONG>(1, 1)), S_OK);
    EXPECT_EQ(Sources(*sourceGdi, 3, 2), Rows({".. .. ..", //
                                               ".. 00 10"}));

    target.Start();
    EXPECT_EQ(
        target.renderer->DrawRenderContext(source, PointT<LONG>(2, 1), RectT<LONG>(1, 1, 2, 1)),
        S_OK);
    // Only off-screen contexts of this back-end are sources.
    EXPECT_EQ(target.renderer->DrawRenderContext(target.context, PointT<LONG>(0, 0),
                                                 RectT<LONG>(0, 0, 1, 1)),
              E_INVALIDARG);
    EXPECT_EQ(target.renderer->ScrollRenderContext(target.context, PointT<LONG>(1, 0)),
              E_INVALIDARG);
    ConstRCPtr<LRenderer> d3d = LRenderer::Create(LRenderer::kDirect3D9, RectT<LONG>(), nullptr);
    ConstRCPtr<LRenderContextInfo> foreign;
    d3d.GetMutable()->InitRenderContextInfo(RectT<LONG>(0, 0, 4, 4), nullptr, true, foreign);
    EXPECT_EQ(
        target.renderer->DrawRenderContext(foreign, PointT<LONG>(0, 0), RectT<LONG>(0, 0, 1, 1)),
        E_INVALIDARG);
    target.Finish();
    EXPECT_EQ(Sources(*target.gdi, 5, 3),
              Rows({".. .. .. .. ..", //
                    ".. .. 00 10 ..", //
                    ".. .. .. .. .."}));
}
