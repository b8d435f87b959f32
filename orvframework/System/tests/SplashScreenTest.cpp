// The splash screen: its window on this (the UI) thread, its progress stepped by its own thread
// on a timer clock the test moves. Nothing waits on real time to see that nothing happens: the
// splash tells whether its stepping timer still runs.
#include "TestApplication.h"

#include "System/SplashScreen.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
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

constexpr int kWidth = 200;
constexpr int kHeight = 100;
// The bar: a 25th of the width as margin, 16 pixels high, 20 above the bottom.
constexpr int kMargin = kWidth / 25;
constexpr int kBarWidth = kWidth - 2 * kMargin;
constexpr int kBarTop = kHeight - 20 - 16;
constexpr std::uint32_t kImageColor = 0xFF008000;
constexpr std::uint32_t kBarColor = 0xFF2E8BFF;
constexpr std::uint32_t kBarBackground = 0xFF202020;

class SplashScreenTest : public ::testing::Test
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

    // Pumps this thread's messages until the window shows the position (at most 5 s).
    bool WaitForPosition(int position)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < end)
        {
            PumpMessages();
            if (mSplash.GetShownPosition() == position)
            {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    // One step of the stepping timer.
    void Tick() { gClock += LSplashScreen::kStepInterval; }
    // Pumps this thread's messages until the window draws the bar in the colour (at most 5 s).
    bool WaitForBarColor(std::uint32_t color)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (std::chrono::steady_clock::now() < end)
        {
            PumpMessages();
            if (mSplash.GetShownBarColor() == color)
            {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    std::vector<std::uint32_t> Pixels()
    {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth * kHeight));
        EXPECT_TRUE(OrvPlatform::Window::ReadClientPixels(mSplash.GetWindow(), pixels.data(),
                                                          kWidth, kHeight));
        return pixels;
    }
    static std::uint32_t At(const std::vector<std::uint32_t>& pixels, int x, int y)
    {
        return pixels[static_cast<std::size_t>(y * kWidth + x)];
    }

    GdiplusSession mGdiplus;
    LSplashScreen mSplash;
};
} // namespace

TEST_F(SplashScreenTest, TheBarStepsOnItsOwnThreadAndIsDrawnByTheWindowsThread)
{
    mSplash.Start();
    ASSERT_NE(mSplash.GetWindow(), nullptr);
    ASSERT_NE(mSplash.GetThreadId(), 0u);
    EXPECT_EQ(mSplash.GetShownPosition(), -1);

    mSplash.SetProgress(0, 100, 5);
    ASSERT_TRUE(WaitForPosition(0));
    // 100 / 20 per tick, 20 ticks.
    for (int tick = 1; tick <= 20; ++tick)
    {
        Tick();
        ASSERT_TRUE(WaitForPosition(tick * 5))
            << "tick " << tick << " shows " << mSplash.GetShownPosition();
        if (tick == 10)
        {
            const std::vector<std::uint32_t> pixels = Pixels();
            SavePng(pixels.data(), kWidth, kHeight,
                    std::string(ORV_TEST_ARTEFACTS) + "/splash-half.png");
            EXPECT_EQ(At(pixels, 5, 5), kImageColor);
            EXPECT_EQ(At(pixels, kMargin - 1, kBarTop + 8), kImageColor);
            EXPECT_EQ(At(pixels, kMargin + 1, kBarTop + 8), kBarColor);
            EXPECT_EQ(At(pixels, kMargin + kBarWidth / 2 - 2, kBarTop + 8), kBarColor);
            EXPECT_EQ(At(pixels, kMargin + kBarWidth / 2 + 2, kBarTop + 8), kBarBackground);
            EXPECT_EQ(At(pixels, kMargin + kBarWidth - 1, kBarTop + 15), kBarBackground);
            EXPECT_EQ(At(pixels, kMargin + 10, kBarTop - 1), kImageColor);
            EXPECT_EQ(At(pixels, kMargin + 10, kBarTop + 16), kImageColor);
        }
    }
    // The stepping ended with the last tick: its timer stopped before the last position was
    // sent, so no later tick can move the bar.
    EXPECT_FALSE(mSplash.IsStepping());
    Tick();
    PumpMessages();
    EXPECT_EQ(mSplash.GetShownPosition(), 100);
    const std::vector<std::uint32_t> pixels = Pixels();
    EXPECT_EQ(At(pixels, kMargin + kBarWidth - 1, kBarTop + 8), kBarColor);
}

TEST_F(SplashScreenTest, AnExplicitPositionStopsTheStepping)
{
    mSplash.Start();
    mSplash.SetProgress(0, 100, 5);
    ASSERT_TRUE(WaitForPosition(0));
    Tick();
    ASSERT_TRUE(WaitForPosition(5));
    EXPECT_TRUE(mSplash.IsStepping());
    mSplash.PostStop(50);
    ASSERT_TRUE(WaitForPosition(50));
    // The timer stopped before 50 was sent: ticks find no timer to fire.
    EXPECT_FALSE(mSplash.IsStepping());
    Tick();
    Tick();
    PumpMessages();
    EXPECT_EQ(mSplash.GetShownPosition(), 50);
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
    ASSERT_TRUE(WaitForBarColor(0xFFFFC000));
    ASSERT_TRUE(WaitForPosition(0));
    mSplash.PostStop(50);
    ASSERT_TRUE(WaitForPosition(50));
    const std::vector<std::uint32_t> pixels = Pixels();
    SavePng(pixels.data(), kWidth, kHeight, std::string(ORV_TEST_ARTEFACTS) + "/splash-colour.png");
    EXPECT_EQ(At(pixels, kMargin + 1, kBarTop + 8), 0xFFFFC000u);
    EXPECT_EQ(At(pixels, kMargin + kBarWidth / 2 + 2, kBarTop + 8), kBarBackground);
}

TEST_F(SplashScreenTest, StartsOneThreadAndClosesIt)
{
    LSplashScreen unstarted;
    unstarted.Close();
    EXPECT_EQ(unstarted.GetWindow(), nullptr);
    EXPECT_TRUE(unstarted.GetTitle().IsEmpty());
    unstarted.Start();
    EXPECT_EQ(unstarted.GetThreadId(), 0u) << "no image, no thread";

    mSplash.Start();
    const DWORD thread = mSplash.GetThreadId();
    const HWND window = mSplash.GetWindow();
    mSplash.Start();
    EXPECT_EQ(mSplash.GetThreadId(), thread);
    EXPECT_EQ(mSplash.GetWindow(), window);
    EXPECT_TRUE(IsWindowVisible(window));
    mSplash.Close();
    EXPECT_EQ(mSplash.GetThreadId(), 0u);
    EXPECT_EQ(mSplash.GetWindow(), nullptr);
    EXPECT_FALSE(IsWindow(window));
    // Requests after the close go nowhere.
    mSplash.SetProgress(0, 100, 5);
    mSplash.PostStop(10);
}
