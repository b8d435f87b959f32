// Input sent to a test's window as the window system would deliver it.
#pragma once

#include "platform/Afx.h"

namespace OrvTest
{
// A key pressed and released in the window, Ctrl and Shift held in the keyboard state while it
// is; the keyboard state is cleared afterwards.
void SendKeyWithModifiers(HWND window, WPARAM key, bool ctrl, bool shift);
} // namespace OrvTest
