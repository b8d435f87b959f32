// A small lock of one state word and an auto-reset event: 0 free, 1 held, 2 held while someone
// may be waiting. Taking a free lock and releasing it without waiters never touch the event.
// It is not recursive: a thread that takes it twice waits forever.
#pragma once

#include "Utilities/Threading/Event.h"

namespace Orv
{
class SpinEventLock
{
public:
    SpinEventLock()
        : mEvent(true)
    {
    }
    SpinEventLock(const SpinEventLock&) = delete;
    SpinEventLock& operator=(const SpinEventLock&) = delete;

    void Enter();
    void Leave();
    // The state word (0, 1 or 2), read atomically.
    LONG GetState() const;

private:
    LONG mState = 0;
    Event mEvent;
};
} // namespace Orv
