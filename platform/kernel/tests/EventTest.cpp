#include "ThreadQuiescence.h"
#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

// Polls until the condition holds; false after two seconds.
template <class Condition>
bool Eventually(Condition condition)
{
    const auto end = Clock::now() + std::chrono::seconds(2);
    while (!condition())
    {
        if (Clock::now() > end)
        {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

struct EventHandle
{
    EventHandle(bool manualReset, bool initialState)
        : handle(CreateEventW(nullptr, manualReset, initialState, nullptr))
    {
    }
    ~EventHandle() { CloseHandle(handle); }
    EventHandle(const EventHandle&) = delete;
    EventHandle& operator=(const EventHandle&) = delete;
    HANDLE handle;
};
} // namespace

TEST(KernelEvent, SignalsAndResetsByKind)
{
    struct Case
    {
        bool manualReset;
        bool initialState;
        // Results of three zero-time waits after creation, after SetEvent, after ResetEvent.
        DWORD atStart[2];
        DWORD afterSet[2];
    };
    const Case cases[] = {
        {false, false, {WAIT_TIMEOUT, WAIT_TIMEOUT}, {WAIT_OBJECT_0, WAIT_TIMEOUT}},
        {false, true, {WAIT_OBJECT_0, WAIT_TIMEOUT}, {WAIT_OBJECT_0, WAIT_TIMEOUT}},
        {true, false, {WAIT_TIMEOUT, WAIT_TIMEOUT}, {WAIT_OBJECT_0, WAIT_OBJECT_0}},
        {true, true, {WAIT_OBJECT_0, WAIT_OBJECT_0}, {WAIT_OBJECT_0, WAIT_OBJECT_0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message()
                     << "manual " << c.manualReset << " initial " << c.initialState);
        EventHandle event(c.manualReset, c.initialState);
        ASSERT_NE(event.handle, nullptr);
        EXPECT_EQ(WaitForSingleObject(event.handle, 0), c.atStart[0]);
        EXPECT_EQ(WaitForSingleObject(event.handle, 0), c.atStart[1]);
        EXPECT_TRUE(SetEvent(event.handle));
        EXPECT_EQ(WaitForSingleObject(event.handle, 0), c.afterSet[0]);
        EXPECT_EQ(WaitForSingleObject(event.handle, 0), c.afterSet[1]);
        EXPECT_TRUE(SetEvent(event.handle));
        EXPECT_TRUE(ResetEvent(event.handle));
        EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_TIMEOUT);
    }
}

TEST(KernelEvent, TimedWaitEndsAfterItsTime)
{
    EventHandle event(false, false);
    const auto start = Clock::now();
    EXPECT_EQ(WaitForSingleObject(event.handle, 30), WAIT_TIMEOUT);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));
}

TEST(KernelEvent, SetFromAnotherThreadReleasesAnEndlessWait)
{
    EventHandle event(false, false);
    std::thread setter(
        [&]
        {
            // Set while the test waits.
            EXPECT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
            SetEvent(event.handle);
        });
    EXPECT_EQ(WaitForSingleObject(event.handle, INFINITE), WAIT_OBJECT_0);
    setter.join();
    // The wait consumed the signal.
    EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_TIMEOUT);
}

TEST(KernelEvent, AutoResetReleasesOneWaiterPerSignal)
{
    EventHandle event(false, false);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 2; ++i)
    {
        waiters.emplace_back(
            [&]
            {
                if (WaitForSingleObject(event.handle, INFINITE) == WAIT_OBJECT_0)
                {
                    ++released;
                }
            });
    }
    SetEvent(event.handle);
    EXPECT_TRUE(Eventually([&] { return released == 1; }));
    // The other waiter still waits: the one signal was consumed.
    ASSERT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
    EXPECT_EQ(released, 1);
    SetEvent(event.handle);
    for (auto& waiter : waiters)
    {
        waiter.join();
    }
    EXPECT_EQ(released, 2);
    EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_TIMEOUT);
}

TEST(KernelEvent, ManualResetReleasesEveryWaiter)
{
    EventHandle event(true, false);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
    {
        waiters.emplace_back(
            [&]
            {
                if (WaitForSingleObject(event.handle, INFINITE) == WAIT_OBJECT_0)
                {
                    ++released;
                }
            });
    }
    SetEvent(event.handle);
    for (auto& waiter : waiters)
    {
        waiter.join();
    }
    EXPECT_EQ(released, 3);
    EXPECT_EQ(WaitForSingleObject(event.handle, 0), WAIT_OBJECT_0);
}

