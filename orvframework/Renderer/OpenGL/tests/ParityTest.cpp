// One table of drawings run through both back-ends: OpenGL (EGL without a display, read back)
// and GDI+ (into memory). Each gives the expected colour at the chosen points, away from
// anti-aliased edges. The pictures of both stay as test artefacts.
#include "GLRendererTestSupport.h"

#include <cmath>

using namespace Orv;
using namespace OrvTest;

namespace
{
constexpr int kWidth = 64;
constexpr int kHeight = 48;
// Per channel; the two back-ends round blended colours apart by a unit or two.
constexpr int kTolerance = 3;

struct Probe
{
    int x;
    int y;
    std::uint32_t color;
};

struct Drawing
{
    const char* name;
    std::function<void(LRenderer&)> draw;
    std::vector<Probe> probes;
};

void Background(LRenderer& r)
{
    r.FillRect(RectT<LONG>(0, 0, kWidth, kHeight), kWhite, true);
}

PolylineT<float> Points(std::initializer_list<PointT<float>> points, float width = 1)
{
    PolylineT<float> polyline;
    for (const PointT<float>& p : points)
    {
        polyline.AddPoint(p);
    }
    polyline.SetLineWidth(width);
    return polyline;
}

// 2 x 2 blocks of 2 x 2 pixels: red, green above blue, white.
ConstRCPtr<LBitmap> Quadrants()
{
    return MakeBitmap(4, 4,
                      [](LONG x, LONG y) -> ARGB
                      {
                          if (y < 2)
                          {
                              return x < 2 ? kRedArgb : kGreenArgb;
                          }
                          return x < 2 ? kBlueArgb : kWhiteArgb;
                      });
}

// 8 x 8, its left half red and its right half blue.
ConstRCPtr<LBitmap> Halves()
{
    return MakeBitmap(8, 8, [](LONG x, LONG) -> ARGB { return x < 4 ? kRedArgb : kBlueArgb; });
}

std::vector<Drawing> Drawings()
{
    constexpr std::uint32_t white = kWhiteArgb;
    return {
        {"rectangles",
         [](LRenderer& r)
         {
             Background(r);
             r.FillRect(RectT<LONG>(8, 8, 20, 12), kRed, true);
             r.FillRect(RectT<LONG>(30, 20, 20, 20), ColorRGBA{0, 0, 1, 0.5f}, true);
             r.FillRect(RectT<LONG>(54, 40, 6, 4), kGreen, true);
         },
         {{8, 8, kRedArgb},
          {27, 19, kRedArgb},
          {7, 8, white},
          {28, 8, white},
          {8, 20, white},
          {40, 30, 0xFF7F7FFFu},
          {55, 41, kGreenArgb},
          {53, 41, white}}},
        {"outline",
         [](LRenderer& r)
         {
             Background(r);
             r.DrawRect(RectT<LONG>(10, 10, 40, 24), kBlue, 4);
         },
         {{9, 20, kBlueArgb},
          {10, 20, kBlueArgb},
          {49, 20, kBlueArgb},
          {50, 20, kBlueArgb},
          {30, 9, kBlueArgb},
          {30, 34, kBlueArgb},
          {30, 20, white},
          {4, 20, white},
          {56, 20, white}}},
        {"filled outlined rectangle",
         [](LRenderer& r)
         {
             Background(r);
             r.DrawFilledRect(RectT<LONG>(10, 10, 40, 24), kGreen, kRed, 2);
             r.DrawFilledRect(RectT<LONG>(2, 40, 8, 6), ColorRGBA{1, 0, 0, 0}, ColorRGBA{}, 2);
         },
         {{30, 20, kGreenArgb}, {10, 20, kRedArgb}, {6, 43, white}}},
        {"replaced pixels",
         [](LRenderer& r)
         {
             r.FillRect(RectT<LONG>(0, 0, kWidth, kHeight), kRed, true);
             r.FillRect(RectT<LONG>(10, 10, 20, 20), kGreen, false);
         },
         {{10, 10, kGreenArgb}, {29, 29, kGreenArgb}, {30, 20, kRedArgb}, {9, 20, kRedArgb}}},
        {"lines",
         [](LRenderer& r)
         {
             Background(r);
             r.DrawLine(PointT<float>(4, 24), PointT<float>(60, 24), kGreen, 4);
             r.DrawLine(PointT<float>(32, 2), PointT<float>(32, 14), kBlue, 6);
         },
         {{30, 23, kGreenArgb},
          {30, 24, kGreenArgb},
          {30, 19, white},
          {30, 28, white},
          {31, 8, kBlueArgb},
          {32, 8, kBlueArgb},
          {40, 8, white}}},
        {"concave polygon",
         [](LRenderer& r)
         {
             Background(r);
             PolylineT<float> l = Points({{8, 8}, {56, 8}, {56, 40}, {40, 40}, {40, 20}, {8, 20}});
             r.FillPolygon(l, kRed, PointT<float>(0, 0), PointT<float>(1, 1), true);
         },
         {{20, 14, kRedArgb}, {48, 30, kRedArgb}, {20, 30, white}, {30, 26, white}}},
        {"self-intersecting polygon",
         [](LRenderer& r)
         {
             Background(r);
             PolylineT<float> bowTie = Points({{8, 8}, {56, 40}, {56, 8}, {8, 40}});
             r.FillPolygon(bowTie, kBlue, PointT<float>(0, 0), PointT<float>(1, 1), true);
         },
         {{14, 24, kBlueArgb}, {50, 24, kBlueArgb}, {32, 10, white}, {32, 38, white}}},
        {"star, odd winding",
         [](LRenderer& r)
         {
             Background(r);
             PolylineT<float> star;
             for (int i = 0; i < 5; ++i)
             {
                 const double a = -M_PI / 2 + i * 4 * M_PI / 5;
                 star.AddPoint(PointT<float>(static_cast<float>(32 + 22 * std::cos(a)),
                                             static_cast<float>(25 + 22 * std::sin(a))));
             }
             r.FillPolygon(star, kGreen, PointT<float>(0, 0), PointT<float>(1, 1), false);
         },
         {{32, 25, white}, {32, 8, kGreenArgb}, {14, 19, kGreenArgb}, {4, 40, white}}},
        {"outline, polyline, segments, offset and scale",
         [](LRenderer& r)
         {
             Background(r);
             PolylineT<float> triangle = Points({{0, 0}, {20, 0}, {0, 20}}, 4);
             r.DrawPolygon(triangle, kRed, PointT<float>(4, 4), PointT<float>(1, 1), true);
             PolylineT<float> steps = Points({{0, 0}, {10, 0}, {10, 10}}, 4);
             r.DrawPolyline(steps, kBlue, PointT<float>(30, 4), PointT<float>(2, 2), true);
             // Five points: two segments, the last point on its own.
             PolylineT<float> pairs = Points({{0, 0}, {20, 0}, {0, 8}, {20, 8}, {0, 16}}, 4);
             r.DrawLineSegments(pairs, kGreen, PointT<float>(4, 30), PointT<float>(1, 1), true);
         },
         {{14, 4, kRedArgb},
          {4, 14, kRedArgb},
          {14, 14, kRedArgb}, // on the closing edge
          {8, 8, white},
          {40, 4, kBlueArgb},
          {50, 14, kBlueArgb},
          {50, 20, kBlueArgb},
          {40, 14, white},
          {14, 30, kGreenArgb},
          {14, 38, kGreenArgb},
          {14, 34, white},
          {14, 45, white}}},
        {"bitmap stretched",
         [](LRenderer& r)
         {
             Background(r);
             r.DrawBitmap(Quadrants(), RectT<LONG>(4, 4, 40, 40), LRenderer::kResizeStretch);
         },
         {{14, 14, kRedArgb},
          {34, 14, kGreenArgb},
          {14, 34, kBlueArgb},
          {34, 34, kWhiteArgb},
          {50, 24, white}}},
        {"bitmap tiled",
         [](LRenderer& r)
         {
             Background(r);
             r.DrawBitmap(Halves(), RectT<LONG>(4, 4, 30, 20), LRenderer::kResizeTile);
         },
         {{6, 6, kRedArgb},
          {10, 6, kBlueArgb},
          {14, 14, kRedArgb},
          {30, 22, kRedArgb},
          {33, 6, kBlueArgb},
          {35, 6, white}, // the last column is cut at the destination's edge
          {6, 25, white}}},
        {"bitmap centred",
         [](LRenderer& r)
         {
             Background(r);
             r.DrawBitmap(Halves(), RectT<LONG>(20, 20, 30, 20), LRenderer::kResizeCentre);
             // Larger than its destination: cut by it.
             ConstRCPtr<LBitmap> big =
                 MakeBitmap(30, 30, [](LONG, LONG) -> ARGB { return kGreenArgb; });
             r.DrawBitmap(big, RectT<LONG>(2, 2, 10, 10), LRenderer::kResizeCentre);
         },
         {{32, 30, kRedArgb},
          {37, 30, kBlueArgb},
          {30, 30, white},
          {32, 25, white},
          {6, 6, kGreenArgb},
          {1, 1, white},
          {13, 6, white}}},
        {"part of an image at its size",
         [](LRenderer& r)
         {
             Background(r);
             ConstRCPtr<LBitmap> image = Quadrants();
             ConstRCPtr<LBitmap> part = image->CreateSubBitmap(2, 0, 2, 4);
             r.DrawBitmap(part, RectT<LONG>(10, 10, 2, 4), LRenderer::kResizeTile);
         },
         {{10, 10, kGreenArgb}, {11, 11, kGreenArgb}, {10, 12, kWhiteArgb}, {9, 10, white}}},
        {"clip and translation",
         [](LRenderer& r)
         {
             Background(r);
             r.PushClip(RectT<double>(0, 0, kWidth, kHeight), RectT<double>(16, 16, 16, 16),
                        ConstRCPtr<LStencil>(), true);
             r.FillRect(RectT<LONG>(0, 0, kWidth, kHeight), kRed, true);
             r.PopState();
             // The frame's corner becomes the origin.
             r.PushClip(RectT<double>(40, 4, 20, 20), RectT<double>(40, 4, 20, 20),
                        ConstRCPtr<LStencil>(), true);
             r.FillRect(RectT<LONG>(0, 0, 10, 10), kBlue, true);
             r.PopState();
             r.Translate(PointT<double>(2, 36));
             r.FillRect(RectT<LONG>(0, 0, 6, 6), kGreen, true);
             r.Translate(PointT<double>(-2, -36));
         },
         {{16, 16, kRedArgb},
          {31, 31, kRedArgb},
          {15, 20, white},
          {32, 20, white},
          {20, 34, white},
          {40, 4, kBlueArgb},
          {49, 13, kBlueArgb},
          {50, 13, white},
          {2, 36, kGreenArgb},
          {7, 41, kGreenArgb},
          {8, 41, white}}},
        {"colour list",
         [](LRenderer& r)
         {
             Background(r);
             ColorRectListT<float> list;
             list.AddRect(RectT<float>(0, 0, 10, 5), 0xFFFF0000u);
             list.AddRect(RectT<float>(5, 2, 10, 5), 0xFF0000FFu);
             list.SetScale(PointT<float>(2, 2));
             // The last rectangle first: the first one ends on top.
             r.DrawColorRectList(list, PointT<double>(4, 4), true);
         },
         {{5, 5, kRedArgb},
          {20, 10, kRedArgb},
          {30, 10, kBlueArgb},
          {20, 16, kBlueArgb},
          {20, 3, white},
          {35, 10, white}}},
    };
}
} // namespace

