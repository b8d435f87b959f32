#include "platform/DebugApi.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <unistd.h>

namespace
{
void WriteToStandardError(const char* text, std::size_t length)
{
    while (length > 0)
    {
        const ssize_t n = ::write(STDERR_FILENO, text, length);
        if (n < 0 && errno == EINTR)
        {
            continue;
        }
        if (n <= 0)
        {
            return;
        }
        text += n;
        length -= static_cast<std::size_t>(n);
    }
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
    {
        c = 0xFFFD;
    }
    if (c < 0x80)
    {
        out += static_cast<char>(c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}
} // namespace

void OutputDebugStringA(LPCSTR text)
{
    if (text != nullptr)
    {
        WriteToStandardError(text, std::strlen(text));
    }
}

void OutputDebugStringW(LPCWSTR text)
{
    if (text == nullptr)
    {
        return;
    }
    std::string utf8;
    for (; *text != 0; ++text)
    {
        AppendUtf8(utf8, static_cast<char32_t>(*text));
    }
    WriteToStandardError(utf8.data(), utf8.size());
}
