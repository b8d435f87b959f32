#include "notification/NotificationDistributor.h"

#include "Utilities/Threading/ScopedLock.h"
#include "notification/NotificationName.h"

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
    distributor->AddInternalReference();
    DistributorList& list = GetDistributorList();
    ScopedLock<Mutex> lock(list.lock);
    list.items.AddItem(RCPtr<LNotificationDistributor>(distributor));
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

ORVRESULT LNotificationDistributor::SendNotification(const RCPtr<LNotification>& notification)
{
    if (!notification)
    {
        return E_INVALIDARG;
    }
    RCPtr<Pool> pool;
    {
        ScopedLock<Mutex> lock(mLock);
        pool = FindPoolLocked(notification->id);
    }
    if (!pool)
    {
        return S_FALSE;
    }
    return pool->Deliver(RCPtr<LNotificationDistributor>(this), notification);
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
    ScopedLock<Mutex> lock(mLock);
    RCPtr<Pool> pool = FindPoolLocked(identity);
    const bool found = pool && pool->FindClient(client.Get()) >= 0;
    if (!found)
    {
        // The registration holds this distributor.
        AddInternalReference();
        AddRef();
        if (++mRegistrationCount == 1)
        {
            AddToDistributorList(this);
        }
    }
    if (!pool)
    {
        pool = new Pool(identity);
        mPools.AddItem(pool);
    }
    pool->AddRegistration(client, flags);
    return found ? S_FALSE : S_OK;
}

ORVRESULT LNotificationDistributor::UnregisterClient(const RCPtr<LNotificationReceiver>& client,
                                                     const wchar_t* name)
{
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
    RCPtr<LNotificationDistributor> listed;
    {
        ScopedLock<Mutex> lock(mLock);
        const RCPtr<Pool> pool = FindPoolLocked(identity);
        if (!pool || pool->RemoveClient(client.Get(), removed) != S_OK)
        {
            return S_FALSE;
        }
        if (--mRegistrationCount == 0)
        {
            listed = TakeFromDistributorList(this);
        }
    }
    // The references go outside the locks, each after its internal mark.
    if (listed)
    {
        ReleaseInternalReference();
        listed = nullptr;
    }
    ReleaseInternalReference();
    // The registration's reference: this object may be gone afterwards.
    Release();
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
    std::vector<const wchar_t*> identities;
    {
        ScopedLock<Mutex> lock(mLock);
        for (unsigned int i = mPools.GetCount(); i-- > 0;)
        {
            identities.push_back(mPools.GetConstElementPointer(i)->GetIdentity());
        }
    }
    LONG removed = 0;
    for (const wchar_t* identity : identities)
    {
        if (UnregisterClient(client, identity) == S_OK)
        {
            ++removed;
        }
    }
    return removed;
}

void LNotificationDistributor::UnregisterAllClients()
{
    const RCPtr<LNotificationDistributor> self(this);
    std::vector<RCPtr<Pool>> pools;
    {
        ScopedLock<Mutex> lock(mLock);
        for (unsigned int i = 0; i < mPools.GetCount(); ++i)
        {
            pools.push_back(mPools.GetConstElementPointer(i));
        }
    }
    for (auto pool = pools.rbegin(); pool != pools.rend(); ++pool)
    {
        const wchar_t* identity = (*pool)->GetIdentity();
        for (LONG index = (*pool)->GetRegistrationCount() - 1; index >= 0; --index)
        {
            const RCPtr<Info> registration = (*pool)->GetRegistration(index);
            if (!registration)
            {
                // Some went meanwhile: go on below what is left.
                index = (*pool)->GetRegistrationCount();
                continue;
            }
            const RCPtr<LNotificationReceiver> client = registration->client;
            client->Unregister(self, identity);
            if ((*pool)->FindClient(client.Get()) >= 0)
            {
                // The client did not take it back (a posting receiver never does).
                UnregisterClient(client, identity);
            }
        }
    }
}

RCPtr<Pool> LNotificationDistributor::FindClientPool(const wchar_t* identity)
{
    ScopedLock<Mutex> lock(mLock);
    return FindPoolLocked(identity);
}

ORVRESULT LNotificationDistributor::GetRegistrationFlags(const LNotificationReceiver* client,
                                                         const wchar_t* name, DWORD& flags)
{
    const wchar_t* identity = InternNotificationName(name);
    if (identity == nullptr)
    {
        return E_FAIL;
    }
    const RCPtr<Pool> pool = FindClientPool(identity);
    if (!pool)
    {
        return E_FAIL;
    }
    return pool->GetClientFlags(client, flags);
}

bool LNotificationDistributor::IsClientRegistered(const LNotificationReceiver* client)
{
    ScopedLock<Mutex> lock(mLock);
    for (unsigned int i = mPools.GetCount(); i-- > 0;)
    {
        if (mPools.GetConstElementPointer(i)->FindClient(client) >= 0)
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

RCPtr<Pool> LNotificationDistributor::FindPoolLocked(const wchar_t* identity) const
{
    for (unsigned int i = mPools.GetCount(); i-- > 0;)
    {
        const RCPtr<Pool>& pool = mPools.GetConstElementPointer(i);
        if (pool->GetIdentity() == identity)
        {
            return pool;
        }
    }
    return nullptr;
}
} // namespace Orv
