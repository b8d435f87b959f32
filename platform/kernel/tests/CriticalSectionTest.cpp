#include "ThreadQuiescence.h"
#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(CriticalSection, OwnerMayEnterAgainAndOthersWaitForTheLastLeave)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);
    std::atomic<bool> entered{false};
    std::thread other(
        [&]
        {
            EnterCriticalSection(&section);
            entered = true;
            LeaveCriticalSection(&section);
        });
    LeaveCriticalSection(&section);
    // The other thread waits to enter: the one Leave left the section held.
    ASSERT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());
    EXPECT_FALSE(entered);
    LeaveCriticalSection(&section);
    other.join();
    EXPECT_TRUE(entered);
    DeleteCriticalSection(&section);
}

TEST(CriticalSection, GuardsPlainDataAcrossThreads)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
    {
        threads.emplace_back(
            [&]
            {
                for (int i = 0; i < 10000; ++i)
                {
                    EnterCriticalSection(&section);
                    ++counter;
                    LeaveCriticalSection(&section);
                }
            });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    EXPECT_EQ(counter, 40000);
    DeleteCriticalSection(&section);
}
