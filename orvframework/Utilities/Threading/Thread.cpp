#include "Utilities/Threading/Thread.h"

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "Utilities/Threading/ScopedLock.h"
#include "Utilities/Threading/SpinEventLock.h"
#include "platform/Interlocked.h"

#include <atomic>

namespace Orv
{
namespace
{
// The record's states; kResumedByWait combines the bits of the other two.
constexpr LONG kCreated = 0;
constexpr LONG kResumed = 1;
constexpr LONG kCreationFailed = 2;
constexpr LONG kResumedByWait = kResumed | kCreationFailed;

// The id of the Thread whose procedure runs on this system thread (0 on other threads).
thread_local DWORD tCurrentThreadId = 0;
} // namespace

struct Thread::Record
{
    HANDLE handle = nullptr;
    DWORD id = 0;
    Function function = nullptr;
    void* context = nullptr;
    SpinEventLock lock;
    LONG state = kCreated;
    LONG started = 0;
    ConstRCPtr<Light> light;
};

Thread::Thread(Function function, void* context, const EndWait& endWait)
    : mRecord(new Record)
    , mEndWait(endWait)
{
    if (!mEndWait.clock)
    {
        mEndWait.clock = GetSystemClock();
    }
    mRecord->function = function;
    mRecord->context = context;
    mRecord->handle =
        CreateThread(nullptr, 0, &Thread::ThreadProc, mRecord, CREATE_SUSPENDED, &mRecord->id);
    mRecord->state = mRecord->handle != nullptr ? kCreated : kCreationFailed;
    mRecord->light = CreateLight();
    mRecord->light.GetMutable()->SetGreen();
}

Thread::~Thread()
{
    const bool ended = WaitForEnd(mEndWait.timeout);
    if (!ended && !IsCallingThread())
    {
        GetDebugOutput().Narrow() << "Orv::Thread::~Thread: thread " << mRecord->id
                                  << " did not end within " << mEndWait.timeout
                                  << " ms; it is left running" << std::endl;
    }
    // A thread left running uses nothing of the record once it has started.
    if (mRecord->handle != nullptr)
    {
        CloseHandle(mRecord->handle);
    }
    delete mRecord;
}

bool Thread::Resume()
{
    ScopedLock<SpinEventLock> guard(mRecord->lock);
    if (mRecord->state != kCreated)
    {
        return false;
    }
    mRecord->state = kResumed;
    ResumeThread(mRecord->handle);
    return true;
}

bool Thread::IsDone()
{
    ScopedLock<SpinEventLock> guard(mRecord->lock);
    if (InterlockedExchangeAdd(&mRecord->started, 0) != 0)
    {
        return mRecord->light.GetMutable()->IsSet();
    }
    if ((mRecord->state & kResumed) != 0)
    {
        return false;
    }
    return (mRecord->state & kCreationFailed) != 0;
}

bool Thread::WaitForEnd(DWORD ms)
{
    if (IsDone())
    {
        return true;
    }
    // The calling thread cannot end while it waits for itself.
    if (IsCallingThread())
    {
        return false;
    }
    ScopedLock<SpinEventLock> guard(mRecord->lock);
    if ((mRecord->state & kResumed) == 0)
    {
        mRecord->state |= kResumedByWait;
        ResumeThread(mRecord->handle);
    }
    while (InterlockedExchangeAdd(&mRecord->started, 0) == 0)
    {
        Sleep(1);
    }
    return mEndWait.clock->Wait(mRecord->light->GetHandle(), ms) == WAIT_OBJECT_0;
}

bool Thread::SetPriority(int priority)
{
    return SetThreadPriority(mRecord->handle, priority) != FALSE;
}

bool Thread::SetPriorityBoost(bool enable)
{
    return SetThreadPriorityBoost(mRecord->handle, enable ? FALSE : TRUE) != FALSE;
}

DWORD WINAPI Thread::ThreadProc(void* argument)
{
    auto* record = static_cast<Record*>(argument);
    // Everything needed is copied before the started flag is set: from then on the owner may
    // give the record up.
    ConstRCPtr<Light> light = record->light;
    const Function function = record->function;
    void* const context = record->context;
    const bool run = record->state != kCreationFailed;
    tCurrentThreadId = record->id;
    light.GetMutable()->SetRed();
    InterlockedExchange(&record->started, 1);

    DWORD result = 0;
    if (run)
    {
        result = function(context);
    }
    light.GetMutable()->SetGreen();
    return result;
}

ConstRCPtr<Thread::Light> Thread::CreateLight()
{
    return ConstRCPtr<Light>(new Light());
}

bool Thread::IsCallingThread() const
{
    return mRecord->id != 0 && tCurrentThreadId == mRecord->id;
}
} // namespace Orv
