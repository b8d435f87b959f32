#include "FormatTranslation.h"

namespace OrvPlatform
{
namespace
{
template <class CharT>
bool IsFlag(CharT c)
{
    return c == '-' || c == '+' || c == '0' || c == ' ' || c == '#';
}

template <class CharT>
bool IsDigit(CharT c)
{
    return c >= '0' && c <= '9';
}
} // namespace

template <class CharT>
std::basic_string<CharT> TranslateFormat(const CharT* format, bool wideFunction)
{
    std::basic_string<CharT> out;
    const CharT* p = format;
    while (*p != 0)
    {
        if (*p != '%')
        {
            out.push_back(*p++);
            continue;
        }
        out.push_back(*p++);
        if (*p == '%')
        {
            out.push_back(*p++);
            continue;
        }
        // Flags, width and precision pass unchanged.
        while (IsFlag(*p))
        {
            out.push_back(*p++);
        }
        while (IsDigit(*p) || *p == '*')
        {
            out.push_back(*p++);
        }
        if (*p == '.')
        {
            out.push_back(*p++);
            while (IsDigit(*p) || *p == '*')
            {
                out.push_back(*p++);
            }
        }
        // Size prefix: 'h' (narrow text), 'l'/'w' (wide text), "I64", "I32", "I" and the C ones.
        enum class TextWidth
        {
            Default,
            Narrow,
            Wide
        } textWidth = TextWidth::Default;
        std::basic_string<CharT> size;
        if (*p == 'I' && p[1] == '6' && p[2] == '4')
        {
            size = {CharT('l'), CharT('l')};
            p += 3;
        }
        else if (*p == 'I' && p[1] == '3' && p[2] == '2')
        {
            p += 3;
        }
        else if (*p == 'I')
        {
            size = {CharT('z')};
            ++p;
        }
        else if (*p == 'w')
        {
            textWidth = TextWidth::Wide;
            size = {CharT('l')};
            ++p;
        }
        else
        {
            while (*p == 'h' || *p == 'l' || *p == 'L' || *p == 'j' || *p == 'z' || *p == 't' ||
                   *p == 'q')
            {
                if (*p == 'h')
                {
                    textWidth = TextWidth::Narrow;
                }
                else if (*p == 'l')
                {
                    textWidth = TextWidth::Wide;
                }
                size.push_back(*p++);
            }
        }
        const CharT type = *p;
        if (type == 0)
        {
            out += size;
            break;
        }
        ++p;
        const bool isText = type == 's' || type == 'S' || type == 'c' || type == 'C';
        if (!isText)
        {
            out += size;
            out.push_back(type);
            continue;
        }
        bool wide;
        if (textWidth == TextWidth::Narrow)
        {
            wide = false;
        }
        else if (textWidth == TextWidth::Wide)
        {
            wide = true;
        }
        else
        {
            const bool upper = type == 'S' || type == 'C';
            wide = wideFunction != upper;
        }
        if (wide)
        {
            out.push_back('l');
        }
        out.push_back((type == 's' || type == 'S') ? CharT('s') : CharT('c'));
    }
    return out;
}

template std::basic_string<char> TranslateFormat<char>(const char*, bool);
template std::basic_string<wchar_t> TranslateFormat<wchar_t>(const wchar_t*, bool);
} // namespace OrvPlatform
