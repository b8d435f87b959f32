// C run-time string and formatting functions of the Windows C library that the framework calls.
//
// Formatting follows the Windows rules for the string and character conversions: in a wide
// format "%s" and "%c" take wide arguments and "%S"/"%C" narrow ones; in a narrow format it is
// the other way round; "%hs"/"%hc" are always narrow and "%ls"/"%lc"/"%ws"/"%wc" always wide.
// "%I64" is the 64-bit size prefix. Integer sizes otherwise follow this platform's C types
// ("%ld" takes a long). Narrow text is UTF-8 on both sides of a conversion.
#pragma once

#include "platform/Types.h"

#include <cstdarg>
#include <cstddef>
#include <cwchar>

using errno_t = int;

// Count argument of the secure copy and format functions: copy or format as much as fits.
constexpr std::size_t _TRUNCATE = static_cast<std::size_t>(-1);
// Result of a copy that was cut short because of _TRUNCATE.
constexpr errno_t STRUNCATE = 80;

// Copies at most count characters of source (all of it with _TRUNCATE) and a terminator into
// dest, which holds destSize characters. Returns 0, STRUNCATE when _TRUNCATE cut the text, EINVAL
// for a null argument or a zero size, and ERANGE (dest left empty) when the text does not fit.
errno_t wcsncpy_s(wchar_t* dest, std::size_t destSize, const wchar_t* source, std::size_t count);
errno_t strncpy_s(char* dest, std::size_t destSize, const char* source, std::size_t count);

// Formats into buffer (sizeOfBuffer characters) at most count characters plus a terminator.
// Returns the number of characters written, or -1 when the output was cut (with _TRUNCATE the
// buffer keeps the cut text; otherwise it is left empty) or could not be formatted.
int _vsnwprintf_s(wchar_t* buffer, std::size_t sizeOfBuffer, std::size_t count,
                  const wchar_t* format, va_list args);
int _vsnprintf_s(char* buffer, std::size_t sizeOfBuffer, std::size_t count, const char* format,
                 va_list args);
int _snwprintf_s(wchar_t* buffer, std::size_t sizeOfBuffer, std::size_t count,
                 const wchar_t* format, ...);
int _snprintf_s(char* buffer, std::size_t sizeOfBuffer, std::size_t count, const char* format, ...);

// Number of characters the formatted output needs, without the terminator; -1 on failure.
int _vscwprintf(const wchar_t* format, va_list args);
int _vscprintf(const char* format, va_list args);

// Decimal text to int (leading blanks and a sign allowed; stops at the first non-digit; clamps
// to INT_MIN/INT_MAX on overflow) and to double.
int _wtoi(const wchar_t* text);
double _wtof(const wchar_t* text);