TEST(GLRendererParity, EachDrawingGivesTheSamePixelsAsGdiplus)
{
    GLTarget gl(kWidth, kHeight);
    GdiTarget gdi(kWidth, kHeight);
    for (const Drawing& drawing : Drawings())
    {
        SCOPED_TRACE(drawing.name);
        gl.Frame(drawing.draw);
        gdi.Frame(drawing.draw);
        const Picture glPicture = gl.Read();
        const Picture gdiPicture = gdi.Read();
        std::string file = drawing.name;
        for (char& c : file)
        {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '-';
        }
        glPicture.Save("parity-" + file + "-gl");
        gdiPicture.Save("parity-" + file + "-gdiplus");
        for (const Probe& probe : drawing.probes)
        {
            const std::uint32_t fromGL = glPicture.At(probe.x, probe.y);
            const std::uint32_t fromGdi = gdiPicture.At(probe.x, probe.y);
            EXPECT_LE(ChannelDistance(fromGL, probe.color), kTolerance)
                << "OpenGL at " << probe.x << "," << probe.y << ": " << std::hex << fromGL;
            EXPECT_LE(ChannelDistance(fromGdi, probe.color), kTolerance)
                << "GDI+ at " << probe.x << "," << probe.y << ": " << std::hex << fromGdi;
        }
    }
}
