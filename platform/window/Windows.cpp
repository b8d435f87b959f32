// Windows: creation and destruction, showing, place and size, titles, owners, enabling.
#include "Utf8Text.h"
#include "WindowSystem.h"

#include "platform/DebugApi.h"
#include "platform/Gdi.h"
#include "platform/Kernel.h"

#include <algorithm>
#include <cwctype>
#include <unistd.h>

using namespace OrvPlatform::Window::Detail;

namespace
{
constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

// The desktop: a handle that is no window of the table.
HWND const kDesktop = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1000));

std::shared_ptr<WindowRecord> Lookup(HWND window)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return record;
}

bool HasFrame(DWORD style)
{
    return (style & WS_POPUP) == 0 || (style & WS_CAPTION) == WS_CAPTION ||
           (style & WS_THICKFRAME) != 0;
}

void RaiseInOrder(WindowSystem& system, HWND window)
{
    auto& order = system.zOrder;
    std::erase(order, window);
    order.insert(order.begin(), window);
}

// Removes a record from the tables and hands its SDL window back (no lock held).
void Discard(HWND window)
{
    WindowSystem& system = WindowSystem::Get();
    SDL_Window* sdl = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        auto found = system.windows.find(window);
        if (found == system.windows.end())
        {
            return;
        }
        sdl = found->second->sdl;
        found->second->windowClass->windows -= 1;
        RemoveTimers(system, window);
        std::erase(system.zOrder, window);
        for (auto& [handle, queue] : system.queues)
        {
            std::erase_if(queue->posted,
                          [&](const QueuedMessage& m) { return m.msg.hwnd == window; });
            std::erase_if(queue->input,
                          [&](const QueuedMessage& m) { return m.msg.hwnd == window; });
            for (auto& sent : queue->sent)
            {
                if (sent->window == window && sent->waited && !sent->done)
                {
                    sent->done = true;
                    if (ThreadQueue* sender = system.QueueOf(sent->sender))
                    {
                        system.Wake(*sender);
                    }
                }
            }
            std::erase_if(queue->sent, [&](const auto& sent) { return sent->window == window; });
        }
        SetWindowPixels(window, nullptr);
        system.windows.erase(found);
    }
    if (sdl != nullptr)
    {
        SdlLock lock;
        SDL_DestroyWindow(sdl);
    }
}

void SendSizeAndMove(HWND window, const WindowRecord& record)
{
    WPARAM kind =
        record.minimized ? SIZE_MINIMIZED : (record.maximized ? SIZE_MAXIMIZED : SIZE_RESTORED);
    SendMessageW(window, WM_SIZE, kind, MAKELPARAM(record.width, record.height));
    SendMessageW(window, WM_MOVE, 0, MAKELPARAM(record.clientOrigin.x, record.clientOrigin.y));
}
} // namespace

namespace OrvPlatform::Window::Detail
{
RECT WindowRectOf(const WindowRecord& record)
{
    return RECT{record.clientOrigin.x - record.frame.left, record.clientOrigin.y - record.frame.top,
                record.clientOrigin.x + record.width + record.frame.right,
                record.clientOrigin.y + record.height + record.frame.bottom};
}

bool ResizeClient(WindowRecord& record, int width, int height)
{
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == record.width && height == record.height)
    {
        return false;
    }
    record.width = width;
    record.height = height;
    LendPixels(record);
    AddUpdate(WindowSystem::Get(), record, nullptr, true);
    return true;
}

