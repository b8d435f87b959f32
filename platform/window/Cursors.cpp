// Cursors: the system cursors, the cursors this layer draws, and the framework's cursor names.
#include "WindowSystem.h"

#include "platform/Kernel.h"

#include <cwchar>

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

// The SDL cursor of a record (SDL lock held).
SDL_Cursor* SdlCursor(CursorRecord& record)
{
    if (record.tried)
    {
        return record.sdl;
    }
    record.tried = true;
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
} // namespace

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name)
{
    if (instance == nullptr && IS_INTRESOURCE(name))
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