TEST(KernelEvent, BadHandlesFailWithTheirErrorCode)
{
    HANDLE closed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    ASSERT_TRUE(CloseHandle(closed));
    // A new object never takes the value of a closed handle.
    EventHandle other(true, true);
    EXPECT_NE(other.handle, closed);

    for (HANDLE bad : {closed, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE})
    {
        SetLastError(0);
        EXPECT_FALSE(SetEvent(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(ResetEvent(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(bad, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(bad));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

TEST(KernelEvent, NamedEventsAreNotOffered)
{
    SetLastError(0);
    EXPECT_EQ(CreateEventW(nullptr, FALSE, FALSE, L"Shared"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_NOT_SUPPORTED);
}

TEST(KernelWaitAny, TakesTheLowestSignalledIndexAndConsumesOnlyThatOne)
{
    EventHandle e0(false, false), e1(false, false), e2(true, false), e3(false, false);
    const HANDLE handles[] = {e0.handle, e1.handle, e2.handle, e3.handle};
    SetEvent(e3.handle);
    SetEvent(e1.handle);
    EXPECT_EQ(WaitForMultipleObjects(4, handles, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(4, handles, FALSE, 0), WAIT_OBJECT_0 + 3);
    EXPECT_EQ(WaitForMultipleObjects(4, handles, FALSE, 0), WAIT_TIMEOUT);
    // A manual-reset event stays signalled and keeps winning over higher indexes.
    SetEvent(e2.handle);
    SetEvent(e3.handle);
    EXPECT_EQ(WaitForMultipleObjects(4, handles, FALSE, 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(WaitForMultipleObjects(4, handles, FALSE, 0), WAIT_OBJECT_0 + 2);
    ResetEvent(e2.handle);
    EXPECT_EQ(WaitForMultipleObjects(4, handles, FALSE, 0), WAIT_OBJECT_0 + 3);
}

TEST(KernelWaitAny, WakesForAnEventSetLater)
{
    EventHandle e0(false, false), e1(false, false), e2(false, false);
    const HANDLE handles[] = {e0.handle, e1.handle, e2.handle};
    std::thread setter(
        [&]
        {
            // Set while the test waits.
            EXPECT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
            SetEvent(e2.handle);
        });
    EXPECT_EQ(WaitForMultipleObjects(3, handles, FALSE, INFINITE), WAIT_OBJECT_0 + 2);
    setter.join();
    const auto start = Clock::now();
    EXPECT_EQ(WaitForMultipleObjects(3, handles, FALSE, 20), WAIT_TIMEOUT);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(20));
}

TEST(KernelWaitAny, SeveralThreadsShareTheSignalsOfOneSet)
{
    // Four auto-reset events, each set once, serve four waiting threads exactly once each.
    EventHandle e0(false, false), e1(false, false), e2(false, false), e3(false, false);
    const HANDLE handles[] = {e0.handle, e1.handle, e2.handle, e3.handle};
    std::atomic<int> seen[4] = {};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i)
    {
        waiters.emplace_back(
            [&]
            {
                const DWORD result = WaitForMultipleObjects(4, handles, FALSE, INFINITE);
                ASSERT_LT(result, 4u);
                ++seen[result];
            });
    }
    for (HANDLE handle : handles)
    {
        SetEvent(handle);
    }
    for (auto& waiter : waiters)
    {
        waiter.join();
    }
    for (const auto& count : seen)
    {
        EXPECT_EQ(count, 1);
    }
}

TEST(KernelWaitAll, NeedsEveryObjectAtOnce)
{
    EventHandle automatic(false, false), manual(true, false);
    const HANDLE handles[] = {automatic.handle, manual.handle};
    SetEvent(automatic.handle);
    EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, 10), WAIT_TIMEOUT);
    // The failed wait took nothing.
    EXPECT_EQ(WaitForSingleObject(automatic.handle, 0), WAIT_OBJECT_0);

    SetEvent(automatic.handle);
    std::thread setter(
        [&]
        {
            // Set while the test waits.
            EXPECT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
            SetEvent(manual.handle);
        });
    EXPECT_EQ(WaitForMultipleObjects(2, handles, TRUE, INFINITE), WAIT_OBJECT_0);
    setter.join();
    EXPECT_EQ(WaitForSingleObject(automatic.handle, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(manual.handle, 0), WAIT_OBJECT_0);
}

TEST(KernelWaitMultiple, RefusesBadArguments)
{
    EventHandle event(true, true);
    std::vector<HANDLE> many(MAXIMUM_WAIT_OBJECTS + 1, event.handle);
    const HANDLE twice[] = {event.handle, event.handle};
    struct Case
    {
        DWORD count;
        const HANDLE* handles;
        BOOL waitAll;
    };
    const Case bad[] = {
        {0, many.data(), FALSE},
        {MAXIMUM_WAIT_OBJECTS + 1, many.data(), FALSE},
        {2, twice, TRUE},
    };
    for (const Case& c : bad)
    {
        SetLastError(0);
        EXPECT_EQ(WaitForMultipleObjects(c.count, c.handles, c.waitAll, 0), WAIT_FAILED);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    // The same handle twice is accepted when any one will do.
    EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0);

    HANDLE closed = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    CloseHandle(closed);
    const HANDLE withClosed[] = {event.handle, closed};
    SetLastError(0);
    EXPECT_EQ(WaitForMultipleObjects(2, withClosed, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}