HWND NextToActivate(WindowSystem& system, HWND leaving)
{
    auto record = system.windows.find(leaving);
    if (record != system.windows.end())
    {
        auto owner = system.Find(record->second->owner);
        if (owner && owner->visible && owner->enabled)
        {
            return owner->handle;
        }
    }
    for (HWND candidate : system.zOrder)
    {
        auto other = system.Find(candidate);
        if (candidate != leaving && other && other->visible && other->enabled && !other->minimized)
        {
            return candidate;
        }
    }
    return nullptr;
}
} // namespace OrvPlatform::Window::Detail

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID parameter)
{
    WindowSystem& system = WindowSystem::Get();
    std::shared_ptr<WindowClassRecord> windowClass;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        windowClass = FindClass(system, className);
        if (!windowClass)
        {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        if ((style & WS_CHILD) != 0)
        {
            SetLastError(ERROR_NOT_SUPPORTED);
            return nullptr;
        }
        if (parent == kDesktop)
        {
            parent = nullptr;
        }
        if (parent != nullptr && !system.Find(parent))
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        system.CurrentQueue();
    }

    const std::wstring title = windowName != nullptr ? windowName : L"";
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (!HasFrame(style))
    {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    if ((style & WS_THICKFRAME) != 0)
    {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    if ((exStyle & WS_EX_TOPMOST) != 0)
    {
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    }
    if ((exStyle & WS_EX_TOOLWINDOW) != 0)
    {
        flags |= SDL_WINDOW_SKIP_TASKBAR;
    }
    const int w = width == CW_USEDEFAULT ? kDefaultWidth : std::max(width, 1);
    const int h =
        width == CW_USEDEFAULT || height == CW_USEDEFAULT ? kDefaultHeight : std::max(height, 1);
    const int px = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : x;
    const int py =
        x == CW_USEDEFAULT || y == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : y;

    auto record = std::make_shared<WindowRecord>();
    {
        SdlLock sdl;
        if (!system.EnsureVideo())
        {
            SetLastError(ERROR_GEN_FAILURE);
            return nullptr;
        }
        record->sdl = SDL_CreateWindow(EncodeUtf8(title).c_str(), px, py, w, h, flags);
        if (record->sdl == nullptr)
        {
            std::string text = "Window system: a window cannot be made: ";
            text += SDL_GetError();
            text += "\n";
            OutputDebugStringA(text.c_str());
            SetLastError(ERROR_GEN_FAILURE);
            return nullptr;
        }
        record->sdlId = SDL_GetWindowID(record->sdl);
        system.NoteEventConnectionLocked(record->sdl);
        ShowWindowIcon(record->sdl, windowClass->icon);
        SDL_GetWindowPosition(record->sdl, &record->clientOrigin.x, &record->clientOrigin.y);
        SDL_GetWindowSize(record->sdl, &record->width, &record->height);
    }
    record->windowClass = windowClass;
    record->procedure = windowClass->procedure;
    record->style = style & ~(WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE);
    record->exStyle = exStyle;
    record->text = title;
    record->owner = parent;
    record->instance = instance;
    record->thread = GetCurrentThreadId();
    record->enabled = (style & WS_DISABLED) == 0;
    record->topmost = (exStyle & WS_EX_TOPMOST) != 0;
    HWND handle = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        handle = reinterpret_cast<HWND>(system.nextHandle);
        system.nextHandle += 4;
        record->handle = handle;
        record->normal = WindowRectOf(*record);
        LendPixels(*record);
        windowClass->windows += 1;
        system.windows[handle] = record;
        RaiseInOrder(system, handle);
    }

    CREATESTRUCTW create{};
    create.lpCreateParams = parameter;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parent;
    create.cx = w;
    create.cy = h;
    create.x = record->clientOrigin.x;
    create.y = record->clientOrigin.y;
    create.style = static_cast<LONG>(style);
    create.lpszName = record->text.c_str();
    create.lpszClass = windowClass->name.c_str();
    create.dwExStyle = exStyle;
    CallCreationHooks(handle, &create);
    if (SendMessageW(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0)
    {
        SendMessageW(handle, WM_NCDESTROY, 0, 0);
        Discard(handle);
        return nullptr;
    }
    if (SendMessageW(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1)
    {
        DestroyWindow(handle);
        return nullptr;
    }
    if ((style & WS_VISIBLE) != 0 && IsWindow(handle))
    {
        ShowWindow(handle, (style & WS_MAXIMIZE) != 0 ? SW_SHOWMAXIMIZED : SW_SHOW);
    }
    return IsWindow(handle) ? handle : nullptr;
}

BOOL DestroyWindow(HWND window)
{
    WindowSystem& system = WindowSystem::Get();
    std::vector<HWND> owned;
    bool wasActive = false;
    bool hadCapture = false;
    bool hadFocus = false;
    HWND next = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = system.Find(window);
        if (!record)
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (record->thread != system.CurrentQueue().thread)
        {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        for (const auto& [handle, other] : system.windows)
        {
            if (other->owner == window && !other->destroying)
            {
                if (other->thread == record->thread)
                {
                    owned.push_back(handle);
                }
                else
                {
                    other->owner = nullptr;
                }
            }
        }
    }
    for (HWND child : owned)
    {
        DestroyWindow(child);
    }
    {
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = system.Find(window);
        if (!record)
        {
            return TRUE;
        }
        wasActive = system.active == window;
        hadCapture = system.capture == window;
        hadFocus = system.focus == window;
        if (wasActive)
        {
            next = NextToActivate(system, window);
        }
        record->visible = false;
    }
    if (hadCapture)
    {
        ReleaseCapture();
    }
    SDL_Window* sdlWindow = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        if (auto record = system.Find(window))
        {
            sdlWindow = record->sdl;
        }
    }
    if (sdlWindow != nullptr)
    {
        SdlLock lock;
        SDL_HideWindow(sdlWindow);
    }
    if (wasActive)
    {
        Activate(next, false, WA_ACTIVE);
    }
    else if (hadFocus)
    {
        SetFocus(nullptr);
    }
    SendMessageW(window, WM_DESTROY, 0, 0);
    {
        std::lock_guard<std::mutex> guard(system.lock);
        if (system.focus == window)
        {
            system.focus = nullptr;
        }
        if (system.active == window)
        {
            system.active = nullptr;
        }
    }
    // The last message the window receives.
    CallProcedure(window, WM_NCDESTROY, 0, 0);
    Discard(window);
    return TRUE;
}

BOOL IsWindow(HWND window)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    return system.Find(window) ? TRUE : FALSE;
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId)
{
    auto record = Lookup(window);
    if (!record)
    {
        return 0;
    }
    if (processId != nullptr)
    {
        *processId = static_cast<DWORD>(getpid());
    }
    return record->thread;
}

BOOL ShowWindow(HWND window, int command)
{
    WindowSystem& system = WindowSystem::Get();
    auto record = Lookup(window);
    if (!record)
    {
        return FALSE;
    }
    bool wasVisible = false;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        wasVisible = record->visible;
    }
    if (command == SW_HIDE)
    {
        if (!wasVisible)
        {
            return FALSE;
        }
        SendMessageW(window, WM_SHOWWINDOW, FALSE, 0);
        HWND next = nullptr;
        bool wasActive = false;
        {
            SdlLock sdl;
            SDL_HideWindow(record->sdl);
            std::lock_guard<std::mutex> guard(system.lock);
            record->visible = false;
            wasActive = system.active == window;
            if (wasActive)
            {
                next = NextToActivate(system, window);
            }
        }
        if (wasActive)
        {
            Activate(next, false, WA_ACTIVE);
        }
        return TRUE;
    }
    if (!wasVisible)
    {
        SendMessageW(window, WM_SHOWWINDOW, TRUE, 0);
    }
    {
        SdlLock sdl;
        if (!wasVisible)
        {
            SDL_ShowWindow(record->sdl);
        }
        bool minimize =
            command == SW_SHOWMINIMIZED || command == SW_MINIMIZE || command == SW_SHOWMINNOACTIVE;
        bool maximize = command == SW_SHOWMAXIMIZED;
        bool restore = command == SW_RESTORE || command == SW_SHOWNORMAL;
        if (minimize)
        {
            SDL_MinimizeWindow(record->sdl);
        }
        else if (maximize)
        {
            SDL_MaximizeWindow(record->sdl);
        }
        else if (restore && (record->minimized || record->maximized))
        {
            SDL_RestoreWindow(record->sdl);
        }
        std::lock_guard<std::mutex> guard(system.lock);
        record->visible = true;
        if (minimize || maximize || restore)
        {
            record->minimized = minimize;
            record->maximized = maximize;
        }
        AddUpdate(system, *record, nullptr, true);
    }
    bool sendSize = false;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        sendSize = !record->sizeSent;
        record->sizeSent = true;
    }
    if (sendSize)
    {
        SendSizeAndMove(window, *record);
    }
    switch (command)
    {
        case SW_SHOW:
        case SW_SHOWNORMAL:
        case SW_RESTORE:
        case SW_SHOWMAXIMIZED:
        case SW_SHOWMINIMIZED:
            SetActiveWindow(window);
            break;
        default:
            break;
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND window)
{
    auto record = Lookup(window);
    return record && record->visible ? TRUE : FALSE;
}

