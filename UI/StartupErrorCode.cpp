#include "StartupErrorCode.h"

#include <cstdint>
#include <cstring>

namespace Orv
{
int StartupErrorCode(const std::exception& error)
{
    static const char kMarker[] = "ORVRESULT = ";
    const char* text = error.what();
    const char* at = text != nullptr ? std::strstr(text, kMarker) : nullptr;
    if (at == nullptr)
    {
        return kStartupErrorCode;
    }
    std::uint32_t code = 0;
    int digits = 0;
    for (const char* p = at + sizeof(kMarker) - 1; digits < 8; ++p, ++digits)
    {
        int value = -1;
        if (*p >= '0' && *p <= '9')
        {
            value = *p - '0';
        }
        else if (*p >= 'A' && *p <= 'F')
        {
            value = *p - 'A' + 10;
        }
        else if (*p >= 'a' && *p <= 'f')
        {
            value = *p - 'a' + 10;
        }
        if (value < 0)
        {
            break;
        }
        code = code * 16 + static_cast<std::uint32_t>(value);
    }
    return digits > 0 ? static_cast<int>(code) : kStartupErrorCode;
}
} // namespace Orv
