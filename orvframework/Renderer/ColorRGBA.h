// The colour that crosses the renderer interface: four floats, red, green, blue and alpha, each
// in 0..1; and its conversions to and from the packed 32-bit colour 0xAARRGGBB (in memory the
// bytes blue, green, red, alpha).
#pragma once

#include "platform/Types.h"

namespace Orv
{
struct ColorRGBA
{
    float red = 0;
    float green = 0;
    float blue = 0;
    float alpha = 0;

    bool operator==(const ColorRGBA&) const = default;

    // Each byte of a packed colour divided by 255.
    static ColorRGBA FromPacked(DWORD packed)
    {
        return ColorRGBA{static_cast<float>((packed >> 16) & 0xFF) / 255.0f,
                         static_cast<float>((packed >> 8) & 0xFF) / 255.0f,
                         static_cast<float>(packed & 0xFF) / 255.0f,
                         static_cast<float>((packed >> 24) & 0xFF) / 255.0f};
    }
};

// Each channel times 255, rounded half away from zero and clamped to 0..255, packed as
// A << 24 | R << 16 | G << 8 | B.
DWORD ColorFromFloatRGBA(const ColorRGBA& color);
} // namespace Orv
