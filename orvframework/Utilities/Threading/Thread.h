// One system thread that runs a plain function with a context pointer. It is created
// suspended, can be resumed once, and tells through a shared traffic light whether its
// function has finished (the light is green before the start and after the end, red while the
// function runs).
//
// Threads are never killed: a destructor waits for the function for the end time-out (its end
// wait, 60000 ms by the system clock unless given otherwise) and, when it still runs, reports it
// on the debug output and leaves the thread running. Waiting on a thread from that thread itself
// returns false at once.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Threading/Clock.h"
#include "Utilities/Threading/TrafficLight.h"
#include "Utilities/Threading/Wrapper.h"
#include "platform/Kernel.h"

namespace Orv
{
// How long the owner of a thread waits for it to end before it leaves it running, measured by
// which clock. Given to threads, threaders and thread pools when they are made.
struct EndWait
{
    static constexpr DWORD kDefaultTimeout = 60000;

    DWORD timeout = kDefaultTimeout;
    // Null: the system clock.
    RCPtr<LClock> clock;
};

class Thread
{
public:
    using Function = DWORD(WINAPI*)(void* context);
    using Light = LWrapper<TrafficLight, LRefCountedObject>;

    // Creates the thread suspended. When the system gives no thread, the Thread is done at once
    // and every later call is harmless.
    Thread(Function function, void* context, const EndWait& endWait = EndWait());
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Lets a suspended thread run; false (nothing done) when it was resumed before or never made.
    bool Resume();
    // Whether the function has finished (or the thread was never made). Right after Resume,
    // before the thread has begun, this is false.
    bool IsDone();
    // Waits up to ms milliseconds of the end wait's clock for the function to finish; a thread
    // that was never resumed is resumed first. True when it has finished. The thread is never
    // stopped.
    bool WaitForEnd(DWORD ms);
    // A THREAD_PRIORITY_* value.
    bool SetPriority(int priority);
    bool SetPriorityBoost(bool enable);

    // The start routine of every thread; its argument is the thread record.
    static DWORD WINAPI ThreadProc(void* record);
    // A new light, red.
    static ConstRCPtr<Light> CreateLight();

    // How long the destructor waits for the thread, by which clock (never null).
    const EndWait& GetEndWait() const { return mEndWait; }

private:
    struct Record;

    bool IsCallingThread() const;

    Record* mRecord;
    EndWait mEndWait;
};
} // namespace Orv
