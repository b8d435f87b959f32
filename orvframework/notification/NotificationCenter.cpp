#include "notification/NotificationCenter.h"

namespace Orv
{
LNotificationCenter::LNotificationCenter(const WString& name)
    : mName(name)
{
}

RCPtr<LNotificationCenter> LNotificationCenter::Create(const WString& name)
{
    RCPtr<LNotificationCenter> center(new LNotificationCenter(name));
    // The queue's reference to the center is internal on the center.
    center->SetDistributor(center);
    return center;
}

ORVRESULT LNotificationCenter::ReleaseInternalReferences()
{
    UnregisterAllClients();
    Detach();
    return LRefCountedObject::ReleaseInternalReferences();
}
} // namespace Orv
