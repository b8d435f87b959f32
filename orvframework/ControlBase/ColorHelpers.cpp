#include "ControlBase/ColorHelpers.h"

#include <cstring>

namespace Orv
{
namespace
{
int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
    {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f')
    {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F')
    {
        return c - 'A' + 10;
    }
    return -1;
}

float Channel(unsigned long value, int shift)
{
    return static_cast<float>((value >> shift) & 0xFF) * 0.003921569f;
}
} // namespace

ColorRGBA ColorToFloatRGBA(DWORD color)
{
    return ColorRGBA{Channel(color, 16), Channel(color, 8), Channel(color, 0), Channel(color, 24)};
}

bool ColorFromHexText(ColorRGBA& color, const char* text)
{
    if (text == nullptr)
    {
        return false;
    }
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    {
        text += 2;
    }
    const std::size_t length = std::strlen(text);
    if (length != 8 && length != 6 && length != 2)
    {
        return false;
    }
    unsigned long value = 0;
    for (std::size_t i = 0; i < length; ++i)
    {
        const int digit = HexDigit(text[i]);
        if (digit < 0)
        {
            return false;
        }
        value = (value << 4) | static_cast<unsigned long>(digit);
    }
    if (length == 8 || length == 2)
    {
        color.alpha = Channel(value, length == 8 ? 24 : 0);
    }
    if (length != 2)
    {
        color.red = Channel(value, 16);
        color.green = Channel(value, 8);
        color.blue = Channel(value, 0);
    }
    return true;
}
} // namespace Orv
