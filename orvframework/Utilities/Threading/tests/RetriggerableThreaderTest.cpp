#include "Utilities/Threading/RetriggerableThreader.h"
#include "ObjectBase/Holder.h"

#include "ManualClock.h"
#include "ThreadingTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>

using namespace Orv;
using OrvTest::Eventually;
using OrvTest::LManualClock;
using OrvTest::RecordingTask;

TEST(RetriggerableThreader, RunsOneTaskPerTriggerAndReleasesItsObjects)
{
    RetriggerableThreader threader(WString(L"worker"));
    EXPECT_TRUE(threader.ToString() == WString(L"worker"));
    RCPtr<RecordingTask> task(new RecordingTask());
    task->result = 0x1234;
    RCPtr<LHolder<int>> parameter(new LHolder<int>(7));
    RCPtr<LEvent> done = LEvent::Create();
    // A signal left over from earlier is reset by the trigger.
    done->Set();

    for (int run = 1; run <= 3; ++run)
    {
        ASSERT_EQ(threader.Trigger(task, parameter, done, THREAD_PRIORITY_NORMAL), S_OK);
        ASSERT_EQ(done->Wait(5000), WAIT_OBJECT_0);
        EXPECT_EQ(task->runs, run);
        EXPECT_EQ(task->lastParameter, parameter.Get());
        EXPECT_EQ(threader.GetResult(), 0x1234);
        // The threader let go of the task and the parameter before signalling.
        EXPECT_EQ(task->GetRefCount(), 1);
        EXPECT_EQ(parameter->GetRefCount(), 1);
        EXPECT_FALSE(threader.IsBusy());
    }
    EXPECT_EQ(done->Wait(0), WAIT_TIMEOUT);
}

TEST(RetriggerableThreader, TriggerWhileBusyIsRefused)
{
    RetriggerableThreader threader{WString()};
    RCPtr<RecordingTask> first(new RecordingTask(1));
    first->release = LEvent::Create();
    RCPtr<RecordingTask> second(new RecordingTask(2));
    RCPtr<LEvent> done = LEvent::Create();
    RCPtr<LEvent> otherDone = LEvent::Create();

    ASSERT_EQ(threader.Trigger(first, nullptr, done, THREAD_PRIORITY_NORMAL), S_OK);
    EXPECT_TRUE(threader.IsBusy());
    // Refused both before and while the task runs; the caller keeps its objects.
    EXPECT_EQ(threader.Trigger(second, nullptr, otherDone, THREAD_PRIORITY_NORMAL), E_FAIL);
    ASSERT_EQ(first->started.Wait(5000), WAIT_OBJECT_0);
    EXPECT_EQ(threader.Trigger(second, nullptr, otherDone, THREAD_PRIORITY_NORMAL), E_FAIL);
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_EQ(done->Wait(0), WAIT_TIMEOUT);

    first->release->Set();
    ASSERT_EQ(done->Wait(5000), WAIT_OBJECT_0);
    EXPECT_EQ(threader.Trigger(second, nullptr, otherDone, THREAD_PRIORITY_HIGHEST), S_OK);
    ASSERT_EQ(otherDone->Wait(5000), WAIT_OBJECT_0);
    EXPECT_EQ(first->runs, 1);
    EXPECT_EQ(second->runs, 1);
}

namespace
{
class ThrowingTask : public LThreadWorker
{
public:
    ORVRESULT DoWork(const ConstRCPtr<LRefCountedObject>&) override
    {
        throw std::runtime_error("the file vanished");
    }
};
} // namespace

TEST(RetriggerableThreader, TaskThatThrowsGivesEFailAndTheThreaderGoesOn)
{
    RetriggerableThreader threader{WString()};
    RCPtr<LEvent> done = LEvent::Create();
    ASSERT_EQ(threader.Trigger(RCPtr<LThreadWorker>(new ThrowingTask()), nullptr, done,
                               THREAD_PRIORITY_NORMAL),
              S_OK);
    ASSERT_EQ(done->Wait(5000), WAIT_OBJECT_0);
    EXPECT_EQ(threader.GetResult(), E_FAIL);

    RCPtr<RecordingTask> task(new RecordingTask());
    ASSERT_EQ(threader.Trigger(task, nullptr, done, THREAD_PRIORITY_NORMAL), S_OK);
    ASSERT_EQ(done->Wait(5000), WAIT_OBJECT_0);
    EXPECT_EQ(threader.GetResult(), S_OK);
    EXPECT_EQ(task->runs, 1);
}

