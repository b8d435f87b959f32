#include "FormatArguments.h"

#include <cstddef>
#include <cstdint>
#include <cwchar>

namespace OrvPlatform
{
namespace
{
bool IsScalarValue(std::uint32_t value)
{
    return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

bool IsUnicode(const wchar_t* text)
{
    for (; *text != 0; ++text)
    {
        if (!IsScalarValue(static_cast<std::uint32_t>(*text)))
        {
            return false;
        }
    }
    return true;
}

// Unicode's table of well-formed UTF-8 byte sequences.
bool IsUnicode(const char* text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0)
    {
        const unsigned char lead = *p;
        int trailing = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead < 0x80)
        {
            ++p;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF)
        {
            trailing = 1;
        }
        else if (lead >= 0xE0 && lead <= 0xEF)
        {
            trailing = 2;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        }
        else if (lead >= 0xF0 && lead <= 0xF4)
        {
            trailing = 3;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        else
        {
            return false;
        }
        ++p;
        for (int i = 0; i < trailing; ++i, ++p)
        {
            // The terminator fails this test too.
            if (*p < (i == 0 ? low : 0x80) || *p > (i == 0 ? high : 0xBF))
            {
                return false;
            }
        }
    }
    return true;
}

enum class Size
{
    Default,
    Char,  // hh
    Short, // h
    Long,  // l
    LongLong,
    LongDouble,
    IntMax,
    SizeT,
    PtrDiff,
};
} // namespace

template <class CharT>
bool TextArgumentsAreUnicode(const CharT* format, va_list args, bool wide)
{
    va_list walk;
    va_copy(walk, args);
    bool unicode = true;
    for (const CharT* p = format; *p != 0 && unicode;)
    {
        if (*p++ != '%')
        {
            continue;
        }
        if (*p == '%')
        {
            ++p;
            continue;
        }
        while (*p == '-' || *p == '+' || *p == ' ' || *p == '#' || *p == '0' || *p == '\'')
        {
            ++p;
        }
        for (bool precision = false;; precision = true)
        {
            if (*p == '*')
            {
                va_arg(walk, int);
                ++p;
            }
            while (*p >= '0' && *p <= '9')
            {
                ++p;
            }
            if (*p == '$')
            {
                break;
            }
            if (precision || *p != '.')
            {
                break;
            }
            ++p;
        }
        if (*p == '$')
        {
            // Positional arguments: not walked.
            break;
        }
        Size size = Size::Default;
        if (*p == 'h')
        {
            size = p[1] == 'h' ? Size::Char : Size::Short;
            p += p[1] == 'h' ? 2 : 1;
        }
        else if (*p == 'l')
        {
            size = p[1] == 'l' ? Size::LongLong : Size::Long;
            p += p[1] == 'l' ? 2 : 1;
        }
        else if (*p == 'q')
        {
            size = Size::LongLong;
            ++p;
        }
        else if (*p == 'L')
        {
            size = Size::LongDouble;
            ++p;
        }
        else if (*p == 'j' || *p == 'z' || *p == 't')
        {
            size = *p == 'j' ? Size::IntMax : (*p == 'z' ? Size::SizeT : Size::PtrDiff);
            ++p;
        }
        const CharT conversion = *p;
        if (conversion == 0)
        {
            break;
        }
        ++p;
        switch (conversion)
        {
            case 'd':
            case 'i':
            case 'o':
            case 'u':
            case 'x':
            case 'X':
                if (size == Size::Long)
                {
                    va_arg(walk, long);
                }
                else if (size == Size::LongLong)
                {
                    va_arg(walk, long long);
                }
                else if (size == Size::IntMax)
                {
                    va_arg(walk, std::intmax_t);
                }
                else if (size == Size::SizeT)
                {
                    va_arg(walk, std::size_t);
                }
                else if (size == Size::PtrDiff)
                {
                    va_arg(walk, std::ptrdiff_t);
                }
                else
                {
                    va_arg(walk, int);
                }
                break;
            case 'f':
            case 'F':
            case 'e':
            case 'E':
            case 'g':
            case 'G':
            case 'a':
            case 'A':
                if (size == Size::LongDouble)
                {
                    va_arg(walk, long double);
                }
                else
                {
                    va_arg(walk, double);
                }
                break;
            case 'p':
            case 'n':
                va_arg(walk, void*);
                break;
            case 'c':
                if (size == Size::Long)
                {
                    const std::wint_t c = va_arg(walk, std::wint_t);
                    unicode = wide || IsScalarValue(static_cast<std::uint32_t>(c));
                }
                else
                {
                    va_arg(walk, int);
                }
                break;
            case 's':
                if (size == Size::Long)
                {
                    const auto* text = va_arg(walk, const wchar_t*);
                    unicode = wide || text == nullptr || IsUnicode(text);
                }
                else
                {
                    const auto* text = va_arg(walk, const char*);
                    unicode = !wide || text == nullptr || IsUnicode(text);
                }
                break;
            case 'm':
                break;
            default:
                // Unknown to the walk: the rest is left to the C library.
                va_end(walk);
                return unicode;
        }
    }
    va_end(walk);
    return unicode;
}

template bool TextArgumentsAreUnicode<char>(const char*, va_list, bool);
template bool TextArgumentsAreUnicode<wchar_t>(const wchar_t*, va_list, bool);
} // namespace OrvPlatform
