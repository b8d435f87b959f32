// Colours counted in a screenshot, as the window tests check what a person would see.
#pragma once

#include "ProgramUnderDisplay.h"
#include "SkinPlaces.h"

#include <cstdint>

namespace OrvTest
{
// The two colours' red, green and blue channels differ by at most tolerance each.
bool Near(std::uint32_t a, std::uint32_t b, int tolerance);
// The pixels of the area (clipped to the screenshot) that are near the colour.
int CountNear(const Screenshot& shot, const Place& area, std::uint32_t colour, int tolerance);
} // namespace OrvTest
