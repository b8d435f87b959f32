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
            mNotification->posted.store(false);
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

// Made on first use and never destroyed, like the other notification globals.
Mutex& GetNotificationQueueLock()
{
    static Mutex* lock = new Mutex();
    return *lock;
}

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
    : mQueue(&GetNotificationQueueLock())
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
    while (mQueue.TryDequeue(item))
    {
        if (item)
        {
            item->posted.store(false);
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
    if (!notification || notification->posted.load())
    {
        return E_INVALIDARG;
    }
    const RCPtr<LNotificationDistributor> target = GetTarget();
    if (!target)
    {
        return E_FAIL;
    }
    if (notification->posted.exchange(true))
    {
        // Posted by another thread meanwhile.
        return E_INVALIDARG;
    }
    const RCPtr<LNotificationDistributor::LNotificationClientPool> pool =
        target->FindClientPool(notification->id);
    std::vector<RCPtr<LNotification>> replaced;
    {
        // Marking and queueing under the one lock keeps the pending notification the last one
        // queued, also when several threads post the name at once.
        ScopedLock<Mutex> lock(GetNotificationQueueLock());
        if (pool && (pool->GetFlags() & LNotificationDistributor::kLatestOnly) != 0)
        {
            pool->MarkPending(notification, replaced);
        }
        mQueue.Enqueue(notification);
    }
    return S_OK;
}

bool LNotificationQueue::ProcessNotifications(bool sendIdle)
{
    // A client may drop the last outside reference to this queue while it is being called.
    const RCPtr<LNotificationQueue> self(this);
    if (!mBusy)
    {
        BusyFlag busy(mBusy);
        const RCPtr<LNotificationDistributor> target = GetTarget();
        const unsigned int count = mQueue.GetCount();
        for (unsigned int i = 0; i < count; ++i)
        {
            RCPtr<LNotification> notification;
            if (!mQueue.TryDequeue(notification))
            {
                // Cleared while delivering.
                break;
            }
            PostedFlagReset reset(notification);
            if (target && notification)
            {
                target->SendNotification(notification);
            }
        }
    }
    if (sendIdle)
    {
        const RCPtr<LNotificationDistributor> target = GetTarget();
        if (target)
        {
            target->SendNotification(mIdleNotification);
        }
    }
    return mQueue.GetCount() > 0;
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
    distributor->AddInternalReference();
    mTarget = distributor;
    return S_OK;
}

RCPtr<LNotificationReceiver> LNotificationQueue::GetPostingReceiver()
{
    ScopedLock<Mutex> lock(GetNotificationQueueLock());
    return mPostingReceiver;
}

bool LNotificationQueue::Clear()
{
    const unsigned int count = mQueue.GetCount();
    for (unsigned int i = 0; i < count; ++i)
    {
        RCPtr<LNotification> notification;
        if (!mQueue.TryDequeue(notification))
        {
            break;
        }
        PostedFlagReset reset(notification);
    }
    return mQueue.GetCount() > 0;
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
    return mQueue.GetCount();
}

unsigned int LNotificationQueue::GetCellCount() const
{
    return mQueue.GetCellCount();
}
} // namespace Orv
