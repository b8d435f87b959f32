// The sending side of notifications.
//
// Clients register at a distributor for one notification name each, with a flag word. The
// registrations of one name form a client pool. Sending delivers synchronously on the calling
// thread, walking the pool from the most recent registration to the oldest, with no lock held,
// so a client may register, unregister or send (also the same name again, also from another
// thread) from inside its handler. A registration removed during a walk is not delivered to
// afterwards; one added during a walk does not receive the notification in delivery.
//
// Sending takes no lock: a distributor's pools are found in a table that is only ever appended
// to, and each pool publishes its registrations as an unchanging list that a change replaces by
// a new one (copy on write). A delivery walks the list it found when it began; a removed
// registration carries a mark that the walk checks before calling its client. A replaced list is
// freed once no delivery reads it any more.
//
// Locks: the distributor's lock serialises changes to its pools and counts, each pool's lock
// changes to its registrations and the latest-only bookkeeping; the distributor's lock is taken
// before a pool's, never after.
//
// A registration holds a reference to its client and one to the distributor, each counted as
// internal while the registration stands; the process-wide list of distributors that have
// registrations holds one more, also internal. A delivery passes the registration's reference on
// as the source, so a distributor stays alive while any delivery reads its registrations.
#pragma once

#include "Utilities/Storage/RCPtrArray.h"
#include "Utilities/Threading/Mutex.h"
#include "notification/Notification.h"
#include "notification/NotificationReceiver.h"

#include <atomic>
#include <cstdint>
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
        LNotificationRegisteredClientInfo(const RCPtr<LNotificationReceiver>& client, DWORD flags,
                                          LNotificationDistributor* distributor);

        RCPtr<LNotificationReceiver> client;
        // For a latest-only registration: the last notification posted and not yet delivered.
        // Guarded by the pool's lock.
        RCPtr<LNotification> pending;
        // Changed under the pool's lock; read by deliveries without it.
        std::atomic<DWORD> flags;
        // The registration's reference to its distributor.
        RCPtr<LNotificationDistributor> distributor;
        // Set when the registration is removed: a delivery that began before does not call the
        // client any more.
        std::atomic<bool> removed{false};
    };

    // The registrations of one notification identity, oldest first.
    class LNotificationClientPool : public LRefCountedObject
    {
    public:
        // owner is the distributor the pool belongs to (not counted: it owns the pool).
        LNotificationClientPool(const wchar_t* identity, LNotificationDistributor* owner);
        ~LNotificationClientPool() override;

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
        // E_INVALIDARG for a null client; E_FAIL once the distributor is gone.
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
        DWORD GetFlags() const { return mFlags.load(std::memory_order_relaxed); }
        LONG GetRegistrationCount() const;

    private:
        friend class LNotificationDistributor;
        using Info = LNotificationRegisteredClientInfo;

        // One published list of registrations. Never changed once published.
        struct Snapshot
        {
            std::vector<RCPtr<Info>> registrations;
            // The next list replaced before this one and not yet freed.
            Snapshot* nextRetired = nullptr;
        };

        // Replaced lists that no delivery reads any more, freed when this goes (after the locks
        // of whoever replaced them are left).
        class RetiredSnapshots
        {
        public:
            RetiredSnapshots() = default;
            ~RetiredSnapshots();
            RetiredSnapshots(const RetiredSnapshots&) = delete;
            RetiredSnapshots& operator=(const RetiredSnapshots&) = delete;

            void Add(Snapshot* chain);

        private:
            Snapshot* mChain = nullptr;
        };

        // A delivery's hold on the list it walks.
        class Reader;

        // With the lock held.
        ORVRESULT AddRegistration(const RCPtr<LNotificationReceiver>& client, DWORD flags,
                                  RetiredSnapshots& retired);
        ORVRESULT RemoveClient(const LNotificationReceiver* client,
                               RCPtr<LNotificationRegisteredClientInfo>& removed,
                               RetiredSnapshots& retired);
        // Delivers with source, or with the registrations' own reference to their distributor
        // when source is null.
        ORVRESULT DeliverFrom(const RCPtr<LNotificationDistributor>* source,
                              const RCPtr<LNotification>& notification);
        // Whether registration takes notification: always, unless it is latest-only; then only
        // when notification is its pending one, which it no longer is afterwards.
        bool Takes(Info& registration, const RCPtr<LNotification>& notification);
        // With the lock held: makes next the published list; the one it replaces is retired,
        // and handed to retired at once when no delivery is running.
        void Publish(Snapshot* next, RetiredSnapshots& retired);
        // With the lock held: the published list (null while there was never a registration).
        Snapshot* Current() const { return mCurrent.load(std::memory_order_relaxed); }
        static void Free(Snapshot* chain);

        // mReaders counts the deliveries running; this bit says replaced lists are waiting. The
        // last delivery to end frees them.
        static constexpr std::uint32_t kRetiredWaiting = 0x80000000u;

        std::atomic<DWORD> mFlags{0};
        const wchar_t* mIdentity;
        // Guarded by the lock: null once the distributor is gone.
        LNotificationDistributor* mOwner;
        std::atomic<Snapshot*> mCurrent{nullptr};
        std::atomic<std::uint32_t> mReaders{0};
        // Guarded by the lock.
        Snapshot* mRetired = nullptr;
        mutable Mutex mLock;
    };

    LNotificationDistributor() = default;
    ~LNotificationDistributor() override;

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
    // The same, not counted: valid while this distributor lives (pools stay until it dies).
    LNotificationClientPool* GetClientPool(const wchar_t* identity) const;
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
    // The pools by identity, for lookups without the lock. Only ever appended to (under the
    // lock); a full table is replaced by a larger copy, and the old one is kept until the
    // distributor dies, since a lookup may still read it.
    struct PoolTable;

    // With the lock held.
    LNotificationClientPool* AddPoolLocked(const wchar_t* identity);
    // The pools, the last made first.
    std::vector<LNotificationClientPool*> GetPoolsNewestFirst() const;

    Mutex mLock;
    // Owns the pools. Guarded by the lock.
    RCPtrArray<LNotificationClientPool, 1, 0> mPools;
    std::atomic<PoolTable*> mPoolTable{nullptr};
    LONG mRegistrationCount = 0;
};
} // namespace Orv
