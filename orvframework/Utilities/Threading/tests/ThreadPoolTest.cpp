#include "Utilities/Threading/ThreadPool.h"
#include "ObjectBase/Holder.h"
#include "Utilities/Threading/EventPool.h"

#include "ManualClock.h"
#include "ThreadQuiescence.h"
#include "ThreadingTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace Orv;
using OrvTest::Eventually;
using OrvTest::RecordingTask;

TEST(EventPool, WaitForAnyGivesTheLowestSignalledEventOnce)
{
    EventPool pool(4);
    ASSERT_EQ(pool.GetCount(), 4u);
    EXPECT_NE(pool.GetEvent(0).Get(), pool.GetEvent(3).Get());
    EXPECT_EQ(pool.WaitForAny(0), -1);
    pool.GetEvent(3)->Set();
    pool.GetEvent(1)->Set();
    EXPECT_EQ(pool.WaitForAny(0), 1);
    EXPECT_EQ(pool.WaitForAny(0), 3);
    EXPECT_EQ(pool.WaitForAny(5), -1);

    std::thread setter([&] { pool.GetEvent(2)->Set(); });
    EXPECT_EQ(pool.WaitForAny(INFINITE), 2);
    setter.join();
}

TEST(ThreadPool, FreeWorkersTakeJobsAtOnceWorkerZeroFirst)
{
    RCPtr<LThreadPool> pool(new LThreadPool(2, THREAD_PRIORITY_HIGHEST));
    RCPtr<RecordingTask> first(new RecordingTask(1)), second(new RecordingTask(2)),
        third(new RecordingTask(3));
    first->release = LEvent::Create();
    second->release = LEvent::Create();
    RCPtr<LHolder<int>> parameter(new LHolder<int>(5));

    EXPECT_EQ(pool->RunOnFreeWorker(first, parameter, THREAD_PRIORITY_NORMAL), 0);
    EXPECT_EQ(pool->RunOnFreeWorker(second, nullptr, THREAD_PRIORITY_NORMAL), 1);
    EXPECT_EQ(pool->RunOnFreeWorker(third, nullptr, THREAD_PRIORITY_NORMAL), -1);
    ASSERT_EQ(first->started.Wait(5000), WAIT_OBJECT_0);
    EXPECT_EQ(first->lastParameter, parameter.Get());

    // Both workers busy: the job waits in the queue and runs when a worker is free.
    pool->QueueWork(third, nullptr, THREAD_PRIORITY_NORMAL);
    ASSERT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
    EXPECT_EQ(third->started.Wait(0), WAIT_TIMEOUT);
    second->release->Set();
    EXPECT_TRUE(Eventually([&] { return third->runs == 1; }));
    first->release->Set();
    EXPECT_TRUE(Eventually([&] { return first->runs == 1 && second->runs == 1; }));
}

TEST(ThreadPool, QueuedJobsRunByPriorityThenInOrder)
{
    std::vector<int> order;
    std::mutex orderLock;
    RCPtr<LThreadPool> pool(new LThreadPool(1, THREAD_PRIORITY_HIGHEST));
    RCPtr<RecordingTask> blocker(new RecordingTask(0));
    blocker->release = LEvent::Create();
    pool->QueueWork(blocker, nullptr, THREAD_PRIORITY_NORMAL);
    ASSERT_EQ(blocker->started.Wait(5000), WAIT_OBJECT_0);

    // Priorities 0, 2, 0, 1 queued behind the busy worker.
    const int priorities[] = {0, 2, 0, 1};
    std::vector<RCPtr<RecordingTask>> jobs;
    for (int i = 0; i < 4; ++i)
    {
        jobs.emplace_back(new RecordingTask(i + 1, &order, &orderLock));
        pool->QueueWork(jobs.back(), nullptr, priorities[i]);
    }
    blocker->release->Set();
    ASSERT_TRUE(Eventually(
        [&]
        {
            std::lock_guard<std::mutex> guard(orderLock);
            return order.size() == 4;
        }));
    std::lock_guard<std::mutex> guard(orderLock);
    EXPECT_EQ(order, (std::vector<int>{2, 4, 1, 3}));
}

