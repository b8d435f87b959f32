// The clock by which an object waits and measures time. Whatever waits or measures time is given
// a clock when it is made: the system clock in the program (GetSystemClock), a clock that the
// test moves by hand in tests, so that no test waits on real time for a time-out to pass.
//
// Times are milliseconds in an unsigned 32-bit count that wraps about every 49.7 days: compare
// only differences (now - start).
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"
#include "platform/Kernel.h"

namespace Orv
{
class LClock : public LRefCountedObject
{
public:
    // The clock's millisecond count.
    virtual DWORD GetMilliseconds() const = 0;
    // Waits until the event is signalled or ms milliseconds of this clock have passed:
    // WAIT_OBJECT_0 when signalled (an auto-reset event is reset by the wait it releases; a
    // signalled event wins over a deadline reached at the same time), WAIT_TIMEOUT at the
    // deadline, WAIT_FAILED when the handle is no open object. INFINITE waits for the event
    // alone. A null event waits for the time alone.
    virtual DWORD Wait(HANDLE event, DWORD ms) = 0;
    // Lets ms milliseconds of this clock pass.
    void Sleep(DWORD ms) { Wait(nullptr, ms); }
};

// The system's monotonic clock (timeGetTime, WaitForSingleObject, Sleep). It holds no state: one
// object serves the whole program.
RCPtr<LClock> GetSystemClock();
} // namespace Orv
