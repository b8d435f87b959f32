// The GDI+ renderer's set-up and frames: its contexts and surfaces, what reaches the window, the
// current context through nested frames, and the timed purge of the bitmap cache.
#include "GdiRendererTestSupport.h"

#include "Renderer/D3D9Renderer.h"
#include "Renderer/Gdi/GDIRendererCachedBitmap.h"

using namespace Orv;

TEST(GdiRenderCycle, FactoryMakesTheGdiRendererForTypeOne)
{
    ConstRCPtr<LRenderer> renderer =
        LRenderer::Create(LRenderer::kGdiplus, RectT<LONG>(1, 2, 3, 4), nullptr);
    ASSERT_NE(dynamic_cast<const LGDIRenderer*>(renderer.Get()), nullptr);
    EXPECT_EQ(renderer.GetMutable()->GetRendererType(), 1);

    ConstRCPtr<LRenderContextInfo> context;
    ASSERT_EQ(renderer.GetMutable()->InitRenderContextInfo(RectT<LONG>(0, 0, 0, 0), nullptr, true,
                                                           context),
              S_OK);
    auto* gdi = dynamic_cast<LGDIRenderContextInfo*>(context.GetMutable());
    ASSERT_NE(gdi, nullptr);
    EXPECT_EQ(gdi->GetMaxSize(), SizeT<LONG>(4096, 4096));
    // A context of no size still has surfaces of one pixel.
    EXPECT_EQ(gdi->GetFrontSurface().GetSize(), SizeT<LONG>(1, 1));
    EXPECT_EQ(gdi->GetBackSurface().GetSize(), SizeT<LONG>(1, 1));
}

TEST(GdiRenderCycle, OnlyTheDirtyRectanglesReachTheWindow)
{
    RendererFixture f(8, 6);
    // A frame whose whole surface is red, of which two rectangles are dirty.
    f.Start({RECT{1, 1, 3, 2}, RECT{5, 3, 8, 6}});
    f.renderer->FillRect(RectT<LONG>(0, 0, 8, 6), kRed, true);
    f.Finish();
    EXPECT_EQ(f.window.Picture(kRedArgb),
              Rows({"........", //
                    ".##.....", //
                    "........", //
                    ".....###", //
                    ".....###", //
                    ".....###"}));
    // The region is the window's to clear.
    EXPECT_EQ(f.context->GetDirtyRegion().GetRectCount(), 2u);
}

TEST(GdiRenderCycle, PartialFramesKeepEarlierPixelsAndWholeFramesStartCleared)
{
    RendererFixture f(4, 3);
    f.Start();
    f.renderer->FillRect(RectT<LONG>(0, 0, 4, 3), kRed, true);
    f.Finish();

    // A partial frame draws over what the last frame left.
    f.Start({RECT{0, 0, 1, 1}});
    f.renderer->FillRect(RectT<LONG>(0, 0, 1, 1), kGreen, true);
    f.Finish();
    EXPECT_EQ(SurfacePixel(*f.gdi, 0, 0), kGreenArgb);
    EXPECT_EQ(SurfacePixel(*f.gdi, 3, 2), kRedArgb);

    // A frame that redraws exactly the bounds starts on transparent surfaces.
    f.Start({RECT{0, 0, 4, 3}});
    EXPECT_EQ(SurfacePicture(*f.gdi, kRedArgb), Rows({"....", //
                                                      "....", //
                                                      "...."}));
    f.Finish();
    // So does a frame after the bounds changed, at the new size.
    f.Start({RECT{0, 0, 1, 1}});
    f.renderer->FillRect(RectT<LONG>(0, 0, 4, 3), kRed, true);
    f.Finish();
    f.renderer->SetBounds(RectT<LONG>(0, 0, 2, 2)); // no frame: nothing happens
    f.context.GetMutable()->SetBounds(RectT<LONG>(0, 0, 2, 2));
    f.Start({RECT{0, 0, 1, 1}});
    EXPECT_EQ(f.gdi->GetFrontSurface().GetSize(), SizeT<LONG>(2, 2));
    EXPECT_EQ(SurfacePixel(*f.gdi, 1, 1), 0u);
    f.Finish();
}

TEST(GdiRenderCycle, AnOffscreenContextIsNeverCopiedToItsWindow)
{
    RendererFixture f(3, 2, true);
    f.Start();
    f.renderer->FillRect(RectT<LONG>(0, 0, 3, 2), kRed, true);
    f.Finish();
    EXPECT_EQ(SurfacePixel(*f.gdi, 2, 1), kRedArgb);
    EXPECT_EQ(f.window.Picture(kRedArgb), Rows({"...", //
                                                "..."}));
}

