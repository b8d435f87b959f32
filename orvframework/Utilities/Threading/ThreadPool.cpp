#include "Utilities/Threading/ThreadPool.h"

#include "Utilities/Debug/DebugOutput.h"

#include "Utilities/Globals.h"
#include "Utilities/Threading/ReuseAllocator.h"
#include "Utilities/Threading/ScopedLock.h"
#include "platform/Interlocked.h"

namespace Orv
{
namespace
{
unsigned int CheckedWorkerCount(unsigned int count)
{
    if (count > MAXIMUM_WAIT_OBJECTS)
    {
        ORV_THROW(std::invalid_argument, "more workers than one wait can watch");
    }
    return count;
}

WString NameOf(const ConstRCPtr<LThreadWorker>& task)
{
    return task->ToString();
}
} // namespace

LThreadPool::LWorkerParams::LWorkerParams(const ConstRCPtr<LThreadWorker>& task,
                                          const ConstRCPtr<LRefCountedObject>& parameter,
                                          int priority)
    : task(task)
    , parameter(parameter)
    , priority(priority)
{
}

void* LThreadPool::LWorkerParams::operator new(std::size_t size)
{
    return GetWorkerParamsPool().Allocate(size);
}

void LThreadPool::LWorkerParams::operator delete(void* pointer)
{
    GetWorkerParamsPool().Free(pointer);
}

LThreadPool::LThreadPool(unsigned int workerCount, int dispatcherPriority, const EndWait& endWait)
    : mWorkerCount(static_cast<LONG>(CheckedWorkerCount(workerCount)))
    , mWorkers(std::make_unique<std::unique_ptr<RetriggerableThreader>[]>(workerCount))
    , mEvents(workerCount)
    , mDispatcher(WString(L"LThreadPool::mQueueThreader"), endWait)
    , mDispatcherDone(LEvent::Create())
    , mDispatcherPriority(dispatcherPriority)
    , mEndWait(endWait)
{
    // The job pool is made before any pool, so that it outlives them at exit.
    GetWorkerParamsPool();
    for (unsigned int i = 0; i < workerCount; ++i)
    {
        mWorkers[i] = std::make_unique<RetriggerableThreader>(WString(), endWait);
    }
    mDispatcherDone->Set();
}

LThreadPool::~LThreadPool()
{
    Shutdown();
}

unsigned int LThreadPool::GetWorkerCount() const
{
    const LONG count = InterlockedExchangeAdd(const_cast<LONG*>(&mWorkerCount), 0);
    return count > 0 ? static_cast<unsigned int>(count) : 0;
}

bool LThreadPool::TryWorker(unsigned int index, const ConstRCPtr<LThreadWorker>& task,
                            const ConstRCPtr<LRefCountedObject>& parameter, int priority)
{
    RetriggerableThreader& worker = GetWorker(index);
    if (worker.IsBusy())
    {
        return false;
    }
    worker.SetName(NameOf(task));
    return SUCCEEDED(worker.Trigger(task, parameter, mEvents.GetEvent(index), priority));
}

void LThreadPool::QueueWork(const ConstRCPtr<LThreadWorker>& task,
                            const ConstRCPtr<LRefCountedObject>& parameter, int priority)
{
    if (!task || RunOnFreeWorker(task, parameter, priority) >= 0)
    {
        return;
    }
    if (GetWorkerCount() == 0)
    {
        return;
    }
    RCPtr<LWorkerParams> job(new LWorkerParams(task, parameter, priority));

    ScopedLock<Mutex> guard(mMutex);
    // A shutdown may have come since the test above; it empties the queue under this mutex.
    if (GetWorkerCount() == 0)
    {
        return;
    }
    const unsigned int count = mQueue.GetCount();
    unsigned int at = 0;
    while (at < count && mQueue.GetConstElementPointer(at)->priority < priority)
    {
        ++at;
    }
    mQueue.InsertItem(at, job);
    if (count == 0)
    {
        // The dispatcher is not running, or is just ending its last run: let that end first.
        mDispatcherDone->Wait(INFINITE);
        const ConstRCPtr<LThreadWorker> self(this);
        if (FAILED(mDispatcher.Trigger(self, self, mDispatcherDone, mDispatcherPriority)))
        {
            // Keep the done event signalled while the dispatcher is idle.
            mDispatcherDone->Set();
        }
    }
}

int LThreadPool::RunOnFreeWorker(const ConstRCPtr<LThreadWorker>& task,
                                 const ConstRCPtr<LRefCountedObject>& parameter, int priority)
{
    if (!task || GetWorkerCount() < 1)
    {
        return -1;
    }
    for (unsigned int i = 0; i < GetWorkerCount(); ++i)
    {
        ScopedLock<Mutex> guard(mMutex);
        if (mQueue.GetCount() != 0 && GetWorkerCount() == 1)
        {
            return -1;
        }
        if (TryWorker(i, task, parameter, priority))
        {
            return static_cast<int>(i);
        }
    }
    return -1;
}

ORVRESULT LThreadPool::DoWork(const ConstRCPtr<LRefCountedObject>&)
{
    for (;;)
    {
        const int index = mEvents.WaitForAny(INFINITE);
        if (index < 0)
        {
            // Only a failed wait gives no worker; no index can be taken from it.
            GetDebugOutput().Narrow()
                << "Orv::LThreadPool::DoWork: waiting for the workers failed" << std::endl;
            return E_FAIL;
        }
        ScopedLock<Mutex> guard(mMutex);
        const unsigned int count = mQueue.GetCount();
        if (count == 0)
        {
            return S_OK;
        }
        // The last job has the highest priority and, among equals, came first.
        RCPtr<LWorkerParams> job = mQueue.GetElementPointer(count - 1);
        if (TryWorker(static_cast<unsigned int>(index), job->task, job->parameter, job->priority))
        {
            // The job leaves the queue only once a worker has it.
            mQueue.SetCount(count - 1);
            if (count == 1)
            {
                return S_OK;
            }
        }
    }
}

void LThreadPool::Shutdown()
{
    if (InterlockedExchange(&mShutDown, 1) != 0)
    {
        // A thread that did not end in time the first time is not waited for again.
        return;
    }
    InterlockedExchange(&mWorkerCount, 0);
    {
        // The dropped jobs are released outside the mutex.
        RCPtrArray<LWorkerParams, 16, 16> dropped;
        {
            ScopedLock<Mutex> guard(mMutex);
            while (mQueue.GetCount() != 0)
            {
                RCPtr<LWorkerParams> job;
                mQueue.RemoveLastItem(job);
                dropped.AddItem(job);
            }
        }
    }
    const DWORD timeout = mEndWait.timeout;
    mDispatcher.Quit();
    mDispatcher.WaitForEnd(timeout);
    for (unsigned int i = mEvents.GetCount(); i-- > 0;)
    {
        GetWorker(i).Quit();
        GetWorker(i).WaitForEnd(timeout);
    }
}

WString LThreadPool::ToString() const
{
    ScopedLock<Mutex> guard(mMutex);
    return mName.IsEmpty() ? WString(L"Unnamed ThreadPool") : mName;
}

void LThreadPool::SetName(const WString& name)
{
    ScopedLock<Mutex> guard(mMutex);
    mName = name;
}
} // namespace Orv
