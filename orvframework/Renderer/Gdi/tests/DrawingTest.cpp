// The GDI+ renderer's shapes on real pixels: rectangles, lines, polygons and colour lists, with
// the clip and origin of the render state, and the path cache behind the polyline operations.
#include "GdiRendererTestSupport.h"

#include "Renderer/AutoClip.h"
#include "Renderer/Gdi/GDIRendererGraphicsPath.h"

#include <limits>

using namespace Orv;

TEST(GdiDrawing, FilledAndOutlinedRectangles)
{
    RendererFixture f(8, 7);
    f.Start();
    f.renderer->FillRect(RectT<LONG>(1, 1, 3, 2), kRed, true);
    f.renderer->DrawRect(RectT<LONG>(4, 3, 3, 3), kGreen, 1.0f);
    f.Finish();
    // An outline covers its right and bottom edges too: width + 1 pixels across.
    EXPECT_EQ(f.window.Picture(kRedArgb), Rows({"........", //
                                                ".###....", //
                                                ".###....", //
                                                "....????", //
                                                "....?..?", //
                                                "....?..?", //
                                                "....????"}));
    EXPECT_EQ(f.window.At(4, 3), kGreenArgb);
    EXPECT_EQ(f.window.At(7, 6), kGreenArgb);
}

TEST(GdiDrawing, FilledRectanglesBlendOrReplace)
{
    RendererFixture f(4, 1, true);
    f.Start();
    f.renderer->FillRect(RectT<LONG>(0, 0, 4, 1), kRed, true);
    const ColorRGBA halfGreen{0, 1, 0, 0.5f};
    f.renderer->FillRect(RectT<LONG>(0, 0, 2, 1), halfGreen, true);
    f.renderer->FillRect(RectT<LONG>(2, 0, 2, 1), halfGreen, false);
    f.Finish();
    // Blended over red, or the half-transparent green itself, alpha included.
    const ARGB blended = SurfacePixel(*f.gdi, 0, 0);
    EXPECT_EQ(blended >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((blended >> 16) & 0xFF), 127, 1);
    EXPECT_NEAR(static_cast<int>((blended >> 8) & 0xFF), 128, 1);
    EXPECT_EQ(SurfacePixel(*f.gdi, 3, 0), 0x8000FF00u);
}

