// Device contexts for the resolution, GDI bitmaps, and the window pixels graphics draw into.
#include "GdiPlusObjects.h"
#include "WindowPixels.h"

#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <set>

using namespace Gdiplus;

namespace
{
struct DeviceContext
{
    HWND window;
};

struct DibSection
{
    LONG width;
    LONG height;
    std::unique_ptr<std::uint32_t[]> bits;
};

std::mutex gLock;
std::set<const void*>& LiveContexts()
{
    static std::set<const void*> contexts;
    return contexts;
}
std::set<const void*>& LiveBitmaps()
{
    static std::set<const void*> bitmaps;
    return bitmaps;
}
// The pixels a window lent, and a cairo surface over them made at the first graphics for the
// window and kept for the next ones (the map holds one reference).
struct LentWindow
{
    WindowPixels pixels;
    cairo_surface_t* surface = nullptr;
};

// Never destroyed: a window may still lend its pixels when the program ends.
std::map<HWND, LentWindow>& Windows()
{
    static auto* windows = new std::map<HWND, LentWindow>();
    return *windows;
}

void DropSurface(LentWindow& window)
{
    if (window.surface != nullptr)
    {
        cairo_surface_destroy(window.surface);
        window.surface = nullptr;
    }
}
} // namespace

cairo_surface_t* GetLentWindowSurface(HWND window)
{
    std::lock_guard<std::mutex> lock(gLock);
    auto found = Windows().find(window);
    if (window == nullptr || found == Windows().end())
    {
        return nullptr;
    }
    LentWindow& lent = found->second;
    if (lent.surface == nullptr)
    {
        cairo_surface_t* surface = cairo_image_surface_create_for_data(
            static_cast<unsigned char*>(lent.pixels.bits), CAIRO_FORMAT_ARGB32, lent.pixels.width,
            lent.pixels.height, lent.pixels.stride);
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        {
            cairo_surface_destroy(surface);
            return nullptr;
        }
        lent.surface = surface;
    }
    // The window layer writes these pixels too: cairo must not trust what it last knew of them.
    cairo_surface_mark_dirty(lent.surface);
    return cairo_surface_reference(lent.surface);
}

BOOL SetWindowPixels(HWND window, const WindowPixels* pixels)
{
    if (window == nullptr)
    {
        return FALSE;
    }
    if (pixels != nullptr &&
        (pixels->bits == nullptr || pixels->width <= 0 || pixels->height <= 0 ||
         pixels->width > 32767 || pixels->height > 32767 || pixels->stride % 4 != 0 ||
         pixels->stride / 4 < pixels->width))
    {
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(gLock);
    auto found = Windows().find(window);
    if (found != Windows().end())
    {
        // Graphics made before keep their reference to the old surface.
        DropSurface(found->second);
    }
    if (pixels == nullptr)
    {
        Windows().erase(window);
    }
    else
    {
        Windows()[window].pixels = *pixels;
    }
    return TRUE;
}

HDC GetDC(HWND window)
{
    auto* dc = new (std::nothrow) DeviceContext{window};
    if (dc == nullptr)
    {
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(gLock);
    LiveContexts().insert(dc);
    return reinterpret_cast<HDC>(dc);
}

int ReleaseDC(HWND window, HDC dc)
{
    auto* context = reinterpret_cast<DeviceContext*>(dc);
    {
        std::lock_guard<std::mutex> lock(gLock);
        if (LiveContexts().count(context) == 0 || context->window != window)
        {
            return 0;
        }
        LiveContexts().erase(context);
    }
    delete context;
    return 1;
}

HWND WindowFromDC(HDC dc)
{
    std::lock_guard<std::mutex> lock(gLock);
    if (LiveContexts().count(dc) == 0)
    {
        return nullptr;
    }
    return reinterpret_cast<DeviceContext*>(dc)->window;
}

int GetDeviceCaps(HDC dc, int index)
{
    std::lock_guard<std::mutex> lock(gLock);
    if (LiveContexts().count(dc) == 0)
    {
        return 0;
    }
    return index == LOGPIXELSX || index == LOGPIXELSY ? 96 : 0;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer)
{
    std::lock_guard<std::mutex> lock(gLock);
    if (LiveBitmaps().count(object) == 0)
    {
        return 0;
    }
    if (buffer == nullptr)
    {
        return static_cast<int>(sizeof(BITMAP));
    }
    if (size < static_cast<int>(sizeof(BITMAP)))
    {
        return 0;
    }
    auto* dib = reinterpret_cast<DibSection*>(object);
    BITMAP result{};
    result.bmType = 0;
    result.bmWidth = dib->width;
    result.bmHeight = dib->height;
    result.bmWidthBytes = dib->width * 4;
    result.bmPlanes = 1;
    result.bmBitsPixel = 32;
    result.bmBits = dib->bits.get();
    std::memcpy(buffer, &result, sizeof(result));
    return static_cast<int>(sizeof(BITMAP));
}

BOOL DeleteObject(HGDIOBJ object)
{
    auto* dib = reinterpret_cast<DibSection*>(object);
    {
        std::lock_guard<std::mutex> lock(gLock);
        if (LiveBitmaps().erase(object) == 0)
        {
            return FALSE;
        }
    }
    delete dib;
    return TRUE;
}

GpStatus GdipCreateHBITMAPFromBitmap(GpBitmap* bitmapHandle, HBITMAP* hbitmap, ARGB background)
{
    BitmapObject* bitmap = static_cast<BitmapObject*>(bitmapHandle);
    if (bitmap == nullptr || hbitmap == nullptr)
    {
        return InvalidParameter;
    }
    BusyScope busy;
    if (!busy.Enter(bitmap->busy))
    {
        return ObjectBusy;
    }
    if (bitmap->locked)
    {
        return WrongState;
    }
    auto* dib = new (std::nothrow) DibSection;
    if (dib == nullptr)
    {
        return OutOfMemory;
    }
    dib->width = bitmap->width;
    dib->height = bitmap->height;
    dib->bits.reset(new (std::nothrow)
                        std::uint32_t[static_cast<size_t>(bitmap->width) * bitmap->height]);
    if (!dib->bits)
    {
        delete dib;
        return OutOfMemory;
    }
    // Each pixel over the background, premultiplied.
    std::uint32_t under = Premultiply(background);
    for (INT y = 0; y < bitmap->height; ++y)
    {
        for (INT x = 0; x < bitmap->width; ++x)
        {
            std::uint32_t over = Premultiply(bitmap->GetPixel(x, y));
            std::uint32_t keep = 255 - (over >> 24);
            std::uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8)
            {
                std::uint32_t c =
                    ((over >> shift) & 0xFF) + (((under >> shift) & 0xFF) * keep + 127) / 255;
                result |= (c > 255 ? 255u : c) << shift;
            }
            dib->bits[static_cast<size_t>(y) * bitmap->width + x] = result;
        }
    }
    std::lock_guard<std::mutex> lock(gLock);
    LiveBitmaps().insert(dib);
    *hbitmap = reinterpret_cast<HBITMAP>(dib);
    return Ok;
}
