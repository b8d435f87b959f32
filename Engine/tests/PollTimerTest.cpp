// The download's waits: a fine timer slack for the thread while the timer lives, and sleeps to a
// deadline on the steady clock.
#include "PollTimer.h"

#include <gtest/gtest.h>

#include <sys/prctl.h>
#include <thread>

TEST(PollTimer, GivesTheThreadAFineTimerSlackWhileItLives)
{
    std::thread(
        []
        {
            const int before = prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
            ASSERT_GT(before, PollTimer::kTimerSlack.count());
            {
                const PollTimer timer;
                EXPECT_EQ(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0), PollTimer::kTimerSlack.count());
            }
            EXPECT_EQ(prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0), before);
        })
        .join();
}

TEST(PollTimer, SleepsToTheDeadline)
{
    // A deadline that has passed returns at once; one ahead is not returned from before it.
    const auto start = PollTimer::Clock::now();
    PollTimer::SleepUntil(start - std::chrono::seconds(1));
    PollTimer::SleepUntil(PollTimer::Clock::time_point());
    const auto deadline = PollTimer::Clock::now() + std::chrono::milliseconds(3);
    PollTimer::SleepUntil(deadline);
    EXPECT_GE(PollTimer::Clock::now(), deadline);
}