BOOL IsIconic(HWND window)
{
    auto record = Lookup(window);
    return record && record->minimized ? TRUE : FALSE;
}

BOOL IsZoomed(HWND window)
{
    auto record = Lookup(window);
    return record && record->maximized ? TRUE : FALSE;
}

BOOL GetWindowRect(HWND window, LPRECT rect)
{
    if (window == kDesktop && rect != nullptr)
    {
        *rect = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        return TRUE;
    }
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record || rect == nullptr)
    {
        SetLastError(record ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = WindowRectOf(*record);
    return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record || rect == nullptr)
    {
        SetLastError(record ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = RECT{0, 0, record->width, record->height};
    return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record || point == nullptr)
    {
        SetLastError(record ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    point->x += record->clientOrigin.x;
    point->y += record->clientOrigin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record || point == nullptr)
    {
        SetLastError(record ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    point->x -= record->clientOrigin.x;
    point->y -= record->clientOrigin.y;
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    WindowSystem& system = WindowSystem::Get();
    auto record = Lookup(window);
    if (!record)
    {
        return FALSE;
    }
    const bool changeOrder = (flags & SWP_NOZORDER) == 0;
    if (changeOrder && insertAfter != HWND_TOP && insertAfter != HWND_TOPMOST &&
        insertAfter != HWND_NOTOPMOST)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    bool moved = false;
    bool sized = false;
    {
        SdlLock sdl;
        std::unique_lock<std::mutex> guard(system.lock);
        const RECT frame = record->frame;
        POINT origin = record->clientOrigin;
        int clientWidth = record->width;
        int clientHeight = record->height;
        if ((flags & SWP_NOMOVE) == 0)
        {
            origin = POINT{x + frame.left, y + frame.top};
        }
        if ((flags & SWP_NOSIZE) == 0)
        {
            clientWidth = std::max(width - frame.left - frame.right, 1);
            clientHeight = std::max(height - frame.top - frame.bottom, 1);
        }
        moved = origin.x != record->clientOrigin.x || origin.y != record->clientOrigin.y;
        if (moved)
        {
            record->clientOrigin = origin;
            SDL_SetWindowPosition(record->sdl, origin.x, origin.y);
        }
        if (clientWidth != record->width || clientHeight != record->height)
        {
            sized = ResizeClient(*record, clientWidth, clientHeight);
            SDL_SetWindowSize(record->sdl, record->width, record->height);
        }
        if (!record->minimized && !record->maximized)
        {
            record->normal = WindowRectOf(*record);
        }
        if (changeOrder)
        {
            if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)
            {
                record->topmost = insertAfter == HWND_TOPMOST;
                SDL_SetWindowAlwaysOnTop(record->sdl, record->topmost ? SDL_TRUE : SDL_FALSE);
            }
            RaiseInOrder(system, window);
        }
    }
    if (sized)
    {
        SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(record->width, record->height));
    }
    if (moved)
    {
        SendMessageW(window, WM_MOVE, 0,
                     MAKELPARAM(record->clientOrigin.x, record->clientOrigin.y));
    }
    if ((flags & SWP_SHOWWINDOW) != 0)
    {
        ShowWindow(window, (flags & SWP_NOACTIVATE) != 0 ? SW_SHOWNA : SW_SHOW);
    }
    else if ((flags & SWP_HIDEWINDOW) != 0)
    {
        ShowWindow(window, SW_HIDE);
    }
    return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint)
{
    if (!SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE))
    {
        return FALSE;
    }
    if (repaint)
    {
        InvalidateRect(window, nullptr, TRUE);
    }
    return TRUE;
}

BOOL BringWindowToTop(HWND window)
{
    auto record = Lookup(window);
    if (!record)
    {
        return FALSE;
    }
    {
        SdlLock sdl;
        SDL_RaiseWindow(record->sdl);
        WindowSystem& system = WindowSystem::Get();
        std::lock_guard<std::mutex> guard(system.lock);
        RaiseInOrder(system, window);
    }
    SetActiveWindow(window);
    return TRUE;
}

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement)
{
    if (placement == nullptr || placement->length != sizeof(WINDOWPLACEMENT))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto record = Lookup(window);
    if (!record)
    {
        return FALSE;
    }
    RECT work{};
    {
        SdlLock sdl;
        work = WorkAreaLocked();
    }
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    placement->flags = 0;
    placement->showCmd = record->minimized ? SW_SHOWMINIMIZED
                                           : (record->maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
    placement->ptMinPosition = POINT{-1, -1};
    placement->ptMaxPosition = POINT{-1, -1};
    // The restored rectangle in workspace coordinates (relative to the work area).
    RECT normal = record->normal;
    normal.left -= work.left;
    normal.right -= work.left;
    normal.top -= work.top;
    normal.bottom -= work.top;
    placement->rcNormalPosition = normal;
    return TRUE;
}

BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement)
{
    if (placement == nullptr || placement->length != sizeof(WINDOWPLACEMENT))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsWindow(window))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    RECT work{};
    {
        SdlLock sdl;
        work = WorkAreaLocked();
    }
    const RECT& r = placement->rcNormalPosition;
    if (!SetWindowPos(window, nullptr, r.left + work.left, r.top + work.top, r.right - r.left,
                      r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE))
    {
        return FALSE;
    }
    if (IsWindowVisible(window) || placement->showCmd != SW_HIDE)
    {
        ShowWindow(window, static_cast<int>(placement->showCmd));
    }
    return TRUE;
}