TEST(GdiRenderCycle, NestedFramesDrawOnTheTopContextWithoutTheOuterOrigin)
{
    RendererFixture outer(6, 4);
    outer.context.GetMutable()->GetState().origin = PointT<double>(2, 1);
    ConstRCPtr<LRenderContextInfo> inner;
    outer.renderer->InitRenderContextInfo(RectT<LONG>(0, 0, 3, 3), nullptr, true, inner);
    auto* innerGdi = dynamic_cast<LGDIRenderContextInfo*>(inner.GetMutable());

    outer.Start();
    EXPECT_EQ(outer.renderer->GetCurrentContext(), outer.gdi);
    outer.renderer->FillRect(RectT<LONG>(0, 0, 1, 1), kRed, true); // at the outer origin
    inner.GetMutable()->GetDirtyRegion().AddRect(RECT{0, 0, 3, 3});
    outer.renderer->RenderStart(inner);
    EXPECT_EQ(outer.renderer->GetCurrentContext(), innerGdi);
    outer.renderer->FillRect(RectT<LONG>(0, 0, 1, 1), kGreen, true);
    outer.renderer->RenderFinish(inner);
    EXPECT_EQ(outer.renderer->GetCurrentContext(), outer.gdi);
    outer.renderer->FillRect(RectT<LONG>(1, 1, 1, 1), kGreen, true);
    outer.Finish();
    EXPECT_EQ(outer.renderer->GetCurrentContext(), nullptr);

    EXPECT_EQ(SurfacePicture(*innerGdi, kGreenArgb), Rows({"#..", //
                                                           "...", //
                                                           "..."}));
    EXPECT_EQ(outer.window.Picture(kRedArgb), Rows({"......", //
                                                    "..#...", //
                                                    "...?..", //
                                                    "......"}));
    EXPECT_EQ(outer.window.At(3, 2), kGreenArgb);

    // The next frame of the same context draws at the same origin, not at twice it.
    outer.Start({RECT{0, 0, 1, 1}});
    outer.renderer->FillRect(RectT<LONG>(1, 1, 1, 1), kRed, true);
    outer.Finish();
    EXPECT_EQ(SurfacePixel(*outer.gdi, 3, 2), kRedArgb);
    EXPECT_EQ(SurfacePixel(*outer.gdi, 5, 3), 0u);
}

TEST(GdiRenderCycle, AMismatchedFinishThrowsAndKeepsTheFrame)
{
    RendererFixture f(2, 2);
    ConstRCPtr<LRenderContextInfo> other;
    f.renderer->InitRenderContextInfo(RectT<LONG>(0, 0, 2, 2), nullptr, true, other);
    f.Start();
    EXPECT_THROW(f.renderer->RenderFinish(other), std::runtime_error);
    EXPECT_EQ(f.renderer->GetCurrentContext(), f.gdi);
    f.renderer->FillRect(RectT<LONG>(0, 0, 1, 1), kRed, true);
    f.Finish();
    EXPECT_EQ(f.window.At(0, 0), kRedArgb);
}

TEST(GdiRenderCycle, AContextOfAnotherBackEndLeavesNoCurrentContext)
{
    RCPtr<LGDIRenderer> renderer(new LGDIRenderer());
    ConstRCPtr<LRenderer> d3d = LRenderer::Create(LRenderer::kDirect3D9, RectT<LONG>(), nullptr);
    ConstRCPtr<LRenderContextInfo> foreign;
    d3d.GetMutable()->InitRenderContextInfo(RectT<LONG>(0, 0, 4, 4), nullptr, true, foreign);

    renderer->RenderStart(foreign);
    EXPECT_EQ(renderer->GetRenderContextCount(), 1u);
    EXPECT_EQ(renderer->GetCurrentContext(), nullptr);
    // Drawing does nothing, state operations keep the state.
    renderer->FillRect(RectT<LONG>(0, 0, 4, 4), kRed, true);
    renderer->FillRect(RectT<LONG>(0, 0, 4, 4), kRed, false);
    renderer->DrawLine(PointT<float>(0, 0), PointT<float>(3, 3), kRed, 1);
    PolylineT<float> line;
    line.AddPoint(PointT<float>(0, 0));
    line.AddPoint(PointT<float>(1, 1));
    renderer->DrawPolyline(line, kRed, PointT<float>(), PointT<float>(1, 1), true);
    renderer->Translate(PointT<double>(2, 3));
    EXPECT_EQ(foreign->GetState().origin, PointT<double>(2, 3));
    // A bitmap cannot be drawn without a frame of this renderer.
    EXPECT_THROW(renderer->DrawBitmap(LBitmap::CreateFilledBitmap(SizeT<LONG>(1, 1), kRed),
                                      RectT<LONG>(0, 0, 1, 1), 0),
                 std::runtime_error);
    renderer->RenderFinish(foreign);
    EXPECT_EQ(renderer->GetRenderContextCount(), 0u);
}

