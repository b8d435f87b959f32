// Shapes drawn into real bitmaps, checked pixel by pixel.
#include "GdiPlusTestSupport.h"

#include <cmath>

using namespace Gdiplus;

namespace
{
constexpr ARGB kRed = 0xFFFF0000u;
constexpr ARGB kBlue = 0xFF0000FFu;

struct Pen
{
    explicit Pen(ARGB color, REAL width = 1)
    {
        EXPECT_EQ(GdipCreatePen1(color, width, UnitWorld, &pen), Ok);
    }
    ~Pen() { GdipDeletePen(pen); }
    GpPen* pen = nullptr;
};

struct Brush
{
    explicit Brush(ARGB color)
    {
        GpSolidFill* solid = nullptr;
        EXPECT_EQ(GdipCreateSolidFill(color, &solid), Ok);
        brush = solid;
    }
    ~Brush() { GdipDeleteBrush(brush); }
    GpBrush* brush = nullptr;
};

struct Path
{
    explicit Path(FillMode mode = FillModeAlternate) { EXPECT_EQ(GdipCreatePath(mode, &path), Ok); }
    ~Path() { GdipDeletePath(path); }
    GpPath* path = nullptr;
};

// The renderer's modes: no anti-aliasing, nearest neighbour, pixel centres on whole numbers.
void UseRendererModes(GpGraphics* g)
{
    EXPECT_EQ(GdipSetSmoothingMode(g, SmoothingModeHighSpeed), Ok);
    EXPECT_EQ(GdipSetInterpolationMode(g, InterpolationModeNearestNeighbor), Ok);
    EXPECT_EQ(GdipSetPixelOffsetMode(g, PixelOffsetModeHighSpeed), Ok);
    EXPECT_EQ(GdipSetCompositingMode(g, CompositingModeSourceOver), Ok);
}
} // namespace

TEST(Drawing, FilledAndOutlinedRectanglesCoverTheDocumentedPixels)
{
    Canvas canvas(8, 7);
    UseRendererModes(canvas.graphics);
    Brush red(kRed);
    Pen blue(kBlue);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, red.brush, 1, 1, 3, 2), Ok);
    // An outline of width 1 covers width + 1 by height + 1 pixels.
    EXPECT_EQ(GdipDrawRectangleI(canvas.graphics, blue.pen, 4, 2, 3, 4), Ok);
    // Empty or negative sizes draw nothing.
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, red.brush, 0, 0, 0, 5), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, red.brush, 0, 0, -3, 5), Ok);
    EXPECT_EQ(GdipDrawRectangleI(canvas.graphics, blue.pen, 0, 0, -1, 2), Ok);
    std::string picture;
    for (int y = 0; y < 7; ++y)
    {
        for (int x = 0; x < 8; ++x)
        {
            ARGB c = canvas.At(x, y);
            picture += c == kRed ? 'r' : c == kBlue ? 'b' : c == 0 ? '.' : '?';
        }
        picture += '\n';
    }
    EXPECT_EQ(picture, Rows({"........", //
                             ".rrr....", //
                             ".rrrbbbb", //
                             "....b..b", //
                             "....b..b", //
                             "....b..b", //
                             "....bbbb"}));
}

TEST(Drawing, LinesFollowThePixelOffsetMode)
{
    Canvas canvas(8, 4);
    UseRendererModes(canvas.graphics);
    Pen red(kRed);
    // Pixel centres on whole coordinates: the line at y = 1 is row 1.
    EXPECT_EQ(GdipDrawLine(canvas.graphics, red.pen, 1, 1, 6, 1), Ok);
    // Pixel edges on whole coordinates: a line at y = 3.5 runs through the middle of row 3.
    EXPECT_EQ(GdipSetPixelOffsetMode(canvas.graphics, PixelOffsetModeHalf), Ok);
    EXPECT_EQ(GdipDrawLine(canvas.graphics, red.pen, 2, 3.5f, 5, 3.5f), Ok);
    EXPECT_EQ(canvas.Picture(kRed), Rows({"........", //
                                          ".#####..", //
                                          "........", //
                                          "..###..."}));
}

