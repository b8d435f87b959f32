// The window pixels lent by the window layer (SetWindowPixels), as graphics read them.
#pragma once

#include "platform/Gdi.h"

#include <cairo.h>

// A new reference to a surface over the pixels the window lent (one surface for as long as the
// window lends the same pixels); null when it lent none.
cairo_surface_t* GetLentWindowSurface(HWND window);
