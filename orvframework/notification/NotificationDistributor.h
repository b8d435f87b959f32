// The sending side of notifications.
//
// Clients register at a distributor for one notification name each, with a flag word. The
// registrations of one name form a client pool. Sending delivers synchronously on the calling
// thread, walking the pool from the most recent registration to the oldest; each registration
// is taken out under the pool's lock, but the client is called with no lock held, so a client
// may register, unregister or send (also the same name again, also from another thread) from
// inside its handler. A registration removed during a walk is neither skipped past nor
// delivered to twice; one added during a walk does not receive the notification in delivery.
//
// Locks: the distributor's lock guards its pools and counts, each pool's lock its
// registrations; the distributor's lock is taken before a pool's, never after.
//
// A registration holds a reference to the distributor, counted as internal, and so does the
// process-wide list of distributors that have registrations.
#pragma once

#include "Utilities/Storage/RCPtrArray.h"
#include "Utilities/Threading/Mutex.h"
#include "notification/Notification.h"
#include "notification/NotificationReceiver.h"

#include <vector>

namespace Orv
{
class LNotificationDistributor : public virtual LRefCountedObject
{
public:
    // Registration flag: the registration receives only posted notifications, and of several
    // posted before the queue is drained only the last one.
    static constexpr DWORD kLatestOnly = 1;

    // One registration of a pool.
    class LNotificationRegisteredClientInfo : public LRefCountedObject
    {
    public:
        LNotificationRegisteredClientInfo(const RCPtr<LNotificationReceiver>& client, DWORD flags);

        RCPtr<LNotificationReceiver> client;
        // For a latest-only registration: the last notification posted and not yet delivered.
        // Guarded by the pool's lock.
        RCPtr<LNotification> pending;
        // Guarded by the pool's lock.
        DWORD flags;
    };

    // The registrations of one notification identity, oldest first.
    class LNotificationClientPool : public LRefCountedObject
    {
    public:
        explicit LNotificationClientPool(const wchar_t* identity);

        // Delivers to every registration, the most recent first. S_FALSE when the pool has no
        // registration, else S_OK.
        ORVRESULT Deliver(const RCPtr<LNotificationDistributor>& source,
                          const RCPtr<LNotification>& notification);
        // Delivers to the one registration at index by the same rules. Returns the index
        // afterwards, lowered by one for every earlier registration removed during the call;
        // the registration count when index is out of range.
        LONG DeliverToClient(const RCPtr<LNotificationDistributor>& source, LONG index,
                             const RCPtr<LNotification>& notification);
        // Appends a registration, or changes the flags of the client's registration. S_OK;
        // E_INVALIDARG for a null client.
        ORVRESULT AddRegistration(const RCPtr<LNotificationReceiver>& client, DWORD flags);
        // S_OK removed, S_FALSE absent.
        ORVRESULT RemoveClient(const LNotificationReceiver* client);
        // The same, handing the removed registration to the caller, who releases it after
        // leaving its own locks.
        ORVRESULT RemoveClient(const LNotificationReceiver* client,
                               RCPtr<LNotificationRegisteredClientInfo>& removed);
        // The index of the client's registration, or -1.
        LONG FindClient(const LNotificationReceiver* client) const;
        // S_OK and the registration's flags, or E_FAIL when the client has none here.
        ORVRESULT GetClientFlags(const LNotificationReceiver* client, DWORD& flags) const;
        // The registration at index (counted), or null.
        RCPtr<LNotificationRegisteredClientInfo> GetRegistration(LONG index) const;
        // Makes notification the pending one of every latest-only registration; what they held
        // before is moved into replaced.
        void MarkPending(const RCPtr<LNotification>& notification,
                         std::vector<RCPtr<LNotification>>& replaced);

        const wchar_t* GetIdentity() const { return mIdentity; }
        // The union of the registrations' flags.
        DWORD GetFlags() const;
        LONG GetRegistrationCount() const;

    private:
        // Where one running delivery stands; removals of earlier registrations move it down.
        struct DeliveryCursor
        {
            LONG index = 0;
            DeliveryCursor* next = nullptr;
        };
        class ActiveCursor;

        // With the lock held: takes the registration at index out for delivery and sets the
        // cursor to index. Null when a latest-only registration does not take notification.
        RCPtr<LNotificationRegisteredClientInfo>
        TakeForDelivery(LONG index, const RCPtr<LNotification>& notification,
                        DeliveryCursor& cursor, RCPtr<LNotification>& delivered);

        DWORD mFlags = 0;
        const wchar_t* mIdentity;
        RCPtrArray<LNotificationRegisteredClientInfo, 1, 0> mRegistrations;
        // Every delivery running on this pool (the same name may be sent again from inside a
        // handler, or from another thread).
        DeliveryCursor* mCursors = nullptr;
        mutable Mutex mLock;
    };

    LNotificationDistributor() = default;
    ~LNotificationDistributor() override = default;

    // Delivers notification to the clients registered for its identity. E_INVALIDARG for null;
    // S_FALSE when nobody is registered for it; else S_OK.
    ORVRESULT SendNotification(const RCPtr<LNotification>& notification);
    // S_OK for a new registration; S_FALSE when the name interns to null or the client was
    // already registered for it (its flags are then updated); E_INVALIDARG for a null client.
    ORVRESULT RegisterClient(const RCPtr<LNotificationReceiver>& client, const wchar_t* name,
                             DWORD flags);
    // S_OK removed; S_FALSE when the client had no registration for name; E_INVALIDARG for a
    // null client or a name that interns to null.
    ORVRESULT UnregisterClient(const RCPtr<LNotificationReceiver>& client, const wchar_t* name);
    // The same, handing the removed registration (which holds the client) to the caller, so
    // that the client can settle its own account before that reference goes.
    ORVRESULT UnregisterClient(const RCPtr<LNotificationReceiver>& client, const wchar_t* name,
                               RCPtr<LNotificationRegisteredClientInfo>& removed);
    // UnregisterClient for the identity of every pool; returns how many succeeded.
    LONG UnregisterClientEverywhere(const RCPtr<LNotificationReceiver>& client);
    // Asks every registered client to unregister (its Unregister), the last pool and the last
    // registration first. A registration that its client does not take back is removed here,
    // so that the distributor ends with none.
    void UnregisterAllClients();
    // The pool of an interned identity, or null.
    RCPtr<LNotificationClientPool> FindClientPool(const wchar_t* identity);
    // S_OK and the flags of the client's registration for name; E_FAIL when the name, the pool
    // or the registration does not exist.
    ORVRESULT GetRegistrationFlags(const LNotificationReceiver* client, const wchar_t* name,
                                   DWORD& flags);
    // Whether any pool holds a registration of client.
    bool IsClientRegistered(const LNotificationReceiver* client);

    // The number of registrations at this distributor.
    LONG GetRegistrationCount();
    // Whether distributor is in the process-wide list of distributors that have registrations.
    static bool IsListed(const LNotificationDistributor* distributor);

private:
    RCPtr<LNotificationClientPool> FindPoolLocked(const wchar_t* identity) const;

    Mutex mLock;
    RCPtrArray<LNotificationClientPool, 1, 0> mPools;
    LONG mRegistrationCount = 0;
};
} // namespace Orv
