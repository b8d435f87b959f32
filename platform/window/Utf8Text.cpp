#include "Utf8Text.h"

namespace OrvPlatform::Window::Detail
{
namespace
{
constexpr wchar_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}
} // namespace

std::wstring DecodeUtf8(const char* text, std::size_t length)
{
    std::wstring result;
    if (text == nullptr)
    {
        return result;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::size_t i = 0;
    while (i < length)
    {
        const unsigned char lead = bytes[i];
        if (lead < 0x80)
        {
            result.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        int count = 0;
        char32_t value = 0;
        // The allowed range of the second byte narrows for E0, ED, F0 and F4 (no overlong
        // forms, no surrogates, nothing above U+10FFFF).
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF)
        {
            count = 1;
            value = lead & 0x1F;
        }
        else if (lead >= 0xE0 && lead <= 0xEF)
        {
            count = 2;
            value = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        }
        else if (lead >= 0xF0 && lead <= 0xF4)
        {
            count = 3;
            value = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        else
        {
            result.push_back(kReplacement);
            ++i;
            continue;
        }
        std::size_t taken = 1;
        bool good = true;
        for (int k = 0; k < count; ++k)
        {
            if (i + taken >= length)
            {
                good = false;
                break;
            }
            const unsigned char next = bytes[i + taken];
            const bool inRange = k == 0 ? (next >= low && next <= high) : IsContinuation(next);
            if (!inRange)
            {
                good = false;
                break;
            }
            value = (value << 6) | (next & 0x3F);
            ++taken;
        }
        result.push_back(good ? static_cast<wchar_t>(value) : kReplacement);
        i += taken;
    }
    return result;
}

std::string EncodeUtf8(const std::wstring& text)
{
    std::string result;
    for (wchar_t wide : text)
    {
        auto value = static_cast<char32_t>(wide);
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        {
            value = kReplacement;
        }
        if (value < 0x80)
        {
            result.push_back(static_cast<char>(value));
        }
        else if (value < 0x800)
        {
            result.push_back(static_cast<char>(0xC0 | (value >> 6)));
            result.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        }
        else if (value < 0x10000)
        {
            result.push_back(static_cast<char>(0xE0 | (value >> 12)));
            result.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        }
        else
        {
            result.push_back(static_cast<char>(0xF0 | (value >> 18)));
            result.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        }
    }
    return result;
}
} // namespace OrvPlatform::Window::Detail
