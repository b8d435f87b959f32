#include "Renderer/ColorRGBA.h"

namespace Orv
{
namespace
{
DWORD Channel(float value)
{
    const double scaled = static_cast<double>(value) * 255.0;
    const double rounded = scaled < 0 ? scaled - 0.5 : scaled + 0.5;
    // Written so that NaN gives 0.
    if (!(rounded >= 0))
    {
        return 0;
    }
    if (rounded >= 255)
    {
        return 255;
    }
    return static_cast<DWORD>(rounded);
}
} // namespace

DWORD ColorFromFloatRGBA(const ColorRGBA& color)
{
    return Channel(color.alpha) << 24 | Channel(color.red) << 16 | Channel(color.green) << 8 |
           Channel(color.blue);
}
} // namespace Orv
