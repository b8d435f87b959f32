// Activation, keyboard focus, mouse capture, key state and the pointer's position.
#include "WindowSystem.h"

#include "platform/Kernel.h"

#include <algorithm>

using namespace OrvPlatform::Window::Detail;

namespace OrvPlatform::Window::Detail
{
HWND Activate(HWND window, bool fromSystem, WORD how)
{
    WindowSystem& system = WindowSystem::Get();
    HWND previous = nullptr;
    SDL_Window* sdl = nullptr;
    bool minimized = false;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        previous = system.active;
        if (window == previous)
        {
            return previous;
        }
        if (window != nullptr)
        {
            auto record = system.Find(window);
            if (!record || !record->enabled)
            {
                SetLastError(record ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            sdl = record->sdl;
            minimized = record->minimized;
            std::erase(system.zOrder, window);
            system.zOrder.insert(system.zOrder.begin(), window);
            // The owners remember their last active pop-up.
            for (auto owner = system.Find(record->owner); owner; owner = system.Find(owner->owner))
            {
                owner->lastActivePopup = window;
            }
        }
        system.active = window;
    }
    if (previous != nullptr)
    {
        SendMessageW(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0),
                     reinterpret_cast<LPARAM>(window));
    }
    if (window != nullptr)
    {
        if (!fromSystem && sdl != nullptr)
        {
            SdlLock lock;
            SDL_RaiseWindow(sdl);
        }
        SendMessageW(window, WM_ACTIVATE, MAKEWPARAM(how, minimized ? 1 : 0),
                     reinterpret_cast<LPARAM>(previous));
    }
    // A focus left in a window that is no longer active goes away.
    HWND lost = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        if (system.focus != nullptr && system.focus != system.active)
        {
            lost = system.focus;
            system.focus = nullptr;
        }
    }
    if (lost != nullptr)
    {
        SendMessageW(lost, WM_KILLFOCUS, 0, 0);
    }
    return previous;
}
} // namespace OrvPlatform::Window::Detail

HWND SetActiveWindow(HWND window)
{
    return Activate(window, false, WA_ACTIVE);
}

HWND GetActiveWindow()
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    return system.active;
}

BOOL SetForegroundWindow(HWND window)
{
    if (!IsWindow(window))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Activate(window, false, WA_ACTIVE);
    return GetActiveWindow() == window ? TRUE : FALSE;
}

HWND GetForegroundWindow()
{
    return GetActiveWindow();
}

HWND SetFocus(HWND window)
{
    WindowSystem& system = WindowSystem::Get();
    bool activate = false;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        if (window != nullptr)
        {
            auto record = system.Find(window);
            if (!record || !record->enabled)
            {
                SetLastError(record ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            activate = system.active != window;
        }
    }
    if (activate)
    {
        Activate(window, false, WA_ACTIVE);
    }
    HWND previous = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        previous = system.focus;
        if (previous == window)
        {
            return previous;
        }
        system.focus = window;
    }
    if (previous != nullptr)
    {
        SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    }
    if (window != nullptr)
    {
        SendMessageW(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

HWND GetFocus()
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    return system.focus;
}

HWND SetCapture(HWND window)
{
    WindowSystem& system = WindowSystem::Get();
    HWND previous = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        if (!system.Find(window))
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        previous = system.capture;
        system.capture = window;
    }
    if (system.HasVideo())
    {
        SdlLock lock;
        SDL_CaptureMouse(SDL_TRUE);
    }
    if (previous != nullptr && previous != window)
    {
        SendMessageW(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
    }
    return previous;
}

BOOL ReleaseCapture()
{
    WindowSystem& system = WindowSystem::Get();
    HWND previous = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        previous = system.capture;
        system.capture = nullptr;
    }
    if (previous != nullptr)
    {
        if (system.HasVideo())
        {
            SdlLock lock;
            SDL_CaptureMouse(SDL_FALSE);
        }
        SendMessageW(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

HWND GetCapture()
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    return system.capture;
}

SHORT GetKeyState(int virtualKey)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    const BYTE state = system.keys[virtualKey & 0xFF];
    return static_cast<SHORT>(((state & 0x80) != 0 ? 0x8000 : 0) | (state & 0x01));
}

BOOL SetKeyboardState(PBYTE keyState)
{
    if (keyState == nullptr)
    {
        return FALSE;
    }
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    std::copy_n(keyState, 256, system.keys);
    return TRUE;
}

SHORT GetAsyncKeyState(int virtualKey)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    return static_cast<SHORT>((system.asyncKeys[virtualKey & 0xFF] & 0x80) != 0 ? 0x8000 : 0);
}

BOOL GetCursorPos(LPPOINT point)
{
    if (point == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    *point = system.cursor;
    return TRUE;
}

BOOL SetCursorPos(int x, int y)
{
    WindowSystem& system = WindowSystem::Get();
    HWND target = WindowFromPoint(POINT{x, y});
    SDL_Window* sdl = nullptr;
    POINT local{};
    {
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = system.Find(target);
        if (!record)
        {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        sdl = record->sdl;
        local = POINT{x - record->clientOrigin.x, y - record->clientOrigin.y};
        system.cursor = POINT{x, y};
    }
    SdlLock lock;
    SDL_WarpMouseInWindow(sdl, local.x, local.y);
    return TRUE;
}
