// The splash screen on a real X display the test starts itself (Xvfb): the splash thread makes
// its window over its own connection and steps and draws its bar on a timer clock the test
// moves, while this thread (the UI thread) never handles a message. The window is photographed
// from the server through a connection of the test's own; the screenshots stay as artefacts.
#include "TestApplication.h"
#include "VirtualDisplay.h"

#include "System/SplashScreen.h"

#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace Orv;
using namespace OrvTest;

namespace
{
std::atomic<DWORD> gClock{100000};
DWORD ReadClock()
{
    return gClock.load();
}

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;
constexpr int kWidth = 200;
constexpr int kHeight = 100;
// The bar: a 25th of the width as margin, 16 pixels high, 20 above the bottom.
constexpr int kMargin = kWidth / 25;
constexpr int kBarWidth = kWidth - 2 * kMargin;
constexpr int kBarTop = kHeight - 20 - 16;
// The image: green at half alpha.
constexpr std::uint32_t kImageColor = 0x80008000;
constexpr std::uint32_t kImageWithAlpha = 0x80004000; // premultiplied
constexpr std::uint32_t kImageOverBlack = 0xFF004000;
constexpr std::uint32_t kBarColor = 0xFF2E8BFF;
constexpr std::uint32_t kBarBackground = 0xFF202020;

// Polls until the condition holds, for at most 5 s.
bool PollFor(const std::function<bool()>& condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() >= end)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A window's pixels as the server holds them (0xAARRGGBB; alpha 0xFF for windows without).
struct Shot
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

class DisplayHolder
{
protected:
    DisplayHolder()
    {
        mStarted = mDisplay.Start(kScreenWidth, kScreenHeight);
        if (mStarted)
        {
            mDisplay.UseForThisProcess();
            mServer = XOpenDisplay(mDisplay.Name().c_str());
        }
    }
    ~DisplayHolder()
    {
        if (mServer != nullptr)
        {
            XCloseDisplay(mServer);
        }
    }
    VirtualDisplay mDisplay;
    bool mStarted = false;
    Display* mServer = nullptr;
};

class SplashScreenTest : protected DisplayHolder, public ::testing::Test
{
protected:
    SplashScreenTest()
    {
        OrvPlatform::Window::SetTimerClock(&ReadClock);
        mSplash.SetImage(LBitmap::CreateFilledBitmap(SizeT<LONG>(kWidth, kHeight),
                                                     ColorRGBA::FromPacked(kImageColor)));
    }
    ~SplashScreenTest() override
    {
        mSplash.Close();
        OrvPlatform::Window::SetTimerClock(nullptr);
    }
    void SetUp() override
    {
        ASSERT_TRUE(mStarted) << "Xvfb did not start";
        ASSERT_NE(mServer, nullptr);
    }

    // One step of the stepping timer.
    static void Tick() { gClock += LSplashScreen::kStepInterval; }
    bool WaitForPosition(int position)
    {
        return PollFor([&] { return mSplash.GetShownPosition() == position; });
    }
    // Whether the server offers the visual for per-pixel alpha.
    bool ServerHasArgb() const
    {
        XVisualInfo info{};
        return XMatchVisualInfo(mServer, DefaultScreen(mServer), 32, TrueColor, &info) != 0;
    }

    // The splash window as the server holds it, kept as the artefact when a name is given.
    Shot Capture(const std::string& name = std::string())
    {
        Shot shot;
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(mServer, mSplash.GetWindow(), &attributes) == 0)
        {
            return shot;
        }
        XImage* image =
            XGetImage(mServer, mSplash.GetWindow(), 0, 0, static_cast<unsigned>(attributes.width),
                      static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        if (image == nullptr)
        {
            return shot;
        }
        shot.width = attributes.width;
        shot.height = attributes.height;
        for (int y = 0; y < shot.height; ++y)
        {
            for (int x = 0; x < shot.width; ++x)
            {
                const auto pixel = static_cast<std::uint32_t>(XGetPixel(image, x, y));
                shot.pixels.push_back(attributes.depth == 32 ? pixel : (pixel | 0xFF000000u));
            }
        }
        XDestroyImage(image);
        if (!name.empty())
        {
            SavePng(shot.pixels.data(), shot.width, shot.height,
                    std::string(ORV_TEST_ARTEFACTS) + "/" + name);
        }
        return shot;
    }
    // The window's pixel at x, y once it matches (the thread draws after it records the bar).
    bool WaitForPixel(int x, int y, std::uint32_t expected)
    {
        return PollFor(
            [&]
            {
                const Shot shot = Capture();
                return shot.width > x && shot.height > y && shot.At(x, y) == expected;
            });
    }

    GdiplusSession mGdiplus;
    LSplashScreen mSplash;
};
} // namespace

