#include "platform/Midi.h"

#include <mutex>

namespace
{
std::mutex gPeriodsMutex;
unsigned gPeriods = 0; // begun and not yet ended
} // namespace

MMRESULT timeBeginPeriod(UINT uPeriod)
{
    if (uPeriod == 0)
    {
        return TIMERR_NOCANDO;
    }
    std::lock_guard lock(gPeriodsMutex);
    ++gPeriods;
    return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(UINT uPeriod)
{
    std::lock_guard lock(gPeriodsMutex);
    if (uPeriod == 0 || gPeriods == 0)
    {
        return TIMERR_NOCANDO;
    }
    --gPeriods;
    return TIMERR_NOERROR;
}
