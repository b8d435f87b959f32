// The probe of the tests that expect nothing to happen: it answers only once every other thread
// sleeps, and not while one runs.
#include "ThreadQuiescence.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

TEST(ThreadQuiescence, WaitsForSleepersAndNotForEverForARunner)
{
    std::mutex lock;
    std::condition_variable changed;
    bool go = false;
    std::atomic<bool> stop{false};
    std::atomic<long> turns{0};
    std::thread sleeper(
        [&]
        {
            std::unique_lock<std::mutex> guard(lock);
            changed.wait(guard, [&] { return go; });
        });
    // Only the sleeper besides this thread: the probe answers once it waits.
    EXPECT_TRUE(OrvTest::WaitUntilOtherThreadsSleep());

    std::thread runner(
        [&]
        {
            while (!stop)
            {
                turns.fetch_add(1, std::memory_order_relaxed);
            }
        });
    EXPECT_FALSE(OrvTest::WaitUntilOtherThreadsSleep(std::chrono::milliseconds(50)));
    EXPECT_GT(turns.load(), 0);
    stop = true;
    runner.join();
    {
        std::lock_guard<std::mutex> guard(lock);
        go = true;
    }
    changed.notify_one();
    sleeper.join();
}
