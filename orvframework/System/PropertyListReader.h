// Reads a settings document, an XML property list, into a node tree (through Expat).
//
// Element names match without regard to case. "dict" and "array" open a level (at most 64
// levels deep); "key" names the next value; "string", "data", "integer", "real", "true" and
// "false" are values; "plist" and any other element only hold others. The attributes
// "visible" and "locked" set their node flags. The text of an element is taken whole at its end
// tag. A document that reads clean has no dirty node.
#pragma once

#include "System/XNode.h"

#include <memory>
#include <string>
#include <string_view>

namespace Orv
{
class PropertyListReader
{
public:
    // The deepest nesting of dictionaries and arrays a document may have.
    static constexpr int kMaxDepth = 64;

    // The document's root; null when the text is not a well-formed document or nests too deep.
    // Then error (when given) holds "XML Load Error \"<reason>\" line <n>", and the reason goes
    // to the debug output as "<name>:<line>: <reason>" (name: fileName, else "XML Load Error").
    static std::unique_ptr<XNode> Read(std::string_view text, const char* fileName = nullptr,
                                       std::string* error = nullptr);
};
} // namespace Orv
