// Images drawn into bitmaps: stretched, mirrored, cut from a larger image, cached, tiled.
#include "GdiPlusTestSupport.h"

using namespace Gdiplus;

namespace
{
// A bitmap whose pixel (x, y) is 0xFF000000 | x << 8 | y: every pixel tells where it came from.
struct Numbered
{
    Numbered(int width, int height)
    {
        EXPECT_EQ(
            GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &bitmap),
            Ok);
        for (int y = 0; y < height; ++y)
        {
            for (int x = 0; x < width; ++x)
            {
                EXPECT_EQ(GdipBitmapSetPixel(bitmap, x, y, Pixel(x, y)), Ok);
            }
        }
    }
    ~Numbered() { GdipDisposeImage(bitmap); }
    static ARGB Pixel(int x, int y) { return 0xFF000000u | static_cast<ARGB>(x << 8 | y); }
    GpBitmap* bitmap = nullptr;
};

GpStatus Draw(GpGraphics* g, GpImage* image, REAL dx, REAL dy, REAL dw, REAL dh, REAL sx, REAL sy,
              REAL sw, REAL sh)
{
    return GdipDrawImageRectRect(g, image, dx, dy, dw, dh, sx, sy, sw, sh, UnitPixel, nullptr,
                                 nullptr, nullptr);
}
} // namespace

TEST(Images, NearestNeighbourStretchRepeatsEachSourcePixel)
{
    Numbered source(4, 3);
    // Draw the 2 x 2 part at (1, 1) three times as large at (1, 2).
    Canvas canvas(8, 9);
    EXPECT_EQ(GdipSetInterpolationMode(canvas.graphics, InterpolationModeNearestNeighbor), Ok);
    EXPECT_EQ(Draw(canvas.graphics, source.bitmap, 1, 2, 6, 6, 1, 1, 2, 2), Ok);
    for (int y = 0; y < 9; ++y)
    {
        for (int x = 0; x < 8; ++x)
        {
            bool inside = x >= 1 && x < 7 && y >= 2 && y < 8;
            ARGB expected = inside ? Numbered::Pixel(1 + (x - 1) / 3, 1 + (y - 2) / 3) : 0;
            EXPECT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
    }
}

TEST(Images, BilinearStretchBlendsButTakesNothingFromAroundThePart)
{
    // A 3 x 1 image: red, blue, green. Stretching the blue pixel alone gives only blue, even
    // with filtering; stretching red and blue together gives colours between them.
    GpBitmap* source = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromScan0(3, 1, 0, PixelFormat32bppARGB, nullptr, &source), Ok);
    GdipBitmapSetPixel(source, 0, 0, 0xFFFF0000u);
    GdipBitmapSetPixel(source, 1, 0, 0xFF0000FFu);
    GdipBitmapSetPixel(source, 2, 0, 0xFF00FF00u);
    Canvas canvas(10, 2);
    EXPECT_EQ(GdipSetInterpolationMode(canvas.graphics, InterpolationModeBilinear), Ok);
    EXPECT_EQ(Draw(canvas.graphics, source, 0, 0, 10, 1, 1, 0, 1, 1), Ok);
    for (int x = 0; x < 10; ++x)
    {
        EXPECT_EQ(canvas.At(x, 0), 0xFF0000FFu) << x;
    }
    EXPECT_EQ(Draw(canvas.graphics, source, 0, 1, 10, 1, 0, 0, 2, 1), Ok);
    EXPECT_EQ(canvas.At(0, 1), 0xFFFF0000u);
    EXPECT_EQ(canvas.At(9, 1), 0xFF0000FFu);
    ARGB middle = canvas.At(5, 1);
    EXPECT_TRUE((middle >> 16 & 0xFF) > 0 && (middle & 0xFF) > 0) << std::hex << middle;
    EXPECT_EQ(middle >> 8 & 0xFF, 0u) << "no green from beside the part";
    GdipDisposeImage(source);
}