TEST(Drawing, PolygonsFillEvenOddOrWinding)
{
    // A square with a square inside, both drawn the same way round: even-odd leaves the hole.
    const GpPointF outer[] = {{0, 0}, {6, 0}, {6, 6}, {0, 6}};
    const GpPointF inner[] = {{2, 2}, {4, 2}, {4, 4}, {2, 4}};
    struct Case
    {
        FillMode mode;
        std::string picture;
    };
    const Case cases[] = {
        {FillModeAlternate, Rows({"######", "######", "##..##", "##..##", "######", "######"})},
        {FillModeWinding, Rows({"######", "######", "######", "######", "######", "######"})},
    };
    for (const Case& c : cases)
    {
        Canvas canvas(6, 6);
        UseRendererModes(canvas.graphics);
        Path path(c.mode);
        EXPECT_EQ(GdipAddPathPolygon(path.path, outer, 4), Ok);
        EXPECT_EQ(GdipAddPathPolygon(path.path, inner, 4), Ok);
        Brush red(kRed);
        EXPECT_EQ(GdipFillPath(canvas.graphics, red.brush, path.path), Ok);
        EXPECT_EQ(canvas.Picture(kRed), c.picture) << "fill mode " << c.mode;
    }
}

TEST(Drawing, PathFiguresLinesAndPolylines)
{
    Canvas canvas(7, 5);
    UseRendererModes(canvas.graphics);
    Path path;
    // Two separate segments (a new figure each), as line segments are drawn.
    EXPECT_EQ(GdipStartPathFigure(path.path), Ok);
    EXPECT_EQ(GdipAddPathLine(path.path, 0, 0, 2, 0), Ok);
    EXPECT_EQ(GdipStartPathFigure(path.path), Ok);
    EXPECT_EQ(GdipAddPathLine(path.path, 4, 0, 6, 0), Ok);
    // An open polyline: an L without the closing side.
    const GpPointF corner[] = {{0, 2}, {0, 4}, {3, 4}};
    EXPECT_EQ(GdipStartPathFigure(path.path), Ok);
    EXPECT_EQ(GdipAddPathLine2(path.path, corner, 3), Ok);
    Pen red(kRed);
    EXPECT_EQ(GdipDrawPath(canvas.graphics, red.pen, path.path), Ok);
    EXPECT_EQ(canvas.Picture(kRed), Rows({"##..##.", //
                                          ".......", //
                                          "#......", //
                                          "#......", //
                                          "###...."}));
}

TEST(Drawing, ScaledCloneOfAPathLeavesTheOriginal)
{
    Path path;
    const GpPointF square[] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
    EXPECT_EQ(GdipAddPathPolygon(path.path, square, 4), Ok);
    GpMatrix* matrix = nullptr;
    ASSERT_EQ(GdipCreateMatrix(&matrix), Ok);
    EXPECT_EQ(GdipScaleMatrix(matrix, 2, 1.5f, MatrixOrderPrepend), Ok);
    GpPath* clone = nullptr;
    ASSERT_EQ(GdipClonePath(path.path, &clone), Ok);
    EXPECT_EQ(GdipTransformPath(clone, matrix), Ok);
    Canvas canvas(6, 4);
    UseRendererModes(canvas.graphics);
    Brush red(kRed);
    Brush blue(kBlue);
    EXPECT_EQ(GdipFillPath(canvas.graphics, red.brush, clone), Ok);
    EXPECT_EQ(GdipFillPath(canvas.graphics, blue.brush, path.path), Ok);
    std::string picture;
    for (int y = 0; y < 4; ++y)
    {
        for (int x = 0; x < 6; ++x)
        {
            ARGB c = canvas.At(x, y);
            picture += c == kRed ? 'r' : c == kBlue ? 'b' : c == 0 ? '.' : '?';
        }
        picture += '\n';
    }
    EXPECT_EQ(picture, Rows({"bbrr..", "bbrr..", "rrrr..", "......"}));
    GdipDeletePath(clone);
    GdipDeleteMatrix(matrix);
}

