// Writes a settings document as an XML property list: one element per line, indented with one
// tab per level below the root, keys and text escaped so that the reader gets back exactly what
// was written.
#pragma once

#include "System/XNode.h"

#include <string>
#include <string_view>

namespace Orv
{
class PropertyListWriter
{
public:
    enum Option
    {
        // The XML declaration, the DOCTYPE line and the plist element around the root.
        kHeader = 1,
        // The "volatile" and "dirty" attributes.
        kStateAttributes = 2,
        // Volatile nodes too.
        kIncludeVolatile = 4,
    };

    static std::string Write(const XNode& root, int options);

    // '&', '<', '>', '"', '\'' as entities, a carriage return as a character reference (so
    // that the reader does not turn it into a line feed); every other byte as it is.
    static void AppendEscaped(std::string& out, std::string_view text);
    // Whether the reader can get the UTF-8 text back: no control character but tab, line feed
    // and carriage return, no U+FFFE or U+FFFF.
    static bool IsWritableText(std::string_view text);
};
} // namespace Orv
