#include "ObjectBase/TypeName.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>

namespace Orv
{
std::string GetReadableTypeName(const std::type_info& type)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
    if (status == 0 && demangled)
    {
        return demangled.get();
    }
    return type.name();
}
} // namespace Orv
