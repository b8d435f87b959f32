// The update area, WM_PAINT, and the client pixels shown on screen.
#include "WindowSystem.h"

#include "platform/Gdi.h"
#include "platform/Kernel.h"

#include <algorithm>
#include <cstring>

using namespace OrvPlatform::Window::Detail;

namespace
{
// The pixels of a client area that was never painted: opaque black.
constexpr std::uint32_t kUnpainted = 0xFF000000u;

bool IsEmpty(const RECT& r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

RECT Intersect(const RECT& a, const RECT& b)
{
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

bool Covers(const RECT& outer, const RECT& inner)
{
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

// Takes rect out of the update area where the rest stays one rectangle (state lock held).
void RemoveUpdate(WindowRecord& record, const RECT* rect)
{
    if (!record.hasUpdate)
    {
        return;
    }
    if (rect == nullptr || Covers(*rect, record.update))
    {
        record.hasUpdate = false;
        record.updateErase = false;
        record.update = RECT{0, 0, 0, 0};
        return;
    }
    RECT& u = record.update;
    const RECT cut = Intersect(*rect, u);
    if (IsEmpty(cut))
    {
        return;
    }
    // A band across the whole width or height at one edge leaves a rectangle.
    if (cut.left == u.left && cut.right == u.right)
    {
        if (cut.top == u.top)
        {
            u.top = cut.bottom;
        }
        else if (cut.bottom == u.bottom)
        {
            u.bottom = cut.top;
        }
    }
    else if (cut.top == u.top && cut.bottom == u.bottom)
    {
        if (cut.left == u.left)
        {
            u.left = cut.right;
        }
        else if (cut.right == u.right)
        {
            u.right = cut.left;
        }
    }
}

std::shared_ptr<WindowRecord> Lookup(WindowSystem& system, HWND window)
{
    auto record = system.Find(window);
    if (!record)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return record;
}
} // namespace

namespace OrvPlatform::Window::Detail
{
void LendPixels(WindowRecord& record)
{
    const std::size_t count = static_cast<std::size_t>(record.width) * record.height;
    auto pixels = std::make_unique<std::uint32_t[]>(count);
    std::fill_n(pixels.get(), count, kUnpainted);
    // What was drawn stays where it fits.
    if (record.pixels)
    {
        const int rows = std::min(record.height, record.pixelHeight);
        const int columns = std::min(record.width, record.pixelWidth);
        for (int y = 0; y < rows; ++y)
        {
            std::memcpy(pixels.get() + static_cast<std::size_t>(y) * record.width,
                        record.pixels.get() + static_cast<std::size_t>(y) * record.pixelWidth,
                        static_cast<std::size_t>(columns) * 4);
        }
    }
    WindowPixels lent{pixels.get(), record.width, record.height, record.width * 4};
    SetWindowPixels(record.handle, &lent);
    record.pixels = std::move(pixels);
    record.pixelWidth = record.width;
    record.pixelHeight = record.height;
}

void AddUpdate(WindowSystem& system, WindowRecord& record, const RECT* rect, bool erase)
{
    const RECT client{0, 0, record.width, record.height};
    const RECT added = rect == nullptr ? client : Intersect(*rect, client);
    if (IsEmpty(added))
    {
        return;
    }
    if (record.hasUpdate)
    {
        RECT& u = record.update;
        u = RECT{std::min(u.left, added.left), std::min(u.top, added.top),
                 std::max(u.right, added.right), std::max(u.bottom, added.bottom)};
    }
    else
    {
        record.update = added;
        record.hasUpdate = true;
    }
    record.updateErase = record.updateErase || erase;
    if (ThreadQueue* queue = system.QueueOf(record.thread))
    {
        system.Wake(*queue);
    }
}

void PresentLocked(WindowSystem& system, HWND window)
{
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record || !record->visible || record->sdl == nullptr || !record->pixels ||
        (SDL_GetWindowFlags(record->sdl) & SDL_WINDOW_OPENGL) != 0)
    {
        return;
    }
    SDL_Surface* target = SDL_GetWindowSurface(record->sdl);
    if (target == nullptr)
    {
        return;
    }
    SDL_Surface* source =
        SDL_CreateRGBSurfaceWithFormatFrom(record->pixels.get(), record->width, record->height, 32,
                                           record->width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (source == nullptr)
    {
        return;
    }
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_BlitSurface(source, nullptr, target, nullptr);
    SDL_FreeSurface(source);
    SDL_UpdateWindowSurface(record->sdl);
}
} // namespace OrvPlatform::Window::Detail

BOOL InvalidateRect(HWND window, LPCRECT rect, BOOL erase)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = Lookup(system, window);
    if (!record)
    {
        return FALSE;
    }
    AddUpdate(system, *record, rect, erase != FALSE);
    return TRUE;
}

BOOL ValidateRect(HWND window, LPCRECT rect)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = Lookup(system, window);
    if (!record)
    {
        return FALSE;
    }
    RemoveUpdate(*record, rect);
    return TRUE;
}

BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = Lookup(system, window);
    if (!record)
    {
        return FALSE;
    }
    if (rect != nullptr)
    {
        *rect = record->hasUpdate ? record->update : RECT{0, 0, 0, 0};
    }
    return record->hasUpdate ? TRUE : FALSE;
}

