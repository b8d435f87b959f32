// The program's cursor and icon resources on a real window of an X display the test starts
// (Xvfb): what the server shows as the pointer over the window (XFixes) and the icon the window
// offers its window manager (_NET_WM_ICON).
#include "platform/Kernel.h"
#include "platform/Resources.h"
#include "platform/User32.h"

#include "MessagePump.h"
#include "VirtualDisplay.h"

#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <climits>
#include <functional>
#include <vector>

namespace
{
// Retries check, pumping messages, for at most 3 s.
bool Eventually(const std::function<bool()>& check)
{
    for (int i = 0; i < 150; ++i)
    {
        if (check())
        {
            return true;
        }
        OrvTest::PumpMessages(20);
    }
    return check();
}

// The window's _NET_WM_ICON: width, height, then the pixels (alpha, red, green, blue).
std::vector<unsigned long> IconProperty(Display* x, Window window)
{
    const Atom property = XInternAtom(x, "_NET_WM_ICON", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(x, window, property, 0, LONG_MAX, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr)
    {
        const auto* longs = reinterpret_cast<const unsigned long*>(data);
        values.assign(longs, longs + count);
    }
    if (data != nullptr)
    {
        XFree(data);
    }
    return values;
}
} // namespace

TEST(CursorDisplay, ResourceCursorAndIconsShowOnTheServer)
{
    OrvTest::VirtualDisplay display;
    ASSERT_TRUE(display.Start(640, 480)) << "Xvfb did not start";
    display.UseForThisProcess();
    const HINSTANCE program = GetModuleHandleW(nullptr);
    const HICON icon = LoadIconW(program, MAKEINTRESOURCEW(128));
    const HCURSOR cursor = LoadCursorW(program, MAKEINTRESOURCEW(102));
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(cursor, nullptr);

    // The class's icon is the window's from its making.
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hIcon = icon;
    windowClass.lpszClassName = L"OrvCursorDisplayTestWindow";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
    HWND window =
        CreateWindowExW(0, L"OrvCursorDisplayTestWindow", L"cursor test", WS_POPUP | WS_VISIBLE, 40,
                        30, 200, 150, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    Window xWindow = 0;
    ASSERT_TRUE(OrvPlatform::Window::RunWithSdlWindow(window,
                                                      [&](SDL_Window* sdl)
                                                      {
                                                          SDL_SysWMinfo info;
                                                          SDL_VERSION(&info.version);
                                                          if (SDL_GetWindowWMInfo(sdl, &info))
                                                          {
                                                              xWindow = info.info.x11.window;
                                                          }
                                                      }));
    ASSERT_NE(xWindow, 0u);

    Display* x = XOpenDisplay(display.Name().c_str());
    ASSERT_NE(x, nullptr);
    std::vector<unsigned long> shown;
    ASSERT_TRUE(Eventually(
        [&]
        {
            shown = IconProperty(x, xWindow);
            return shown.size() >= 2 && shown[0] == 8;
        }));
    ASSERT_EQ(shown.size(), 2u + 8 * 8);
    EXPECT_EQ(shown[1], 8u);
    EXPECT_EQ(shown[2] & 0xFFFFFFFFu, 0xFFFFFF00u);             // the top left pixel: yellow
    EXPECT_EQ(shown[2 + 4 * 8 + 4] & 0xFFFFFFFFu, 0xFF0000FFu); // blue elsewhere

    // WM_SETICON puts another picture in its place: the cursor's, 16 x 16.
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(cursor));
    ASSERT_TRUE(Eventually(
        [&]
        {
            shown = IconProperty(x, xWindow);
            return shown.size() >= 2 && shown[0] == 16;
        }));
    ASSERT_EQ(shown.size(), 2u + 16 * 16);
    EXPECT_EQ(shown[2 + 2] & 0xFFFFFFFFu, 0xFFFF0000u);
    EXPECT_EQ(shown[2 + 12 * 16 + 2] & 0xFFFFFFFFu, 0xFF00FF00u);
    EXPECT_EQ(shown[2 + 3 * 16 + 15] >> 24 & 0xFFu, 0u);

    // The pointer over the window shows the cursor resource, with its hot spot.
    int event = 0;
    int error = 0;
    ASSERT_TRUE(XFixesQueryExtension(x, &event, &error));
    XWarpPointer(x, None, DefaultRootWindow(x), 0, 0, 0, 0, 40 + 100, 30 + 70);
    XSync(x, False);
    OrvTest::PumpMessages(100);
    SetCursor(cursor);
    XFixesCursorImage* image = nullptr;
    ASSERT_TRUE(Eventually(
        [&]
        {
            if (image != nullptr)
            {
                XFree(image);
            }
            // The program's connection and the test's reach the server apart, so the root
            // window's cursor (also 16 x 16) can still be the one shown for a moment.
            image = XFixesGetCursorImage(x);
            return image != nullptr && image->width == 16 && image->height == 16 &&
                   image->xhot == 3 && image->yhot == 5;
        }));
    EXPECT_EQ(image->pixels[3 * 16 + 2] & 0xFFFFFFFFu, 0xFFFF0000u);
    EXPECT_EQ(image->pixels[12 * 16 + 2] & 0xFFFFFFFFu, 0xFF00FF00u);
    EXPECT_EQ(image->pixels[3 * 16 + 15] >> 24 & 0xFFu, 0u);
    XFree(image);

    XCloseDisplay(x);
    DestroyWindow(window);
    OrvTest::PumpMessages(50);
}
