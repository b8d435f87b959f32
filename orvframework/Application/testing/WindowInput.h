// Input sent to a test's window as the window system would deliver it.
#pragma once

#include "platform/Afx.h"

namespace OrvTest
{
// A mouse message at a client point of the window, the buttons in keys (MK_LBUTTON, MK_RBUTTON)
// held in the keyboard state as the window system would report them.
void SendMouse(HWND window, UINT message, int x, int y, WPARAM keys = 0);

// A key pressed and released in the window, Ctrl and Shift held in the keyboard state while it
// is; the keyboard state is cleared afterwards.
void SendKeyWithModifiers(HWND window, WPARAM key, bool ctrl, bool shift);
} // namespace OrvTest
