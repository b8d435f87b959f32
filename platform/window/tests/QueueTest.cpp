#include "WindowTestSupport.h"

#include "platform/Kernel.h"

#include <thread>

using namespace OrvTest;

TEST(WindowQueue, PostedThenQuitThenInputThenPaintThenTimer)
{
    OrvPlatform::Window::SetTimerClock(&TestClock::Read);
    Recorder recorder;
    HWND window = MakeWindow(recorder, 0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
    PumpAll();
    SetTimer(window, 7, 100, nullptr);
    TestClock::now += 200;
    PushMotion(window, 5, 5);
    InvalidateRect(window, nullptr, FALSE);
    PostMessageW(window, WM_USER + 1, 0, 0);
    PostQuitMessage(3);
    PostMessageW(window, WM_USER + 2, 0, 0);

    std::vector<UINT> order;
    MSG msg{};
    for (int i = 0; i < 20 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
    {
        order.push_back(msg.message);
        if (msg.message == WM_QUIT)
        {
            EXPECT_EQ(msg.wParam, 3u);
        }
        if (msg.message == WM_TIMER)
        {
            EXPECT_EQ(msg.wParam, 7u);
            break;
        }
        DispatchMessageW(&msg);
    }
    EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_QUIT, WM_MOUSEMOVE, WM_PAINT,
                                        WM_TIMER}));
    KillTimer(window, 7);
    DestroyWindow(window);
    OrvPlatform::Window::SetTimerClock(nullptr);
}

TEST(WindowQueue, FiltersAndPeekingWithoutRemoving)
{
    Recorder first;
    Recorder second;
    HWND a = MakeWindow(first);
    HWND b = MakeWindow(second);
    PumpAll();
    PostMessageW(a, WM_USER, 1, 0);
    PostMessageW(b, WM_USER + 5, 2, 0);
    PostMessageW(nullptr, WM_APP, 3, 0);

    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageW(&msg, b, 0, 0, PM_REMOVE));
    // Thread messages only.
    ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_APP);
    EXPECT_EQ(msg.hwnd, nullptr);
    // A range that leaves the message out.
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 1, WM_USER + 10, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, a);
    EXPECT_EQ(PeekMessageW(&msg, reinterpret_cast<HWND>(0x7777), 0, 0, PM_REMOVE), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
    DestroyWindow(a);
    DestroyWindow(b);
}

TEST(WindowQueue, AnotherThreadPostsAndSendsIntoTheLoop)
{
    Recorder recorder;
    recorder.handler = [](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
    {
        if (message == WM_USER + 3)
        {
            result = static_cast<LRESULT>(wParam * 2);
            return true;
        }
        if (message == WM_USER + 4)
        {
            PostQuitMessage(0);
            return true;
        }
        return false;
    };
    HWND window = MakeWindow(recorder);
    PumpAll();
    const DWORD uiThread = GetCurrentThreadId();
    std::atomic<LRESULT> sentResult{0};
    std::thread other(
        [&]
        {
            // The window's procedure runs on its own thread; the sender waits for the answer.
            sentResult = SendMessageW(window, WM_USER + 3, 21, 0);
            PostThreadMessageW(uiThread, WM_APP + 1, 9, 0);
            PostMessageW(window, WM_USER + 4, 0, 0);
        });
    std::vector<UINT> seen;
    MSG msg{};
    const DWORD start = GetTickCount();
    while (GetMessageW(&msg, nullptr, 0, 0) > 0 && GetTickCount() - start < 10000)
    {
        seen.push_back(msg.message);
        DispatchMessageW(&msg);
    }
    other.join();
    EXPECT_EQ(sentResult.load(), 42);
    EXPECT_EQ(recorder.Of(WM_USER + 3).size(), 1u);
    EXPECT_NE(std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_APP + 1)), seen.end());
    EXPECT_EQ(recorder.Of(WM_USER + 4).size(), 1u);
    EXPECT_FALSE(PostThreadMessageW(0xFFFFFFF0u, WM_APP, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
    DestroyWindow(window);
}

TEST(WindowQueue, CopyDataReachesAnotherWindowOfTheProcess)
{
    Recorder receiver;
    std::string received;
    receiver.handler = [&](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT& result)
    {
        if (message == WM_COPYDATA)
        {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
            if (data->dwData == 1125)
            {
                received.assign(static_cast<const char*>(data->lpData), data->cbData);
            }
            result = TRUE;
            return true;
        }
        return false;
    };
    Recorder senderRecorder;
    HWND target = MakeWindow(receiver);
    HWND sender = MakeWindow(senderRecorder);
    const char text[] = "-SILENT";
    COPYDATASTRUCT data{1125, sizeof(text), const_cast<char*>(text)};
    EXPECT_EQ(SendMessageW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                           reinterpret_cast<LPARAM>(&data)),
              TRUE);
    EXPECT_EQ(received, std::string(text, sizeof(text)));
    DestroyWindow(target);
    DestroyWindow(sender);
}

TEST(WindowQueue, TranslateTypesControlCharacters)
{
    Recorder recorder;
    HWND window = MakeWindow(recorder, 0, 0, 50, 50, WS_POPUP | WS_VISIBLE);
    PumpAll();
    recorder.messages.clear();
    PushKey(window, SDL_SCANCODE_RETURN, SDLK_RETURN, true);
    PushKey(window, SDL_SCANCODE_RETURN, SDLK_RETURN, false);
    PushKey(window, SDL_SCANCODE_LCTRL, SDLK_LCTRL, true);
    PushKey(window, SDL_SCANCODE_A, SDLK_a, true);
    PushKey(window, SDL_SCANCODE_A, SDLK_a, false);
    PushKey(window, SDL_SCANCODE_LCTRL, SDLK_LCTRL, false);
    PumpAll();
    std::vector<WPARAM> characters;
    for (const Received& r : recorder.Of(WM_CHAR))
    {
        characters.push_back(r.wParam);
    }
    EXPECT_EQ(characters, (std::vector<WPARAM>{13, 1}));
    DestroyWindow(window);
}