TEST(Drawing, TranslationAndClipMoveAndCutDrawing)
{
    Canvas canvas(8, 6);
    UseRendererModes(canvas.graphics);
    Brush red(kRed);
    // Append and prepend of pure translations add up; reset drops them.
    EXPECT_EQ(GdipTranslateWorldTransform(canvas.graphics, 1, 0, MatrixOrderAppend), Ok);
    EXPECT_EQ(GdipTranslateWorldTransform(canvas.graphics, 1, 1, MatrixOrderPrepend), Ok);
    // The clip is set through the transform in force: device (3, 2) to (6, 5).
    EXPECT_EQ(GdipSetClipRect(canvas.graphics, 1, 1, 3, 3, CombineModeReplace), Ok);
    EXPECT_EQ(GdipResetWorldTransform(canvas.graphics), Ok);
    // Later transforms do not move the clip.
    EXPECT_EQ(GdipTranslateWorldTransform(canvas.graphics, 2, 0, MatrixOrderPrepend), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, red.brush, 0, 0, 8, 8), Ok);
    EXPECT_EQ(canvas.Picture(kRed), Rows({"........", //
                                          "........", //
                                          "...###..", //
                                          "...###..", //
                                          "...###..", //
                                          "........"}));
    // Intersect narrows the clip; reset removes it.
    Brush blue(kBlue);
    EXPECT_EQ(GdipResetWorldTransform(canvas.graphics), Ok);
    EXPECT_EQ(GdipSetClipRect(canvas.graphics, 0, 0, 4, 3, CombineModeIntersect), Ok);
    EXPECT_EQ(GdipGraphicsClear(canvas.graphics, kBlue), Ok);
    EXPECT_EQ(canvas.At(3, 2), kBlue);
    EXPECT_EQ(canvas.At(4, 2), kRed);
    EXPECT_EQ(canvas.At(3, 3), kRed);
    EXPECT_EQ(GdipResetClip(canvas.graphics), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, blue.brush, 0, 5, 1, 1), Ok);
    EXPECT_EQ(canvas.At(0, 5), kBlue);
    EXPECT_EQ(GdipSetClipRect(canvas.graphics, 0, 0, 1, 1, CombineModeUnion), NotImplemented);
    EXPECT_EQ(GdipSetClipRect(canvas.graphics, 0, 0, 1, 1, static_cast<CombineMode>(9)),
              InvalidParameter);
}

TEST(Drawing, ClearReplacesAndSourceCopyReplacesInsideTheShape)
{
    Canvas canvas(4, 1);
    EXPECT_EQ(GdipGraphicsClear(canvas.graphics, 0x80FF0000u), Ok);
    EXPECT_EQ(canvas.At(0, 0), 0x80FF0000u);
    Brush halfBlue(0x800000FFu);
    // Source over blends ...
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, halfBlue.brush, 0, 0, 1, 1), Ok);
    ARGB blended = canvas.At(0, 0);
    EXPECT_EQ(blended >> 24, 0xC0u);
    EXPECT_NE(blended & 0xFF, 0u);
    EXPECT_NE((blended >> 16) & 0xFF, 0u);
    // ... source copy replaces, alpha included, and only inside the rectangle.
    EXPECT_EQ(GdipSetCompositingMode(canvas.graphics, CompositingModeSourceCopy), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, halfBlue.brush, 1, 0, 2, 1), Ok);
    EXPECT_EQ(canvas.At(1, 0), 0x800000FFu);
    EXPECT_EQ(canvas.At(2, 0), 0x800000FFu);
    EXPECT_EQ(canvas.At(3, 0), 0x80FF0000u);
}

