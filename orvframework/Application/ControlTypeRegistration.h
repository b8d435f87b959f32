// A row of a control-type registration table: each row a dotted type name, the creator
// of its class, and the source line the row stands on, which a failed registration names.
// Several type names share one class; the class then reads its variant from its skin
// descriptor. Names are case-sensitive as written.
#pragma once

#include "ControlBase/ControlFactory.h"

#include <span>

namespace Orv
{
struct ControlTypeRegistration
{
    const wchar_t* typeName;
    CreateFunction creator;
    int line;
};

// Registers each row with the factory, in order. A negative result throws the "Failed Result"
// exception of LFrameworkApp::RunApplicationStartup carrying the row's line; the rows after it
// are not registered.
void RegisterControlTypes(LControlFactory& factory, std::span<const ControlTypeRegistration> rows);
} // namespace Orv
