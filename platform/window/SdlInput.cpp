// The window system's events as messages: pointer, buttons, wheel, keys, typed text and the
// changes the window system makes to a window.
#include "KeyMap.h"
#include "Utf8Text.h"
#include "WindowSystem.h"

#include "platform/Kernel.h"

#include <cmath>
#include <cstring>

using namespace OrvPlatform::Window::Detail;

namespace
{
std::shared_ptr<WindowRecord> FindBySdlId(WindowSystem& system, Uint32 id)
{
    for (const auto& [handle, record] : system.windows)
    {
        if (record->sdlId == id && !record->destroying)
        {
            return record;
        }
    }
    return nullptr;
}

QueuedMessage Make(WindowSystem& system, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    QueuedMessage queued;
    queued.msg.hwnd = window;
    queued.msg.message = message;
    queued.msg.wParam = wParam;
    queued.msg.lParam = lParam;
    queued.msg.time = GetTickCount();
    queued.msg.pt = system.cursor;
    return queued;
}

void SetKey(WindowSystem& system, int key, bool down)
{
    if (key == 0)
    {
        return;
    }
    BYTE& state = system.asyncKeys[key & 0xFF];
    state = static_cast<BYTE>(down ? (state | 0x80) : (state & ~0x80));
}

bool IsDown(const WindowSystem& system, int key)
{
    return (system.asyncKeys[key & 0xFF] & 0x80) != 0;
}

// The window that receives the pointer's input: the capture window, else the window under the
// pointer when it takes input.
std::shared_ptr<WindowRecord> PointerTarget(WindowSystem& system,
                                            const std::shared_ptr<WindowRecord>& under)
{
    if (auto captured = system.Find(system.capture))
    {
        return captured;
    }
    if (under && under->enabled)
    {
        return under;
    }
    return nullptr;
}

// The window that receives key input: the focus window, else the active window.
std::shared_ptr<WindowRecord> KeyTarget(WindowSystem& system, bool& system_key)
{
    if (auto focused = system.Find(system.focus); focused && focused->enabled)
    {
        return focused;
    }
    system_key = true;
    auto active = system.Find(system.active);
    return active && active->enabled ? active : nullptr;
}

void RouteMotion(WindowSystem& system, const SDL_MouseMotionEvent& motion)
{
    auto under = FindBySdlId(system, motion.windowID);
    if (!under)
    {
        return;
    }
    system.cursor = POINT{under->clientOrigin.x + motion.x, under->clientOrigin.y + motion.y};
    auto target = PointerTarget(system, under);
    if (!target)
    {
        return;
    }
    const int x = system.cursor.x - target->clientOrigin.x;
    const int y = system.cursor.y - target->clientOrigin.y;
    system.Post(target->thread,
                Make(system, target->handle, WM_MOUSEMOVE, MouseKeyFlags(system.asyncKeys),
                     MAKELPARAM(x, y)),
                true);
}

void RouteButton(WindowSystem& system, const SDL_MouseButtonEvent& button)
{
    int key = 0;
    UINT down = 0;
    switch (button.button)
    {
        case SDL_BUTTON_LEFT:
            key = VK_LBUTTON;
            down = WM_LBUTTONDOWN;
            break;
        case SDL_BUTTON_MIDDLE:
            key = VK_MBUTTON;
            down = WM_MBUTTONDOWN;
            break;
        case SDL_BUTTON_RIGHT:
            key = VK_RBUTTON;
            down = WM_RBUTTONDOWN;
            break;
        default:
            return;
    }
    auto under = FindBySdlId(system, button.windowID);
    if (!under)
    {
        return;
    }
    const bool pressed = button.state == SDL_PRESSED;
    SetKey(system, key, pressed);
    system.cursor = POINT{under->clientOrigin.x + button.x, under->clientOrigin.y + button.y};
    auto target = PointerTarget(system, under);
    if (!target)
    {
        return;
    }
    UINT message = pressed ? down : down + 1;
    if (pressed)
    {
        // A press on an inactive window activates it first.
        if (system.capture == nullptr && system.active != target->handle)
        {
            system.SendLater(target->handle, kActivateFromSystem, WA_CLICKACTIVE, 0);
        }
        if (button.clicks >= 2 && button.clicks % 2 == 0 &&
            (target->windowClass->style & CS_DBLCLKS) != 0)
        {
            message = down + 2;
        }
    }
    const int x = system.cursor.x - target->clientOrigin.x;
    const int y = system.cursor.y - target->clientOrigin.y;
    system.Post(
        target->thread,
        Make(system, target->handle, message, MouseKeyFlags(system.asyncKeys), MAKELPARAM(x, y)),
        true);
}

void RouteWheel(WindowSystem& system, const SDL_MouseWheelEvent& wheel)
{
    auto under = FindBySdlId(system, wheel.windowID);
    if (!under)
    {
        return;
    }
    system.cursor =
        POINT{under->clientOrigin.x + wheel.mouseX, under->clientOrigin.y + wheel.mouseY};
    auto target = PointerTarget(system, under);
    if (!target)
    {
        return;
    }
    const float flip = wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1.0f : 1.0f;
    const LPARAM where = MAKELPARAM(system.cursor.x, system.cursor.y);
    const WPARAM keys = MouseKeyFlags(system.asyncKeys);
    const long vertical = std::lround(wheel.preciseY * flip * static_cast<float>(WHEEL_DELTA));
    const long horizontal = std::lround(wheel.preciseX * flip * static_cast<float>(WHEEL_DELTA));
    if (vertical != 0)
    {
        system.Post(target->thread,
                    Make(system, target->handle, WM_MOUSEWHEEL,
                         MAKEWPARAM(static_cast<int>(keys), static_cast<int>(vertical)), where),
                    true);
    }
    if (horizontal != 0)
    {
        system.Post(target->thread,
                    Make(system, target->handle, WM_MOUSEHWHEEL,
                         MAKEWPARAM(static_cast<int>(keys), static_cast<int>(horizontal)), where),
                    true);
    }
}

void RouteKey(WindowSystem& system, const SDL_KeyboardEvent& event)
{
    const VirtualKey key = MapKey(event.keysym);
    if (key.key == 0)
    {
        return;
    }
    const bool pressed = event.state == SDL_PRESSED;
    const bool wasDown = IsDown(system, key.specific != 0 ? key.specific : key.key);
    SetKey(system, key.specific, pressed);
    if (key.specific != 0)
    {
        SetKey(system, VK_SHIFT, IsDown(system, VK_LSHIFT) || IsDown(system, VK_RSHIFT));
        SetKey(system, VK_CONTROL, IsDown(system, VK_LCONTROL) || IsDown(system, VK_RCONTROL));
        SetKey(system, VK_MENU, IsDown(system, VK_LMENU) || IsDown(system, VK_RMENU));
    }
    else
    {
        SetKey(system, key.key, pressed);
    }
    bool systemKey = false;
    auto target = KeyTarget(system, systemKey);
    if (!target)
    {
        return;
    }
    const bool alt = key.key == VK_MENU || IsDown(system, VK_MENU);
    const bool control = IsDown(system, VK_CONTROL);
    systemKey = systemKey || (alt && !control) || key.key == VK_F10;
    LPARAM data = 1;
    data |= static_cast<LPARAM>(event.keysym.scancode & 0xFF) << 16;
    data |= key.extended ? (1L << 24) : 0;
    data |= alt && !control ? (1L << 29) : 0;
    data |= (pressed ? (event.repeat != 0 || wasDown) : true) ? (1L << 30) : 0;
    data |= pressed ? 0 : (1L << 31);
    const UINT message =
        systemKey ? (pressed ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (pressed ? WM_KEYDOWN : WM_KEYUP);
    QueuedMessage queued = Make(system, target->handle, message, static_cast<WPARAM>(key.key),
                                static_cast<LPARAM>(static_cast<DWORD>(data)));
    queued.specificKey = key.specific;
    system.Post(target->thread, queued, true);
}

void RouteText(WindowSystem& system, const SDL_TextInputEvent& text)
{
    auto target = system.Find(system.focus);
    if (!target || !target->enabled)
    {
        return;
    }
    const LPARAM data = 1 | (IsDown(system, VK_MENU) ? (1L << 29) : 0);
    for (wchar_t character : DecodeUtf8(text.text, std::strlen(text.text)))
    {
        system.Post(target->thread,
                    Make(system, target->handle, WM_CHAR, static_cast<WPARAM>(character), data),
                    true);
    }
}

void RouteWindowEvent(WindowSystem& system, const SDL_WindowEvent& event)
{
    auto record = FindBySdlId(system, event.windowID);
    if (!record)
    {
        return;
    }
    HWND window = record->handle;
    switch (event.event)
    {
        case SDL_WINDOWEVENT_EXPOSED:
            AddUpdate(system, *record, nullptr, true);
            break;
        case SDL_WINDOWEVENT_MOVED:
        {
            int top = 0;
            int left = 0;
            int bottom = 0;
            int right = 0;
            if (SDL_GetWindowBordersSize(record->sdl, &top, &left, &bottom, &right) == 0)
            {
                record->frame = RECT{left, top, right, bottom};
            }
            if (event.data1 != record->clientOrigin.x || event.data2 != record->clientOrigin.y)
            {
                record->clientOrigin = POINT{event.data1, event.data2};
                if (!record->minimized && !record->maximized)
                {
                    record->normal = WindowRectOf(*record);
                }
                system.SendLater(window, WM_MOVE, 0, MAKELPARAM(event.data1, event.data2));
            }
            break;
        }
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (ResizeClient(*record, event.data1, event.data2))
            {
                if (!record->minimized && !record->maximized)
                {
                    record->normal = WindowRectOf(*record);
                }
                system.SendLater(window, WM_SIZE,
                                 record->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                                 MAKELPARAM(record->width, record->height));
            }
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            if (!record->minimized)
            {
                record->minimized = true;
                system.SendLater(window, WM_SIZE, SIZE_MINIMIZED, 0);
            }
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
            if (!record->maximized)
            {
                record->maximized = true;
                record->minimized = false;
                system.SendLater(window, WM_SIZE, SIZE_MAXIMIZED,
                                 MAKELPARAM(record->width, record->height));
            }
            break;
        case SDL_WINDOWEVENT_RESTORED:
            if (record->maximized || record->minimized)
            {
                record->maximized = false;
                record->minimized = false;
                system.SendLater(window, WM_SIZE, SIZE_RESTORED,
                                 MAKELPARAM(record->width, record->height));
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (system.active != window && record->enabled)
            {
                system.SendLater(window, kActivateFromSystem, WA_ACTIVE, 0);
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            if (system.active == window)
            {
                system.SendLater(window, kDeactivateFromSystem, 0, 0);
            }
            break;
        case SDL_WINDOWEVENT_CLOSE:
            system.SendLater(window, WM_SYSCOMMAND, SC_CLOSE,
                             MAKELPARAM(system.cursor.x, system.cursor.y));
            break;
        default:
            break;
    }
}
} // namespace

namespace OrvPlatform::Window::Detail
{
void RouteEvent(WindowSystem& system, const SDL_Event& event)
{
    switch (event.type)
    {
        case SDL_WINDOWEVENT:
            RouteWindowEvent(system, event.window);
            break;
        case SDL_MOUSEMOTION:
            RouteMotion(system, event.motion);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            RouteButton(system, event.button);
            break;
        case SDL_MOUSEWHEEL:
            RouteWheel(system, event.wheel);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            RouteKey(system, event.key);
            break;
        case SDL_TEXTINPUT:
            RouteText(system, event.text);
            break;
        case SDL_CLIPBOARDUPDATE:
            // Another client took the clipboard (the X selection is lost): its owner here hears
            // that its content is gone, as when another program empties the clipboard.
            if (system.clipboardOwner != nullptr)
            {
                const HWND owner = system.clipboardOwner;
                system.clipboardOwner = nullptr;
                if (system.Find(owner))
                {
                    system.SendLater(owner, WM_DESTROYCLIPBOARD, 0, 0);
                }
            }
            break;
        case SDL_DISPLAYEVENT:
            for (const auto& [handle, record] : system.windows)
            {
                if (!record->destroying)
                {
                    system.SendLater(handle, WM_DISPLAYCHANGE, 32, 0);
                }
            }
            break;
        default:
            break;
    }
}
} // namespace OrvPlatform::Window::Detail
