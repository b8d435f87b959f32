// Cursors and icons: the system cursors, the cursors this layer draws, the framework's cursor
// names, and the cursor and icon resources of the program, which also serve as window icons.
#include "PngImage.h"
#include "WindowSystem.h"

#include "platform/Kernel.h"
#include "platform/Resources.h"

#include <cwchar>
#include <map>
#include <memory>
#include <utility>

using namespace OrvPlatform::Window::Detail;

namespace
{
constexpr int kSide = 16;
using Picture = const char* const[kSide];

// Pictures of the drawn cursors: 'X' black, '.' white, ' ' clear.
constexpr Picture kUpArrow = {
    "       X        ", "      X.X       ", "     X...X      ", "    X.....X     ",
    "   X.......X    ", "  XXXX...XXXX   ", "     X...X      ", "     X...X      ",
    "     X...X      ", "     X...X      ", "     X...X      ", "     X...X      ",
    "     X...X      ", "     XXXXX      ", "                ", "                "};
constexpr Picture kHelp = {
    "X               ", "XX       XXXX   ", "X.X     X....X  ", "X..X   X..XX..X ",
    "X...X  X.X  X.X ", "X....X  X  X..X ", "X.....X   X..X  ", "X......X X..X   ",
    "X....XXX X..X   ", "X..X..X  XXXX   ", "X.X X..X X..X   ", "XX  X..X X..X   ",
    "X    X..XXXXX   ", "     X..X       ", "      XX        ", "                "};
constexpr Picture kMagnifier = {
    "   XXXX         ", "  X....X        ", " X......X       ", "X........X      ",
    "X........X      ", "X........X      ", "X........X      ", " X......X       ",
    "  X....XX       ", "   XXXX.XX      ", "        X.X     ", "         X.X    ",
    "          X.X   ", "           X.X  ", "            XX  ", "                "};
constexpr Picture kMagnifierPlus = {
    "   XXXX         ", "  X....X        ", " X..XX..X       ", "X...XX...X      ",
    "X.XXXXXX.X      ", "X.XXXXXX.X      ", "X...XX...X      ", " X..XX..X       ",
    "  X....XX       ", "   XXXX.XX      ", "        X.X     ", "         X.X    ",
    "          X.X   ", "           X.X  ", "            XX  ", "                "};
constexpr Picture kMagnifierMinus = {
    "   XXXX         ", "  X....X        ", " X......X       ", "X........X      ",
    "X.XXXXXX.X      ", "X.XXXXXX.X      ", "X........X      ", " X......X       ",
    "  X....XX       ", "   XXXX.XX      ", "        X.X     ", "         X.X    ",
    "          X.X   ", "           X.X  ", "            XX  ", "                "};
constexpr Picture kRotate = {
    "    XXXXXX      ", "  XX......XX    ", " X..XXXXXX..X   ", "X.XX      X.X   ",
    "X.X        X.X  ", "X.X      XXX.XXX", "X.X       X...X ", "X.X        X.X  ",
    "X.X         X   ", "X.X             ", " X.X            ", " X..XX          ",
    "  XX..XX        ", "    XX.X        ", "      XX        ", "                "};
constexpr Picture kDropCopy = {
    "X               ", "XX              ", "X.X             ", "X..X            ",
    "X...X           ", "X....X          ", "X.....X         ", "X......X        ",
    "X....XXXX       ", "X..X..X XXXXXXX ", "X.X X..XX.....X ", "XX  X..XX..X..X ",
    "     X..X.XXX.X ", "     XXXX..X..X ", "        X.....X ", "        XXXXXXX "};

struct CursorRecord
{
    SDL_SystemCursor system;
    const char* const* picture;
    int hotX;
    int hotY;
    // The picture of a cursor or icon resource (straight alpha), in place of the two above.
    PngImage image{};
    // Made on first use (SDL lock held); null where the video driver shows no cursors.
    SDL_Cursor* sdl = nullptr;
    bool tried = false;
};

CursorRecord gArrow{SDL_SYSTEM_CURSOR_ARROW, nullptr, 0, 0};
CursorRecord gIBeam{SDL_SYSTEM_CURSOR_IBEAM, nullptr, 0, 0};
CursorRecord gWait{SDL_SYSTEM_CURSOR_WAIT, nullptr, 0, 0};
CursorRecord gCross{SDL_SYSTEM_CURSOR_CROSSHAIR, nullptr, 0, 0};
CursorRecord gUpArrow{SDL_SYSTEM_CURSOR_ARROW, kUpArrow, 7, 0};
CursorRecord gSizeNwse{SDL_SYSTEM_CURSOR_SIZENWSE, nullptr, 0, 0};
CursorRecord gSizeNesw{SDL_SYSTEM_CURSOR_SIZENESW, nullptr, 0, 0};
CursorRecord gSizeWe{SDL_SYSTEM_CURSOR_SIZEWE, nullptr, 0, 0};
CursorRecord gSizeNs{SDL_SYSTEM_CURSOR_SIZENS, nullptr, 0, 0};
CursorRecord gSizeAll{SDL_SYSTEM_CURSOR_SIZEALL, nullptr, 0, 0};
CursorRecord gNo{SDL_SYSTEM_CURSOR_NO, nullptr, 0, 0};
CursorRecord gHand{SDL_SYSTEM_CURSOR_HAND, nullptr, 0, 0};
CursorRecord gAppStarting{SDL_SYSTEM_CURSOR_WAITARROW, nullptr, 0, 0};
CursorRecord gHelp{SDL_SYSTEM_CURSOR_ARROW, kHelp, 0, 0};
CursorRecord gMagnifier{SDL_SYSTEM_CURSOR_ARROW, kMagnifier, 5, 5};
CursorRecord gMagnifierPlus{SDL_SYSTEM_CURSOR_ARROW, kMagnifierPlus, 5, 5};
CursorRecord gMagnifierMinus{SDL_SYSTEM_CURSOR_ARROW, kMagnifierMinus, 5, 5};
CursorRecord gRotate{SDL_SYSTEM_CURSOR_ARROW, kRotate, 7, 7};
CursorRecord gDropCopy{SDL_SYSTEM_CURSOR_ARROW, kDropCopy, 0, 0};

struct SystemCursor
{
    UINT_PTR id;
    CursorRecord* record;
};
const SystemCursor kSystemCursors[] = {
    {32512, &gArrow},       {32513, &gIBeam},    {32514, &gWait},     {32515, &gCross},
    {32516, &gUpArrow},     {32642, &gSizeNwse}, {32643, &gSizeNesw}, {32644, &gSizeWe},
    {32645, &gSizeNs},      {32646, &gSizeAll},  {32648, &gNo},       {32649, &gHand},
    {32650, &gAppStarting}, {32651, &gHelp}};

// The framework's cursor names: a system cursor where one fits, else a drawn one.
struct NamedCursor
{
    const wchar_t* name;
    CursorRecord* record;
};
const NamedCursor kNamedCursors[] = {
    {L"UI_CURSOR_APP_STARTING", &gAppStarting},
    {L"UI_CURSOR_ARROW", &gArrow},
    {L"UI_CURSOR_CROSS", &gCross},
    {L"UI_CURSOR_DROP_COPY", &gDropCopy},
    {L"UI_CURSOR_DROP_MOVE", &gArrow},
    {L"UI_CURSOR_HAND", &gHand},
    {L"UI_CURSOR_HELP", &gHelp},
    {L"UI_CURSOR_IBEAM", &gIBeam},
    {L"UI_CURSOR_MAG", &gMagnifier},
    {L"UI_CURSOR_MAG_MINUS", &gMagnifierMinus},
    {L"UI_CURSOR_MAG_PLUS", &gMagnifierPlus},
    {L"UI_CURSOR_NO_DROP", &gNo},
    {L"UI_CURSOR_ROTATE", &gRotate},
    {L"UI_CURSOR_SIZE_ALL", &gSizeAll},
    {L"UI_CURSOR_SIZE_NESW", &gSizeNesw},
    {L"UI_CURSOR_SIZE_NS", &gSizeNs},
    {L"UI_CURSOR_SIZE_NWSE", &gSizeNwse},
    {L"UI_CURSOR_SIZE_WE", &gSizeWe},
    {L"UI_CURSOR_SPLIT_H", &gSizeNs},
    {L"UI_CURSOR_SPLIT_V", &gSizeWe},
    {L"UI_CURSOR_UP_ARROW", &gUpArrow},
    {L"UI_CURSOR_WAIT", &gWait},
};

HCURSOR HandleOf(CursorRecord* record)
{
    return reinterpret_cast<HCURSOR>(record);
}

// An SDL surface over a record's picture (SDL lock held); null when it cannot be made.
SDL_Surface* SurfaceOf(CursorRecord& record)
{
    return SDL_CreateRGBSurfaceWithFormatFrom(record.image.pixels.data(), record.image.width,
                                              record.image.height, 32, record.image.width * 4,
                                              SDL_PIXELFORMAT_ARGB8888);
}

// The SDL cursor of a record (SDL lock held).
SDL_Cursor* SdlCursor(CursorRecord& record)
{
    if (record.tried)
    {
        return record.sdl;
    }
    record.tried = true;
    if (!record.image.pixels.empty())
    {
        if (SDL_Surface* surface = SurfaceOf(record))
        {
            record.sdl = SDL_CreateColorCursor(surface, record.hotX, record.hotY);
            SDL_FreeSurface(surface);
        }
        return record.sdl;
    }
    if (record.picture == nullptr)
    {
        record.sdl = SDL_CreateSystemCursor(record.system);
        return record.sdl;
    }
    Uint8 data[kSide * kSide / 8] = {};
    Uint8 mask[kSide * kSide / 8] = {};
    for (int y = 0; y < kSide; ++y)
    {
        for (int x = 0; x < kSide; ++x)
        {
            const char c = record.picture[y][x];
            const int byte = (y * kSide + x) / 8;
            const auto bit = static_cast<Uint8>(0x80 >> (x % 8));
            if (c == 'X')
            {
                data[byte] |= bit;
                mask[byte] |= bit;
            }
            else if (c == '.')
            {
                mask[byte] |= bit;
            }
        }
    }
    record.sdl = SDL_CreateCursor(data, mask, kSide, kSide, record.hotX, record.hotY);
    return record.sdl;
}

void ApplyCursor(HCURSOR cursor, bool visible)
{
    WindowSystem& system = WindowSystem::Get();
    if (!system.HasVideo())
    {
        return;
    }
    SdlLock lock;
    if (cursor != nullptr)
    {
        if (SDL_Cursor* sdl = SdlCursor(*reinterpret_cast<CursorRecord*>(cursor)))
        {
            SDL_SetCursor(sdl);
        }
    }
    SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}
// The cursors and icons loaded from resources, by the resource they came from: shared, kept for
// the life of the process.
struct LoadedKey
{
    HRSRC resource;
    bool isIcon;
    bool operator<(const LoadedKey& other) const
    {
        return resource != other.resource ? std::less<HRSRC>()(resource, other.resource)
                                          : isIcon < other.isIcon;
    }
};
std::mutex gLoadedLock;
std::map<LoadedKey, std::unique_ptr<CursorRecord>> gLoaded;

WORD ReadWord(const unsigned char* bytes)
{
    return static_cast<WORD>(bytes[0] | (bytes[1] << 8));
}

// A cursor resource (the hot spot, then a PNG image) or an icon resource (a PNG image, its hot
// spot at the centre) of the module, loaded once.
HICON LoadImageResource(HINSTANCE instance, LPCWSTR name, bool isIcon)
{
    HRSRC resource = FindResourceW(instance, name, isIcon ? RT_ICON : RT_CURSOR);
    if (resource == nullptr)
    {
        return nullptr;
    }
    std::lock_guard<std::mutex> guard(gLoadedLock);
    const LoadedKey key{resource, isIcon};
    if (auto found = gLoaded.find(key); found != gLoaded.end())
    {
        return HandleOf(found->second.get());
    }
    const auto* bytes =
        static_cast<const unsigned char*>(LockResource(LoadResource(instance, resource)));
    const DWORD size = SizeofResource(instance, resource);
    const DWORD header = isIcon ? 0 : 4;
    auto record =
        std::make_unique<CursorRecord>(CursorRecord{SDL_SYSTEM_CURSOR_ARROW, nullptr, 0, 0});
    if (bytes == nullptr || size <= header ||
        !DecodePng(bytes + header, size - header, record->image))
    {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    record->hotX = isIcon ? record->image.width / 2 : ReadWord(bytes);
    record->hotY = isIcon ? record->image.height / 2 : ReadWord(bytes + 2);
    if (record->hotX >= record->image.width || record->hotY >= record->image.height)
    {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    HICON handle = HandleOf(record.get());
    gLoaded.emplace(key, std::move(record));
    return handle;
}
} // namespace

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name)
{
    if (instance != nullptr)
    {
        return LoadImageResource(instance, name, false);
    }
    if (IS_INTRESOURCE(name))
    {
        const auto id = reinterpret_cast<UINT_PTR>(name);
        for (const SystemCursor& entry : kSystemCursors)
        {
            if (entry.id == id)
            {
                return HandleOf(entry.record);
            }
        }
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HICON LoadIconW(HINSTANCE instance, LPCWSTR name)
{
    if (instance == nullptr)
    {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return LoadImageResource(instance, name, true);
}

HCURSOR SetCursor(HCURSOR cursor)
{
    WindowSystem& system = WindowSystem::Get();
    HCURSOR previous = nullptr;
    bool visible = false;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        previous = system.currentCursor;
        if (previous == cursor)
        {
            return previous;
        }
        system.currentCursor = cursor;
        visible = cursor != nullptr && system.cursorCount >= 0;
    }
    ApplyCursor(cursor, visible);
    return previous;
}

HCURSOR GetCursor()
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    return system.currentCursor;
}

int ShowCursor(BOOL show)
{
    WindowSystem& system = WindowSystem::Get();
    int count = 0;
    HCURSOR cursor = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        system.cursorCount += show ? 1 : -1;
        count = system.cursorCount;
        cursor = system.currentCursor;
    }
    ApplyCursor(cursor, cursor != nullptr && count >= 0);
    return count;
}

namespace OrvPlatform::Window::Detail
{
void ShowWindowIcon(SDL_Window* window, HICON icon)
{
    auto* record = reinterpret_cast<CursorRecord*>(icon);
    if (window == nullptr || record == nullptr || record->image.pixels.empty())
    {
        return;
    }
    if (SDL_Surface* surface = SurfaceOf(*record))
    {
        SDL_SetWindowIcon(window, surface);
        SDL_FreeSurface(surface);
    }
}

HICON ShownIconOf(const WindowRecord& record)
{
    return record.bigIcon != nullptr     ? record.bigIcon
           : record.smallIcon != nullptr ? record.smallIcon
                                         : record.windowClass->icon;
}

HICON SetWindowIcon(HWND window, WPARAM which, HICON icon)
{
    WindowSystem& system = WindowSystem::Get();
    // The SDL window stays while the SDL lock is held: it is destroyed only under that lock.
    SdlLock sdl;
    SDL_Window* sdlWindow = nullptr;
    HICON previous = nullptr;
    HICON shown = nullptr;
    {
        std::lock_guard<std::mutex> guard(system.lock);
        std::shared_ptr<WindowRecord> record = system.Find(window);
        if (!record)
        {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        HICON& slot = which == ICON_BIG ? record->bigIcon : record->smallIcon;
        previous = slot;
        slot = icon;
        shown = ShownIconOf(*record);
        sdlWindow = record->sdl;
    }
    if (system.HasVideo())
    {
        ShowWindowIcon(sdlWindow, shown);
    }
    return previous;
}

HICON GetWindowIcon(HWND window, WPARAM which)
{
    WindowSystem& system = WindowSystem::Get();
    std::lock_guard<std::mutex> guard(system.lock);
    std::shared_ptr<WindowRecord> record = system.Find(window);
    if (!record)
    {
        return nullptr;
    }
    return which == ICON_BIG ? record->bigIcon : record->smallIcon;
}
} // namespace OrvPlatform::Window::Detail

namespace OrvPlatform::Window
{
HCURSOR LoadNamedCursor(LPCWSTR name)
{
    if (name == nullptr)
    {
        return nullptr;
    }
    for (const NamedCursor& entry : kNamedCursors)
    {
        if (std::wcscmp(entry.name, name) == 0)
        {
            return HandleOf(entry.record);
        }
    }
    return nullptr;
}
} // namespace OrvPlatform::Window
