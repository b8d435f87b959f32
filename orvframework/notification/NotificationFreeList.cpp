#include "notification/NotificationFreeList.h"

#include "notification/Notification.h"

#include <thread>
#include <utility>

namespace Orv
{
// Holds the list's spin lock for one scope. A thread that finds it taken spins a little, then
// yields: the holder may have been preempted.
class LNotificationFreeList::Guard
{
public:
    explicit Guard(LNotificationFreeList& list)
        : mLocked(list.mLocked)
    {
        for (unsigned int spins = 0; mLocked.exchange(true, std::memory_order_acquire);)
        {
            while (mLocked.load(std::memory_order_relaxed))
            {
                if (++spins > 64)
                {
                    std::this_thread::yield();
                }
            }
        }
    }
    ~Guard() { mLocked.store(false, std::memory_order_release); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    std::atomic<bool>& mLocked;
};

LNotificationFreeList& LNotificationFreeList::Instance()
{
    static auto* list = new LNotificationFreeList();
    return *list;
}

RCPtr<LNotification> LNotificationFreeList::Take()
{
    LNotification* taken = nullptr;
    {
        Guard guard(*this);
        taken = mTop;
        if (taken != nullptr)
        {
            mTop = std::exchange(taken->mNextFree, nullptr);
            --mCount;
        }
    }
    return RCPtr<LNotification>(taken, kAdoptReference);
}

bool LNotificationFreeList::Give(LNotification* notification)
{
    Guard guard(*this);
    // Checked under the lock, so that nothing joins a list that SetRecycling has emptied.
    if (!mRecycling.load(std::memory_order_relaxed))
    {
        return false;
    }
    notification->mNextFree = mTop;
    mTop = notification;
    ++mCount;
    return true;
}

std::vector<RCPtr<LNotification>> LNotificationFreeList::SetRecycling(bool on)
{
    LNotification* chain = nullptr;
    {
        Guard guard(*this);
        mRecycling.store(on, std::memory_order_relaxed);
        if (!on)
        {
            chain = std::exchange(mTop, nullptr);
            mCount = 0;
        }
    }
    std::vector<RCPtr<LNotification>> emptied;
    while (chain != nullptr)
    {
        LNotification* next = std::exchange(chain->mNextFree, nullptr);
        emptied.emplace_back(chain, kAdoptReference);
        chain = next;
    }
    return emptied;
}

unsigned int LNotificationFreeList::GetCount()
{
    Guard guard(*this);
    return mCount;
}
} // namespace Orv
