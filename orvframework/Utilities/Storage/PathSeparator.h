// The character that separates the folders and the file name of a path on this platform. Code
// that joins a folder and a name uses it; nothing else spells the separator out.
#pragma once

namespace Orv
{
inline constexpr wchar_t kPathSeparator = L'/';
inline constexpr char kNarrowPathSeparator = static_cast<char>(kPathSeparator);
} // namespace Orv
