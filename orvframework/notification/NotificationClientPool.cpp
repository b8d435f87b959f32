// The client pool of a distributor: the registrations of one notification identity.
#include "notification/NotificationDistributor.h"

#include "Utilities/Threading/ScopedLock.h"

#include <algorithm>
#include <utility>

namespace Orv
{
using Pool = LNotificationDistributor::LNotificationClientPool;
using Info = LNotificationDistributor::LNotificationRegisteredClientInfo;

LNotificationDistributor::LNotificationRegisteredClientInfo::LNotificationRegisteredClientInfo(
    const RCPtr<LNotificationReceiver>& client, DWORD flags)
    : client(client)
    , flags(flags)
{
}

// Links a delivery cursor into its pool for the length of one delivery.
class LNotificationDistributor::LNotificationClientPool::ActiveCursor
{
public:
    explicit ActiveCursor(Pool& pool)
        : mPool(pool)
    {
    }
    ~ActiveCursor()
    {
        if (mLinked)
        {
            ScopedLock<Mutex> lock(mPool.mLock);
            UnlinkLocked();
        }
    }
    ActiveCursor(const ActiveCursor&) = delete;
    ActiveCursor& operator=(const ActiveCursor&) = delete;

    // With the pool's lock held.
    void Link(LONG index)
    {
        cursor.index = index;
        cursor.next = mPool.mCursors;
        mPool.mCursors = &cursor;
        mLinked = true;
    }

    // With the pool's lock held.
    void UnlinkLocked()
    {
        for (DeliveryCursor** link = &mPool.mCursors; *link != nullptr; link = &(*link)->next)
        {
            if (*link == &cursor)
            {
                *link = cursor.next;
                break;
            }
        }
        mLinked = false;
    }

