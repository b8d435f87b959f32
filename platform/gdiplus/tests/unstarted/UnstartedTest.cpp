// Before GdiplusStartup (and after the last shut-down) nothing can be made.
#include "platform/GdiPlus.h"

#include <gtest/gtest.h>

using namespace Gdiplus;

namespace
{
void ExpectNothingCanBeMade()
{
    GpBitmap* bitmap = nullptr;
    GpPath* path = nullptr;
    GpSolidFill* brush = nullptr;
    GpPen* pen = nullptr;
    GpFontFamily* family = nullptr;
    GpStringFormat* format = nullptr;
    GpGraphics* graphics = nullptr;
    EXPECT_EQ(GdipCreateBitmapFromScan0(1, 1, 0, PixelFormat32bppARGB, nullptr, &bitmap),
              GdiplusNotInitialized);
    EXPECT_EQ(GdipCreatePath(FillModeAlternate, &path), GdiplusNotInitialized);
    EXPECT_EQ(GdipCreateSolidFill(0, &brush), GdiplusNotInitialized);
    EXPECT_EQ(GdipCreatePen1(0, 1, UnitWorld, &pen), GdiplusNotInitialized);
    EXPECT_EQ(GdipCreateFontFamilyFromName(L"DejaVu Sans", nullptr, &family),
              GdiplusNotInitialized);
    EXPECT_EQ(GdipCreateStringFormat(0, 0, &format), GdiplusNotInitialized);
    EXPECT_EQ(GdipCreateFromHWND(nullptr, &graphics), GdiplusNotInitialized);
}
} // namespace

TEST(Unstarted, NothingCanBeMadeOutsideStartupAndShutdown)
{
    ExpectNothingCanBeMade();
    GdiplusStartupInput input;
    ULONG_PTR first = 0, second = 0;
    ASSERT_EQ(GdiplusStartup(&first, &input, nullptr), Ok);
    ASSERT_EQ(GdiplusStartup(&second, &input, nullptr), Ok);
    GdiplusShutdown(first);
    // Still started by the second token.
    GpPath* path = nullptr;
    EXPECT_EQ(GdipCreatePath(FillModeAlternate, &path), Ok);
    EXPECT_EQ(GdipDeletePath(path), Ok);
    GdiplusShutdown(second);
    ExpectNothingCanBeMade();
}
