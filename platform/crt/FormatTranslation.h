// Rewrites a format of the Windows printf family into the form this platform's C library reads.
#pragma once

#include <string>

namespace OrvPlatform
{
// wideFunction: true for the wide printf functions, whose plain "%s" and "%c" take wide text.
template <class CharT>
std::basic_string<CharT> TranslateFormat(const CharT* format, bool wideFunction);
} // namespace OrvPlatform
