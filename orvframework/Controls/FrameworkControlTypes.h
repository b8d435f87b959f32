// The registration table of the stock control classes, in the order the framework registers
// them: each dotted type name with the creator of its class.
#pragma once

#include "Application/ControlTypeRegistration.h"

#include <span>

namespace Orv
{
std::span<const ControlTypeRegistration> GetFrameworkControlTypes();
} // namespace Orv
