// Readable names of C++ types, as the run-time type information gives them.
#pragma once

#include <string>
#include <typeinfo>

namespace Orv
{
// The demangled name of the type ("Orv::LButton"); the raw name when it cannot be demangled.
std::string GetReadableTypeName(const std::type_info& type);
} // namespace Orv
