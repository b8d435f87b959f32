// The client pool of a distributor: the registrations of one notification identity.
//
// The registrations are published as an unchanging list; a change builds a new list and
// publishes it in place of the old one (under the pool's lock). A delivery counts itself in
// mReaders, reads the published list and walks it with no lock. A replaced list may still be
// read by the deliveries that were running when it was replaced, so it is retired, and freed
// only when no delivery runs: at once by the change when none does, else by the last delivery
// to end. Every delivery that begins after a replacement reads the new list, so a delivery
// count of zero means no one reads a retired list.
#include "notification/NotificationDistributor.h"

#include "Utilities/Threading/ScopedLock.h"

#include <utility>

namespace Orv
{
using Pool = LNotificationDistributor::LNotificationClientPool;
using Info = LNotificationDistributor::LNotificationRegisteredClientInfo;

LNotificationDistributor::LNotificationRegisteredClientInfo::LNotificationRegisteredClientInfo(
    const RCPtr<LNotificationReceiver>& client, DWORD flags, LNotificationDistributor* distributor)
    : client(client)
    , flags(flags)
    , distributor(distributor)
{
}

Pool::RetiredSnapshots::~RetiredSnapshots()
{
    Free(mChain);
}

void Pool::RetiredSnapshots::Add(Snapshot* chain)
{
    if (chain == nullptr)
    {
        return;
    }
    Snapshot* last = chain;
    while (last->nextRetired != nullptr)
    {
        last = last->nextRetired;
    }
    last->nextRetired = mChain;
    mChain = chain;
}

class LNotificationDistributor::LNotificationClientPool::Reader
{
public:
    explicit Reader(Pool& pool)
        : mPool(pool)
    {
        // Counted first, then read: a list replaced after this point is not freed before End.
        mPool.mReaders.fetch_add(1);
        snapshot = mPool.mCurrent.load();
    }
    ~Reader() { End(); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    Snapshot* snapshot;

private:
    // Nothing of the pool is touched after the delivery has stopped counting itself: the pool
    // may then be gone (a client may have released the last outside reference to the
    // distributor, and the lists this delivery read were what kept it alive).
    void End()
    {
        std::uint32_t count = mPool.mReaders.load();
        for (;;)
        {
            if (count == (kRetiredWaiting | 1))
            {
                // The last delivery, with replaced lists waiting: it frees them. It stops
                // counting itself under the lock, where no list can be retired meanwhile.
                Snapshot* retired = nullptr;
                bool ended = false;
                {
                    ScopedLock<Mutex> lock(mPool.mLock);
                    ended = mPool.mReaders.compare_exchange_strong(count, 0);
                    if (ended)
                    {
                        retired = std::exchange(mPool.mRetired, nullptr);
                    }
                }
                if (ended)
                {
                    Free(retired);
                    return;
                }
                continue;
            }
            if (mPool.mReaders.compare_exchange_weak(count, count - 1))
            {
                return;
            }
        }
    }

    Pool& mPool;
};

LNotificationDistributor::LNotificationClientPool::LNotificationClientPool(
    const wchar_t* identity, LNotificationDistributor* owner)
    : mIdentity(identity)
    , mOwner(owner)
{
}

LNotificationDistributor::LNotificationClientPool::~LNotificationClientPool()
{
    Free(mCurrent.load());
    Free(mRetired);
}

void LNotificationDistributor::LNotificationClientPool::Free(Snapshot* chain)
{
    while (chain != nullptr)
    {
        delete std::exchange(chain, chain->nextRetired);
    }
}

void LNotificationDistributor::LNotificationClientPool::Publish(Snapshot* next,
                                                                RetiredSnapshots& retired)
{
    Snapshot* old = mCurrent.exchange(next);
    if (old != nullptr)
    {
        old->nextRetired = mRetired;
        mRetired = old;
    }
    if (mRetired == nullptr)
    {
        return;
    }
    const std::uint32_t readers = mReaders.fetch_or(kRetiredWaiting);
    if ((readers & ~kRetiredWaiting) == 0)
    {
        // No delivery reads a retired list: they go now, after the caller's locks.
        mReaders.fetch_and(~kRetiredWaiting);
        retired.Add(std::exchange(mRetired, nullptr));
    }
}

bool LNotificationDistributor::LNotificationClientPool::Takes(
    Info& registration, const RCPtr<LNotification>& notification)
{
    if ((registration.flags.load(std::memory_order_relaxed) & kLatestOnly) == 0)
    {
        return true;
    }
    // Only the last notification posted for it, and only once.
    RCPtr<LNotification> delivered;
    ScopedLock<Mutex> lock(mLock);
    if (registration.pending.Get() != notification.Get())
    {
        return false;
    }
    // Released after the lock is left.
    delivered = std::move(registration.pending);
    return true;
}

ORVRESULT LNotificationDistributor::LNotificationClientPool::Deliver(
    const RCPtr<LNotificationDistributor>& source, const RCPtr<LNotification>& notification)
{
    return DeliverFrom(&source, notification);
}

ORVRESULT LNotificationDistributor::LNotificationClientPool::DeliverFrom(
    const RCPtr<LNotificationDistributor>* source, const RCPtr<LNotification>& notification)
{
    const Reader reader(*this);
    const Snapshot* snapshot = reader.snapshot;
    if (snapshot == nullptr || snapshot->registrations.empty())
    {
        return S_FALSE;
    }
    const std::vector<RCPtr<Info>>& registrations = snapshot->registrations;
    const RCPtr<LNotificationDistributor>& from =
        source != nullptr ? *source : registrations.front()->distributor;
    for (std::size_t i = registrations.size(); i-- > 0;)
    {
        Info& registration = *registrations[i];
        if (!registration.removed.load() && Takes(registration, notification))
        {
            registration.client->ReceiveNotification(from, notification);
        }
    }
    return S_OK;
}

LONG LNotificationDistributor::LNotificationClientPool::DeliverToClient(
    const RCPtr<LNotificationDistributor>& source, LONG index,
    const RCPtr<LNotification>& notification)
{
    const Reader reader(*this);
    const Snapshot* snapshot = reader.snapshot;
    const LONG count = snapshot == nullptr ? 0 : static_cast<LONG>(snapshot->registrations.size());
    if (index < 0 || index >= count)
    {
        return count;
    }
    const std::vector<RCPtr<Info>>& registrations = snapshot->registrations;
    Info& registration = *registrations[static_cast<std::size_t>(index)];
    if (!registration.removed.load() && Takes(registration, notification))
    {
        registration.client->ReceiveNotification(source, notification);
    }
    // Where the registration stands now: below it, those removed during the call are gone.
    LONG after = index;
    for (LONG i = 0; i < index; ++i)
    {
        if (registrations[static_cast<std::size_t>(i)]->removed.load())
        {
            --after;
        }
    }
    return after;
}

ORVRESULT LNotificationDistributor::LNotificationClientPool::AddRegistration(
    const RCPtr<LNotificationReceiver>& client, DWORD flags)
{
    RetiredSnapshots retired;
    return AddRegistration(client, flags, retired);
}

ORVRESULT LNotificationDistributor::LNotificationClientPool::AddRegistration(
    const RCPtr<LNotificationReceiver>& client, DWORD flags, RetiredSnapshots& retired)
{
    if (!client)
    {
        return E_INVALIDARG;
    }
    RCPtr<LNotification> dropped;
    ScopedLock<Mutex> lock(mLock);
    if (mOwner == nullptr)
    {
        return E_FAIL;
    }
    const Snapshot* current = Current();
    DWORD all = 0;
    bool found = false;
    bool changed = false;
    if (current != nullptr)
    {
        for (std::size_t i = current->registrations.size(); i-- > 0;)
        {
            Info& registration = *current->registrations[i];
            if (registration.client.Get() == client.Get())
            {
                found = true;
                if (registration.flags.load() == flags)
                {
                    break;
                }
                registration.flags.store(flags);
                changed = true;
                if ((flags & kLatestOnly) == 0)
                {
                    // No longer latest-only: nothing is pending for it any more.
                    dropped = std::move(registration.pending);
                }
            }
            all |= registration.flags.load();
        }
    }
    if (!found)
    {
        auto* next = new Snapshot();
        if (current != nullptr)
        {
            next->registrations.reserve(current->registrations.size() + 1);
            next->registrations = current->registrations;
        }
        next->registrations.emplace_back(new Info(client, flags, mOwner));
        Publish(next, retired);
        mFlags.fetch_or(flags);
    }
    else if (changed)
    {
        mFlags.store(all);
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
    RetiredSnapshots retired;
    return RemoveClient(client, removed, retired);
}

ORVRESULT
LNotificationDistributor::LNotificationClientPool::RemoveClient(const LNotificationReceiver* client,
                                                                RCPtr<Info>& removed,
                                                                RetiredSnapshots& retired)
{
    ScopedLock<Mutex> lock(mLock);
    const Snapshot* current = Current();
    if (current == nullptr)
    {
        return S_FALSE;
    }
    const std::vector<RCPtr<Info>>& registrations = current->registrations;
    for (std::size_t i = registrations.size(); i-- > 0;)
    {
        if (registrations[i]->client.Get() == client)
        {
            removed = registrations[i];
            removed->removed.store(true);
            auto* next = new Snapshot();
            next->registrations.reserve(registrations.size() - 1);
            for (std::size_t j = 0; j < registrations.size(); ++j)
            {
                if (j != i)
                {
                    next->registrations.push_back(registrations[j]);
                }
            }
            Publish(next, retired);
            return S_OK;
        }
    }
    return S_FALSE;
}

LONG LNotificationDistributor::LNotificationClientPool::FindClient(
    const LNotificationReceiver* client) const
{
    ScopedLock<Mutex> lock(mLock);
    const Snapshot* current = Current();
    if (current == nullptr)
    {
        return -1;
    }
    for (std::size_t i = current->registrations.size(); i-- > 0;)
    {
        if (current->registrations[i]->client.Get() == client)
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
    const Snapshot* current = Current();
    if (current == nullptr)
    {
        return E_FAIL;
    }
    for (std::size_t i = current->registrations.size(); i-- > 0;)
    {
        const Info& registration = *current->registrations[i];
        if (registration.client.Get() == client)
        {
            flags = registration.flags.load();
            return S_OK;
        }
    }
    return E_FAIL;
}

RCPtr<Info> LNotificationDistributor::LNotificationClientPool::GetRegistration(LONG index) const
{
    ScopedLock<Mutex> lock(mLock);
    const Snapshot* current = Current();
    if (current == nullptr || index < 0 ||
        index >= static_cast<LONG>(current->registrations.size()))
    {
        return nullptr;
    }
    return current->registrations[static_cast<std::size_t>(index)];
}

void LNotificationDistributor::LNotificationClientPool::MarkPending(
    const RCPtr<LNotification>& notification, std::vector<RCPtr<LNotification>>& replaced)
{
    ScopedLock<Mutex> lock(mLock);
    const Snapshot* current = Current();
    if (current == nullptr)
    {
        return;
    }
    for (std::size_t i = current->registrations.size(); i-- > 0;)
    {
        Info& registration = *current->registrations[i];
        if ((registration.flags.load() & kLatestOnly) != 0)
        {
            replaced.push_back(std::move(registration.pending));
            registration.pending = notification;
        }
    }
}

LONG LNotificationDistributor::LNotificationClientPool::GetRegistrationCount() const
{
    ScopedLock<Mutex> lock(mLock);
    const Snapshot* current = Current();
    return current == nullptr ? 0 : static_cast<LONG>(current->registrations.size());
}
} // namespace Orv
