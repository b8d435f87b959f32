#include "PollTimer.h"

#include <cerrno>
#include <ctime>
#include <sys/prctl.h>

PollTimer::PollTimer()
{
    const int previous = ::prctl(PR_GET_TIMERSLACK, 0, 0, 0, 0);
    mPreviousSlack = previous > 0 ? previous : 0;
    ::prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(kTimerSlack.count()), 0, 0, 0);
}

PollTimer::~PollTimer()
{
    // 0 gives the thread its default slack back.
    ::prctl(PR_SET_TIMERSLACK, static_cast<unsigned long>(mPreviousSlack), 0, 0, 0);
}

void PollTimer::SleepUntil(Clock::time_point deadline)
{
    // The steady clock is CLOCK_MONOTONIC: its time since the epoch is the absolute time.
    const auto since =
        std::chrono::duration_cast<std::chrono::nanoseconds>(deadline.time_since_epoch());
    if (since.count() <= 0)
    {
        return;
    }
    timespec at{static_cast<time_t>(since.count() / 1000000000),
                static_cast<long>(since.count() % 1000000000)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR)
    {
    }
}
