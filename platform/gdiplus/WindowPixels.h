// The window pixels lent by the window layer (SetWindowPixels), as graphics read them.
#pragma once

#include "platform/Gdi.h"

// True and the pixels when the window has lent some.
bool GetLentWindowPixels(HWND window, WindowPixels& pixels);
