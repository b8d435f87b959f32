// The OpenGL renderer drawing into a real window's GLX context on an X display the test starts
// itself (Xvfb), photographed with the X screenshot tool and checked pixel by pixel.
#include "Renderer/OpenGL/GLRenderer.h"
#include "Utilities/Graphics/Bitmap.h"
#include "platform/GdiPlus.h"
#include "platform/Kernel.h"
#include "platform/User32.h"

#include "MessagePump.h"
#include "VirtualDisplay.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/stat.h>

using namespace Orv;

namespace
{
constexpr int kLeft = 40;
constexpr int kTop = 30;
constexpr int kWidth = 200;
constexpr int kHeight = 120;
constexpr ARGB kBackground = 0xFF203040u;
constexpr ARGB kPanel = 0xFFE04020u;
constexpr ARGB kTile = 0xFF20C040u;

ColorRGBA Color(ARGB argb)
{
    return ColorRGBA::FromPacked(argb);
}

ARGB PixelAt(GpBitmap* bitmap, int x, int y)
{
    ARGB color = 0;
    GdipBitmapGetPixel(bitmap, x, y, &color);
    return color;
}
} // namespace

TEST(GLRendererDisplay, AFrameDrawnThroughAWindowsGlxContextShowsOnTheScreen)
{
    OrvTest::VirtualDisplay display;
    ASSERT_TRUE(display.Start(640, 480)) << "Xvfb did not start";
    display.UseForThisProcess();
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);

    HWND window = CreateWindowExW(0, L"STATIC", L"OpenGL", WS_POPUP | WS_VISIBLE, kLeft, kTop,
                                  kWidth, kHeight, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    {
        RCPtr<LGLRenderer> renderer(new LGLRenderer(window));
        // On an X display the format is double-buffered; no format swaps by copying, so each
        // frame is copied from the back buffer to the front one.
        EXPECT_TRUE(renderer->IsDoubleBuffered());
        EXPECT_FALSE(renderer->SwapsByCopying());
        ConstRCPtr<LRenderContextInfo> context;
        ASSERT_EQ(renderer->InitRenderContextInfo(RectT<LONG>(0, 0, kWidth, kHeight), window, false,
                                                  context),
                  S_OK);
        // The window, made anew for OpenGL, is on the screen before it is drawn.
        OrvTest::PumpMessages(300);
        ConstRCPtr<LBitmap> tile = LBitmap::CreateFilledBitmap(SizeT<LONG>(10, 10), Color(kTile));
        for (int frame = 0; frame < 2; ++frame)
        {
            renderer->RenderStart(context);
            renderer->FillRect(RectT<LONG>(0, 0, kWidth, kHeight), Color(kBackground), true);
            renderer->FillRect(RectT<LONG>(20, 20, 100, 60), Color(kPanel), true);
            renderer->DrawBitmap(tile, RectT<LONG>(140, 20, 40, 80), LRenderer::kResizeTile);
            renderer->RenderFinish(context);
            OrvTest::PumpMessages(100);
        }
        EXPECT_EQ(wglGetCurrentContext(), nullptr);

        const std::string directory = ORV_TEST_ARTEFACTS;
        mkdir(directory.c_str(), 0755);
        const std::string shot = directory + "/gl-window-on-display.png";
        const std::string command = "import -display " + display.Name() + " -window root " + shot;
        ASSERT_EQ(std::system(command.c_str()), 0);
        GpBitmap* screen = nullptr;
        const std::wstring wide(shot.begin(), shot.end());
        ASSERT_EQ(GdipCreateBitmapFromFile(wide.c_str(), &screen), Gdiplus::Ok);
        EXPECT_EQ(PixelAt(screen, kLeft + 60, kTop + 50), kPanel);
        EXPECT_EQ(PixelAt(screen, kLeft + 20, kTop + 20), kPanel);
        EXPECT_EQ(PixelAt(screen, kLeft + 19, kTop + 20), kBackground);
        EXPECT_EQ(PixelAt(screen, kLeft + 5, kTop + 5), kBackground);
        EXPECT_EQ(PixelAt(screen, kLeft + kWidth - 1, kTop + kHeight - 1), kBackground);
        EXPECT_EQ(PixelAt(screen, kLeft + 150, kTop + 60), kTile);
        EXPECT_NE(PixelAt(screen, kLeft + kWidth, kTop + 60), kBackground);
        EXPECT_NE(PixelAt(screen, 20, 20), kBackground);
        GdipDisposeImage(screen);
        context = nullptr;
    }
    DestroyWindow(window);
    GdiplusShutdown(token);
}