TEST_F(SplashScreenTest, TheBarStepsAndIsDrawnWhileTheUiThreadHandlesNoMessage)
{
    mSplash.Start();
    ASSERT_NE(mSplash.GetWindow(), 0u);
    ASSERT_NE(mSplash.GetThreadId(), 0u);
    EXPECT_EQ(mSplash.GetShownPosition(), -1);
    EXPECT_EQ(mSplash.HasAlpha(), ServerHasArgb());
    const std::uint32_t image = mSplash.HasAlpha() ? kImageWithAlpha : kImageOverBlack;

    // From here on this thread only moves the clock and looks at the server.
    mSplash.SetProgress(0, 100, 5);
    ASSERT_TRUE(PollFor([&] { return mSplash.IsStepping(); }));
    ASSERT_TRUE(WaitForPosition(0));
    // 100 / 20 per tick, 20 ticks; the window shows each step.
    for (int tick = 1; tick <= 20; ++tick)
    {
        Tick();
        ASSERT_TRUE(WaitForPosition(tick * 5))
            << "tick " << tick << " shows " << mSplash.GetShownPosition();
        const int filled = kBarWidth * tick * 5 / 100;
        ASSERT_TRUE(WaitForPixel(kMargin + filled - 1, kBarTop + 8, kBarColor)) << tick;
        if (tick < 20)
        {
            EXPECT_EQ(Capture().At(kMargin + filled + 1, kBarTop + 8), kBarBackground) << tick;
        }
        if (tick == 10)
        {
            const Shot shot = Capture("splash-half.png");
            EXPECT_EQ(shot.At(5, 5), image);
            EXPECT_EQ(shot.At(kMargin - 1, kBarTop + 8), image);
            EXPECT_EQ(shot.At(kMargin + 1, kBarTop + 8), kBarColor);
            EXPECT_EQ(shot.At(kMargin + kBarWidth / 2 - 2, kBarTop + 8), kBarColor);
            EXPECT_EQ(shot.At(kMargin + kBarWidth / 2 + 2, kBarTop + 8), kBarBackground);
            EXPECT_EQ(shot.At(kMargin + kBarWidth - 1, kBarTop + 15), kBarBackground);
            EXPECT_EQ(shot.At(kMargin + 10, kBarTop - 1), image);
            EXPECT_EQ(shot.At(kMargin + 10, kBarTop + 16), image);
            // What the splash drew is what the server shows.
            std::vector<std::uint32_t> drawn;
            int width = 0;
            int height = 0;
            ASSERT_TRUE(mSplash.CopyShownPixels(drawn, width, height));
            EXPECT_EQ(width, kWidth);
            EXPECT_EQ(height, kHeight);
            EXPECT_EQ(drawn[static_cast<std::size_t>((kBarTop + 8) * kWidth + kMargin + 1)],
                      kBarColor);
        }
    }
    // The stepping ended with the last tick: its timer stopped before the last position was
    // drawn.
    EXPECT_FALSE(mSplash.IsStepping());
    EXPECT_EQ(Capture("splash-full.png").At(kMargin + kBarWidth - 1, kBarTop + 8), kBarColor);
}

TEST_F(SplashScreenTest, TheWindowIsCentredWithTheProgramsIconAndTakesNoFocus)
{
    mSplash.SetIcon(128);
    mSplash.Start();
    const Window window = mSplash.GetWindow();
    ASSERT_NE(window, 0u);
    int x = 0;
    int y = 0;
    Window child = 0;
    XTranslateCoordinates(mServer, window, DefaultRootWindow(mServer), 0, 0, &x, &y, &child);
    EXPECT_EQ(x, (kScreenWidth - kWidth) / 2);
    EXPECT_EQ(y, (kScreenHeight - kHeight) / 2);
    XWindowAttributes attributes{};
    ASSERT_NE(XGetWindowAttributes(mServer, window, &attributes), 0);
    EXPECT_EQ(attributes.map_state, IsViewable);
    EXPECT_EQ(attributes.depth, ServerHasArgb() ? 32 : DefaultDepth(mServer, 0));

    // _NET_WM_ICON: 16 x 16, its left half opaque red, its right half blue at half alpha.
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(mServer, window, XInternAtom(mServer, "_NET_WM_ICON", False), 0,
                                 1024, False, XA_CARDINAL, &type, &format, &count, &after, &data),
              Success);
    ASSERT_NE(data, nullptr);
    // Format 32 items come as longs, sign-extended: the low 32 bits are the value.
    std::vector<std::uint32_t> icon;
    for (unsigned long i = 0; i < count; ++i)
    {
        icon.push_back(static_cast<std::uint32_t>(reinterpret_cast<const unsigned long*>(data)[i]));
    }
    XFree(data);
    ASSERT_EQ(count, 2u + 16 * 16);
    EXPECT_EQ(icon[0], 16u);
    EXPECT_EQ(icon[1], 16u);
    EXPECT_EQ(icon[2 + 0], 0xFFFF0000u);
    EXPECT_EQ(icon[2 + 15 * 16 + 7], 0xFFFF0000u);
    EXPECT_EQ(icon[2 + 12] & 0x00FFFFFFu, 0x000000FFu);
    EXPECT_NEAR(static_cast<double>(icon[2 + 12] >> 24), 128.0, 1.0);

    XWMHints* hints = XGetWMHints(mServer, window);
    ASSERT_NE(hints, nullptr);
    EXPECT_TRUE((hints->flags & InputHint) != 0 && hints->input == False);
    XFree(hints);
    XClassHint windowClass{};
    ASSERT_NE(XGetClassHint(mServer, window, &windowClass), 0);
    EXPECT_STREQ(windowClass.res_class, "SplashWnd");
    XFree(windowClass.res_name);
    XFree(windowClass.res_class);
}

