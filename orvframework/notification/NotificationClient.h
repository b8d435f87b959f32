// A receiver that registers itself at distributors and keeps account of its registrations.
//
// A registration makes the distributor hold the client; that reference is counted as internal
// on the client, so a client whose only remaining references are its registrations drops them
// all when its last outside reference goes, and dies.
//
// A client's own registrations are changed from one thread at a time (the distributors
// themselves may be used from any thread).
#pragma once

#include "Utilities/Storage/Array.h"
#include "notification/NotificationReceiver.h"

namespace Orv
{
class LNotificationClient : public LNotificationReceiver
{
public:
    LNotificationClient() = default;
    ~LNotificationClient() override = default;

    // Does nothing; derived classes dispatch.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    // UnregisterNotification.
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;
    // Drops every registration, then the base check.
    ORVRESULT ReleaseInternalReferences() override;

    // Registers at distributor for name with the flag word (bit 0: latest-only). Returns the
    // interned name; null for a null distributor or a null or empty name. Registering again
    // for the same name changes only the flags.
    const wchar_t* RegisterNotification(const RCPtr<LNotificationDistributor>& distributor,
                                        const wchar_t* name, DWORD flags = 0);
    // S_OK removed; S_FALSE when this client holds no registration at all or the distributor
    // had none for it; E_INVALIDARG for a null distributor or name.
    ORVRESULT UnregisterNotification(const RCPtr<LNotificationDistributor>& distributor,
                                     const wchar_t* name);
    // Drops every registration at every distributor; returns how many were removed.
    LONG UnregisterAllNotifications();

    // The number of registrations this client holds at all distributors together.
    LONG GetRegistrationCount() const { return mRegistrationCount; }

private:
    LONG mRegistrationCount = 0;
    // Each distributor at which the client is registered, once, in the order first registered.
    Array<LNotificationDistributor*> mDistributors;
};
} // namespace Orv
