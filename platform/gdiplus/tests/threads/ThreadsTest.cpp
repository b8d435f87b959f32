// Drawing on several threads at once, each on its own bitmap (as the splash screen's thread does
// beside the UI thread), gives the same pixels as drawing on one.
#include "platform/GdiPlus.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace Gdiplus;

namespace
{
// Draws text and a filled polygon; returns the pixels.
std::vector<ARGB> DrawScene()
{
    GpBitmap* bitmap = nullptr;
    EXPECT_EQ(GdipCreateBitmapFromScan0(60, 20, 0, PixelFormat32bppARGB, nullptr, &bitmap), Ok);
    GpGraphics* g = nullptr;
    EXPECT_EQ(GdipGetImageGraphicsContext(bitmap, &g), Ok);
    GpFontFamily* family = nullptr;
    EXPECT_EQ(GdipGetGenericFontFamilySansSerif(&family), Ok);
    GpFont* font = nullptr;
    EXPECT_EQ(GdipCreateFont(family, 9, FontStyleBold, UnitPoint, &font), Ok);
    GpSolidFill* brush = nullptr;
    EXPECT_EQ(GdipCreateSolidFill(0xFF102030u, &brush), Ok);
    GpRectF layout{1, 1, 0, 0};
    EXPECT_EQ(GdipDrawString(g, L"Splash 42", -1, font, &layout, nullptr, brush), Ok);
    GpPath* path = nullptr;
    EXPECT_EQ(GdipCreatePath(FillModeAlternate, &path), Ok);
    const GpPointF points[] = {{40, 2}, {58, 10}, {44, 18}};
    EXPECT_EQ(GdipAddPathPolygon(path, points, 3), Ok);
    EXPECT_EQ(GdipFillPath(g, brush, path), Ok);
    std::vector<ARGB> pixels;
    for (int y = 0; y < 20; ++y)
    {
        for (int x = 0; x < 60; ++x)
        {
            ARGB c = 0;
            EXPECT_EQ(GdipBitmapGetPixel(bitmap, x, y, &c), Ok);
            pixels.push_back(c);
        }
    }
    GdipDeletePath(path);
    GdipDeleteBrush(brush);
    GdipDeleteFont(font);
    GdipDeleteGraphics(g);
    GdipDisposeImage(bitmap);
    return pixels;
}
} // namespace

TEST(Threads, SeparateBitmapsDrawTheSameOnEveryThread)
{
    ULONG_PTR token = 0;
    GdiplusStartupInput input;
    ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), Ok);
    std::vector<std::vector<ARGB>> results(4);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < results.size(); ++i)
    {
        threads.emplace_back([&results, i] { results[i] = DrawScene(); });
    }
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    std::vector<ARGB> reference = DrawScene();
    size_t inked = 0;
    for (ARGB c : reference)
    {
        inked += c != 0;
    }
    EXPECT_GT(inked, 50u);
    for (const std::vector<ARGB>& result : results)
    {
        EXPECT_EQ(result, reference);
    }
    GdiplusShutdown(token);
}
