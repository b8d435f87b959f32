#include "WindowInput.h"

namespace OrvTest
{
void SendMouse(HWND window, UINT message, int x, int y, WPARAM keys)
{
    BYTE state[256] = {};
    state[VK_LBUTTON] = (keys & MK_LBUTTON) != 0 ? 0x80 : 0;
    state[VK_RBUTTON] = (keys & MK_RBUTTON) != 0 ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageW(window, message, keys, MAKELPARAM(x, y));
}

void SendKeyWithModifiers(HWND window, WPARAM key, bool ctrl, bool shift)
{
    BYTE state[256] = {};
    state[VK_CONTROL] = ctrl ? 0x80 : 0;
    state[VK_LCONTROL] = ctrl ? 0x80 : 0;
    state[VK_SHIFT] = shift ? 0x80 : 0;
    state[VK_LSHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(state);
    SendMessageW(window, WM_KEYDOWN, key, 1);
    SendMessageW(window, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
    BYTE none[256] = {};
    SetKeyboardState(none);
}
} // namespace OrvTest