TEST(Images, UnscaledDrawsCopyPixelsExactlyAndNegativeSizesMirror)
{
    Numbered source(3, 2);
    Canvas canvas(4, 4, PixelFormat32bppARGB);
    EXPECT_EQ(GdipDrawImagePointRectI(canvas.graphics, source.bitmap, 1, 0, 1, 0, 2, 2, UnitPixel),
              Ok);
    EXPECT_EQ(canvas.At(0, 0), 0u);
    EXPECT_EQ(canvas.At(1, 0), Numbered::Pixel(1, 0));
    EXPECT_EQ(canvas.At(2, 1), Numbered::Pixel(2, 1));
    EXPECT_EQ(canvas.At(3, 0), 0u);
    // Mirrored left to right: destination from x = 3 back to x = 0.
    EXPECT_EQ(GdipSetInterpolationMode(canvas.graphics, InterpolationModeNearestNeighbor), Ok);
    EXPECT_EQ(Draw(canvas.graphics, source.bitmap, 3, 2, -3, 2, 0, 0, 3, 2), Ok);
    EXPECT_EQ(canvas.At(0, 2), Numbered::Pixel(2, 0));
    EXPECT_EQ(canvas.At(2, 3), Numbered::Pixel(0, 1));
    // Translation applies to images.
    EXPECT_EQ(GdipTranslateWorldTransform(canvas.graphics, 3, 3, MatrixOrderPrepend), Ok);
    EXPECT_EQ(GdipDrawImagePointRectI(canvas.graphics, source.bitmap, 0, 0, 0, 0, 1, 1, UnitPixel),
              Ok);
    EXPECT_EQ(canvas.At(3, 3), Numbered::Pixel(0, 0));
}

TEST(Images, CenteredLargerImageIsCutByTheTarget)
{
    Numbered source(6, 6);
    Canvas canvas(4, 4);
    // (4 - 6) / 2 = -1: the image starts one pixel outside.
    EXPECT_EQ(Draw(canvas.graphics, source.bitmap, -1, -1, 6, 6, 0, 0, 6, 6), Ok);
    EXPECT_EQ(canvas.At(0, 0), Numbered::Pixel(1, 1));
    EXPECT_EQ(canvas.At(3, 3), Numbered::Pixel(4, 4));
}

TEST(Images, CachedBitmapDrawsUnscaledAtTheTranslatedPositionWithinTheClip)
{
    Numbered source(3, 3);
    Canvas canvas(6, 6);
    GpCachedBitmap* cached = nullptr;
    ASSERT_EQ(GdipCreateCachedBitmap(source.bitmap, canvas.graphics, &cached), Ok);
    // The cache is a copy: changing the bitmap afterwards does not change it.
    EXPECT_EQ(GdipBitmapSetPixel(source.bitmap, 0, 0, 0xFFFFFFFFu), Ok);
    EXPECT_EQ(GdipTranslateWorldTransform(canvas.graphics, 1, 2, MatrixOrderPrepend), Ok);
    EXPECT_EQ(GdipSetClipRect(canvas.graphics, 0, 0, 2, 6, CombineModeReplace), Ok); // x 1..2
    EXPECT_EQ(GdipDrawCachedBitmap(canvas.graphics, cached, 1, 0), Ok);
    EXPECT_EQ(canvas.At(1, 2), 0u) << "left of the bitmap";
    EXPECT_EQ(canvas.At(2, 2), Numbered::Pixel(0, 0));
    EXPECT_EQ(canvas.At(2, 4), Numbered::Pixel(0, 2));
    EXPECT_EQ(canvas.At(3, 2), 0u) << "clipped";
    // Only translations are allowed with cached bitmaps.
    GpGraphics* g = canvas.graphics;
    EXPECT_EQ(GdipResetWorldTransform(g), Ok);
    EXPECT_EQ(GdipDrawCachedBitmap(nullptr, cached, 0, 0), InvalidParameter);
    EXPECT_EQ(GdipDeleteCachedBitmap(cached), Ok);
    EXPECT_EQ(GdipDeleteCachedBitmap(nullptr), InvalidParameter);
}

