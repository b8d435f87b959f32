// Input and messages reach a message loop that reads the window system only when something may
// have come: a real window on an X display the test starts itself (Xvfb), clicked through the
// server (XTest) after the connection has been quiet for a while.
#include "platform/Kernel.h"
#include "platform/User32.h"

#include "VirtualDisplay.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <atomic>
#include <thread>

namespace
{
constexpr UINT kFromThread = WM_APP + 1;
constexpr LRESULT kAnswer = 42;
constexpr int kLeft = 40;
constexpr int kTop = 30;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kFromThread)
    {
        return kAnswer;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Clicks the left button at a point of the screen through the server, from a connection of the
// caller's own.
void Click(const std::string& displayName, int x, int y)
{
    ::Display* display = XOpenDisplay(displayName.c_str());
    ASSERT_NE(display, nullptr);
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, 0);
    XTestFakeButtonEvent(display, 1, True, 0);
    XTestFakeButtonEvent(display, 1, False, 0);
    XSync(display, False);
    XCloseDisplay(display);
}

class IdleInputDisplay : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mDisplay.Start(640, 480)) << "Xvfb did not start";
        mDisplay.UseForThisProcess();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.lpszClassName = L"OrvIdleInputTestWindow";
        ASSERT_NE(RegisterClassW(&windowClass), 0);
        mWindow =
            CreateWindowExW(0, L"OrvIdleInputTestWindow", L"idle input test", WS_POPUP | WS_VISIBLE,
                            kLeft, kTop, 320, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(mWindow, nullptr);
        // Messages are taken for half a second, longer than the window system reads after
        // traffic on the connection: from then on a look reads it only when it has data.
        ASSERT_NE(SetTimer(mWindow, 1, 20, nullptr), 0u);
        MSG msg{};
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < 500 && GetMessageW(&msg, nullptr, 0, 0) > 0)
        {
            DispatchMessageW(&msg);
        }
        KillTimer(mWindow, 1);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            DispatchMessageW(&msg);
        }
    }

    void TearDown() override
    {
        if (mWindow != nullptr)
        {
            DestroyWindow(mWindow);
        }
    }

    OrvTest::VirtualDisplay mDisplay;
    HWND mWindow = nullptr;
};
} // namespace

// A loop that only peeks, as a message loop does between its idle passes, gets a message another
// thread posts and a click made on the server, without ever waiting for messages.
TEST_F(IdleInputDisplay, APeekingLoopGetsAPostFromAnotherThreadAndAClick)
{
    std::thread poster([&] { PostMessageW(mWindow, kFromThread, 7, 0); });
    poster.join();
    Click(mDisplay.Name(), kLeft + 160, kTop + 100);

    bool posted = false;
    bool clicked = false;
    MSG msg{};
    const DWORD start = GetTickCount();
    while (!clicked && GetTickCount() - start < 5000)
    {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            continue;
        }
        if (msg.hwnd == mWindow && msg.message == kFromThread)
        {
            EXPECT_FALSE(clicked) << "a posted message comes before input";
            EXPECT_EQ(msg.wParam, 7u);
            posted = true;
        }
        if (msg.hwnd == mWindow && msg.message == WM_LBUTTONDOWN)
        {
            EXPECT_EQ(msg.lParam, MAKELPARAM(160, 100));
            clicked = true;
        }
        DispatchMessageW(&msg);
    }
    EXPECT_TRUE(posted);
    EXPECT_TRUE(clicked);
}

// A loop that waits in GetMessageW handles a message another thread sends meanwhile (the sender
// gets its answer) and then takes a click made on the server; the timer only ends the test when
// one of them never comes.
TEST_F(IdleInputDisplay, AWaitingLoopAnswersAnotherThreadAndGetsAClick)
{
    std::atomic<LRESULT> answer{0};
    std::thread other(
        [&]
        {
            answer = SendMessageW(mWindow, kFromThread, 0, 0);
            Click(mDisplay.Name(), kLeft + 10, kTop + 20);
        });
    ASSERT_NE(SetTimer(mWindow, 2, 5000, nullptr), 0u);
    bool clicked = false;
    MSG msg{};
    while (!clicked && GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        if (msg.hwnd == mWindow && msg.message == WM_TIMER && msg.wParam == 2)
        {
            break;
        }
        if (msg.hwnd == mWindow && msg.message == WM_LBUTTONDOWN)
        {
            EXPECT_EQ(msg.lParam, MAKELPARAM(10, 20));
            clicked = true;
        }
        DispatchMessageW(&msg);
    }
    KillTimer(mWindow, 2);
    other.join();
    EXPECT_EQ(answer.load(), kAnswer);
    EXPECT_TRUE(clicked);
}
