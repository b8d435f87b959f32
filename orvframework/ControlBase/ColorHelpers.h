// The colour helpers of the looks. A packed colour is 0xAARRGGBB; a float colour (ColorRGBA)
// holds each channel in 0..1. Packing a float colour is ColorFromFloatRGBA (Renderer/ColorRGBA.h).
//
// Colour text of the skins: "0x" (or "0X") followed by 8 hexadecimal digits AARRGGBB, 6 digits
// RRGGBB (alpha left as it was) or 2 digits AA (red, green and blue left as they were).
#pragma once

#include "Renderer/ColorRGBA.h"

namespace Orv
{
// Each byte of a packed colour times 1/255 (0.003921569).
ColorRGBA ColorToFloatRGBA(DWORD color);

// Reads text into color, each channel the byte times 1/255. True for one of the three forms;
// false, color unchanged, for a null text or any other text.
bool ColorFromHexText(ColorRGBA& color, const char* text);
} // namespace Orv