TEST(Images, CachedBitmapsCoverOrBlendAsTheirPixelsSay)
{
    // An opaque bitmap's cached copy covers what is under it exactly; a translucent one blends.
    Numbered opaque(2, 1);
    GpBitmap* translucent = nullptr;
    ASSERT_EQ(GdipCreateBitmapFromScan0(2, 1, 0, PixelFormat32bppARGB, nullptr, &translucent), Ok);
    EXPECT_EQ(GdipBitmapSetPixel(translucent, 0, 0, 0x800000FFu), Ok);
    EXPECT_EQ(GdipBitmapSetPixel(translucent, 1, 0, 0xFF00FF00u), Ok);
    Canvas canvas(4, 1);
    GpSolidFill* red = nullptr;
    ASSERT_EQ(GdipCreateSolidFill(0xFFFF0000u, &red), Ok);
    EXPECT_EQ(GdipFillRectangleI(canvas.graphics, red, 0, 0, 4, 1), Ok);
    GpCachedBitmap* cachedOpaque = nullptr;
    GpCachedBitmap* cachedTranslucent = nullptr;
    ASSERT_EQ(GdipCreateCachedBitmap(opaque.bitmap, canvas.graphics, &cachedOpaque), Ok);
    ASSERT_EQ(GdipCreateCachedBitmap(translucent, canvas.graphics, &cachedTranslucent), Ok);
    EXPECT_EQ(GdipDrawCachedBitmap(canvas.graphics, cachedOpaque, 0, 0), Ok);
    EXPECT_EQ(GdipDrawCachedBitmap(canvas.graphics, cachedTranslucent, 2, 0), Ok);
    EXPECT_EQ(canvas.At(0, 0), Numbered::Pixel(0, 0));
    EXPECT_EQ(canvas.At(1, 0), Numbered::Pixel(1, 0));
    const ARGB blended = canvas.At(2, 0);
    EXPECT_EQ(blended >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((blended >> 16) & 0xFF), 127, 1);
    EXPECT_NEAR(static_cast<int>(blended & 0xFF), 128, 1);
    EXPECT_EQ(canvas.At(3, 0), 0xFF00FF00u);
    // Drawn on a transparent target, the translucent copy keeps its alpha.
    Canvas clear(2, 1);
    EXPECT_EQ(GdipDrawCachedBitmap(clear.graphics, cachedTranslucent, 0, 0), Ok);
    EXPECT_EQ(clear.At(0, 0) >> 24, 0x80u);
    EXPECT_EQ(GdipDeleteCachedBitmap(cachedOpaque), Ok);
    EXPECT_EQ(GdipDeleteCachedBitmap(cachedTranslucent), Ok);
    EXPECT_EQ(GdipDeleteBrush(red), Ok);
    EXPECT_EQ(GdipDisposeImage(translucent), Ok);
}

TEST(Images, TextureBrushTilesFromTheWorldOrigin)
{
    Numbered source(4, 4);
    GpTexture* texture = nullptr;
    // The 2 x 2 part at (1, 1), copied: the image may go away.
    ASSERT_EQ(GdipCreateTextureIA(source.bitmap, nullptr, 1, 1, 2, 2, &texture), Ok);
    Canvas canvas(7, 5);
    EXPECT_EQ(GdipFillRectangle(canvas.graphics, texture, 1, 0, 6, 5), Ok);
    for (int y = 0; y < 5; ++y)
    {
        for (int x = 1; x < 7; ++x)
        {
            EXPECT_EQ(canvas.At(x, y), Numbered::Pixel(1 + x % 2, 1 + y % 2)) << x << "," << y;
        }
    }
    EXPECT_EQ(canvas.At(0, 0), 0u);
    EXPECT_EQ(GdipDeleteBrush(texture), Ok);
    EXPECT_EQ(GdipCreateTextureIA(source.bitmap, nullptr, 3, 3, 2, 2, &texture), InvalidParameter);
}

TEST(Images, StatusCodesOfImageDrawing)
{
    Numbered source(2, 2);
    Canvas canvas(2, 2);
    EXPECT_EQ(Draw(canvas.graphics, nullptr, 0, 0, 1, 1, 0, 0, 1, 1), InvalidParameter);
    EXPECT_EQ(Draw(canvas.graphics, source.bitmap, 0, 0, 1, 1, 0, 0, 0, 1), InvalidParameter);
    EXPECT_EQ(Draw(canvas.graphics, source.bitmap, 0, 0, 0, 1, 0, 0, 1, 1), Ok);
    EXPECT_EQ(GdipDrawImageRectRect(canvas.graphics, source.bitmap, 0, 0, 1, 1, 0, 0, 1, 1,
                                    UnitPoint, nullptr, nullptr, nullptr),
              NotImplemented);
    auto stop = [](void*) -> BOOL { return TRUE; };
    EXPECT_EQ(GdipDrawImageRectRect(canvas.graphics, source.bitmap, 0, 0, 1, 1, 0, 0, 1, 1,
                                    UnitPixel, nullptr, stop, nullptr),
              Aborted);
    // A locked bitmap is neither drawn nor drawn on.
    BitmapData data{};
    ASSERT_EQ(
        GdipBitmapLockBits(source.bitmap, nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data),
        Ok);
    EXPECT_EQ(Draw(canvas.graphics, source.bitmap, 0, 0, 1, 1, 0, 0, 1, 1), WrongState);
    GpGraphics* onLocked = nullptr;
    EXPECT_EQ(GdipGetImageGraphicsContext(source.bitmap, &onLocked), WrongState);
    GpCachedBitmap* cached = nullptr;
    EXPECT_EQ(GdipCreateCachedBitmap(source.bitmap, canvas.graphics, &cached), WrongState);
    EXPECT_EQ(GdipBitmapUnlockBits(source.bitmap, &data), Ok);
    EXPECT_EQ(canvas.Picture(0xFFFFFFFFu), Rows({"..", ".."}));
}
