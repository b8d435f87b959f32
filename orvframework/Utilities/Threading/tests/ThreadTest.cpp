#include "Utilities/Threading/Thread.h"
#include "Utilities/Threading/Event.h"

#include "ManualClock.h"
#include "ThreadQuiescence.h"
#include "ThreadingTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>

using namespace Orv;
using OrvTest::Eventually;
using OrvTest::LManualClock;

namespace
{
struct Work
{
    Event release{false};
    Event finished{false};
    std::atomic<int> runs{0};
    bool block = false;
};

DWORD WINAPI DoWork(void* context)
{
    auto* work = static_cast<Work*>(context);
    if (work->block)
    {
        work->release.Wait(INFINITE);
    }
    ++work->runs;
    // The last touch of the context.
    work->finished.Set();
    return 0;
}
} // namespace

TEST(Thread, NeverResumedThreadRunsToItsEndWhenDestroyed)
{
    Work work;
    {
        Thread thread(&DoWork, &work);
        EXPECT_FALSE(thread.IsDone());
        ASSERT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
        EXPECT_EQ(work.runs, 0);
    }
    EXPECT_EQ(work.runs, 1);
}

TEST(Thread, ResumesOnceAndReportsTheEnd)
{
    Work work;
    work.block = true;
    Thread thread(&DoWork, &work);
    EXPECT_TRUE(thread.Resume());
    EXPECT_FALSE(thread.Resume());
    // Running (or not yet begun): not done, although the light was green before the start.
    EXPECT_FALSE(thread.IsDone());
    EXPECT_FALSE(thread.WaitForEnd(10));
    EXPECT_FALSE(thread.IsDone());
    work.release.Set();
    EXPECT_TRUE(thread.WaitForEnd(INFINITE));
    EXPECT_TRUE(thread.IsDone());
    EXPECT_TRUE(thread.WaitForEnd(0));
    EXPECT_EQ(work.runs, 1);
}

TEST(Thread, WaitForEndRunsANeverResumedThread)
{
    Work work;
    Thread thread(&DoWork, &work);
    EXPECT_TRUE(thread.WaitForEnd(INFINITE));
    EXPECT_EQ(work.runs, 1);
    EXPECT_FALSE(thread.Resume());
}

TEST(Thread, PrioritiesAreChecked)
{
    Work work;
    Thread thread(&DoWork, &work);
    EXPECT_TRUE(thread.SetPriority(THREAD_PRIORITY_HIGHEST));
    EXPECT_TRUE(thread.SetPriority(THREAD_PRIORITY_NORMAL));
    EXPECT_FALSE(thread.SetPriority(7));
    EXPECT_TRUE(thread.SetPriorityBoost(false));
    EXPECT_TRUE(thread.Resume());
}

TEST(Thread, DestructorLeavesAThreadThatOutlivesTheTimeOut)
{
    Work work;
    work.block = true;
    const RCPtr<LManualClock> clock(new LManualClock());
    {
        auto thread = std::make_unique<Thread>(&DoWork, &work, EndWait{60000, clock});
        thread->Resume();
        auto destroyed = std::async(std::launch::async, [&] { thread.reset(); });
        // The destructor waits for the end time-out by the thread's clock, not a moment less.
        ASSERT_TRUE(clock->WaitForWaiters(1));
        clock->Advance(59999);
        EXPECT_EQ(destroyed.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
        clock->Advance(1);
        destroyed.get();
        // It left the thread running.
        EXPECT_EQ(work.runs, 0);
    }
    work.release.Set();
    EXPECT_EQ(work.finished.Wait(5000), WAIT_OBJECT_0);
    EXPECT_EQ(work.runs, 1);
}

namespace
{
struct SelfWait
{
    std::unique_ptr<Thread> thread;
    Event go{false};
    Event finished{false};
    std::atomic<bool> waited{true};
    std::atomic<bool> destroyed{false};
};

DWORD WINAPI WaitForSelfThenDestroy(void* context)
{
    auto* self = static_cast<SelfWait*>(context);
    self->go.Wait(INFINITE);
    self->waited = self->thread->WaitForEnd(INFINITE);
    // The last owner lets go of the Thread on its own thread.
    self->thread.reset();
    self->destroyed = true;
    self->finished.Set();
    return 0;
}
} // namespace

TEST(Thread, ThreadWaitingForItselfDoesNotWait)
{
    SelfWait self;
    self.thread = std::make_unique<Thread>(&WaitForSelfThenDestroy, &self);
    self.thread->Resume();
    const auto start = std::chrono::steady_clock::now();
    self.go.Set();
    EXPECT_EQ(self.finished.Wait(5000), WAIT_OBJECT_0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(self.waited);
    EXPECT_TRUE(self.destroyed);
}

TEST(Thread, NewLightIsRed)
{
    ConstRCPtr<Thread::Light> light = Thread::CreateLight();
    EXPECT_FALSE(light.GetMutable()->IsSet());
}