TEST(Drawing, SmoothingModeSwitchesAntiAliasing)
{
    // A slanted edge: anti-aliased it has partly covered pixels, aliased it has none.
    const GpPointF triangle[] = {{0, 0}, {10, 0}, {0, 7}};
    for (SmoothingMode mode : {SmoothingModeAntiAlias, SmoothingModeNone})
    {
        Canvas canvas(10, 8);
        EXPECT_EQ(GdipSetSmoothingMode(canvas.graphics, mode), Ok);
        Path path;
        EXPECT_EQ(GdipAddPathPolygon(path.path, triangle, 3), Ok);
        Brush red(kRed);
        EXPECT_EQ(GdipFillPath(canvas.graphics, red.brush, path.path), Ok);
        std::string picture = canvas.Picture(kRed);
        EXPECT_EQ(picture.find('?') != std::string::npos, mode == SmoothingModeAntiAlias)
            << picture;
    }
}

TEST(Drawing, WindowGraphicsDrawIntoTheLentPixels)
{
    std::vector<std::uint32_t> pixels(4 * 3, 0xFF000000u);
    auto* window = reinterpret_cast<HWND>(0x1234);
    WindowPixels lent{pixels.data(), 4, 3, 16};
    ASSERT_TRUE(SetWindowPixels(window, &lent));
    GpGraphics* g = nullptr;
    ASSERT_EQ(GdipCreateFromHWND(window, &g), Ok);
    REAL dpi = 0;
    EXPECT_EQ(GdipGetDpiX(g, &dpi), Ok);
    EXPECT_EQ(dpi, 96.0f);
    Brush red(kRed);
    EXPECT_EQ(GdipFillRectangleI(g, red.brush, 1, 1, 2, 1), Ok);
    EXPECT_EQ(GdipDeleteGraphics(g), Ok);
    EXPECT_EQ(pixels[5], kRed);
    EXPECT_EQ(pixels[6], kRed);
    EXPECT_EQ(pixels[4], 0xFF000000u);
    EXPECT_EQ(pixels[7], 0xFF000000u);
    EXPECT_TRUE(SetWindowPixels(window, nullptr));

    // A window without pixels (or the screen) takes drawing and shows nothing.
    for (HWND other : {window, static_cast<HWND>(nullptr)})
    {
        ASSERT_EQ(GdipCreateFromHWND(other, &g), Ok);
        EXPECT_EQ(GdipFillRectangleI(g, red.brush, 0, 0, 4, 3), Ok);
        GpBitmap* compatible = nullptr;
        EXPECT_EQ(GdipCreateBitmapFromGraphics(5, 6, g, &compatible), Ok);
        PixelFormat format = 0;
        EXPECT_EQ(GdipGetImagePixelFormat(compatible, &format), Ok);
        EXPECT_EQ(format, PixelFormat32bppPARGB);
        GdipDisposeImage(compatible);
        EXPECT_EQ(GdipDeleteGraphics(g), Ok);
    }
    EXPECT_EQ(pixels[0], 0xFF000000u);
    WindowPixels bad{pixels.data(), 5, 3, 16}; // stride too small for the width
    EXPECT_FALSE(SetWindowPixels(window, &bad));
    EXPECT_FALSE(SetWindowPixels(nullptr, &lent));
}

TEST(Drawing, ABitmapDrawnOnItsOwnGraphicsIsBusy)
{
    Canvas canvas(2, 2);
    EXPECT_EQ(GdipDrawImageRectRect(canvas.graphics, canvas.bitmap, 0, 0, 2, 2, 0, 0, 2, 2,
                                    UnitPixel, nullptr, nullptr, nullptr),
              ObjectBusy);
}

