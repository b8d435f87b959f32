// Dispatching the calling thread's window messages for a while, for tests of real windows.
#pragma once

#include "platform/Kernel.h"

namespace OrvTest
{
// Dispatches what comes for about ms milliseconds, looking every 10 ms.
void PumpMessages(DWORD ms);
} // namespace OrvTest
