#include "notification/NotificationQueue.h"

#include "Utilities/Threading/ScopedLock.h"
#include "notification/NotificationDistributor.h"

#include <utility>
#include <vector>

namespace Orv
{
namespace
{
// Clears the posted flag of a notification taken from a queue, on every way out.
class PostedFlagReset
{
public:
    explicit PostedFlagReset(const RCPtr<LNotification>& notification)
        : mNotification(notification)
    {
    }
    ~PostedFlagReset()
    {
        if (mNotification)
        {
            mNotification->posted.store(false, std::memory_order_release);
        }
    }
    PostedFlagReset(const PostedFlagReset&) = delete;
    PostedFlagReset& operator=(const PostedFlagReset&) = delete;

private:
    const RCPtr<LNotification>& mNotification;
};

class BusyFlag
{
public:
    explicit BusyFlag(bool& busy)
        : mBusy(busy)
    {
        mBusy = true;
    }
    ~BusyFlag() { mBusy = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& mBusy;
};
} // namespace

LNotificationQueue::LPostingReceiver::LPostingReceiver(LNotificationQueue* queue)
    : mQueue(queue)
{
}

ORVRESULT
LNotificationQueue::LPostingReceiver::ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                                          const RCPtr<LNotification>& notification)
{
    if (!notification)
    {
        return E_INVALIDARG;
    }
    RCPtr<LNotificationQueue> queue;
    {
        ScopedLock<Mutex> lock(GetNotificationQueueLock());
        queue = mQueue;
    }
    if (!queue)
    {
        return E_FAIL;
    }
    return queue->PostNotification(LNotification::Create(notification->id, notification->param));
}

ORVRESULT LNotificationQueue::LPostingReceiver::Unregister(const RCPtr<LNotificationDistributor>&,
                                                           const wchar_t*)
{
    return E_FAIL;
}

LNotificationQueue::LNotificationQueue()
{
    // The receiver's reference to this queue is internal. No other reference to the object
    // under construction may be taken and dropped here.
    mPostingReceiver = new LPostingReceiver(this);
    AddInternalReference();
    mIdleNotification = LNotification::Create(L"NID_IDLE");
}

LNotificationQueue::~LNotificationQueue()
{
    // Only a detached queue dies (the posting receiver holds it until then); what a queue made
    // but never shared may still hold is let go the same way.
    RCPtr<LNotification> item;
    while (TryDequeue(item))
    {
        if (item)
        {
            item->posted.store(false, std::memory_order_release);
        }
    }
    if (mTarget)
    {
        mTarget->ReleaseInternalReference();
    }
}

RCPtr<LNotificationDistributor> LNotificationQueue::GetTarget() const
{
    ScopedLock<Mutex> lock(GetNotificationQueueLock());
    return mTarget;
}

ORVRESULT LNotificationQueue::PostNotification(const RCPtr<LNotification>& notification)
{
    RCPtr<LNotification> queued(notification);
    return PostNotification(std::move(queued));
}

ORVRESULT LNotificationQueue::PostNotification(RCPtr<LNotification>&& notification)
{
    if (!notification)
    {
        return E_INVALIDARG;
    }
    // What latest-only registrations held before goes after the lock is left.
    std::vector<RCPtr<LNotification>> replaced;
    ScopedLock<Mutex> lock(GetNotificationQueueLock());
    // Every post takes this one lock, so the posted flag is tested and set here without a race
    // between two posts of one notification. (Only the queue that delivers it clears it.)
    if (notification->posted.load(std::memory_order_acquire))
    {
        return E_INVALIDARG;
    }
    // The target, and its pools, live while the queue holds it, which it does until Detach
    // takes it under this lock.
    const LNotificationDistributor* target = mTarget.Get();
    if (target == nullptr)
    {
        return E_FAIL;
    }
    notification->posted.store(true, std::memory_order_relaxed);
    // Marking and queueing under the one lock keeps the pending notification the last one
    // queued, also when several threads post the name at once.
    LNotificationDistributor::LNotificationClientPool* pool =
        target->GetClientPool(notification->id);
    if (pool != nullptr && (pool->GetFlags() & LNotificationDistributor::kLatestOnly) != 0)
    {
        pool->MarkPending(notification, replaced);
    }
    mQueue.Enqueue(std::move(notification));
    CountLocked();
    return S_OK;
}

bool LNotificationQueue::ProcessNotifications(bool sendIdle)
{
    // A client may drop the last outside reference to this queue while it is being called.
    const RCPtr<LNotificationQueue> self(this);
    if (!mBusy)
    {
        BusyFlag busy(mBusy);
        Drain();
    }
    if (sendIdle)
    {
        const RCPtr<LNotificationDistributor> target = GetTarget();
        if (target)
        {
            target->SendNotification(mIdleNotification);
        }
    }
    return GetCount() > 0;
}

void LNotificationQueue::Drain()
{
    // Taken from the ring a batch at a time (one pass through the lock per batch); until it is
    // delivered, a taken notification still counts as queued.
    constexpr unsigned int kBatch = 16;
    RCPtr<LNotification> batch[kBatch];
    // The target is held for the pass, unless it is this object itself (a center), which the
    // caller holds.
    LNotificationDistributor* target = nullptr;
    RCPtr<LNotificationDistributor> targetHold;
    unsigned int remaining = 0;
    unsigned int clears = 0;
    for (bool first = true; first || remaining > 0; first = false)
    {
        unsigned int taken = 0;
        {
            ScopedLock<Mutex> lock(GetNotificationQueueLock());
            if (first)
            {
                target = mTarget.Get();
                if (static_cast<const LRefCountedObject*>(target) !=
                    static_cast<const LRefCountedObject*>(this))
                {
                    targetHold = mTarget;
                }
                remaining = mQueue.GetCount();
                clears = mClears.load(std::memory_order_relaxed);
            }
            else if (mClears.load(std::memory_order_relaxed) != clears)
            {
                break;
            }
            while (taken < kBatch && taken < remaining && mQueue.TryDequeue(batch[taken]))
            {
                ++taken;
            }
            mInFlight.store(taken, std::memory_order_relaxed);
            CountLocked();
        }
        if (taken == 0)
        {
            break;
        }
        remaining -= taken;
        for (unsigned int i = 0; i < taken; ++i)
        {
            const RCPtr<LNotification> notification = std::move(batch[i]);
            PostedFlagReset reset(notification);
            if (mClears.load(std::memory_order_acquire) != clears)
            {
                // Emptied while delivering: the rest of the pass is dropped.
                remaining = 0;
                continue;
            }
            mInFlight.store(taken - i - 1, std::memory_order_relaxed);
            if (target != nullptr && notification)
            {
                target->SendNotification(notification);
            }
        }
    }
    mInFlight.store(0, std::memory_order_relaxed);
}

ORVRESULT LNotificationQueue::SetDistributor(const RCPtr<LNotificationDistributor>& distributor)
{
    ScopedLock<Mutex> lock(GetNotificationQueueLock());
    if (mTarget || !mPostingReceiver)
    {
        return E_FAIL;
    }
    if (!distributor)
    {
        return S_OK;
    }
    mTarget = distributor;
    distributor->AddInternalReference();
    return S_OK;
}

RCPtr<LNotificationReceiver> LNotificationQueue::GetPostingReceiver()
{
    ScopedLock<Mutex> lock(GetNotificationQueueLock());
    return mPostingReceiver;
}

bool LNotificationQueue::Clear()
{
    unsigned int count = 0;
    {
        ScopedLock<Mutex> lock(GetNotificationQueueLock());
        // What a running pass has taken and not yet delivered, it drops itself.
        mClears.fetch_add(1, std::memory_order_release);
        mInFlight.store(0, std::memory_order_relaxed);
        count = mQueue.GetCount();
    }
    for (unsigned int i = 0; i < count; ++i)
    {
        RCPtr<LNotification> notification;
        if (!TryDequeue(notification))
        {
            break;
        }
        PostedFlagReset reset(notification);
    }
    return GetCount() > 0;
}

void LNotificationQueue::Detach()
{
    Clear();
    RCPtr<LNotificationDistributor> target;
    RCPtr<LPostingReceiver> receiver;
    RCPtr<LNotificationQueue> receiverHold;
    {
        ScopedLock<Mutex> lock(GetNotificationQueueLock());
        target = std::move(mTarget);
        receiver = std::move(mPostingReceiver);
        if (receiver)
        {
            receiverHold = std::move(receiver->mQueue);
        }
    }
    // Each reference goes after its internal mark, outside the lock.
    if (target)
    {
        target->ReleaseInternalReference();
        target = nullptr;
    }
    receiver = nullptr;
    if (receiverHold)
    {
        ReleaseInternalReference();
        // This may be the last reference: nothing of this object is touched afterwards.
        receiverHold = nullptr;
    }
}

ORVRESULT LNotificationQueue::ReleaseInternalReferences()
{
    Detach();
    return LRefCountedObject::ReleaseInternalReferences();
}

unsigned int LNotificationQueue::GetCount() const
{
    return mInRing.load(std::memory_order_relaxed) + mInFlight.load(std::memory_order_relaxed);
}

void LNotificationQueue::CountLocked()
{
    mInRing.store(mQueue.GetCount(), std::memory_order_relaxed);
}

unsigned int LNotificationQueue::GetCellCount() const
{
    ScopedLock<Mutex> lock(GetNotificationQueueLock());
    return mQueue.GetCellCount();
}

bool LNotificationQueue::TryDequeue(RCPtr<LNotification>& notification)
{
    RCPtr<LNotification> taken;
    bool found = false;
    {
        ScopedLock<Mutex> lock(GetNotificationQueueLock());
        found = mQueue.TryDequeue(taken);
        CountLocked();
    }
    // What notification held is released outside the lock.
    notification = std::move(taken);
    return found;
}
} // namespace Orv
