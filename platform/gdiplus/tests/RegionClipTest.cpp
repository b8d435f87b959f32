// Regions of rectangles as clips, and image attributes whose colour matrix scales alpha.
#include "GdiPlusTestSupport.h"

using namespace Gdiplus;

namespace
{
constexpr ARGB kRed = 0xFFFF0000u;
constexpr ARGB kBlue = 0xFF0000FFu;

struct Region
{
    explicit Region(RectF rect) { EXPECT_EQ(GdipCreateRegionRect(&rect, &region), Ok); }
    ~Region() { GdipDeleteRegion(region); }
    GpRegion* region = nullptr;
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

ColorMatrix AlphaScale(REAL alpha)
{
    ColorMatrix m{};
    for (int i = 0; i < 5; ++i)
    {
        m.m[i][i] = 1.0f;
    }
    m.m[3][3] = alpha;
    return m;
}
} // namespace

TEST(RegionClip, RegionsCombineRectangles)
{
    Region region(RectF{0, 0, 4, 2});
    RectF more{2, 1, 4, 4};
    EXPECT_EQ(GdipCombineRegionRect(region.region, &more, CombineModeUnion), Ok);
    Canvas canvas(8, 6);
    RectF bounds{};
    EXPECT_EQ(GdipGetRegionBounds(region.region, canvas.graphics, &bounds), Ok);
    EXPECT_EQ(bounds.X, 0);
    EXPECT_EQ(bounds.Width, 6);
    EXPECT_EQ(bounds.Height, 5);
    RectF cut{1, 0, 2, 8};
    EXPECT_EQ(GdipCombineRegionRect(region.region, &cut, CombineModeIntersect), Ok);
    EXPECT_EQ(GdipGetRegionBounds(region.region, canvas.graphics, &bounds), Ok);
    EXPECT_EQ(bounds.X, 1);
    EXPECT_EQ(bounds.Width, 2);
    EXPECT_EQ(GdipCombineRegionRect(region.region, &cut, CombineModeExclude), NotImplemented);
    EXPECT_EQ(GdipCombineRegionRect(region.region, nullptr, CombineModeUnion), InvalidParameter);
    RectF empty{3, 3, 0, 5};
    EXPECT_EQ(GdipCombineRegionRect(region.region, &empty, CombineModeReplace), Ok);
    EXPECT_EQ(GdipGetRegionBounds(region.region, canvas.graphics, &bounds), Ok);
    EXPECT_EQ(bounds.Width, 0);
}

TEST(RegionClip, DrawingStaysInsideTheRegionAndTheClipRectangle)
{
    Canvas canvas(8, 6);
    Brush red(kRed);
    Region region(RectF{0, 0, 3, 2});
    RectF second{5, 3, 2, 2};
    EXPECT_EQ(GdipCombineRegionRect(region.region, &second, CombineModeUnion), Ok);
    // Set through the transform in force, like a clip rectangle: moved one pixel right.
    EXPECT_EQ(GdipTranslateWorldTransform(canvas.graphics, 1, 0, MatrixOrderAppend), Ok);
    EXPECT_EQ(GdipSetClipRegion(canvas.graphics, region.region, CombineModeReplace), Ok);
    EXPECT_EQ(GdipResetWorldTransform(canvas.graphics), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, red.brush, 0, 0, 8, 6), Ok);
    EXPECT_EQ(canvas.Picture(kRed), Rows({".###....", //
                                          ".###....", //
                                          "........", //
                                          "......##", //
                                          "......##", //
                                          "........"}));

    // A clip rectangle intersected keeps the region; the overlap of both is drawn.
    Brush blue(kBlue);
    EXPECT_EQ(GdipSetClipRect(canvas.graphics, 2, 0, 6, 4, CombineModeIntersect), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, blue.brush, 0, 0, 8, 6), Ok);
    EXPECT_EQ(canvas.Picture(kBlue), Rows({".?##....", //
                                           ".?##....", //
                                           "........", //
                                           "......##", //
                                           "......??", //
                                           "........"}));

    // Intersecting another region keeps what both cover; a replaced clip rectangle drops them.
    Region third(RectF{0, 0, 8, 1});
    EXPECT_EQ(GdipResetClip(canvas.graphics), Ok);
    EXPECT_EQ(GdipSetClipRegion(canvas.graphics, region.region, CombineModeReplace), Ok);
    EXPECT_EQ(GdipSetClipRegion(canvas.graphics, third.region, CombineModeIntersect), Ok);
    EXPECT_EQ(GdipGraphicsClear(canvas.graphics, kBlue), Ok);
    EXPECT_EQ(canvas.At(1, 0), kBlue);
    EXPECT_EQ(canvas.At(1, 1), kRed);
    EXPECT_EQ(GdipSetClipRect(canvas.graphics, 0, 5, 1, 1, CombineModeReplace), Ok);
    EXPECT_EQ(GdipGraphicsClear(canvas.graphics, kBlue), Ok);
    EXPECT_EQ(canvas.At(0, 5), kBlue);
    EXPECT_EQ(GdipSetClipRegion(canvas.graphics, third.region, CombineModeXor), NotImplemented);
    EXPECT_EQ(GdipSetClipRegion(canvas.graphics, nullptr, CombineModeReplace), InvalidParameter);
}

