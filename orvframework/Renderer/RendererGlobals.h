// The rendering core's globals. Each is made at its first use, or before main at its row of the
// start-up order (Utilities/GlobalsOrder.h).
#pragma once

#include "Utilities/Storage/StringT.h"
#include "Utilities/Threading/Mutex.h"

namespace Orv
{
// The lock of the regions' node pool (clearing regions).
Mutex& GetRegionLock();

// "\n", the line break of the text layout.
const WString& GetNewLineString();
} // namespace Orv
