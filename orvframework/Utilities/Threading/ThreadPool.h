// Runs queued tasks on a fixed set of retriggerable workers. A job goes straight to a free
// worker when there is one (worker 0 first); otherwise it waits in a queue ordered by priority,
// and the pool's dispatcher thread hands queued jobs to workers as they finish: the highest
// priority first, jobs of equal priority in the order they came.
//
// A pool is a shared object: make it with new and hold it in RCPtr (its dispatcher holds it
// while it runs).
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Storage/RCPtrArray.h"
#include "Utilities/Storage/StringT.h"
#include "Utilities/Threading/EventPool.h"
#include "Utilities/Threading/LEvent.h"
#include "Utilities/Threading/Mutex.h"
#include "Utilities/Threading/RetriggerableThreader.h"
#include "Utilities/Threading/ThreadWorker.h"

#include <cstddef>
#include <memory>

namespace Orv
{
class LThreadPool : public LThreadWorker, public virtual LRefCountedObject
{
public:
    // One queued job. Jobs come from a process-wide pool with a lock, as they are made and
    // released on different threads.
    class LWorkerParams : public LRefCountedObject
    {
    public:
        LWorkerParams(const ConstRCPtr<LThreadWorker>& task,
                      const ConstRCPtr<LRefCountedObject>& parameter, int priority);

        static void* operator new(std::size_t size);
        static void operator delete(void* pointer);

        ConstRCPtr<LThreadWorker> task;
        ConstRCPtr<LRefCountedObject> parameter;
        // A THREAD_PRIORITY_* value, given to the worker's thread for the run.
        int priority;
    };

    // workerCount workers, each waiting for work; the dispatcher runs at dispatcherPriority. The
    // end wait is that of the dispatcher's and each worker's thread. Throws "Invalid Argument"
    // for more workers than one wait can watch (64).
    LThreadPool(unsigned int workerCount, int dispatcherPriority,
                const EndWait& endWait = EndWait());
    // Shuts down, then destroys the workers.
    ~LThreadPool() override;

    // Runs the job on a free worker or queues it. Dropped (its references released) when the pool
    // has no workers or is shut down, and for a null task.
    void QueueWork(const ConstRCPtr<LThreadWorker>& task,
                   const ConstRCPtr<LRefCountedObject>& parameter, int priority);
    // The index of the worker that took the job, or -1 (none free, shut down, a null task, or a
    // lone worker while jobs are queued: it never overtakes them).
    int RunOnFreeWorker(const ConstRCPtr<LThreadWorker>& task,
                        const ConstRCPtr<LRefCountedObject>& parameter, int priority);
    // The dispatcher: hands queued jobs to workers as they finish, until the queue is empty.
    ORVRESULT DoWork(const ConstRCPtr<LRefCountedObject>& parameter) override;
    // Refuses further jobs, drops the queued ones and ends the dispatcher and the workers (each
    // given the end wait's time-out, then left running when it does not end). Only the first
    // call waits; later ones (the destructor's among them) return at once.
    void Shutdown();

    // The name, or "Unnamed ThreadPool".
    WString ToString() const override;
    void SetName(const WString& name);

private:
    unsigned int GetWorkerCount() const;
    RetriggerableThreader& GetWorker(unsigned int index) { return *mWorkers[index]; }
    // With the mutex held: gives the job to worker index when it is free.
    bool TryWorker(unsigned int index, const ConstRCPtr<LThreadWorker>& task,
                   const ConstRCPtr<LRefCountedObject>& parameter, int priority);

    LONG mWorkerCount;
    // Set by the first Shutdown.
    LONG mShutDown = 0;
    std::unique_ptr<std::unique_ptr<RetriggerableThreader>[]> mWorkers;
    EventPool mEvents;
    WString mName;
    RetriggerableThreader mDispatcher;
    RCPtr<LEvent> mDispatcherDone;
    RCPtrArray<LWorkerParams, 16, 16> mQueue;
    mutable Mutex mMutex;
    int mDispatcherPriority;
    EndWait mEndWait;
};
} // namespace Orv