HDC BeginPaint(HWND window, LPPAINTSTRUCT paint)
{
    if (paint == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    {
        WindowSystem& system = WindowSystem::Get();
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = Lookup(system, window);
        if (!record)
        {
            return nullptr;
        }
        *paint = PAINTSTRUCT{};
        paint->fErase = record->updateErase ? TRUE : FALSE;
        paint->rcPaint = record->hasUpdate ? record->update : RECT{0, 0, 0, 0};
        RemoveUpdate(*record, nullptr);
    }
    paint->hdc = GetDC(window);
    return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT* paint)
{
    if (paint == nullptr)
    {
        return FALSE;
    }
    if (paint->hdc != nullptr)
    {
        ReleaseDC(window, paint->hdc);
    }
    return TRUE;
}

BOOL UpdateWindow(HWND window)
{
    bool paint = false;
    {
        WindowSystem& system = WindowSystem::Get();
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = Lookup(system, window);
        if (!record)
        {
            return FALSE;
        }
        paint = record->visible && record->hasUpdate;
    }
    if (paint)
    {
        MSG message{};
        message.hwnd = window;
        message.message = WM_PAINT;
        DispatchMessageW(&message);
    }
    return TRUE;
}

BOOL RedrawWindow(HWND window, LPCRECT rect, void* region, UINT flags)
{
    if (region != nullptr)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    {
        WindowSystem& system = WindowSystem::Get();
        std::lock_guard<std::mutex> guard(system.lock);
        auto record = Lookup(system, window);
        if (!record)
        {
            return FALSE;
        }
        if ((flags & RDW_INVALIDATE) != 0)
        {
            AddUpdate(system, *record, rect, (flags & RDW_ERASE) != 0);
        }
        else if ((flags & RDW_VALIDATE) != 0)
        {
            RemoveUpdate(*record, rect);
        }
    }
    if ((flags & RDW_UPDATENOW) != 0)
    {
        return UpdateWindow(window);
    }
    return TRUE;
}

namespace OrvPlatform::Window
{
bool ReadClientPixels(HWND window, std::uint32_t* pixels, int width, int height)
{
    using namespace Detail;
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    auto record = system.Find(window);
    if (!record || pixels == nullptr || width != record->width || height != record->height)
    {
        return false;
    }
    std::memcpy(pixels, record->pixels.get(), static_cast<std::size_t>(width) * height * 4);
    return true;
}
} // namespace OrvPlatform::Window
