#include "ManualClock.h"

#include "Utilities/Storage/StringT.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace OrvTest
{
namespace
{
constexpr std::uint64_t kNoDeadline = std::numeric_limits<std::uint64_t>::max();
} // namespace

LManualClock::LManualClock(DWORD start)
    : mNow(start)
{
}

LManualClock::~LManualClock() = default;

DWORD LManualClock::GetMilliseconds() const
{
    std::lock_guard guard(mLock);
    return static_cast<DWORD>(mNow);
}

DWORD LManualClock::Wait(HANDLE event, DWORD ms)
{
    if (ms == 0)
    {
        return event != nullptr ? WaitForSingleObject(event, 0) : WAIT_TIMEOUT;
    }
    Waiter waiter{kNoDeadline, CreateEventW(nullptr, FALSE, FALSE, nullptr), false};
    if (waiter.wake == nullptr)
    {
        return WAIT_FAILED;
    }
    {
        std::lock_guard guard(mLock);
        if (ms != INFINITE)
        {
            waiter.deadline = mNow + ms;
        }
        mWaiters.push_back(&waiter);
    }
    mWaitersChanged.notify_all();

    DWORD result = WAIT_FAILED;
    const HANDLE handles[2] = {event, waiter.wake};
    for (;;)
    {
        const DWORD woken = event != nullptr ? WaitForMultipleObjects(2, handles, FALSE, INFINITE)
                                             : WaitForSingleObject(waiter.wake, INFINITE);
        const DWORD wakeIndex = event != nullptr ? WAIT_OBJECT_0 + 1 : WAIT_OBJECT_0;
        if (woken == wakeIndex)
        {
            std::lock_guard guard(mLock);
            if (waiter.due)
            {
                result = WAIT_TIMEOUT;
                break;
            }
            continue;
        }
        result = woken;
        break;
    }

    {
        std::lock_guard guard(mLock);
        mWaiters.remove(&waiter);
    }
    mWaitersChanged.notify_all();
    CloseHandle(waiter.wake);
    return result;
}

Orv::WString LManualClock::ToString() const
{
    return Orv::WString(L"LManualClock");
}

void LManualClock::Advance(DWORD ms)
{
    std::lock_guard guard(mLock);
    mNow += ms;
    WakeDueWaiters();
}

bool LManualClock::AdvanceToNextDeadline()
{
    std::lock_guard guard(mLock);
    std::uint64_t next = kNoDeadline;
    for (const Waiter* waiter : mWaiters)
    {
        next = std::min(next, waiter->deadline);
    }
    if (next == kNoDeadline)
    {
        return false;
    }
    mNow = std::max(mNow, next);
    WakeDueWaiters();
    return true;
}

unsigned int LManualClock::GetWaiterCount() const
{
    std::lock_guard guard(mLock);
    return static_cast<unsigned int>(mWaiters.size());
}

bool LManualClock::WaitForWaiters(unsigned int count) const
{
    std::unique_lock guard(mLock);
    return mWaitersChanged.wait_for(guard, std::chrono::seconds(10),
                                    [&] { return mWaiters.size() >= count; });
}

void LManualClock::WakeDueWaiters()
{
    for (auto it = mWaiters.begin(); it != mWaiters.end();)
    {
        Waiter* waiter = *it;
        if (mNow < waiter->deadline)
        {
            ++it;
            continue;
        }
        waiter->due = true;
        SetEvent(waiter->wake);
        it = mWaiters.erase(it);
    }
    mWaitersChanged.notify_all();
}
} // namespace OrvTest
