#include "ScreenshotColours.h"

namespace OrvTest
{
bool Near(std::uint32_t a, std::uint32_t b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8)
    {
        const int difference =
            static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (difference > tolerance || difference < -tolerance)
        {
            return false;
        }
    }
    return true;
}

int CountNear(const Screenshot& shot, const Place& area, std::uint32_t colour, int tolerance)
{
    int count = 0;
    for (int y = area.top < 0 ? 0 : area.top; y < area.bottom && y < shot.height; ++y)
    {
        for (int x = area.left < 0 ? 0 : area.left; x < area.right && x < shot.width; ++x)
        {
            count += Near(shot.At(x, y), colour, tolerance) ? 1 : 0;
        }
    }
    return count;
}
} // namespace OrvTest
