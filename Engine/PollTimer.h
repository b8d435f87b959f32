// The waits of the download between a device's status answers: to a deadline on the monotonic
// clock (the steady clock), not for a length, so that the time the request took is not added to
// the wait; and with a fine timer slack for the thread while the object lives, so that a wait of
// 1 or 2 ms is not stretched by the system's default slack.
#pragma once

#include <chrono>

class PollTimer
{
public:
    using Clock = std::chrono::steady_clock;

    // The timer slack of the calling thread while the object lives.
    static constexpr std::chrono::nanoseconds kTimerSlack{1000};

    // Sets the calling thread's timer slack; the destructor, on the same thread, restores it.
    PollTimer();
    ~PollTimer();
    PollTimer(const PollTimer&) = delete;
    PollTimer& operator=(const PollTimer&) = delete;

    // Returns at the deadline (at once when it has passed).
    static void SleepUntil(Clock::time_point deadline);

private:
    long mPreviousSlack = 0;
};