TEST(GdiDrawing, ReplacingFillIgnoresOriginAndClipAndStaysOnTheSurface)
{
    RendererFixture f(5, 4, true);
    f.Start();
    CAutoClip clip(f.renderer, RectT<double>(2, 2, 3, 2), RectT<double>(0, 0, 1, 1),
                   ConstRCPtr<LStencil>());
    // Surface coordinates, reaching past every edge of the surface: only its pixels are set.
    f.renderer->FillRect(RectT<LONG>(-2, -1, 4, 3), kRed, false);
    f.renderer->FillRect(RectT<LONG>(4, 3, 100, 100), kRed, false);
    f.renderer->FillRect(RectT<LONG>(std::numeric_limits<LONG>::max() - 1, 0, 10, 1), kRed, false);
    EXPECT_EQ(f.gdi->GetFrontSurface().GetBitmap().GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(SurfacePicture(*f.gdi, kRedArgb), Rows({"##...", //
                                                      "##...", //
                                                      ".....", //
                                                      "....#"}));
}

TEST(GdiDrawing, FilledRectangleWithOutlineDrawsWhatHasAlpha)
{
    RendererFixture f(6, 6, true);
    const ColorRGBA none{1, 1, 1, 0};
    f.Start();
    f.renderer->DrawFilledRect(RectT<LONG>(0, 0, 2, 2), none, none, 1);
    f.renderer->DrawFilledRect(RectT<LONG>(3, 3, 2, 2), none, kGreen, 1);
    f.renderer->DrawFilledRect(RectT<LONG>(0, 3, 2, 2), kRed, none, 1);
    f.Finish();
    EXPECT_EQ(SurfacePicture(*f.gdi, kGreenArgb),
              Rows({"......", //
                    "......", //
                    "......", //
                    "??.###", //
                    "??.#.#", //
                    "...###"}));
    EXPECT_EQ(SurfacePixel(*f.gdi, 0, 3), kRedArgb);
}

TEST(GdiDrawing, LinesAreOnePixelWideOnWholeCoordinates)
{
    RendererFixture f(6, 5, true);
    f.Start();
    f.renderer->DrawLine(PointT<float>(1, 1), PointT<float>(4, 1), kRed, 1);
    f.renderer->DrawLine(PointT<float>(0, 3), PointT<float>(5, 3), kRed, 1);
    f.Finish();
    EXPECT_EQ(SurfacePicture(*f.gdi, kRedArgb),
              Rows({"......", //
                    ".###..", //
                    "......", //
                    "#####.", //
                    "......"}));
}

TEST(GdiDrawing, ClipAndOriginOfTheStateMoveAndCutDrawing)
{
    RendererFixture f(8, 6);
    f.Start();
    {
        // A frame at (2, 1) clipped to its first 3 x 2 pixels (the clip in the same coordinates
        // as the frame).
        CAutoClip clip(f.renderer, RectT<double>(2, 1, 5, 4), RectT<double>(1, 0, 4, 3),
                       ConstRCPtr<LStencil>());
        f.renderer->FillRect(RectT<LONG>(-5, -5, 50, 50), kRed, true);
        {
            CAutoClip origin(f.renderer, PushClipInfo{2, {}, {}, {}, 0, PointT<double>(1, 1)});
            f.renderer->DrawLine(PointT<float>(0, 0), PointT<float>(4, 0), kGreen, 1);
        }
    }
    // After the states are popped the whole window can be drawn on again.
    f.renderer->FillRect(RectT<LONG>(7, 5, 1, 1), kRed, true);
    f.Finish();
    EXPECT_EQ(f.window.Picture(kRedArgb),
              Rows({"........", //
                    "..###...", //
                    "..#??...", //
                    "........", //
                    "........", //
                    ".......#"}));
}

namespace
{
PolylineT<float> Points(std::initializer_list<PointT<float>> points)
{
    PolylineT<float> polyline;
    for (const PointT<float>& point : points)
    {
        polyline.AddPoint(point);
    }
    return polyline;
}
} // namespace

TEST(GdiDrawing, PolygonsFillEvenOdd)
{
    RendererFixture f(9, 9, true);
    // A square drawn twice around: the overlap of the two passes is outside (even-odd).
    PolylineT<float> twice =
        Points({{1, 1}, {8, 1}, {8, 8}, {1, 8}, {1, 1}, {3, 3}, {6, 3}, {6, 6}, {3, 6}, {3, 3}});
    f.Start();
    f.renderer->FillPolygon(twice, kRed, PointT<float>(), PointT<float>(1, 1), true);
    f.Finish();
    EXPECT_EQ(SurfacePicture(*f.gdi, kRedArgb),
              Rows({".........", //
                    ".#######.", //
                    ".#######.", //
                    ".##...##.", //
                    ".##...##.", //
                    ".##...##.", //
                    ".#######.", //
                    ".#######.", //
                    "........."}));
}

TEST(GdiDrawing, SegmentsPolylinesAndPolygonOutlines)
{
    RendererFixture f(7, 7, true);
    // Five points: two segments, the odd last point ignored. Lines end before their last point.
    PolylineT<float> segments = Points({{0, 0}, {2, 0}, {4, 0}, {6, 0}, {6, 6}});
    PolylineT<float> open = Points({{0, 2}, {3, 2}, {3, 4}});
    PolylineT<float> closed = Points({{4, 2}, {6, 2}, {6, 4}, {4, 4}});
    f.Start();
    f.renderer->DrawLineSegments(segments, kRed, PointT<float>(), PointT<float>(1, 1), true);
    f.renderer->DrawPolyline(open, kRed, PointT<float>(), PointT<float>(1, 1), true);
    f.renderer->DrawPolygon(closed, kRed, PointT<float>(), PointT<float>(1, 1), true);
    f.Finish();
    EXPECT_EQ(SurfacePicture(*f.gdi, kRedArgb),
              Rows({"##..##.", //
                    ".......", //
                    "#######", //
                    "...##.#", //
                    "....###", //
                    ".......", //
                    "......."}));
}

TEST(GdiDrawing, PathsAreOffsetAndScaledAboutTheOrigin)
{
    RendererFixture f(10, 8, true);
    PolylineT<float> square = Points({{0, 0}, {2, 0}, {2, 2}, {0, 2}});
    f.Start();
    f.renderer->Translate(PointT<double>(1, 1));
    // Scaled by (3, 2) about the origin moved by the offset (1, 1): x 2..8, y 2..6.
    f.renderer->FillPolygon(square, kRed, PointT<float>(1, 1), PointT<float>(3, 2), true);
    f.renderer->Translate(PointT<double>(-1, -1));
    // The cached path itself was not scaled.
    f.renderer->FillPolygon(square, kGreen, PointT<float>(), PointT<float>(1, 1), true);
    f.Finish();
    EXPECT_EQ(SurfacePicture(*f.gdi, kRedArgb),
              Rows({"??........", //
                    "??........", //
                    "..######..", //
                    "..######..", //
                    "..######..", //
                    "..######..", //
                    "..........", //
                    ".........."}));
    EXPECT_EQ(SurfacePixel(*f.gdi, 0, 0), kGreenArgb);
    EXPECT_EQ(f.gdi->GetState().origin, PointT<double>(0, 0));
}

TEST(GdiDrawing, PathsAreRebuiltWhenChangedOrNotKept)
{
    RendererFixture f(6, 3, true);
    LGDIRenderer::PathCache& cache = f.renderer->GetPathCache();
    PolylineT<float> line = Points({{0, 0}, {2, 0}});
    f.Start();
    f.renderer->DrawPolyline(line, kRed, PointT<float>(), PointT<float>(1, 1), true);
    const LGDIRenderer::LGraphicsPath* first = cache.GetEntry(line, false).Get();
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(line.IsChanged());
    // Kept while unchanged: the same path draws again.
    f.renderer->DrawPolyline(line, kRed, PointT<float>(), PointT<float>(1, 1), true);
    EXPECT_EQ(cache.GetEntry(line, false).Get(), first);
    // A changed polyline gets a new path with its new points.
    line.AddPoint(PointT<float>(2, 2));
    f.renderer->DrawPolyline(line, kGreen, PointT<float>(), PointT<float>(1, 1), true);
    EXPECT_NE(cache.GetEntry(line, false).Get(), nullptr);
    EXPECT_EQ(SurfacePixel(*f.gdi, 2, 1), kGreenArgb);
    // Not kept: the entry keeps its key but no path.
    PolylineT<float> other = Points({{4, 0}, {5, 0}});
    f.renderer->DrawPolyline(other, kRed, PointT<float>(), PointT<float>(1, 1), false);
    EXPECT_EQ(SurfacePixel(*f.gdi, 4, 0), kRedArgb);
    EXPECT_EQ(cache.GetEntry(other, false).Get(), nullptr);
    const int keys = cache.GetCount();
    f.renderer->DrawPolyline(other, kRed, PointT<float>(), PointT<float>(1, 1), false);
    EXPECT_EQ(cache.GetCount(), keys);
    f.Finish();
}

TEST(GdiDrawing, ColorRectListsAreFilledScaledAtTheirOriginLastFirst)
{
    RendererFixture f(8, 4, true);
    ColorRectListT<float> list;
    list.AddRect(RectT<float>(0, 0, 2, 1), 0xFFFF0000u);
    list.AddRect(RectT<float>(1, 0, 1, 1), 0xFF00FF00u); // drawn first, then covered
    list.SetScale(PointT<float>(2, 2));
    f.Start();
    f.renderer->DrawColorRectList(list, PointT<double>(1, 1), false);
    f.Finish();
    EXPECT_EQ(SurfacePicture(*f.gdi, kRedArgb),
              Rows({"........", //
                    ".####...", //
                    ".####...", //
                    "........"}));
    EXPECT_EQ(f.gdi->GetState().origin, PointT<double>(0, 0));
}

TEST(GdiDrawing, AFailingCallIsRecordedAndDrawingGoesOn)
{
    RendererFixture f(3, 1, true);
    f.Start();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    f.renderer->DrawLine(PointT<float>(nan, 0), PointT<float>(1, 0), kRed, 1);
    EXPECT_EQ(f.gdi->GetGraphics().GetLastStatus(), Gdiplus::InvalidParameter);
    f.renderer->FillRect(RectT<LONG>(0, 0, 3, 1), kGreen, true);
    f.Finish();
    EXPECT_EQ(SurfacePicture(*f.gdi, kGreenArgb), Rows({"###"}));
}
