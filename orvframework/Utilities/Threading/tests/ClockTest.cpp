#include "Utilities/Threading/Event.h"
#include "Utilities/Threading/SystemClock.h"

#include "ManualClock.h"

#include <gtest/gtest.h>

#include <future>

using namespace Orv;
using OrvTest::LManualClock;

TEST(SystemClock, FollowsTheKernelsMonotonicCount)
{
    const RCPtr<LClock> clock = GetSystemClock();
    ASSERT_TRUE(clock);
    EXPECT_EQ(GetSystemClock().Get(), clock.Get());
    const DWORD before = timeGetTime();
    const DWORD now = clock->GetMilliseconds();
    EXPECT_LE(now - before, 1000u);
}

TEST(SystemClock, WaitsEndAtTheEventOrTheTimeout)
{
    const RCPtr<LClock> clock = GetSystemClock();
    Event event(true);
    event.Set();
    EXPECT_EQ(clock->Wait(event.GetHandle(), 1000), WAIT_OBJECT_0);
    // The wait consumed the auto-reset signal.
    const DWORD start = clock->GetMilliseconds();
    EXPECT_EQ(clock->Wait(event.GetHandle(), 20), WAIT_TIMEOUT);
    EXPECT_GE(clock->GetMilliseconds() - start, 20u);
    EXPECT_EQ(clock->Wait(reinterpret_cast<HANDLE>(0x7FFF0000), 0), WAIT_FAILED);
}

TEST(ManualClock, StandsStillUntilMovedAndWrapsAt32Bits)
{
    const RCPtr<LManualClock> clock(new LManualClock(0xFFFFFFF0u));
    EXPECT_EQ(clock->GetMilliseconds(), 0xFFFFFFF0u);
    EXPECT_EQ(clock->GetMilliseconds(), 0xFFFFFFF0u);
    clock->Advance(0x20);
    EXPECT_EQ(clock->GetMilliseconds(), 0x10u);
    EXPECT_EQ(clock->GetMilliseconds() - 0xFFFFFFF0u, 0x20u);
}

TEST(ManualClock, AWaitEndsAtItsDeadlineAndNotBefore)
{
    // Also across the wrap of the count.
    for (const DWORD start : {0u, 0xFFFFFF00u})
    {
        SCOPED_TRACE(start);
        const RCPtr<LManualClock> clock(new LManualClock(start));
        Event event(true);
        auto wait =
            std::async(std::launch::async, [&] { return clock->Wait(event.GetHandle(), 500); });
        ASSERT_TRUE(clock->WaitForWaiters(1));
        clock->Advance(499);
        EXPECT_EQ(clock->GetWaiterCount(), 1u);
        EXPECT_EQ(wait.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
        clock->Advance(1);
        EXPECT_EQ(wait.get(), WAIT_TIMEOUT);
        EXPECT_EQ(clock->GetWaiterCount(), 0u);
        // The event was never consumed.
        event.Set();
        EXPECT_TRUE(event.IsSet());
    }
}

TEST(ManualClock, AWaitEndsAtItsEventWithoutTheClockMoving)
{
    const RCPtr<LManualClock> clock(new LManualClock());
    Event event(true);
    auto wait = std::async(std::launch::async, [&] { return clock->Wait(event.GetHandle(), 500); });
    ASSERT_TRUE(clock->WaitForWaiters(1));
    event.Set();
    EXPECT_EQ(wait.get(), WAIT_OBJECT_0);
    EXPECT_EQ(clock->GetMilliseconds(), 0u);
    // The auto-reset signal went to the wait.
    EXPECT_FALSE(event.IsSet());

    // Without a limit only the event ends the wait.
    auto endless =
        std::async(std::launch::async, [&] { return clock->Wait(event.GetHandle(), INFINITE); });
    ASSERT_TRUE(clock->WaitForWaiters(1));
    EXPECT_FALSE(clock->AdvanceToNextDeadline());
    clock->Advance(0x7FFFFFFF);
    EXPECT_EQ(endless.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
    event.Set();
    EXPECT_EQ(endless.get(), WAIT_OBJECT_0);
}

TEST(ManualClock, ASignalledEventWinsOverAReachedDeadline)
{
    const RCPtr<LManualClock> clock(new LManualClock());
    Event event(false);
    event.Set();
    EXPECT_EQ(clock->Wait(event.GetHandle(), 0), WAIT_OBJECT_0);
    EXPECT_EQ(clock->Wait(event.GetHandle(), 10), WAIT_OBJECT_0);
    event.Reset();
    EXPECT_EQ(clock->Wait(event.GetHandle(), 0), WAIT_TIMEOUT);
    EXPECT_EQ(clock->Wait(nullptr, 0), WAIT_TIMEOUT);
}

TEST(ManualClock, TheEarliestDeadlineComesFirst)
{
    const RCPtr<LManualClock> clock(new LManualClock(1000));
    auto late = std::async(std::launch::async, [&] { clock->Sleep(300); });
    ASSERT_TRUE(clock->WaitForWaiters(1));
    auto early = std::async(std::launch::async, [&] { clock->Sleep(100); });
    ASSERT_TRUE(clock->WaitForWaiters(2));

    ASSERT_TRUE(clock->AdvanceToNextDeadline());
    EXPECT_EQ(clock->GetMilliseconds(), 1100u);
    early.get();
    EXPECT_EQ(clock->GetWaiterCount(), 1u);
    EXPECT_EQ(late.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);

    ASSERT_TRUE(clock->AdvanceToNextDeadline());
    EXPECT_EQ(clock->GetMilliseconds(), 1300u);
    late.get();
    EXPECT_FALSE(clock->AdvanceToNextDeadline());
    EXPECT_EQ(clock->GetMilliseconds(), 1300u);
}

TEST(ManualClock, AWaitOnAHandleThatIsNotOpenFails)
{
    const RCPtr<LManualClock> clock(new LManualClock());
    HANDLE closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(closed, nullptr);
    CloseHandle(closed);
    EXPECT_EQ(clock->Wait(closed, 100), WAIT_FAILED);
    EXPECT_EQ(clock->Wait(closed, 0), WAIT_FAILED);
    EXPECT_EQ(clock->GetWaiterCount(), 0u);
}
