// A clock for tests that stands still until the test moves it. Waits on it end when their event
// is signalled (by any thread, in real time) or when the test has moved the clock to their
// deadline, so a test reaches every time-out at once and in the order it chooses.
#pragma once

#include "Utilities/Threading/Clock.h"

#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>

namespace OrvTest
{
class LManualClock : public Orv::LClock
{
public:
    // The count starts at start (near 0xFFFFFFFF to see a user survive the wrap).
    explicit LManualClock(DWORD start = 0);
    ~LManualClock() override;

    DWORD GetMilliseconds() const override;
    DWORD Wait(HANDLE event, DWORD ms) override;
    Orv::WString ToString() const override;

    // Moves the clock on by ms; the waits whose deadline is reached end.
    void Advance(DWORD ms);
    // Moves the clock to the earliest deadline of the waits running now (those waiting for their
    // event alone have none); false, and the clock unchanged, when there is none.
    bool AdvanceToNextDeadline();
    // The number of waits running now whose deadline is not reached (those without one count).
    unsigned int GetWaiterCount() const;
    // Blocks the caller until at least count waits run. false when that has not happened within
    // ten seconds of real time: a broken test then fails instead of hanging.
    bool WaitForWaiters(unsigned int count) const;

private:
    struct Waiter
    {
        std::uint64_t deadline;
        HANDLE wake;
        // Set, and the wait taken off the list, when the clock reaches the deadline.
        bool due;
    };

    // Ends the waits whose deadline is reached. Called with the lock held.
    void WakeDueWaiters();

    mutable std::mutex mLock;
    mutable std::condition_variable mWaitersChanged;
    // The count without the wrap: deadlines never wrap.
    std::uint64_t mNow;
    std::list<Waiter*> mWaiters;
};
} // namespace OrvTest