    DeliveryCursor cursor;

private:
    Pool& mPool;
    bool mLinked = false;
};

LNotificationDistributor::LNotificationClientPool::LNotificationClientPool(const wchar_t* identity)
    : mIdentity(identity)
{
}

RCPtr<Info> LNotificationDistributor::LNotificationClientPool::TakeForDelivery(
    LONG index, const RCPtr<LNotification>& notification, DeliveryCursor& cursor,
    RCPtr<LNotification>& delivered)
{
    cursor.index = index;
    const RCPtr<Info>& info = mRegistrations.GetElementPointer(static_cast<unsigned int>(index));
    if ((info->flags & kLatestOnly) != 0)
    {
        // Only the last notification posted for it, and only once.
        if (info->pending.Get() != notification.Get())
        {
            return nullptr;
        }
        delivered = std::move(info->pending);
    }
    return info;
}

ORVRESULT LNotificationDistributor::LNotificationClientPool::Deliver(
    const RCPtr<LNotificationDistributor>& source, const RCPtr<LNotification>& notification)
{
    ActiveCursor active(*this);
    for (bool first = true;; first = false)
    {
        RCPtr<Info> info;
        RCPtr<LNotification> delivered;
        {
            ScopedLock<Mutex> lock(mLock);
            const LONG count = static_cast<LONG>(mRegistrations.GetCount());
            if (first)
            {
                if (count == 0)
                {
                    return S_FALSE;
                }
                active.Link(count);
            }
            const LONG index = std::min(active.cursor.index, count) - 1;
            if (index < 0)
            {
                active.UnlinkLocked();
                break;
            }
            info = TakeForDelivery(index, notification, active.cursor, delivered);
        }
        if (info)
        {
            const RCPtr<LNotificationReceiver> client = info->client;
            client->ReceiveNotification(source, notification);
        }
    }
    return S_OK;
}

LONG LNotificationDistributor::LNotificationClientPool::DeliverToClient(
    const RCPtr<LNotificationDistributor>& source, LONG index,
    const RCPtr<LNotification>& notification)
{
    ActiveCursor active(*this);
    RCPtr<Info> info;
    RCPtr<LNotification> delivered;
    {
        ScopedLock<Mutex> lock(mLock);
        const LONG count = static_cast<LONG>(mRegistrations.GetCount());
        if (index < 0 || index >= count)
        {
            return count;
        }
        active.Link(index);
        info = TakeForDelivery(index, notification, active.cursor, delivered);
    }
    if (info)
    {
        const RCPtr<LNotificationReceiver> client = info->client;
        client->ReceiveNotification(source, notification);
    }
    ScopedLock<Mutex> lock(mLock);
    active.UnlinkLocked();
    return active.cursor.index;
}

ORVRESULT LNotificationDistributor::LNotificationClientPool::AddRegistration(
    const RCPtr<LNotificationReceiver>& client, DWORD flags)
{
    if (!client)
    {
        return E_INVALIDARG;
    }
    RCPtr<Info> added;
    RCPtr<LNotification> dropped;
    ScopedLock<Mutex> lock(mLock);
    DWORD all = 0;
    bool found = false;
    bool changed = false;
    for (unsigned int i = mRegistrations.GetCount(); i-- > 0;)
    {
        Info& registration = *mRegistrations.GetElementPointer(i);
        if (registration.client.Get() == client.Get())
        {
            found = true;
            if (registration.flags == flags)
            {
                break;
            }
            registration.flags = flags;
            changed = true;
            if ((flags & kLatestOnly) == 0)
            {
                // No longer latest-only: nothing is pending for it any more.
                dropped = std::move(registration.pending);
            }
        }
        all |= registration.flags;
    }
    if (!found)
    {
        added = new Info(client, flags);
        mRegistrations.AddItem(added);
        mFlags |= flags;
    }
    else if (changed)
    {
        mFlags = all;
    }
    return S_OK;
}

ORVRESULT
LNotificationDistributor::LNotificationClientPool::RemoveClient(const LNotificationReceiver* client)
{
    RCPtr<Info> removed;
    return RemoveClient(client, removed);
}

ORVRESULT
LNotificationDistributor::LNotificationClientPool::RemoveClient(const LNotificationReceiver* client,
                                                                RCPtr<Info>& removed)
{
    ScopedLock<Mutex> lock(mLock);
    for (unsigned int i = mRegistrations.GetCount(); i-- > 0;)
    {
        if (mRegistrations.GetConstElementPointer(i)->client.Get() == client)
        {
            mRegistrations.RemoveItem(i, removed);
            // Every running delivery past this registration now stands one lower.
            for (DeliveryCursor* cursor = mCursors; cursor != nullptr; cursor = cursor->next)
            {
                if (static_cast<LONG>(i) < cursor->index)
                {
                    --cursor->index;
                }
            }
            return S_OK;
        }
    }
    return S_FALSE;
}

LONG LNotificationDistributor::LNotificationClientPool::FindClient(
    const LNotificationReceiver* client) const
{
    ScopedLock<Mutex> lock(mLock);
    for (unsigned int i = mRegistrations.GetCount(); i-- > 0;)
    {
        if (mRegistrations.GetConstElementPointer(i)->client.Get() == client)
        {
            return static_cast<LONG>(i);
        }
    }
    return -1;
}

ORVRESULT LNotificationDistributor::LNotificationClientPool::GetClientFlags(
    const LNotificationReceiver* client, DWORD& flags) const
{
    ScopedLock<Mutex> lock(mLock);
    for (unsigned int i = mRegistrations.GetCount(); i-- > 0;)
    {
        const Info& registration = *mRegistrations.GetConstElementPointer(i);
        if (registration.client.Get() == client)
        {
            flags = registration.flags;
            return S_OK;
        }
    }
    return E_FAIL;
}

RCPtr<Info> LNotificationDistributor::LNotificationClientPool::GetRegistration(LONG index) const
{
    ScopedLock<Mutex> lock(mLock);
    if (index < 0 || index >= static_cast<LONG>(mRegistrations.GetCount()))
    {
        return nullptr;
    }
    return mRegistrations.GetConstElementPointer(static_cast<unsigned int>(index));
}

void LNotificationDistributor::LNotificationClientPool::MarkPending(
    const RCPtr<LNotification>& notification, std::vector<RCPtr<LNotification>>& replaced)
{
    ScopedLock<Mutex> lock(mLock);
    for (unsigned int i = mRegistrations.GetCount(); i-- > 0;)
    {
        Info& registration = *mRegistrations.GetElementPointer(i);
        if ((registration.flags & kLatestOnly) != 0)
        {
            replaced.push_back(std::move(registration.pending));
            registration.pending = notification;
        }
    }
}

DWORD LNotificationDistributor::LNotificationClientPool::GetFlags() const
{
    ScopedLock<Mutex> lock(mLock);
    return mFlags;
}

LONG LNotificationDistributor::LNotificationClientPool::GetRegistrationCount() const
{
    ScopedLock<Mutex> lock(mLock);
    return static_cast<LONG>(mRegistrations.GetCount());
}
} // namespace Orv