TEST(RetriggerableThreader, IdleThreaderEndsAtOnceAndRefusesAfterQuit)
{
    const auto start = std::chrono::steady_clock::now();
    {
        RetriggerableThreader threader{WString()};
        threader.Quit();
        EXPECT_TRUE(threader.WaitForEnd(5000));
        RCPtr<LEvent> done = LEvent::Create();
        EXPECT_EQ(threader.Trigger(RCPtr<LThreadWorker>(new RecordingTask()), nullptr, done,
                                   THREAD_PRIORITY_NORMAL),
                  E_FAIL);
        EXPECT_EQ(done->Wait(0), WAIT_TIMEOUT);
    }
    {
        RetriggerableThreader idle{WString()};
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(RetriggerableThreader, DoneIsSignalledOnceEvenWhenQuitComesFirst)
{
    // Whether the loop sees the trigger or the quit first, the done event is signalled exactly
    // once and the task and parameter are released.
    for (int round = 0; round < 20; ++round)
    {
        RCPtr<RecordingTask> task(new RecordingTask());
        RCPtr<LHolder<int>> parameter(new LHolder<int>(round));
        RCPtr<LEvent> done = LEvent::Create();
        {
            RetriggerableThreader threader{WString()};
            ASSERT_EQ(threader.Trigger(task, parameter, done, THREAD_PRIORITY_NORMAL), S_OK);
            threader.Quit();
            ASSERT_TRUE(threader.WaitForEnd(5000));
        }
        EXPECT_EQ(done->Wait(0), WAIT_OBJECT_0);
        EXPECT_EQ(done->Wait(0), WAIT_TIMEOUT);
        EXPECT_LE(task->runs, 1);
        EXPECT_EQ(task->GetRefCount(), 1);
        EXPECT_EQ(parameter->GetRefCount(), 1);
    }
}

TEST(RetriggerableThreader, StoppingWhileATaskRunsLeavesTheThreadToFinish)
{
    RCPtr<RecordingTask> task(new RecordingTask());
    task->release = LEvent::Create();
    RCPtr<LEvent> done = LEvent::Create();
    {
        const RCPtr<LManualClock> clock(new LManualClock());
        auto threader = std::make_unique<RetriggerableThreader>(WString(), EndWait{10, clock});
        ASSERT_EQ(threader->Trigger(task, nullptr, done, THREAD_PRIORITY_NORMAL), S_OK);
        ASSERT_EQ(task->started.Wait(5000), WAIT_OBJECT_0);
        // The threader is destroyed while its task still runs: it is not stopped.
        auto destroyed = std::async(std::launch::async, [&] { threader.reset(); });
        ASSERT_TRUE(clock->WaitForWaiters(1));
        clock->Advance(10);
        destroyed.get();
    }
    EXPECT_EQ(task->runs, 0);
    task->release->Set();
    // The task finishes, the done event is signalled and the loop lets go of its objects.
    EXPECT_EQ(done->Wait(5000), WAIT_OBJECT_0);
    EXPECT_EQ(task->runs, 1);
    EXPECT_TRUE(Eventually([&] { return task->GetRefCount() == 1; }));
}

namespace
{
// An object that owns a threader and is released, for the last time, by the threader's task.
class Owner : public LRefCountedObject
{
public:
    Owner()
        : threader(std::make_unique<RetriggerableThreader>(WString(L"owned")))
    {
    }
    std::unique_ptr<RetriggerableThreader> threader;
};

class ReleaseOwnerTask : public LThreadWorker
{
public:
    ORVRESULT DoWork(const ConstRCPtr<LRefCountedObject>&) override
    {
        owner = nullptr;
        return S_OK;
    }
    RCPtr<Owner> owner;
};
} // namespace

TEST(RetriggerableThreader, ThreaderDestroyedOnItsOwnThreadDoesNotWaitForItself)
{
    RCPtr<ReleaseOwnerTask> task(new ReleaseOwnerTask());
    RCPtr<LEvent> done = LEvent::Create();
    {
        RCPtr<Owner> owner(new Owner());
        task->owner = owner;
        ASSERT_EQ(owner->threader->Trigger(task, nullptr, done, THREAD_PRIORITY_NORMAL), S_OK);
    }
    // With the normal 60 s time-out, a wait for itself would hold the done signal back.
    EXPECT_EQ(done->Wait(5000), WAIT_OBJECT_0);
    EXPECT_TRUE(Eventually([&] { return task->GetRefCount() == 1; }));
}
