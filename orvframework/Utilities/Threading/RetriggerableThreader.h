// One long-lived worker thread that runs one task at a time, once per trigger. A trigger hands
// it a task, a parameter object, a done event to signal after the run and a thread priority.
//
// Only one thread at a time may trigger a threader. The state that the worker's loop uses is
// shared between the threader and the loop, so a threader whose thread does not end in time
// can be destroyed while the loop goes on; the loop then ends at its next wake.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "Utilities/Storage/StringT.h"
#include "Utilities/Threading/LEvent.h"
#include "Utilities/Threading/Thread.h"
#include "Utilities/Threading/ThreadWorker.h"

#include <memory>
#include <mutex>

namespace Orv
{
class RetriggerableThreader : public IStringable
{
public:
    // Starts the thread, which waits for the first trigger.
    explicit RetriggerableThreader(const WString& name, const EndWait& endWait = EndWait());
    // Asks the loop to end, waits for it (the end wait) and leaves it running when it does not
    // end.
    ~RetriggerableThreader() override;
    RetriggerableThreader(const RetriggerableThreader&) = delete;
    RetriggerableThreader& operator=(const RetriggerableThreader&) = delete;

    // Runs task->DoWork(parameter) on the thread at the given priority; done (when not null) is
    // reset now and signalled once after the run. E_FAIL, changing nothing, when the threader is
    // quitting, busy, or its thread has ended.
    ORVRESULT Trigger(const ConstRCPtr<LThreadWorker>& task,
                      const ConstRCPtr<LRefCountedObject>& parameter, const RCPtr<LEvent>& done,
                      int priority);
    // The name (a thread pool names each worker after its task).
    WString ToString() const override;
    void SetName(const WString& name);

    // A run is pending or in progress.
    bool IsBusy();
    // The result of the last run (E_FAIL when the task threw).
    ORVRESULT GetResult() const;
    // Sets the quit flag and wakes the loop, which ends without running a pending task.
    void Quit();
    bool WaitForEnd(DWORD ms);

private:
    struct Shared;
    static DWORD WINAPI Loop(void* context);
    // Releases the run's task and parameter, clears busy and signals the done event.
    static void EndRun(Shared& shared);

    std::shared_ptr<Shared> mShared;
    // Handed to the thread's loop, which owns it from then on.
    std::shared_ptr<Shared>* mLoopReference;
    Thread mThread;
    mutable std::mutex mNameLock;
    WString mName;
};
} // namespace Orv
