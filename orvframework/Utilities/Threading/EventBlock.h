// The kernel event and its waiter count, shared by Event and LEvent.
#pragma once

#include "platform/Kernel.h"

namespace Orv
{
class EventBlock
{
public:
    // Throws "Runtime Error" when the system gives no event; owner names the creating class.
    EventBlock(bool autoReset, const char* owner);
    ~EventBlock();
    EventBlock(const EventBlock&) = delete;
    EventBlock& operator=(const EventBlock&) = delete;

    bool Set();
    bool Reset();
    // WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED; INFINITE waits without limit.
    DWORD Wait(DWORD ms);
    // A zero-time wait that succeeded (it consumes the signal of an auto-reset event); a failed
    // wait is not "set".
    bool IsSet();
    HANDLE GetHandle() const { return mHandle; }
    // The number of threads waiting right now.
    LONG GetWaiterCount() const;

private:
    HANDLE mHandle;
    LONG mWaiterCount = 0;
};
} // namespace Orv