TEST(Drawing, BadArgumentsAreRefused)
{
    Canvas canvas(2, 2);
    Pen pen(kRed);
    Brush brush(kRed);
    Path path;
    GpPointF two[] = {{0, 0}, {1, 1}};
    GpPen* newPen = nullptr;
    EXPECT_EQ(GdipDrawLine(nullptr, pen.pen, 0, 0, 1, 1), InvalidParameter);
    EXPECT_EQ(GdipDrawLine(canvas.graphics, nullptr, 0, 0, 1, 1), InvalidParameter);
    EXPECT_EQ(GdipDrawLine(canvas.graphics, pen.pen, 0, NAN, 1, 1), InvalidParameter);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, nullptr, 0, 0, 1, 1), InvalidParameter);
    EXPECT_EQ(GdipFillPath(canvas.graphics, brush.brush, nullptr), InvalidParameter);
    EXPECT_EQ(GdipDrawPath(nullptr, pen.pen, path.path), InvalidParameter);
    EXPECT_EQ(GdipAddPathPolygon(path.path, two, 2), InvalidParameter);
    EXPECT_EQ(GdipAddPathLine2(path.path, two, 0), InvalidParameter);
    EXPECT_EQ(GdipAddPathLine2(path.path, nullptr, 2), InvalidParameter);
    EXPECT_EQ(GdipCreatePath(static_cast<FillMode>(2), &path.path), InvalidParameter);
    EXPECT_EQ(GdipCreatePen1(kRed, -1, UnitWorld, &newPen), InvalidParameter);
    EXPECT_EQ(GdipCreatePen1(kRed, 1, UnitDisplay, &newPen), InvalidParameter);
    EXPECT_EQ(GdipSetSmoothingMode(canvas.graphics, SmoothingModeInvalid), InvalidParameter);
    EXPECT_EQ(GdipSetInterpolationMode(canvas.graphics, static_cast<InterpolationMode>(8)),
              InvalidParameter);
    EXPECT_EQ(GdipSetPixelOffsetMode(canvas.graphics, PixelOffsetModeInvalid), InvalidParameter);
    EXPECT_EQ(GdipSetCompositingMode(canvas.graphics, static_cast<CompositingMode>(2)),
              InvalidParameter);
    EXPECT_EQ(GdipSetSmoothingMode(nullptr, SmoothingModeNone), InvalidParameter);
    EXPECT_EQ(GdipSetInterpolationMode(nullptr, InterpolationModeNearestNeighbor),
              InvalidParameter);
    EXPECT_EQ(GdipSetPixelOffsetMode(nullptr, PixelOffsetModeHalf), InvalidParameter);
    EXPECT_EQ(GdipSetCompositingMode(nullptr, CompositingModeSourceCopy), InvalidParameter);
    SmoothingMode smoothing = SmoothingModeInvalid;
    EXPECT_EQ(GdipGetSmoothingMode(nullptr, &smoothing), InvalidParameter);
    EXPECT_EQ(GdipTranslateWorldTransform(canvas.graphics, 1, 1, static_cast<MatrixOrder>(2)),
              InvalidParameter);
    EXPECT_EQ(GdipScaleMatrix(nullptr, 1, 1, MatrixOrderAppend), InvalidParameter);
    EXPECT_EQ(GdipFlush(canvas.graphics, static_cast<FlushIntention>(3)), InvalidParameter);
    EXPECT_EQ(GdipFlush(canvas.graphics, FlushIntentionSync), Ok);
    EXPECT_EQ(GdipDeleteGraphics(nullptr), InvalidParameter);
    EXPECT_EQ(GdipDeletePen(nullptr), InvalidParameter);
    EXPECT_EQ(GdipDeleteBrush(nullptr), InvalidParameter);
    EXPECT_EQ(GdipDeletePath(nullptr), InvalidParameter);
    EXPECT_EQ(GdipGraphicsClear(nullptr, 0), InvalidParameter);
    EXPECT_EQ(GdipGetDpiX(canvas.graphics, nullptr), InvalidParameter);
    // What was refused changed nothing.
    EXPECT_EQ(canvas.Picture(kRed), Rows({"..", ".."}));
}

