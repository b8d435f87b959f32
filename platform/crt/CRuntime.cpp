#include "platform/CRuntime.h"

#include "FormatArguments.h"
#include "FormatTranslation.h"

#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <locale.h>
#include <string>
#include <vector>

namespace
{
// Narrow text crossing a wide/narrow conversion is UTF-8, whatever the process locale is.
class Utf8LocaleScope
{
public:
    Utf8LocaleScope()
    {
        static locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        if (utf8 != static_cast<locale_t>(0))
        {
            mPrevious = uselocale(utf8);
        }
    }
    ~Utf8LocaleScope()
    {
        if (mPrevious != static_cast<locale_t>(0))
        {
            uselocale(mPrevious);
        }
    }
    Utf8LocaleScope(const Utf8LocaleScope&) = delete;
    Utf8LocaleScope& operator=(const Utf8LocaleScope&) = delete;

private:
    locale_t mPrevious = static_cast<locale_t>(0);
};

// Largest output the formatting functions produce (characters).
constexpr std::size_t kMaxFormattedLength = std::size_t(1) << 26;

// Formats the whole output; false when the format or an argument cannot be converted.
bool FormatAll(std::wstring& out, const wchar_t* format, va_list args)
{
    if (format == nullptr)
    {
        return false;
    }
    const std::wstring translated = OrvPlatform::TranslateFormat(format, true);
    if (!OrvPlatform::TextArgumentsAreUnicode(translated.c_str(), args, true))
    {
        return false;
    }
    Utf8LocaleScope localeScope;
    // A wide memory stream takes the whole output in one pass and tells a failure apart (a
    // vswprintf into a buffer reports "too small" and "cannot convert" alike).
    wchar_t* data = nullptr;
    std::size_t size = 0;
    FILE* stream = open_wmemstream(&data, &size);
    if (stream == nullptr)
    {
        return false;
    }
    va_list copy;
    va_copy(copy, args);
    const int n = std::vfwprintf(stream, translated.c_str(), copy);
    va_end(copy);
    const bool closed = std::fclose(stream) == 0;
    const bool formatted = n >= 0 && closed && size <= kMaxFormattedLength;
    if (formatted)
    {
        out.assign(data, size);
    }
    std::free(data);
    return formatted;
}

bool FormatAll(std::string& out, const char* format, va_list args)
{
    if (format == nullptr)
    {
        return false;
    }
    const std::string translated = OrvPlatform::TranslateFormat(format, false);
    if (!OrvPlatform::TextArgumentsAreUnicode(translated.c_str(), args, false))
    {
        return false;
    }
    Utf8LocaleScope localeScope;
    va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(nullptr, 0, translated.c_str(), copy);
    va_end(copy);
    if (n < 0 || static_cast<std::size_t>(n) > kMaxFormattedLength)
    {
        return false;
    }
    std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
    va_copy(copy, args);
    std::vsnprintf(buffer.data(), buffer.size(), translated.c_str(), copy);
    va_end(copy);
    out.assign(buffer.data(), static_cast<std::size_t>(n));
    return true;
}

template <class CharT>
std::size_t BoundedLength(const CharT* text, std::size_t limit)
{
    std::size_t n = 0;
    while (n < limit && text[n] != 0)
    {
        ++n;
    }
    return n;
}

template <class CharT>
errno_t CopySecure(CharT* dest, std::size_t destSize, const CharT* source, std::size_t count)
{
    if (dest == nullptr || destSize == 0)
    {
        return EINVAL;
    }
    if (source == nullptr)
    {
        dest[0] = 0;
        return count == 0 ? 0 : EINVAL;
    }
    const std::size_t length = BoundedLength(source, count);
    if (length < destSize)
    {
        std::memcpy(dest, source, length * sizeof(CharT));
        dest[length] = 0;
        return 0;
    }
    if (count == _TRUNCATE)
    {
        std::memcpy(dest, source, (destSize - 1) * sizeof(CharT));
        dest[destSize - 1] = 0;
        return STRUNCATE;
    }
    dest[0] = 0;
    return ERANGE;
}

template <class CharT, class StringT>
int FormatSecure(CharT* buffer, std::size_t sizeOfBuffer, std::size_t count, const CharT* format,
                 va_list args)
{
    if (buffer == nullptr || sizeOfBuffer == 0)
    {
        errno = EINVAL;
        return -1;
    }
    StringT text;
    if (!FormatAll(text, format, args))
    {
        buffer[0] = 0;
        errno = EINVAL;
        return -1;
    }
    const std::size_t limit =
        count == _TRUNCATE ? sizeOfBuffer - 1 : (count < sizeOfBuffer ? count : sizeOfBuffer - 1);
    if (text.size() <= limit)
    {
        std::memcpy(buffer, text.data(), text.size() * sizeof(CharT));
        buffer[text.size()] = 0;
        return static_cast<int>(text.size());
    }
    if (count == _TRUNCATE || count < sizeOfBuffer)
    {
        // Cut output: the count (or the whole buffer with _TRUNCATE) was too small.
        std::memcpy(buffer, text.data(), limit * sizeof(CharT));
        buffer[limit] = 0;
        return -1;
    }
    // The output does not fit the buffer and cutting was not asked for.
    buffer[0] = 0;
    errno = ERANGE;
    return -1;
}
} // namespace

