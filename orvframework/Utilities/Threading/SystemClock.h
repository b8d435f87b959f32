// The system's monotonic millisecond clock: the kernel's timeGetTime and waits.
#pragma once

#include "Utilities/Threading/Clock.h"

namespace Orv
{
class LSystemClock : public LClock
{
public:
    DWORD GetMilliseconds() const override;
    DWORD Wait(HANDLE event, DWORD ms) override;
    WString ToString() const override;
};
} // namespace Orv
