// The application's millisecond clock: the system's millisecond counter, unsigned 32-bit,
// wrapping about every 49.7 days; compare only differences.
#pragma once

#include "platform/Types.h"

namespace Orv
{
DWORD GetMilliseconds();
} // namespace Orv