TEST(Drawing, EveryCallUsesTheClipAndModesInForceAtThatCall)
{
    // One graphics, many calls: the clip, transform and compositing mode of each call hold for
    // that call, whatever the calls before it used.
    Canvas canvas(6, 3);
    UseRendererModes(canvas.graphics);
    Brush red(kRed);
    Brush blue(kBlue);
    Pen bluePen(kBlue);
    EXPECT_EQ(GdipSetClipRect(canvas.graphics, 0, 0, 2, 3, CombineModeReplace), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, red.brush, 0, 0, 6, 1), Ok);
    // Another clip for the next call, then the same again.
    EXPECT_EQ(GdipSetClipRect(canvas.graphics, 4, 0, 2, 3, CombineModeReplace), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, red.brush, 0, 0, 6, 1), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, red.brush, 0, 1, 6, 1), Ok);
    // No clip, under a translation; then a line (pixel centres) and a fill without it.
    EXPECT_EQ(GdipResetClip(canvas.graphics), Ok);
    EXPECT_EQ(GdipTranslateWorldTransform(canvas.graphics, 1, 0, MatrixOrderPrepend), Ok);
    EXPECT_EQ(GdipDrawLine(canvas.graphics, bluePen.pen, 0, 2, 2, 2), Ok);
    EXPECT_EQ(GdipResetWorldTransform(canvas.graphics), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, blue.brush, 5, 2, 1, 1), Ok);
    EXPECT_EQ(canvas.Picture(kRed, 0), Rows({"##..##", //
                                             "....##", //
                                             ".??..?"}));
    EXPECT_EQ(canvas.At(1, 2), kBlue);
    EXPECT_EQ(canvas.At(2, 2), kBlue);
    EXPECT_EQ(canvas.At(5, 2), kBlue);
    // A clear (source copy) does not leave its operator to the fill after it, which blends.
    EXPECT_EQ(GdipGraphicsClear(canvas.graphics, 0xFF00FF00u), Ok);
    Brush halfRed(0x80FF0000u);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, halfRed.brush, 0, 0, 1, 1), Ok);
    EXPECT_EQ(canvas.At(0, 0) >> 24, 0xFFu);
    EXPECT_NE(canvas.At(0, 0) & 0x0000FF00u, 0u);
}

TEST(Drawing, WindowGraphicsFollowWhatTheWindowLendsAndWrites)
{
    // Each graphics for the window sees the pixels as the window layer left them, and pixels
    // lent anew replace the old ones.
    auto* window = reinterpret_cast<HWND>(0x5678);
    std::vector<std::uint32_t> first(2, 0xFF000000u);
    std::vector<std::uint32_t> second(2, 0xFF000000u);
    WindowPixels lent{first.data(), 2, 1, 8};
    ASSERT_TRUE(SetWindowPixels(window, &lent));
    Brush halfRed(0x80FF0000u);
    for (int round = 0; round < 2; ++round)
    {
        // Written by the window layer between two graphics.
        first[0] = round == 0 ? 0xFF000000u : 0xFF0000FFu;
        GpGraphics* g = nullptr;
        ASSERT_EQ(GdipCreateFromHWND(window, &g), Ok);
        EXPECT_EQ(GdipFillRectangleI(g, halfRed.brush, 0, 0, 1, 1), Ok);
        EXPECT_EQ(GdipDeleteGraphics(g), Ok);
        // Half red over black, then over blue: blue shows through the second time.
        EXPECT_EQ((first[0] >> 16) & 0xFF, 0x80u) << round;
        EXPECT_EQ(first[0] & 0xFF, round == 0 ? 0u : 0x7Fu) << round;
    }
    lent.bits = second.data();
    ASSERT_TRUE(SetWindowPixels(window, &lent));
    GpGraphics* g = nullptr;
    ASSERT_EQ(GdipCreateFromHWND(window, &g), Ok);
    EXPECT_EQ(GdipFillRectangleI(g, halfRed.brush, 1, 0, 1, 1), Ok);
    EXPECT_EQ(GdipDeleteGraphics(g), Ok);
    EXPECT_EQ((second[1] >> 16) & 0xFF, 0x80u);
    EXPECT_EQ(first[1], 0xFF000000u);
    EXPECT_TRUE(SetWindowPixels(window, nullptr));
}