BOOL SetWindowTextW(HWND window, LPCWSTR text)
{
    auto record = Lookup(window);
    if (!record)
    {
        return FALSE;
    }
    const std::wstring title = text != nullptr ? text : L"";
    SdlLock sdl;
    {
        WindowSystem& system = WindowSystem::Get();
        std::lock_guard<std::mutex> guard(system.lock);
        record->text = title;
    }
    SDL_SetWindowTitle(record->sdl, EncodeUtf8(title).c_str());
    return TRUE;
}

int GetWindowTextW(HWND window, LPWSTR buffer, int count)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record || buffer == nullptr || count <= 0)
    {
        SetLastError(record ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const int copied = std::min<int>(count - 1, static_cast<int>(record->text.size()));
    std::copy_n(record->text.begin(), copied, buffer);
    buffer[copied] = L'\0';
    return copied;
}

int GetWindowTextLengthW(HWND window)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(record->text.size());
}

HWND GetParent(HWND window)
{
    auto record = Lookup(window);
    return record ? record->owner : nullptr;
}

HWND GetWindow(HWND window, UINT command)
{
    if (command != GW_OWNER)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    return GetParent(window);
}

HWND GetDesktopWindow()
{
    return kDesktop;
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto windowClass = className != nullptr ? FindClass(system, className) : nullptr;
    if (className != nullptr && !windowClass)
    {
        return nullptr;
    }
    for (HWND handle : system.zOrder)
    {
        auto record = system.Find(handle);
        if (!record)
        {
            continue;
        }
        if (windowClass && record->windowClass != windowClass)
        {
            continue;
        }
        if (windowName != nullptr && record->text != windowName)
        {
            continue;
        }
        return handle;
    }
    return nullptr;
}