namespace
{
DWORD gNow = 0;
DWORD TestClock()
{
    return gNow;
}
} // namespace

TEST(GdiRenderCycle, CachedBitmapsUnusedForTwoPurgesLoseTheirPictures)
{
    gNow = 0xFFFF0000u; // the clock wraps during the test
    RCPtr<LGDIRenderer> renderer(new LGDIRenderer(&TestClock));
    ConstRCPtr<LRenderContextInfo> context;
    renderer->InitRenderContextInfo(RectT<LONG>(0, 0, 8, 8), nullptr, true, context);
    ConstRCPtr<LBitmap> a = LBitmap::CreateFilledBitmap(SizeT<LONG>(2, 2), kRed);
    ConstRCPtr<LBitmap> b = LBitmap::CreateFilledBitmap(SizeT<LONG>(2, 2), kGreen);
    LGDIRenderer::BitmapCache& cache = renderer->GetBitmapCache();
    auto cached = [&](const ConstRCPtr<LBitmap>& bitmap)
    {
        for (int i = 0; i < cache.GetCount(); ++i)
        {
            if (cache.GetEntryAt(i).handle.bitmap == bitmap)
            {
                return !cache.GetEntryAt(i).IsEmpty();
            }
        }
        return false;
    };
    auto frame = [&](std::initializer_list<const ConstRCPtr<LBitmap>*> bitmaps)
    {
        renderer->RenderStart(context);
        for (const ConstRCPtr<LBitmap>* bitmap : bitmaps)
        {
            renderer->DrawBitmap(*bitmap, RectT<LONG>(0, 0, 4, 4), 0);
        }
        renderer->RenderFinish(context);
    };

    frame({&a, &b});
    gNow += 300000; // exactly the interval: no purge
    frame({});
    // The first purge has threshold 0 and drops nothing that was used.
    gNow += 1;
    frame({&a});
    EXPECT_TRUE(cached(a));
    EXPECT_TRUE(cached(b));
    // At the next purge b, last drawn before the previous purge, goes; a, drawn in the frame of
    // the previous purge, stays.
    gNow += 300001;
    frame({});
    EXPECT_TRUE(cached(a));
    EXPECT_FALSE(cached(b));
    // Only the use of other bitmaps moves the cache's clock: a stays while nothing is drawn,
    gNow += 300001;
    frame({});
    EXPECT_TRUE(cached(a));
    // and once other bitmaps were drawn, goes at the second purge after that: the first one's
    // threshold was recorded before they were drawn.
    ConstRCPtr<LBitmap> c = LBitmap::CreateFilledBitmap(SizeT<LONG>(2, 2), kRed);
    frame({&c});
    gNow += 300001;
    frame({});
    EXPECT_TRUE(cached(a));
    gNow += 300001;
    frame({});
    EXPECT_FALSE(cached(a));
    // c, drawn between the two, has its picture until the purge after next.
    EXPECT_TRUE(cached(c));
}

TEST(GdiRenderCycle, FramesDrawWithoutAntiAliasingAndWithNearestNeighbourScaling)
{
    RendererFixture f(2, 2, true);
    f.Start();
    GpGraphics* g = f.gdi->GetGraphics().Get();
    Gdiplus::SmoothingMode smoothing{};
    Gdiplus::InterpolationMode interpolation{};
    Gdiplus::PixelOffsetMode offset{};
    Gdiplus::CompositingMode compositing{};
    EXPECT_EQ(GdipGetSmoothingMode(g, &smoothing), Gdiplus::Ok);
    EXPECT_EQ(GdipGetInterpolationMode(g, &interpolation), Gdiplus::Ok);
    EXPECT_EQ(GdipGetPixelOffsetMode(g, &offset), Gdiplus::Ok);
    EXPECT_EQ(GdipGetCompositingMode(g, &compositing), Gdiplus::Ok);
    EXPECT_EQ(smoothing, Gdiplus::SmoothingModeHighSpeed);
    EXPECT_EQ(interpolation, Gdiplus::InterpolationModeNearestNeighbor);
    EXPECT_EQ(offset, Gdiplus::PixelOffsetModeHighSpeed);
    EXPECT_EQ(compositing, Gdiplus::CompositingModeSourceOver);
    // At 96 DPI the renderer's font scale is 1.
    EXPECT_EQ(f.renderer->GetScale(), 1.0f);
    EXPECT_EQ(f.renderer->GetScreenDpi(), 96);
    f.Finish();
}
