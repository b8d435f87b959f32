#include "Utilities/Threading/SpinEventLock.h"

#include "platform/Interlocked.h"

namespace Orv
{
void SpinEventLock::Enter()
{
    if (InterlockedExchange(&mState, 1) == 0)
    {
        return;
    }
    // Contended: mark the lock as having waiters and sleep until a release signals.
    while (InterlockedExchange(&mState, 2) != 0)
    {
        mEvent.Wait(INFINITE);
    }
}

void SpinEventLock::Leave()
{
    if (InterlockedExchange(&mState, 0) == 2)
    {
        mEvent.Set();
    }
}

LONG SpinEventLock::GetState() const
{
    return InterlockedExchangeAdd(const_cast<LONG*>(&mState), 0);
}
} // namespace Orv