TEST_F(SplashScreenTest, AnExplicitPositionStopsTheStepping)
{
    mSplash.Start();
    mSplash.SetProgress(0, 100, 5);
    ASSERT_TRUE(PollFor([&] { return mSplash.IsStepping(); }));
    Tick();
    ASSERT_TRUE(WaitForPosition(5));
    EXPECT_TRUE(mSplash.IsStepping());
    mSplash.PostStop(50);
    ASSERT_TRUE(WaitForPosition(50));
    // The timer stopped before 50 was drawn: ticks find no timer to fire.
    EXPECT_FALSE(mSplash.IsStepping());
    EXPECT_TRUE(WaitForPixel(kMargin + kBarWidth / 2 - 2, kBarTop + 8, kBarColor));
    EXPECT_EQ(Capture().At(kMargin + kBarWidth / 2 + 2, kBarTop + 8), kBarBackground);
}

TEST_F(SplashScreenTest, ZeroStepsSetThePositionOnly)
{
    mSplash.Start();
    for (const int steps : {0, -3})
    {
        mSplash.SetProgress(30, 90, steps);
        ASSERT_TRUE(WaitForPosition(30)) << steps;
        EXPECT_FALSE(mSplash.IsStepping()) << steps;
        mSplash.PostStop(0);
        ASSERT_TRUE(WaitForPosition(0));
    }
    // Positions outside the bar's range are shown at its ends.
    mSplash.PostStop(250);
    EXPECT_TRUE(WaitForPosition(100));
}

TEST_F(SplashScreenTest, TheBarColourMessageShowsTheBarInThatColour)
{
    mSplash.Start();
    // Before any position: the bar appears at 0, in the colour (0x00BBGGRR).
    mSplash.SetBarColor(0x0000C0FF);
    ASSERT_TRUE(PollFor([&] { return mSplash.GetShownBarColor() == 0xFFFFC000u; }));
    ASSERT_TRUE(WaitForPosition(0));
    EXPECT_TRUE(WaitForPixel(kMargin + 1, kBarTop + 8, kBarBackground));
    mSplash.PostStop(50);
    ASSERT_TRUE(WaitForPixel(kMargin + 1, kBarTop + 8, 0xFFFFC000u));
    const Shot shot = Capture("splash-colour.png");
    EXPECT_EQ(shot.At(kMargin + kBarWidth / 2 - 2, kBarTop + 8), 0xFFFFC000u);
    EXPECT_EQ(shot.At(kMargin + kBarWidth / 2 + 2, kBarTop + 8), kBarBackground);
}

TEST_F(SplashScreenTest, StartsOneThreadAndClosesIt)
{
    LSplashScreen unstarted;
    unstarted.Close();
    EXPECT_EQ(unstarted.GetWindow(), 0u);
    EXPECT_TRUE(unstarted.GetTitle().IsEmpty());
    unstarted.Start();
    EXPECT_EQ(unstarted.GetThreadId(), 0u) << "no image, no thread";

    mSplash.Start();
    const DWORD thread = mSplash.GetThreadId();
    const Window window = mSplash.GetWindow();
    ASSERT_NE(window, 0u);
    mSplash.Start();
    EXPECT_EQ(mSplash.GetThreadId(), thread);
    EXPECT_EQ(mSplash.GetWindow(), window);
    mSplash.Close();
    EXPECT_EQ(mSplash.GetThreadId(), 0u);
    EXPECT_EQ(mSplash.GetWindow(), 0u);
    // The window has gone from the server.
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    ASSERT_NE(XQueryTree(mServer, DefaultRootWindow(mServer), &root, &parent, &children, &count),
              0);
    for (unsigned int i = 0; i < count; ++i)
    {
        EXPECT_NE(children[i], window);
    }
    XFree(children);
    // Requests after the close go nowhere.
    mSplash.SetProgress(0, 100, 5);
    mSplash.PostStop(10);
}

TEST_F(SplashScreenTest, WithoutAnXServerStartReturnsWithoutASplash)
{
    setenv("DISPLAY", ":65000", 1);
    const auto before = std::chrono::steady_clock::now();
    mSplash.Start();
    // At once, not after the start time-out.
    EXPECT_LT(std::chrono::steady_clock::now() - before,
              std::chrono::milliseconds(LSplashScreen::kStartTimeout));
    EXPECT_EQ(mSplash.GetThreadId(), 0u);
    EXPECT_EQ(mSplash.GetWindow(), 0u);
    mSplash.SetProgress(0, 100, 5);
    mSplash.Close();
}