TEST(ThreadPool, ShutdownWhileJobsWaitDropsThemAndRefusesNewOnes)
{
    RCPtr<LThreadPool> pool(new LThreadPool(1, THREAD_PRIORITY_HIGHEST));
    RCPtr<RecordingTask> blocker(new RecordingTask(0));
    blocker->release = LEvent::Create();
    RCPtr<RecordingTask> queued(new RecordingTask(1));
    RCPtr<LHolder<int>> parameter(new LHolder<int>(1));
    pool->QueueWork(blocker, nullptr, THREAD_PRIORITY_NORMAL);
    ASSERT_EQ(blocker->started.Wait(5000), WAIT_OBJECT_0);
    pool->QueueWork(queued, parameter, THREAD_PRIORITY_NORMAL);
    pool->QueueWork(queued, parameter, THREAD_PRIORITY_HIGHEST);
    EXPECT_EQ(queued->GetRefCount(), 3);

    // Shutdown waits for the running job; the queued ones are dropped at once.
    std::thread stopper([&] { pool->Shutdown(); });
    EXPECT_TRUE(Eventually([&] { return queued->GetRefCount() == 1; }));
    EXPECT_EQ(parameter->GetRefCount(), 1);
    blocker->release->Set();
    stopper.join();
    EXPECT_EQ(blocker->runs, 1);
    EXPECT_EQ(queued->runs, 0);

    pool->QueueWork(queued, parameter, THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(pool->RunOnFreeWorker(queued, parameter, THREAD_PRIORITY_NORMAL), -1);
    ASSERT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
    EXPECT_EQ(queued->started.Wait(0), WAIT_TIMEOUT);
    EXPECT_EQ(queued->runs, 0);
    EXPECT_EQ(queued->GetRefCount(), 1);
    EXPECT_EQ(parameter->GetRefCount(), 1);
}

TEST(ThreadPool, AWorkerThatDoesNotEndIsWaitedForOnlyOnce)
{
    RCPtr<OrvTest::LManualClock> clock(new OrvTest::LManualClock());
    EndWait endWait;
    endWait.timeout = 1000;
    endWait.clock = RCPtr<LClock>(clock.Get());
    RCPtr<LThreadPool> pool(new LThreadPool(1, THREAD_PRIORITY_NORMAL, endWait));
    RCPtr<RecordingTask> blocker(new RecordingTask(0));
    blocker->release = LEvent::Create();
    pool->QueueWork(blocker, nullptr, THREAD_PRIORITY_NORMAL);
    ASSERT_EQ(blocker->started.Wait(5000), WAIT_OBJECT_0);

    // The first shutdown waits out the end wait for the busy worker and leaves it running.
    auto first = std::async(std::launch::async, [&] { pool->Shutdown(); });
    while (first.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
    {
        clock->AdvanceToNextDeadline();
    }
    const DWORD waited = clock->GetMilliseconds();
    EXPECT_GE(waited, 1000u);
    // A second one does not wait for it again: it returns without the clock moving.
    auto second = std::async(std::launch::async, [&] { pool->Shutdown(); });
    EXPECT_EQ(second.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(clock->GetMilliseconds(), waited);

    blocker->release->Set();
    clock->Advance(endWait.timeout);
    second.wait();
    EXPECT_TRUE(Eventually([&] { return blocker->runs == 1; }));
}

TEST(ThreadPool, NamesAndBadSizes)
{
    RCPtr<LThreadPool> pool(new LThreadPool(1, THREAD_PRIORITY_NORMAL));
    EXPECT_TRUE(pool->ToString() == WString(L"Unnamed ThreadPool"));
    pool->SetName(WString(L"MIDI input"));
    EXPECT_TRUE(pool->ToString() == WString(L"MIDI input"));
    EXPECT_EQ(pool->RunOnFreeWorker(nullptr, nullptr, THREAD_PRIORITY_NORMAL), -1);
    EXPECT_THROW(LThreadPool(MAXIMUM_WAIT_OBJECTS + 1, THREAD_PRIORITY_NORMAL),
                 Exception<std::invalid_argument>);

    // A pool without workers drops every job.
    RCPtr<LThreadPool> empty(new LThreadPool(0, THREAD_PRIORITY_NORMAL));
    RCPtr<RecordingTask> task(new RecordingTask());
    empty->QueueWork(task, nullptr, THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(task->GetRefCount(), 1);
}

namespace
{
class CountingTask : public LThreadWorker
{
public:
    ORVRESULT DoWork(const ConstRCPtr<LRefCountedObject>& parameter) override
    {
        RCPtr<LHolder<int>> value(parameter);
        total += value ? value->GetValue() : 0;
        ++runs;
        return S_OK;
    }
    std::atomic<int> runs{0};
    std::atomic<long> total{0};
};
} // namespace

TEST(ThreadPool, ManyJobsFromSeveralThreadsEachRunOnce)
{
    RCPtr<CountingTask> task(new CountingTask());
    {
        RCPtr<LThreadPool> pool(new LThreadPool(3, THREAD_PRIORITY_HIGHEST));
        std::vector<std::thread> producers;
        for (int p = 0; p < 3; ++p)
        {
            producers.emplace_back(
                [&, p]
                {
                    for (int i = 0; i < 100; ++i)
                    {
                        RCPtr<LHolder<int>> value(new LHolder<int>(i));
                        pool->QueueWork(task, value, (i + p) % 3 - 1);
                    }
                });
        }
        for (auto& producer : producers)
        {
            producer.join();
        }
        EXPECT_TRUE(Eventually([&] { return task->runs == 300; }));
    }
    EXPECT_EQ(task->total, 3 * (99 * 100 / 2));
    EXPECT_EQ(task->GetRefCount(), 1);
}

namespace
{
// A job that lets go of the last reference to its own pool.
class ReleasePoolTask : public LThreadWorker
{
public:
    ORVRESULT DoWork(const ConstRCPtr<LRefCountedObject>&) override
    {
        go.Wait(INFINITE);
        pool = nullptr;
        finished.Set();
        return S_OK;
    }
    RCPtr<LThreadPool> pool;
    Event go{false};
    Event finished{false};
};
} // namespace

TEST(ThreadPool, PoolReleasedByItsOwnJobShutsDownWithoutWaitingForItself)
{
    RCPtr<ReleasePoolTask> task(new ReleasePoolTask());
    {
        RCPtr<LThreadPool> pool(new LThreadPool(2, THREAD_PRIORITY_HIGHEST));
        task->pool = pool;
        pool->QueueWork(task, nullptr, THREAD_PRIORITY_NORMAL);
    }
    const auto start = std::chrono::steady_clock::now();
    task->go.Set();
    EXPECT_EQ(task->finished.Wait(10000), WAIT_OBJECT_0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(Eventually([&] { return task->GetRefCount() == 1; }));
}
