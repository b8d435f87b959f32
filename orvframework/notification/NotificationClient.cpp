#include "notification/NotificationClient.h"

#include "notification/NotificationDistributor.h"
#include "notification/NotificationName.h"

namespace Orv
{
ORVRESULT LNotificationClient::ReceiveNotification(const RCPtr<LNotificationDistributor>&,
                                                   const RCPtr<LNotification>&)
{
    return S_OK;
}

ORVRESULT LNotificationClient::Unregister(const RCPtr<LNotificationDistributor>& source,
                                          const wchar_t* name)
{
    return UnregisterNotification(source, name);
}

ORVRESULT LNotificationClient::ReleaseInternalReferences()
{
    UnregisterAllNotifications();
    return LRefCountedObject::ReleaseInternalReferences();
}

const wchar_t*
LNotificationClient::RegisterNotification(const RCPtr<LNotificationDistributor>& distributor,
                                          const wchar_t* name, DWORD flags)
{
    if (!distributor)
    {
        return nullptr;
    }
    const wchar_t* identity = InternNotificationName(name);
    if (identity == nullptr)
    {
        return nullptr;
    }
    const RCPtr<LNotificationReceiver> self(this);
    const ORVRESULT result = distributor->RegisterClient(self, identity, flags);
    if (result == S_OK)
    {
        // The new registration holds this client.
        AddInternalReference();
        ++mRegistrationCount;
    }
    if (result >= 0)
    {
        LNotificationDistributor* const target = distributor.Get();
        bool listed = false;
        for (unsigned int i = 0; i < mDistributors.GetCount() && !listed; ++i)
        {
            listed = mDistributors.GetConstElementPointer(i) == target;
        }
        if (!listed)
        {
            mDistributors.AddItem(target);
        }
    }
    return identity;
}

ORVRESULT
LNotificationClient::UnregisterNotification(const RCPtr<LNotificationDistributor>& distributor,
                                            const wchar_t* name)
{
    if (mRegistrationCount == 0)
    {
        return S_FALSE;
    }
    if (!distributor || name == nullptr)
    {
        return E_INVALIDARG;
    }
    // Held for the call, so that the account below is settled before the object can go.
    const RCPtr<LNotificationReceiver> self(this);
    RCPtr<LNotificationDistributor::LNotificationRegisteredClientInfo> removed;
    const ORVRESULT result = distributor->UnregisterClient(self, name, removed);
    if (result == S_OK)
    {
        // Lowered before the registration's reference to this client is released.
        ReleaseInternalReference();
        --mRegistrationCount;
        if (!distributor->IsClientRegistered(this))
        {
            LNotificationDistributor* const target = distributor.Get();
            for (unsigned int i = mDistributors.GetCount(); i-- > 0;)
            {
                if (mDistributors.GetConstElementPointer(i) == target)
                {
                    mDistributors.RemoveItems(i, 1);
                    break;
                }
            }
        }
    }
    return result;
}

LONG LNotificationClient::UnregisterAllNotifications()
{
    if (mRegistrationCount < 1)
    {
        return 0;
    }
    const RCPtr<LNotificationReceiver> self(this);
    // Lowered at once, before the registrations release their references to this client.
    for (LONG i = 0; i < mRegistrationCount; ++i)
    {
        ReleaseInternalReference();
    }
    LONG total = 0;
    while (mDistributors.GetCount() != 0)
    {
        const unsigned int last = mDistributors.GetCount() - 1;
        // Each distributor is alive while it holds a registration of this client.
        const RCPtr<LNotificationDistributor> distributor(mDistributors.GetElementPointer(last));
        mDistributors.RemoveItems(last, 1);
        total += distributor->UnregisterClientEverywhere(self);
    }
    mRegistrationCount = 0;
    return total;
}
} // namespace Orv