TEST(RegionClip, ImageAttributesScaleTheAlphaOfADrawnImage)
{
    Canvas image(2, 1);
    EXPECT_EQ(GdipBitmapSetPixel(image.bitmap, 0, 0, kRed), Ok);
    EXPECT_EQ(GdipBitmapSetPixel(image.bitmap, 1, 0, 0x80FF0000u), Ok);
    GpImageAttributes* attributes = nullptr;
    ASSERT_EQ(GdipCreateImageAttributes(&attributes), Ok);
    const ColorMatrix half = AlphaScale(0.5f);
    EXPECT_EQ(GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeDefault, TRUE, &half,
                                                nullptr, ColorMatrixFlagsDefault),
              Ok);
    Canvas canvas(4, 1, PixelFormat32bppARGB);
    // Unscaled and scaled to twice the size.
    EXPECT_EQ(GdipDrawImageRectRect(canvas.graphics, image.bitmap, 0, 0, 2, 1, 0, 0, 2, 1,
                                    UnitPixel, attributes, nullptr, nullptr),
              Ok);
    EXPECT_EQ(canvas.At(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_NEAR(static_cast<int>(canvas.At(0, 0) >> 24), 0x80, 1);
    EXPECT_NEAR(static_cast<int>(canvas.At(1, 0) >> 24), 0x40, 1);
    EXPECT_EQ(GdipSetInterpolationMode(canvas.graphics, InterpolationModeNearestNeighbor), Ok);
    EXPECT_EQ(GdipDrawImageRectRect(canvas.graphics, image.bitmap, 2, 0, 2, 1, 0, 0, 1, 1,
                                    UnitPixel, attributes, nullptr, nullptr),
              Ok);
    EXPECT_NEAR(static_cast<int>(canvas.At(3, 0) >> 24), 0x80, 1);

    // Only a matrix that scales alpha is applied; cleared, the image is drawn as it is.
    ColorMatrix tint = AlphaScale(1.0f);
    tint.m[4][0] = 0.5f;
    EXPECT_EQ(GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeBitmap, TRUE, &tint,
                                                nullptr, ColorMatrixFlagsDefault),
              NotImplemented);
    EXPECT_EQ(GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeText, TRUE, &half,
                                                nullptr, ColorMatrixFlagsDefault),
              NotImplemented);
    EXPECT_EQ(GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeDefault, TRUE, nullptr,
                                                nullptr, ColorMatrixFlagsDefault),
              InvalidParameter);
    EXPECT_EQ(GdipSetImageAttributesColorMatrix(attributes, ColorAdjustTypeDefault, FALSE, nullptr,
                                                nullptr, ColorMatrixFlagsDefault),
              Ok);
    Canvas plain(1, 1, PixelFormat32bppARGB);
    EXPECT_EQ(GdipDrawImageRectRect(plain.graphics, image.bitmap, 0, 0, 1, 1, 0, 0, 1, 1, UnitPixel,
                                    attributes, nullptr, nullptr),
              Ok);
    EXPECT_EQ(plain.At(0, 0), kRed);
    EXPECT_EQ(GdipDisposeImageAttributes(attributes), Ok);
    EXPECT_EQ(GdipDisposeImageAttributes(nullptr), InvalidParameter);
}

TEST(RegionClip, AClipRectangleFarBeyondTheSurfaceLimitsNothing)
{
    Canvas canvas(6, 4, PixelFormat32bppARGB);
    GpPen* pen = nullptr;
    ASSERT_EQ(GdipCreatePen1(kRed, 1, UnitWorld, &pen), Ok);
    EXPECT_EQ(GdipSetSmoothingMode(canvas.graphics, SmoothingModeHighSpeed), Ok);
    EXPECT_EQ(GdipSetPixelOffsetMode(canvas.graphics, PixelOffsetModeHighSpeed), Ok);
    EXPECT_EQ(GdipSetClipRect(canvas.graphics, -5e15f, -5e15f, 1e16f, 1e16f, CombineModeReplace),
              Ok);
    EXPECT_EQ(GdipDrawLine(canvas.graphics, pen, 0, 1, 5, 1), Ok);
    EXPECT_EQ(GdipDrawRectangleI(canvas.graphics, pen, 0, 0, 2, 2), Ok);
    Brush blue(kBlue);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, blue.brush, 0, 3, 6, 1), Ok);
    GdipDeletePen(pen);
    EXPECT_EQ(canvas.Picture(kRed), "###...\n#####.\n###...\n??????\n");
    EXPECT_EQ(canvas.At(5, 3), kBlue);
}
