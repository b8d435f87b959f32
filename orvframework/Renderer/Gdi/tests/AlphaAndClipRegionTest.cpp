// The render state's alpha and clip region on real pixels: every kind of drawing is faded by the
// alpha and kept inside the clip region, which stays where it is on the target while the origin
// moves, and is lifted again when the state that set it is popped.
#include "GdiRendererTestSupport.h"

#include "Renderer/AutoClip.h"

using namespace Orv;

namespace
{
// The alpha of a straight ARGB pixel.
int AlphaOf(ARGB color)
{
    return static_cast<int>(color >> 24);
}

LRegion RegionOf(std::initializer_list<RECT> rects)
{
    LRegion region;
    for (const RECT& rect : rects)
    {
        region.AddRect(rect);
    }
    return region;
}
} // namespace

TEST(GdiAlphaAndClipRegion, EveryKindOfDrawingIsFadedByTheStateAlpha)
{
    RendererFixture f(10, 6, true);
    const ConstRCPtr<LBitmap> opaque = MakeBitmap(2, 2, [](LONG, LONG) { return kRedArgb; });
    PolylineT<float> triangle;
    triangle.AddPoint(PointT<float>(0, 4));
    triangle.AddPoint(PointT<float>(4, 4));
    triangle.AddPoint(PointT<float>(4, 6));
    triangle.AddPoint(PointT<float>(0, 6));
    f.Start();
    f.renderer->PushState();
    f.renderer->SetAlpha(0.5f);
    f.renderer->FillRect(RectT<LONG>(0, 0, 2, 2), kRed, true);
    f.renderer->DrawLine(PointT<float>(3, 0), PointT<float>(3, 2), kRed, 1);
    // Stretched from 2 x 2 to 4 x 2, so a picture is made for it; and drawn at its own size.
    f.renderer->DrawBitmap(opaque, RectT<LONG>(5, 0, 4, 2), LRenderer::kResizeStretch);
    f.renderer->DrawBitmap(opaque, RectT<LONG>(0, 2, 2, 2), LRenderer::kResizeStretch);
    f.renderer->FillPolygon(triangle, kRed, PointT<float>(0, 0), PointT<float>(1, 1), false);
    f.renderer->SetAlpha(0.0f);
    f.renderer->FillRect(RectT<LONG>(9, 5, 1, 1), kRed, true);
    f.renderer->DrawBitmap(opaque, RectT<LONG>(8, 2, 2, 2), LRenderer::kResizeStretch);
    f.renderer->PopState();
    // Full alpha again after the pop: a drawn bitmap comes from the cache unfaded.
    f.renderer->DrawBitmap(opaque, RectT<LONG>(3, 2, 4, 2), LRenderer::kResizeStretch);
    f.Finish();

    const struct
    {
        int x, y, alpha;
    } expected[] = {
        {0, 0, 128}, {1, 1, 128}, // filled rectangle
        {3, 1, 128},              // line
        {5, 0, 128}, {8, 1, 128}, // stretched bitmap
        {0, 2, 128}, {1, 3, 128}, // bitmap at its size
        {1, 5, 128},              // polygon
        {9, 5, 0},   {8, 2, 0},   // alpha 0 draws nothing
        {4, 2, 255}, {6, 3, 255}, // unfaded after the pop
    };
    for (const auto& e : expected)
    {
        const ARGB pixel = SurfacePixel(*f.gdi, e.x, e.y);
        EXPECT_NEAR(AlphaOf(pixel), e.alpha, 1) << e.x << "," << e.y;
        if (e.alpha > 0)
        {
            EXPECT_EQ(pixel & 0x00FFFFFFu, 0x00FF0000u) << e.x << "," << e.y;
        }
    }
}

TEST(GdiAlphaAndClipRegion, TheRegionCutsDrawingAndStaysOnTheTargetWhileTheOriginMoves)
{
    RendererFixture f(8, 6, true);
    f.Start();
    f.renderer->PushState();
    // Two separate rectangles, in the context's own coordinates.
    f.renderer->SetClipRegion(RegionOf({RECT{1, 1, 3, 3}, RECT{5, 2, 7, 5}}));
    {
        // Moved by (1, 1): the same fill a pixel further, and the region where it was.
        CAutoClip moved(f.renderer, RectT<double>(1, 1, 7, 5), RectT<double>(0, 0, 8, 6),
                        ConstRCPtr<LStencil>());
        f.renderer->FillRect(RectT<LONG>(-1, -1, 8, 6), kRed, true);
    }
    f.renderer->PopState();
    // The pop lifts the region: this line is drawn across the whole width.
    f.renderer->FillRect(RectT<LONG>(0, 5, 8, 1), kGreen, true);
    f.Finish();
    EXPECT_EQ(SurfacePicture(*f.gdi, kRedArgb, 0), Rows({"........", //
                                                         ".##.....", //
                                                         ".##..##.", //
                                                         ".....##.", //
                                                         ".....##.", //
                                                         "????????"}));
    EXPECT_EQ(SurfacePixel(*f.gdi, 0, 5), kGreenArgb);
}

TEST(GdiAlphaAndClipRegion, TheRegionMeetsTheClipRectangleAndCutsTextBitmapsAndLines)
{
    RendererFixture f(8, 8, true);
    const ConstRCPtr<LBitmap> green = MakeBitmap(8, 8, [](LONG, LONG) { return kGreenArgb; });
    f.Start();
    // The clip rectangle keeps columns 0 to 3, the region rows 2 to 5: what both keep is drawn.
    CAutoClip clip(f.renderer, RectT<double>(0, 0, 8, 8), RectT<double>(0, 0, 4, 8),
                   ConstRCPtr<LStencil>());
    f.renderer->SetClipRegion(RegionOf({RECT{0, 2, 8, 6}}));
    f.renderer->DrawBitmap(green, RectT<LONG>(0, 0, 8, 8), LRenderer::kResizeStretch);
    f.renderer->DrawLine(PointT<float>(0, 0), PointT<float>(0, 7), kRed, 1);
    f.renderer->SetClipRegion(RegionOf({RECT{0, 3, 8, 4}}));
    f.renderer->DrawLine(PointT<float>(2, 0), PointT<float>(2, 7), kRed, 1);
    f.Finish();
    EXPECT_EQ(SurfacePicture(*f.gdi, kGreenArgb, 0), Rows({"........", //
                                                           "........", //
                                                           "?###....", //
                                                           "?#?#....", //
                                                           "?###....", //
                                                           "?###....", //
                                                           "........", //
                                                           "........"}));
    EXPECT_EQ(SurfacePixel(*f.gdi, 2, 3), kRedArgb);
    EXPECT_EQ(SurfacePixel(*f.gdi, 0, 5), kRedArgb);
}
