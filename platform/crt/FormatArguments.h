// Checks the text arguments of a format that cross between narrow and wide text.
#pragma once

#include <cstdarg>

namespace OrvPlatform
{
// Whether the text that a formatting function converts is Unicode: every wide string or
// character a narrow function turns into UTF-8 holds scalar values (no surrogate, nothing past
// U+10FFFF), and every narrow string a wide function reads is well-formed UTF-8. The C library
// would make bytes that are not UTF-8 of the first, and wide characters that are no code points
// of the second. `format` is in the C library's form (as TranslateFormat gives it); wide: the
// function is a wide one. A format with positional arguments ("%1$s") or a conversion the
// walk does not know is not checked (true).
template <class CharT>
bool TextArgumentsAreUnicode(const CharT* format, va_list args, bool wide);
} // namespace OrvPlatform
