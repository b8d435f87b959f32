// A window class whose procedure records every message, for the tests of the window services.
#pragma once

#include "WindowSystem.h"

#include "platform/Kernel.h"
#include "platform/User32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>

namespace OrvTest
{
struct Received
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Records the messages of one window. Handlers answer chosen messages; every other message goes
// to the default procedure.
struct Recorder
{
    std::vector<Received> messages;
    std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)> handler;

    std::vector<Received> Of(UINT message) const
    {
        std::vector<Received> found;
        for (const Received& r : messages)
        {
            if (r.message == message)
            {
                found.push_back(r);
            }
        }
        return found;
    }
    std::vector<UINT> Sequence(std::initializer_list<UINT> wanted) const
    {
        std::vector<UINT> found;
        for (const Received& r : messages)
        {
            for (UINT w : wanted)
            {
                if (r.message == w)
                {
                    found.push_back(r.message);
                }
            }
        }
        return found;
    }
};

inline LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* recorder = reinterpret_cast<Recorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (recorder != nullptr)
    {
        recorder->messages.push_back(Received{message, wParam, lParam});
        LRESULT result = 0;
        if (recorder->handler && recorder->handler(window, message, wParam, lParam, result))
        {
            return result;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

inline const wchar_t* kRecordingClass = L"OrvTestRecordingWindow";
inline const wchar_t* kDoubleClickClass = L"OrvTestDoubleClickWindow";

inline void RegisterRecordingClasses()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RecordingProcedure;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kRecordingClass;
    RegisterClassW(&windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpszClassName = kDoubleClickClass;
    RegisterClassW(&windowClass);
}

inline HWND MakeWindow(Recorder& recorder, int x = 100, int y = 50, int width = 200,
                       int height = 120, DWORD style = WS_POPUP,
                       const wchar_t* windowClass = kRecordingClass)
{
    RegisterRecordingClasses();
    return CreateWindowExW(0, windowClass, L"test", style, x, y, width, height, nullptr, nullptr,
                           nullptr, &recorder);
}

// Dispatches every message there is now.
inline void PumpAll()
{
    MSG msg{};
    for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The window system's id of a window, for events a test puts into SDL's queue.
inline Uint32 SdlIdOf(HWND window)
{
    auto& system = OrvPlatform::Window::Detail::WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    return record ? record->sdlId : 0;
}

inline void PushEvent(SDL_Event event)
{
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
}

inline void PushMotion(HWND window, int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = SdlIdOf(window);
    event.motion.x = x;
    event.motion.y = y;
    PushEvent(event);
}

inline void PushButton(HWND window, Uint8 button, bool pressed, int x, int y, Uint8 clicks = 1)
{
    SDL_Event event{};
    event.type = pressed ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = SdlIdOf(window);
    event.button.button = button;
    event.button.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = clicks;
    event.button.x = x;
    event.button.y = y;
    PushEvent(event);
}

inline void PushKey(HWND window, SDL_Scancode scancode, SDL_Keycode key, bool pressed,
                    bool repeat = false)
{
    SDL_Event event{};
    event.type = pressed ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = SdlIdOf(window);
    event.key.state = pressed ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = key;
    PushEvent(event);
}

// A clock the test moves.
struct TestClock
{
    static inline std::atomic<DWORD> now{1000};
    static DWORD Read() { return now.load(); }
};
} // namespace OrvTest
