// One system thread that runs a plain function with a context pointer. It is created
// suspended, can be resumed once, and tells through a shared traffic light whether its
// function has finished (the light is green before the start and after the end, red while the
// function runs).
//
// Threads are never killed: a destructor waits for the function for the end time-out (60000 ms
// unless changed) and, when it still runs, reports it on the error stream and leaves the thread
// running. Waiting on a thread from that thread itself returns false at once.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Threading/TrafficLight.h"
#include "Utilities/Threading/Wrapper.h"
#include "platform/Kernel.h"

namespace Orv
{
class Thread
{
public:
    using Function = DWORD(WINAPI*)(void* context);
    using Light = LWrapper<TrafficLight, LRefCountedObject>;

    // Creates the thread suspended. When the system gives no thread, the Thread is done at once
    // and every later call is harmless.
    Thread(Function function, void* context);
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Lets a suspended thread run; false (nothing done) when it was resumed before or never made.
    bool Resume();
    // Whether the function has finished (or the thread was never made). Right after Resume,
    // before the thread has begun, this is false.
    bool IsDone();
    // Waits up to ms milliseconds for the function to finish; a thread that was never resumed
    // is resumed first. True when it has finished. The thread is never stopped.
    bool WaitForEnd(DWORD ms);
    // A THREAD_PRIORITY_* value.
    bool SetPriority(int priority);
    bool SetPriorityBoost(bool enable);

    // The start routine of every thread; its argument is the thread record.
    static DWORD WINAPI ThreadProc(void* record);
    // A new light, red.
    static ConstRCPtr<Light> CreateLight();

    // How long the destructors of threads and threaders, and a thread pool's shutdown, wait for a
    // thread before leaving it running. 60000 ms unless set.
    static DWORD GetEndTimeout();
    static void SetEndTimeout(DWORD ms);

private:
    struct Record;

    bool IsCallingThread() const;

    Record* mRecord;
};
} // namespace Orv
