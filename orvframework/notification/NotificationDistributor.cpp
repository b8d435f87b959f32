#include "notification/NotificationDistributor.h"

#include "Utilities/Threading/ScopedLock.h"
#include "notification/NotificationName.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace Orv
{
namespace
{
using Pool = LNotificationDistributor::LNotificationClientPool;
using Info = LNotificationDistributor::LNotificationRegisteredClientInfo;

// Every distributor that has registrations, each once. Its references are counted as internal
// references of the distributors. Made on first use and never destroyed, so that distributors
// that still have registrations at exit find it.
struct DistributorList
{
    Mutex lock;
    RCPtrArray<LNotificationDistributor, 1, 0> items;
};

DistributorList& GetDistributorList()
{
    static auto* list = new DistributorList();
    return *list;
}

void AddToDistributorList(LNotificationDistributor* distributor)
{
    DistributorList& list = GetDistributorList();
    {
        ScopedLock<Mutex> lock(list.lock);
        list.items.AddItem(RCPtr<LNotificationDistributor>(distributor));
    }
    distributor->AddInternalReference();
}

// Takes the distributor out of the list; the caller lowers its internal count and then lets
// the returned reference go, outside its locks.
RCPtr<LNotificationDistributor> TakeFromDistributorList(const LNotificationDistributor* distributor)
{
    RCPtr<LNotificationDistributor> taken;
    DistributorList& list = GetDistributorList();
    ScopedLock<Mutex> lock(list.lock);
    for (unsigned int i = list.items.GetCount(); i-- > 0;)
    {
        if (list.items.GetConstElementPointer(i).Get() == distributor)
        {
            list.items.RemoveItem(i, taken);
            break;
        }
    }
    return taken;
}
} // namespace

struct LNotificationDistributor::PoolTable
{
    struct Entry
    {
        const wchar_t* identity;
        LNotificationClientPool* pool;
    };

    explicit PoolTable(std::size_t capacity)
        : entries(capacity)
    {
    }

    // Entries below count are complete and never change.
    std::vector<Entry> entries;
    std::atomic<std::size_t> count{0};
    // The table this one replaced.
    PoolTable* previous = nullptr;
};

LNotificationDistributor::~LNotificationDistributor()
{
    // A pool held from outside outlives its distributor: it takes no registration any more.
    for (unsigned int i = 0; i < mPools.GetCount(); ++i)
    {
        LNotificationClientPool& pool = *mPools.GetElementPointer(i);
        ScopedLock<Mutex> lock(pool.mLock);
        pool.mOwner = nullptr;
    }
    for (PoolTable* table = mPoolTable.load(); table != nullptr;)
    {
        delete std::exchange(table, table->previous);
    }
}

LNotificationDistributor::LNotificationClientPool*
LNotificationDistributor::GetClientPool(const wchar_t* identity) const
{
    const PoolTable* table = mPoolTable.load(std::memory_order_acquire);
    if (table == nullptr)
    {
        return nullptr;
    }
    for (std::size_t i = table->count.load(std::memory_order_acquire); i-- > 0;)
    {
        const PoolTable::Entry& entry = table->entries[i];
        if (entry.identity == identity)
        {
            return entry.pool;
        }
    }
    return nullptr;
}

LNotificationDistributor::LNotificationClientPool*
LNotificationDistributor::AddPoolLocked(const wchar_t* identity)
{
    RCPtr<LNotificationClientPool> pool(new LNotificationClientPool(identity, this));
    mPools.AddItem(pool);
    PoolTable* table = mPoolTable.load(std::memory_order_relaxed);
    const std::size_t count = table == nullptr ? 0 : table->count.load(std::memory_order_relaxed);
    if (table == nullptr || count == table->entries.size())
    {
        auto* grown = new PoolTable(std::max<std::size_t>(4, count * 2));
        if (table != nullptr)
        {
            std::copy(table->entries.begin(), table->entries.end(), grown->entries.begin());
        }
        grown->count.store(count, std::memory_order_relaxed);
        grown->previous = table;
        mPoolTable.store(grown, std::memory_order_release);
        table = grown;
    }
    table->entries[count] = PoolTable::Entry{identity, pool.Get()};
    table->count.store(count + 1, std::memory_order_release);
    return pool.Get();
}

std::vector<LNotificationDistributor::LNotificationClientPool*>
LNotificationDistributor::GetPoolsNewestFirst() const
{
    std::vector<LNotificationClientPool*> pools;
    const PoolTable* table = mPoolTable.load(std::memory_order_acquire);
    if (table != nullptr)
    {
        for (std::size_t i = table->count.load(std::memory_order_acquire); i-- > 0;)
        {
            pools.push_back(table->entries[i].pool);
        }
    }
    return pools;
}

ORVRESULT LNotificationDistributor::SendNotification(const RCPtr<LNotification>& notification)
{
    if (!notification)
    {
        return E_INVALIDARG;
    }
    LNotificationClientPool* pool = GetClientPool(notification->id);
    if (pool == nullptr)
    {
        return S_FALSE;
    }
    // The source handed to the clients is the registrations' own reference to this
    // distributor, which keeps it alive while they are called.
    return pool->DeliverFrom(nullptr, notification);
}

ORVRESULT LNotificationDistributor::RegisterClient(const RCPtr<LNotificationReceiver>& client,
                                                   const wchar_t* name, DWORD flags)
{
    if (!client)
    {
        return E_INVALIDARG;
    }
    const wchar_t* identity = InternNotificationName(name);
    if (identity == nullptr)
    {
        return S_FALSE;
    }
    // Replaced registration lists are freed after the locks are left.
    LNotificationClientPool::RetiredSnapshots retired;
    ScopedLock<Mutex> lock(mLock);
    LNotificationClientPool* pool = GetClientPool(identity);
    const bool found = pool != nullptr && pool->FindClient(client.Get()) >= 0;
    if (pool == nullptr)
    {
        pool = AddPoolLocked(identity);
    }
    const ORVRESULT added = pool->AddRegistration(client, flags, retired);
    if (added < 0)
    {
        return added;
    }
    if (!found)
    {
        // The new registration's reference to this distributor, taken by the pool just now, is
        // internal.
        AddInternalReference();
        if (++mRegistrationCount == 1)
        {
            AddToDistributorList(this);
        }
    }
    return found ? S_FALSE : S_OK;
}

ORVRESULT LNotificationDistributor::UnregisterClient(const RCPtr<LNotificationReceiver>& client,
                                                     const wchar_t* name)
{
    // The removed registration, and with it its references to the client and to this
    // distributor, goes last: this object may be gone afterwards.
    RCPtr<Info> removed;
    return UnregisterClient(client, name, removed);
}

ORVRESULT LNotificationDistributor::UnregisterClient(const RCPtr<LNotificationReceiver>& client,
                                                     const wchar_t* name, RCPtr<Info>& removed)
{
    if (!client)
    {
        return E_INVALIDARG;
    }
    const wchar_t* identity = InternNotificationName(name);
    if (identity == nullptr)
    {
        return E_INVALIDARG;
    }
    LNotificationClientPool::RetiredSnapshots retired;
    RCPtr<LNotificationDistributor> listed;
    {
        ScopedLock<Mutex> lock(mLock);
        LNotificationClientPool* pool = GetClientPool(identity);
        if (pool == nullptr || pool->RemoveClient(client.Get(), removed, retired) != S_OK)
        {
            return S_FALSE;
        }
        if (--mRegistrationCount == 0)
        {
            listed = TakeFromDistributorList(this);
        }
    }
    // The references go outside the locks, each after its internal mark. The registration's
    // own reference goes with the registration (held by the caller and by any delivery still
    // walking it).
    if (listed)
    {
        ReleaseInternalReference();
        listed = nullptr;
    }
    ReleaseInternalReference();
    return S_OK;
}

LONG LNotificationDistributor::UnregisterClientEverywhere(
    const RCPtr<LNotificationReceiver>& client)
{
    if (!client)
    {
        return 0;
    }
    const RCPtr<LNotificationDistributor> self(this);
    LONG removed = 0;
    for (const LNotificationClientPool* pool : GetPoolsNewestFirst())
    {
        if (UnregisterClient(client, pool->GetIdentity()) == S_OK)
        {
            ++removed;
        }
    }
    return removed;
}

void LNotificationDistributor::UnregisterAllClients()
{
    const RCPtr<LNotificationDistributor> self(this);
    for (LNotificationClientPool* pool : GetPoolsNewestFirst())
    {
        const wchar_t* identity = pool->GetIdentity();
        for (LONG index = pool->GetRegistrationCount() - 1; index >= 0; --index)
        {
            const RCPtr<Info> registration = pool->GetRegistration(index);
            if (!registration)
            {
                // Some went meanwhile: go on below what is left.
                index = pool->GetRegistrationCount();
                continue;
            }
            const RCPtr<LNotificationReceiver> client = registration->client;
            client->Unregister(self, identity);
            if (pool->FindClient(client.Get()) >= 0)
            {
                // The client did not take it back (a posting receiver never does).
                UnregisterClient(client, identity);
            }
        }
    }
}

RCPtr<Pool> LNotificationDistributor::FindClientPool(const wchar_t* identity)
{
    return GetClientPool(identity);
}

ORVRESULT LNotificationDistributor::GetRegistrationFlags(const LNotificationReceiver* client,
                                                         const wchar_t* name, DWORD& flags)
{
    const wchar_t* identity = InternNotificationName(name);
    if (identity == nullptr)
    {
        return E_FAIL;
    }
    const LNotificationClientPool* pool = GetClientPool(identity);
    if (pool == nullptr)
    {
        return E_FAIL;
    }
    return pool->GetClientFlags(client, flags);
}

bool LNotificationDistributor::IsClientRegistered(const LNotificationReceiver* client)
{
    for (const LNotificationClientPool* pool : GetPoolsNewestFirst())
    {
        if (pool->FindClient(client) >= 0)
        {
            return true;
        }
    }
    return false;
}

LONG LNotificationDistributor::GetRegistrationCount()
{
    ScopedLock<Mutex> lock(mLock);
    return mRegistrationCount;
}

bool LNotificationDistributor::IsListed(const LNotificationDistributor* distributor)
{
    DistributorList& list = GetDistributorList();
    ScopedLock<Mutex> lock(list.lock);
    for (unsigned int i = list.items.GetCount(); i-- > 0;)
    {
        if (list.items.GetConstElementPointer(i).Get() == distributor)
        {
            return true;
        }
    }
    return false;
}
} // namespace Orv
