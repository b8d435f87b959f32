// The receiving side of notifications, as a distributor sees it.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"

namespace Orv
{
class LNotification;
class LNotificationDistributor;

class LNotificationReceiver : public virtual LRefCountedObject
{
public:
    // Called by a distributor, on the sending thread and with no lock held, for every
    // notification delivered to this receiver. The result is not used by the distributor.
    virtual ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                          const RCPtr<LNotification>& notification) = 0;
    // Asked by a distributor that drops all its clients: take back the registration for name.
    virtual ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                                 const wchar_t* name) = 0;

    // Makes a notification of name carrying param and hands it straight to this receiver's
    // ReceiveNotification with no source. E_INVALIDARG for a null or empty name; otherwise what
    // ReceiveNotification returns.
    ORVRESULT DeliverNamed(const wchar_t* name, const RCPtr<LRefCountedObject>& param);
};
} // namespace Orv