HWND WindowFromPoint(POINT point)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    for (HWND handle : system.zOrder)
    {
        auto record = system.Find(handle);
        if (!record || !record->visible || record->minimized)
        {
            continue;
        }
        const RECT r = WindowRectOf(*record);
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom)
        {
            return handle;
        }
    }
    return nullptr;
}

HWND GetLastActivePopup(HWND window)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    auto popup = system.Find(record->lastActivePopup);
    return popup && popup->visible ? popup->handle : window;
}

BOOL EnableWindow(HWND window, BOOL enable)
{
    WindowSystem& system = WindowSystem::Get();
    bool wasDisabled = false;
    bool loseFocus = false;
    bool loseCapture = false;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = system.Find(window);
        if (!record)
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        wasDisabled = !record->enabled;
        if (wasDisabled == !enable)
        {
            return wasDisabled ? TRUE : FALSE;
        }
        record->enabled = enable != FALSE;
        loseFocus = !enable && system.focus == window;
        loseCapture = !enable && system.capture == window;
    }
    if (loseCapture)
    {
        ReleaseCapture();
    }
    if (loseFocus)
    {
        SetFocus(nullptr);
    }
    SendMessageW(window, WM_ENABLE, enable ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window)
{
    auto record = Lookup(window);
    return record && record->enabled ? TRUE : FALSE;
}

LONG_PTR GetWindowLongPtrW(HWND window, int index)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index)
    {
        case GWL_STYLE:
        {
            DWORD style = record->style;
            style |= record->visible ? WS_VISIBLE : 0;
            style |= record->enabled ? 0 : WS_DISABLED;
            style |= record->minimized ? WS_MINIMIZE : 0;
            style |= record->maximized ? WS_MAXIMIZE : 0;
            return static_cast<LONG_PTR>(style);
        }
        case GWL_EXSTYLE:
            return static_cast<LONG_PTR>(record->exStyle | (record->topmost ? WS_EX_TOPMOST : 0));
        case GWLP_WNDPROC:
            return reinterpret_cast<LONG_PTR>(record->procedure);
        case GWLP_HINSTANCE:
            return reinterpret_cast<LONG_PTR>(record->instance);
        case GWLP_USERDATA:
            return record->userData;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
    }
}

LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    LONG_PTR previous = 0;
    switch (index)
    {
        case GWLP_USERDATA:
            previous = record->userData;
            record->userData = value;
            return previous;
        case GWLP_WNDPROC:
            if (value == 0)
            {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            previous = reinterpret_cast<LONG_PTR>(record->procedure);
            record->procedure = reinterpret_cast<WNDPROC>(value);
            return previous;
        default:
            SetLastError(ERROR_NOT_SUPPORTED);
            return 0;
    }
}
