#include "KeyMap.h"

#include "platform/User32.h"

namespace OrvPlatform::Window::Detail
{
namespace
{
struct ScancodeKey
{
    SDL_Scancode scancode;
    int key;
    int specific;
    bool extended;
};

// Keys by their place on the keyboard; letters and digits follow the layout (below).
constexpr ScancodeKey kKeys[] = {
    {SDL_SCANCODE_RETURN, VK_RETURN, 0, false},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0, false},
    {SDL_SCANCODE_TAB, VK_TAB, 0, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0, false},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0, false},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0, false},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0, false},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0, false},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0, false},
    {SDL_SCANCODE_NONUSHASH, VK_OEM_5, 0, false},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0, false},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0, false},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, 0, false},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0, false},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0, false},
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0, false},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0, false},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0, false},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0, true},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0, false},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0, true},
    {SDL_SCANCODE_HOME, VK_HOME, 0, true},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0, true},
    {SDL_SCANCODE_END, VK_END, 0, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0, true},
    {SDL_SCANCODE_UP, VK_UP, 0, true},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0, true},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0, true},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0, false},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, 0, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0, true},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, 0, false},
    {SDL_SCANCODE_KP_COMMA, VK_SEPARATOR, 0, false},
    {SDL_SCANCODE_APPLICATION, VK_APPS, 0, true},
    {SDL_SCANCODE_HELP, VK_HELP, 0, false},
    {SDL_SCANCODE_CLEAR, VK_CLEAR, 0, false},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, VK_LCONTROL, false},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, VK_LSHIFT, false},
    {SDL_SCANCODE_LALT, VK_MENU, VK_LMENU, false},
    {SDL_SCANCODE_LGUI, VK_LWIN, 0, true},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, VK_RCONTROL, true},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, VK_RSHIFT, false},
    {SDL_SCANCODE_RALT, VK_MENU, VK_RMENU, true},
    {SDL_SCANCODE_RGUI, VK_RWIN, 0, true},
};
} // namespace

VirtualKey MapKey(const SDL_Keysym& key)
{
    const SDL_Keycode code = key.sym;
    if (code >= SDLK_a && code <= SDLK_z)
    {
        return VirtualKey{'A' + (code - SDLK_a), 0, false};
    }
    if (code >= SDLK_0 && code <= SDLK_9)
    {
        return VirtualKey{'0' + (code - SDLK_0), 0, false};
    }
    const SDL_Scancode scancode = key.scancode;
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
    {
        return VirtualKey{'A' + (scancode - SDL_SCANCODE_A), 0, false};
    }
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
    {
        return VirtualKey{'1' + (scancode - SDL_SCANCODE_1), 0, false};
    }
    if (scancode == SDL_SCANCODE_0)
    {
        return VirtualKey{'0', 0, false};
    }
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
    {
        return VirtualKey{VK_F1 + (scancode - SDL_SCANCODE_F1), 0, false};
    }
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
    {
        return VirtualKey{VK_F1 + 12 + (scancode - SDL_SCANCODE_F13), 0, false};
    }
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
    {
        return VirtualKey{VK_NUMPAD0 + 1 + (scancode - SDL_SCANCODE_KP_1), 0, false};
    }
    if (scancode == SDL_SCANCODE_KP_0)
    {
        return VirtualKey{VK_NUMPAD0, 0, false};
    }
    for (const ScancodeKey& entry : kKeys)
    {
        if (entry.scancode == scancode)
        {
            return VirtualKey{entry.key, entry.specific, entry.extended};
        }
    }
    return VirtualKey{};
}
} // namespace OrvPlatform::Window::Detail
