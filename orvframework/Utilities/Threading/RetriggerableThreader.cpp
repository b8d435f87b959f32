#include "Utilities/Threading/RetriggerableThreader.h"

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "Utilities/Threading/Event.h"

#include <atomic>
#include <exception>

namespace Orv
{
struct RetriggerableThreader::Shared
{
    Event wake{true};
    // Written by Trigger while busy is clear, read and cleared by the loop after the wake.
    RCPtr<LEvent> done;
    ConstRCPtr<LThreadWorker> task;
    ConstRCPtr<LRefCountedObject> parameter;
    std::atomic<bool> busy{false};
    std::atomic<bool> quit{false};
    std::atomic<ORVRESULT> result{S_OK};
};

RetriggerableThreader::RetriggerableThreader(const WString& name, const EndWait& endWait)
    : mShared(std::make_shared<Shared>())
    , mLoopReference(new std::shared_ptr<Shared>(mShared))
    , mThread(&RetriggerableThreader::Loop, mLoopReference, endWait)
    , mName(name)
{
    mThread.SetPriorityBoost(false);
    if (!mThread.Resume())
    {
        // No thread was made: the loop's reference is not taken, and every Trigger fails.
        delete mLoopReference;
        GetDebugOutput().Narrow() << "Orv::RetriggerableThreader: no thread could be started"
                                  << std::endl;
    }
    mLoopReference = nullptr;
}

RetriggerableThreader::~RetriggerableThreader()
{
    // The thread's destructor then waits for the loop once, for the end wait's time-out; the
    // loop uses only the shared state, which it holds a reference to.
    Quit();
}

ORVRESULT RetriggerableThreader::Trigger(const ConstRCPtr<LThreadWorker>& task,
                                         const ConstRCPtr<LRefCountedObject>& parameter,
                                         const RCPtr<LEvent>& done, int priority)
{
    Shared& shared = *mShared;
    if (shared.quit)
    {
        return E_FAIL;
    }
    if (mThread.IsDone())
    {
        // The loop is gone: a stale busy flag is cleared, but nothing would run a task.
        shared.busy = false;
        return E_FAIL;
    }
    if (shared.busy)
    {
        return E_FAIL;
    }
    mThread.SetPriority(priority);
    shared.task = task;
    shared.parameter = parameter;
    shared.done = done;
    if (done)
    {
        done->Reset();
    }
    shared.busy = true;
    return shared.wake.Set() ? S_OK : E_FAIL;
}

WString RetriggerableThreader::ToString() const
{
    std::lock_guard<std::mutex> guard(mNameLock);
    return mName;
}

void RetriggerableThreader::SetName(const WString& name)
{
    std::lock_guard<std::mutex> guard(mNameLock);
    mName = name;
}

bool RetriggerableThreader::IsBusy()
{
    return mShared->busy && !mThread.IsDone();
}

ORVRESULT RetriggerableThreader::GetResult() const
{
    return mShared->result;
}

void RetriggerableThreader::Quit()
{
    mShared->quit = true;
    mShared->wake.Set();
}

bool RetriggerableThreader::WaitForEnd(DWORD ms)
{
    return mThread.WaitForEnd(ms);
}

void RetriggerableThreader::EndRun(Shared& shared)
{
    shared.parameter = nullptr;
    shared.task = nullptr;
    if (shared.done)
    {
        RCPtr<LEvent> done = shared.done;
        shared.done = nullptr;
        shared.busy = false;
        done->Set();
    }
    else
    {
        shared.busy = false;
    }
}

DWORD WINAPI RetriggerableThreader::Loop(void* context)
{
    // The loop's own reference: the state lives as long as either side needs it.
    std::unique_ptr<std::shared_ptr<Shared>> reference(
        static_cast<std::shared_ptr<Shared>*>(context));
    Shared& shared = **reference;
    while (!shared.quit)
    {
        shared.wake.Wait(INFINITE);
        if (!shared.quit && shared.task)
        {
            try
            {
                shared.result = shared.task.GetMutable()->DoWork(shared.parameter);
            }
            catch (const std::exception& error)
            {
                GetDebugOutput().Narrow()
                    << "Orv::RetriggerableThreader: the task threw: " << error.what() << std::endl;
                shared.result = E_FAIL;
            }
            catch (...)
            {
                GetDebugOutput().Narrow()
                    << "Orv::RetriggerableThreader: the task threw" << std::endl;
                shared.result = E_FAIL;
            }
        }
        EndRun(shared);
    }
    // A trigger accepted before the quit, that the loop never woke for, is ended unrun.
    EndRun(shared);
    return 0;
}
} // namespace Orv
