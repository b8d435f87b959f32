#include "Utilities/Threading/Mutex.h"
#include "Utilities/Threading/ScopedLock.h"
#include "Utilities/Threading/SpinEventLock.h"

#include "ThreadQuiescence.h"
#include "ThreadingTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace Orv;
using OrvTest::Eventually;

namespace
{
// Four threads add to a plain counter under the lock.
template <class Lock>
long CountUnder(Lock& lock)
{
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
    {
        threads.emplace_back(
            [&]
            {
                for (int i = 0; i < 5000; ++i)
                {
                    ScopedLock<Lock> guard(lock);
                    ++counter;
                }
            });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    return counter;
}
} // namespace

TEST(Mutex, ExcludesOtherThreadsAndLetsTheOwnerEnterAgain)
{
    Mutex mutex;
    EXPECT_EQ(CountUnder(mutex), 20000);

    mutex.Enter();
    mutex.Enter();
    std::atomic<bool> entered{false};
    std::thread other(
        [&]
        {
            ScopedLock<Mutex> guard(mutex);
            entered = true;
        });
    mutex.Leave();
    // The other thread waits in Enter: the one Leave left the mutex held.
    ASSERT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
    EXPECT_FALSE(entered);
    mutex.Leave();
    other.join();
    EXPECT_TRUE(entered);
}

TEST(SpinEventLock, UncontendedTakeAndRelease)
{
    SpinEventLock lock;
    EXPECT_EQ(lock.GetState(), 0);
    lock.Enter();
    EXPECT_EQ(lock.GetState(), 1);
    lock.Leave();
    EXPECT_EQ(lock.GetState(), 0);
}

TEST(SpinEventLock, WaiterMarksTheLockAndIsWokenByTheRelease)
{
    SpinEventLock lock;
    lock.Enter();
    std::atomic<bool> holding{false};
    std::thread second(
        [&]
        {
            lock.Enter();
            holding = true;
            // The woken waiter holds the lock in state 2.
            EXPECT_EQ(lock.GetState(), 2);
            lock.Leave();
        });
    EXPECT_TRUE(Eventually([&] { return lock.GetState() == 2; }));
    ASSERT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
    EXPECT_FALSE(holding);
    lock.Leave();
    second.join();
    EXPECT_TRUE(holding);
    EXPECT_EQ(lock.GetState(), 0);
    // A stale wake-up signal left behind does not let two threads in at once.
    EXPECT_EQ(CountUnder(lock), 20000);
}

TEST(SpinEventLock, ScopeReleasesOnAnException)
{
    SpinEventLock lock;
    try
    {
        ScopedLock<SpinEventLock> guard(lock);
        throw std::runtime_error("leave the scope");
    }
    catch (const std::runtime_error&)
    {
    }
    EXPECT_EQ(lock.GetState(), 0);
}
