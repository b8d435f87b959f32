#include "notification/NotificationReceiver.h"

#include "notification/Notification.h"
#include "notification/NotificationDistributor.h"

namespace Orv
{
ORVRESULT LNotificationReceiver::DeliverNamed(const wchar_t* name,
                                              const RCPtr<LRefCountedObject>& param)
{
    const RCPtr<LNotification> notification = LNotification::Create(name, param);
    if (!notification)
    {
        return E_INVALIDARG;
    }
    return ReceiveNotification(RCPtr<LNotificationDistributor>(), notification);
}
} // namespace Orv
