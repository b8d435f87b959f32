// Maps (sending distributor, notification identity) to a member function of the owning class,
// so that a class's ReceiveNotification dispatches by table instead of one big switch. Each
// class level owns one handler over its own type; subscribing registers the owner (a
// notification client) at the distributor and enters the member function in one step.
//
// Handlers are used on the UI thread only; the map is not locked.
#pragma once

#include "notification/Notification.h"
#include "notification/NotificationClient.h"
#include "notification/NotificationDistributor.h"
#include "notification/NotificationName.h"
#include "notification/Receivable.h"

#include <map>
#include <set>
#include <type_traits>

namespace Orv
{
template <class C>
class LNotificationHandler : public virtual LRefCountedObject
{
public:
    using Handler = ORVRESULT (C::*)(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification);

    // owner holds the handler, never the reverse.
    explicit LNotificationHandler(C* owner)
        : mOwner(owner)
    {
    }
    ~LNotificationHandler() override
    {
        mOwner = nullptr;
        mHandlers.clear();
        mPending.clear();
    }

    // Registers the owner at source for name with flags and enters handler under (source,
    // name), replacing an earlier entry. E_INVALIDARG for a null source; E_FAIL when the
    // registration fails (a null or empty name); else S_OK.
    ORVRESULT SubscribeHandler(Handler handler, const RCPtr<LNotificationDistributor>& source,
                               const wchar_t* name, DWORD flags = 0)
    {
        if (!source)
        {
            return E_INVALIDARG;
        }
        const wchar_t* identity = Client()->RegisterNotification(source, name, flags);
        if (identity == nullptr)
        {
            return E_FAIL;
        }
        mHandlers[Receivable(source.Get(), identity)] = handler;
        return S_OK;
    }

    // Enters handler under (no source, name) without registering anywhere, for notifications
    // handed to the owner directly. E_FAIL for a null or empty name.
    ORVRESULT AddHandler(Handler handler, const wchar_t* name)
    {
        const wchar_t* identity = InternNotificationName(name);
        if (identity == nullptr)
        {
            return E_FAIL;
        }
        mHandlers[Receivable(nullptr, identity)] = handler;
        return S_OK;
    }

    // Calls the entry of (source, the notification's identity) and returns its result; 0 when
    // there is none; E_INVALIDARG for a null notification.
    ORVRESULT Dispatch(const RCPtr<LNotificationDistributor>& source,
                       const RCPtr<LNotification>& notification)
    {
        if (!notification)
        {
            return E_INVALIDARG;
        }
        const Receivable key(source.Get(), InternNotificationName(notification->id));
        const auto entry = mHandlers.lower_bound(key);
        if (entry == mHandlers.end() || !(entry->first == key) || mOwner == nullptr)
        {
            return S_OK;
        }
        return (mOwner->*(entry->second))(source, notification);
    }

    // Erases the entry of (source, name); true when there was one.
    bool RemoveHandler(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
    {
        const wchar_t* identity = InternNotificationName(name);
        if (identity == nullptr)
        {
            return false;
        }
        return mHandlers.erase(Receivable(source.Get(), identity)) != 0;
    }

    // Takes the entry of (source, name) out of the table into handler, unregisters the owner at
    // source for name and marks the pair pending until RemovePending, so that the entry can be
    // entered again later (CAutoNotificationDisabler). E_FAIL when there is no entry, or when the
    // owner was not registered at source for name (the entry then stays); else S_OK.
    ORVRESULT SuspendHandler(const RCPtr<LNotificationDistributor>& source, const wchar_t* name,
                             Handler& handler)
    {
        const wchar_t* identity = InternNotificationName(name);
        if (identity == nullptr || !source)
        {
            return E_FAIL;
        }
        const Receivable key(source.Get(), identity);
        const auto entry = mHandlers.find(key);
        if (entry == mHandlers.end() || Client()->UnregisterNotification(source, identity) != S_OK)
        {
            return E_FAIL;
        }
        handler = entry->second;
        mHandlers.erase(entry);
        mPending.insert(key);
        return S_OK;
    }

    // Ends the pending mark of (source, name); true when the pair was pending.
    bool RemovePending(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
    {
        const wchar_t* identity = InternNotificationName(name);
        if (identity == nullptr)
        {
            return false;
        }
        return mPending.erase(Receivable(source.Get(), identity)) != 0;
    }

    // Copies out the entry's handler and reads the flags of the owner's registration at source
    // for name. E_FAIL when there is no entry, or no registration (also for a null source).
    ORVRESULT GetHandlerInfo(const RCPtr<LNotificationDistributor>& source, const wchar_t* name,
                             Handler& handler, DWORD& flags)
    {
        const wchar_t* identity = InternNotificationName(name);
        if (identity == nullptr)
        {
            return E_FAIL;
        }
        const auto entry = mHandlers.find(Receivable(source.Get(), identity));
        if (entry == mHandlers.end())
        {
            return E_FAIL;
        }
        handler = entry->second;
        if (!source)
        {
            return E_FAIL;
        }
        return source->GetRegistrationFlags(Client(), identity, flags);
    }

private:
    LNotificationClient* Client() const
    {
        static_assert(std::is_base_of_v<LNotificationClient, C>,
                      "the owner of a notification handler is a notification client");
        return mOwner;
    }

    C* mOwner;
    std::map<Receivable, Handler> mHandlers;
    // Pairs whose entry SuspendHandler took out and that are not yet given back.
    std::set<Receivable> mPending;
};
} // namespace Orv
