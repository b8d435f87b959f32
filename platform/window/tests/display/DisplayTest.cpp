// A real window on an X display the test starts itself (Xvfb): drawn through the window
// graphics, photographed with the X screenshot tool, and checked pixel by pixel.
#include "platform/GdiPlus.h"
#include "platform/Kernel.h"
#include "platform/User32.h"

#include "VirtualDisplay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

using namespace Gdiplus;
using OrvTest::VirtualDisplay;

namespace
{
constexpr ARGB kBackground = 0xFF203040;
constexpr ARGB kPanel = 0xFFE04020;

LRESULT CALLBACK PaintProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_PAINT)
    {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    PAINTSTRUCT paint{};
    BeginPaint(window, &paint);
    GpGraphics* graphics = nullptr;
    GdipCreateFromHWND(window, &graphics);
    GpSolidFill* background = nullptr;
    GdipCreateSolidFill(kBackground, &background);
    GdipFillRectangleI(graphics, background, 0, 0, 320, 200);
    GpSolidFill* panel = nullptr;
    GdipCreateSolidFill(kPanel, &panel);
    GdipFillRectangleI(graphics, panel, 20, 20, 100, 60);
    GdipDeleteBrush(panel);
    GdipDeleteBrush(background);
    GdipDeleteGraphics(graphics);
    EndPaint(window, &paint);
    SetWindowLongPtrW(window, GWLP_USERDATA, GetWindowLongPtrW(window, GWLP_USERDATA) + 1);
    return 0;
}

ARGB PixelAt(GpBitmap* bitmap, int x, int y)
{
    ARGB color = 0;
    GdipBitmapGetPixel(bitmap, x, y, &color);
    return color;
}
} // namespace

TEST(WindowDisplay, AWindowDrawnThroughItsGraphicsShowsOnTheScreen)
{
    OrvTest::VirtualDisplay display;
    ASSERT_TRUE(display.Start(640, 480)) << "Xvfb did not start";
    display.UseForThisProcess();

    GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), Ok);

    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PaintProcedure;
    windowClass.lpszClassName = L"OrvDisplayTestWindow";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND window =
        CreateWindowExW(0, L"OrvDisplayTestWindow", L"display test", WS_POPUP | WS_VISIBLE, 40, 30,
                        320, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    // Until the window has been painted (at most 5 s).
    MSG msg{};
    const DWORD start = GetTickCount();
    while (GetWindowLongPtrW(window, GWLP_USERDATA) == 0 && GetTickCount() - start < 5000)
    {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            DispatchMessageW(&msg);
        }
        if (GetWindowLongPtrW(window, GWLP_USERDATA) == 0)
        {
            SetTimer(window, 1, 20, nullptr);
            GetMessageW(&msg, nullptr, 0, 0);
            DispatchMessageW(&msg);
            KillTimer(window, 1);
        }
    }
    ASSERT_GT(GetWindowLongPtrW(window, GWLP_USERDATA), 0);
    RECT r{};
    GetWindowRect(window, &r);
    ASSERT_EQ(r.left, 40);
    ASSERT_EQ(r.top, 30);

    const std::string shot = std::string(ORV_TEST_ARTEFACTS) + "/window-on-display.png";
    mkdir(ORV_TEST_ARTEFACTS, 0755);
    const std::string command = "import -display " + display.Name() + " -window root " + shot;
    ASSERT_EQ(std::system(command.c_str()), 0);

    GpBitmap* screen = nullptr;
    const std::wstring wide(shot.begin(), shot.end());
    ASSERT_EQ(GdipCreateBitmapFromFile(wide.c_str(), &screen), Ok);
    UINT width = 0;
    GdipGetImageWidth(screen, &width);
    EXPECT_EQ(width, 640u);
    // The panel at (20, 20) of the client area, the background around it, the screen outside.
    EXPECT_EQ(PixelAt(screen, 40 + 60, 30 + 50), kPanel);
    EXPECT_EQ(PixelAt(screen, 40 + 20, 30 + 20), kPanel);
    EXPECT_EQ(PixelAt(screen, 40 + 19, 30 + 20), kBackground);
    EXPECT_EQ(PixelAt(screen, 40 + 5, 30 + 5), kBackground);
    EXPECT_EQ(PixelAt(screen, 40 + 319, 30 + 199), kBackground);
    EXPECT_NE(PixelAt(screen, 40 + 320, 30 + 100), kBackground);
    EXPECT_NE(PixelAt(screen, 20, 20), kBackground);
    GdipDisposeImage(screen);

    DestroyWindow(window);
    GdiplusShutdown(token);
}