errno_t wcsncpy_s(wchar_t* dest, std::size_t destSize, const wchar_t* source, std::size_t count)
{
    return CopySecure(dest, destSize, source, count);
}

errno_t strncpy_s(char* dest, std::size_t destSize, const char* source, std::size_t count)
{
    return CopySecure(dest, destSize, source, count);
}

int _vsnwprintf_s(wchar_t* buffer, std::size_t sizeOfBuffer, std::size_t count,
                  const wchar_t* format, va_list args)
{
    return FormatSecure<wchar_t, std::wstring>(buffer, sizeOfBuffer, count, format, args);
}

int _vsnprintf_s(char* buffer, std::size_t sizeOfBuffer, std::size_t count, const char* format,
                 va_list args)
{
    return FormatSecure<char, std::string>(buffer, sizeOfBuffer, count, format, args);
}

int _snwprintf_s(wchar_t* buffer, std::size_t sizeOfBuffer, std::size_t count,
                 const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = _vsnwprintf_s(buffer, sizeOfBuffer, count, format, args);
    va_end(args);
    return n;
}

int _snprintf_s(char* buffer, std::size_t sizeOfBuffer, std::size_t count, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = _vsnprintf_s(buffer, sizeOfBuffer, count, format, args);
    va_end(args);
    return n;
}

int _vscwprintf(const wchar_t* format, va_list args)
{
    std::wstring text;
    return FormatAll(text, format, args) ? static_cast<int>(text.size()) : -1;
}

int _vscprintf(const char* format, va_list args)
{
    std::string text;
    return FormatAll(text, format, args) ? static_cast<int>(text.size()) : -1;
}

int _wtoi(const wchar_t* text)
{
    if (text == nullptr)
    {
        return 0;
    }
    while (std::iswspace(static_cast<wint_t>(*text)))
    {
        ++text;
    }
    bool negative = false;
    if (*text == L'+' || *text == L'-')
    {
        negative = *text == L'-';
        ++text;
    }
    long long value = 0;
    while (*text >= L'0' && *text <= L'9')
    {
        value = value * 10 + (*text - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
        {
            value = static_cast<long long>(INT_MAX) + 1;
        }
        ++text;
    }
    if (negative)
    {
        value = -value;
    }
    if (value > INT_MAX)
    {
        return INT_MAX;
    }
    if (value < INT_MIN)
    {
        return INT_MIN;
    }
    return static_cast<int>(value);
}

double _wtof(const wchar_t* text)
{
    if (text == nullptr)
    {
        return 0.0;
    }
    return std::wcstod(text, nullptr);
}
