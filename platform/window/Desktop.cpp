// The desktop: work area, monitors, screen metrics and the interface font.
#include "Utf8Text.h"
#include "WindowSystem.h"

#include "platform/Kernel.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <limits>

using namespace OrvPlatform::Window::Detail;

namespace
{
// Double-click distance the window system allows, in pixels (its default).
constexpr int kDoubleClickSize = 4;

RECT ToRect(const SDL_Rect& r)
{
    return RECT{r.x, r.y, r.x + r.w, r.y + r.h};
}

HMONITOR MonitorOf(int display)
{
    return reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(display + 1));
}

// The display of the point per the flags (SDL lock held; -1 for none).
int DisplayAt(POINT point, DWORD flags)
{
    const int count = SDL_GetNumVideoDisplays();
    int nearest = -1;
    long best = std::numeric_limits<long>::max();
    for (int i = 0; i < count; ++i)
    {
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(i, &bounds) != 0)
        {
            continue;
        }
        const long dx =
            point.x < bounds.x
                ? bounds.x - point.x
                : (point.x >= bounds.x + bounds.w ? point.x - bounds.x - bounds.w + 1 : 0);
        const long dy =
            point.y < bounds.y
                ? bounds.y - point.y
                : (point.y >= bounds.y + bounds.h ? point.y - bounds.y - bounds.h + 1 : 0);
        if (dx == 0 && dy == 0)
        {
            return i;
        }
        if (dx * dx + dy * dy < best)
        {
            best = dx * dx + dy * dy;
            nearest = i;
        }
    }
    if (flags == MONITOR_DEFAULTTONEAREST)
    {
        return nearest;
    }
    if (flags == MONITOR_DEFAULTTOPRIMARY && count > 0)
    {
        return 0;
    }
    return -1;
}

bool ReadInterfaceFont(LOGFONTW& font)
{
    if (!FcInit())
    {
        return false;
    }
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    if (pattern == nullptr)
    {
        return false;
    }
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
    {
        return false;
    }
    FcChar8* family = nullptr;
    double size = 0.0;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    const bool good = FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
                      FcPatternGetDouble(match, FC_SIZE, 0, &size) == FcResultMatch && size > 0;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    if (good)
    {
        font = LOGFONTW{};
        font.lfHeight = -static_cast<LONG>(std::lround(size * 96.0 / 72.0));
        font.lfWeight = weight >= FC_WEIGHT_BOLD ? FW_BOLD : FW_NORMAL;
        font.lfItalic = slant != FC_SLANT_ROMAN ? 1 : 0;
        const std::wstring name = DecodeUtf8(reinterpret_cast<const char*>(family),
                                             std::strlen(reinterpret_cast<const char*>(family)));
        const int out = std::min<int>(static_cast<int>(name.size()), LF_FACESIZE - 1);
        std::wmemcpy(font.lfFaceName, name.data(), static_cast<std::size_t>(out));
        font.lfFaceName[out] = L'\0';
    }
    FcPatternDestroy(match);
    return good;
}
} // namespace

namespace OrvPlatform::Window::Detail
{
RECT WorkAreaLocked()
{
    WindowSystem& system = WindowSystem::Get();
    SDL_Rect usable{};
    if (system.EnsureVideo() && SDL_GetDisplayUsableBounds(0, &usable) == 0)
    {
        return ToRect(usable);
    }
    return RECT{0, 0, 0, 0};
}
} // namespace OrvPlatform::Window::Detail

BOOL SystemParametersInfoW(UINT action, UINT uiParam, PVOID pvParam, UINT)
{
    if (pvParam == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    switch (action)
    {
        case SPI_GETWORKAREA:
        {
            SdlLock lock;
            if (!WindowSystem::Get().EnsureVideo())
            {
                SetLastError(ERROR_GEN_FAILURE);
                return FALSE;
            }
            *static_cast<RECT*>(pvParam) = WorkAreaLocked();
            return TRUE;
        }
        case SPI_GETICONTITLELOGFONT:
        {
            if (uiParam != sizeof(LOGFONTW))
            {
                SetLastError(ERROR_INVALID_PARAMETER);
                return FALSE;
            }
            LOGFONTW font{};
            if (!ReadInterfaceFont(font))
            {
                SetLastError(ERROR_GEN_FAILURE);
                return FALSE;
            }
            *static_cast<LOGFONTW*>(pvParam) = font;
            return TRUE;
        }
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
    }
}

HMONITOR MonitorFromPoint(POINT point, DWORD flags)
{
    SdlLock lock;
    if (!WindowSystem::Get().EnsureVideo())
    {
        return nullptr;
    }
    const int display = DisplayAt(point, flags);
    return display < 0 ? nullptr : MonitorOf(display);
}

HMONITOR MonitorFromWindow(HWND window, DWORD flags)
{
    RECT r{};
    if (!GetWindowRect(window, &r))
    {
        return flags == MONITOR_DEFAULTTONULL
                   ? nullptr
                   : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    }
    return MonitorFromPoint(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}, flags);
}

BOOL GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info)
{
    if (info == nullptr || info->cbSize != sizeof(MONITORINFO))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int display = static_cast<int>(reinterpret_cast<std::uintptr_t>(monitor)) - 1;
    SdlLock lock;
    SDL_Rect bounds{};
    SDL_Rect usable{};
    if (!WindowSystem::Get().EnsureVideo() || display < 0 ||
        SDL_GetDisplayBounds(display, &bounds) != 0 ||
        SDL_GetDisplayUsableBounds(display, &usable) != 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->rcMonitor = ToRect(bounds);
    info->rcWork = ToRect(usable);
    info->dwFlags = display == 0 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

int GetSystemMetrics(int index)
{
    switch (index)
    {
        case SM_CXSCREEN:
        case SM_CYSCREEN:
        {
            SdlLock lock;
            SDL_Rect bounds{};
            if (!WindowSystem::Get().EnsureVideo() || SDL_GetDisplayBounds(0, &bounds) != 0)
            {
                return 0;
            }
            return index == SM_CXSCREEN ? bounds.w : bounds.h;
        }
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK:
            return kDoubleClickSize;
        default:
            return 0;
    }
}
