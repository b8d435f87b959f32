// A queue of posted notifications and the distributor that delivers them.
//
// Any thread may post. The thread that pumps the queue (the UI thread, in the application's
// idle step) delivers, in each pass, only what was queued when the pass began, by sending it
// through the target distributor; so clients of a queue are always called on the pumping
// thread. Posting never drops a notification for lack of room.
//
// The posting receiver holds the queue, and the target is held by the queue; both references
// are counted as internal on the objects they point to. Detach drops them both (and their
// internal marks). A queue whose last outside reference goes detaches itself.
#pragma once

#include "Utilities/Storage/RCPtrQueue.h"
#include "Utilities/Threading/Mutex.h"
#include "notification/Notification.h"
#include "notification/NotificationReceiver.h"

#include <atomic>

namespace Orv
{
class LNotificationDistributor;

class LNotificationQueue : public virtual LRefCountedObject
{
public:
    // Registered at a distributor, it turns that distributor's sends into posts into the queue.
    class LPostingReceiver : public LNotificationReceiver
    {
    public:
        explicit LPostingReceiver(LNotificationQueue* queue);

        // Posts a new notification with the received one's name and parameter (the received
        // object itself is never queued). E_FAIL once the queue is detached.
        ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                      const RCPtr<LNotification>& notification) override;
        // E_FAIL: a posting receiver keeps no account of its registrations.
        ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                             const wchar_t* name) override;

    private:
        friend class LNotificationQueue;
        // Null once detached. Guarded by the queue lock.
        RCPtr<LNotificationQueue> mQueue;
    };

    LNotificationQueue();
    ~LNotificationQueue() override;

    // E_INVALIDARG for a null notification or one that is already posted; E_FAIL when the queue
    // has no target; else S_OK. Latest-only registrations at the target get the notification as
    // their pending one.
    ORVRESULT PostNotification(const RCPtr<LNotification>& notification);
    // The same for a notification the caller gives up (a temporary): the queue takes over its
    // reference. On failure the caller keeps it.
    ORVRESULT PostNotification(RCPtr<LNotification>&& notification);
    // Delivers what was queued when the pass began (a call made while delivering does not
    // deliver again), then sends "NID_IDLE" through the target when sendIdle is true. Returns
    // whether notifications are still queued.
    bool ProcessNotifications(bool sendIdle);
    // E_FAIL when a target is set already or the queue is detached; S_OK and no change for
    // null; else sets the target and returns S_OK.
    ORVRESULT SetDistributor(const RCPtr<LNotificationDistributor>& distributor);
    // Null once detached.
    RCPtr<LNotificationReceiver> GetPostingReceiver();
    // Drops every entry queued at entry, clearing its posted flag; returns whether entries
    // remain.
    bool Clear();
    // Clears, then drops the target and cuts the posting receiver off; posts fail from then on.
    void Detach();
    // Detaches, then the base check.
    ORVRESULT ReleaseInternalReferences() override;

    // The number of queued notifications (read without a lock).
    unsigned int GetCount() const;
    // The number of cells of the queue's ring.
    unsigned int GetCellCount() const;

private:
    RCPtr<LNotificationDistributor> GetTarget() const;
    // RCPtrQueue::TryDequeue under the queue lock.
    bool TryDequeue(RCPtr<LNotification>& notification);
    // Delivers what is queued at entry; Clear stops it.
    void Drain();
    // With the queue lock held, after the ring changed: records its count for GetCount.
    void CountLocked();

    bool mBusy = false;
    // Guarded by the queue lock, which this class takes around every use (once per post or
    // dequeue), so the ring itself has none.
    RCPtrQueue<LNotification, 256, Mutex> mQueue;
    // Guarded by the queue lock.
    RCPtr<LNotificationDistributor> mTarget;
    // The number of notifications in the ring, recorded under the queue lock at every change
    // and read without it.
    std::atomic<unsigned int> mInRing{0};
    // How many notifications the running pass has taken from the ring and not yet delivered
    // (they still count as queued). Written by the pumping thread, and by Clear.
    std::atomic<unsigned int> mInFlight{0};
    // Raised by every Clear (under the queue lock): a running pass drops what it holds.
    std::atomic<unsigned int> mClears{0};
    RCPtr<LPostingReceiver> mPostingReceiver;
    RCPtr<LNotification> mIdleNotification;
};

// The one lock of every notification queue.
Mutex& GetNotificationQueueLock();
} // namespace Orv
