#include "notification/Notification.h"

#include "notification/NotificationFreeList.h"
#include "notification/NotificationName.h"

#include <utility>

namespace Orv
{
RCPtr<LNotification> LNotification::Create(const wchar_t* name,
                                           const RCPtr<LRefCountedObject>& param)
{
    LNotificationFreeList& freeList = LNotificationFreeList::Instance();
    if (!freeList.IsRecycling())
    {
        return Allocate(name, param);
    }
    const wchar_t* identity = InternNotificationName(name);
    if (identity == nullptr)
    {
        return nullptr;
    }
    RCPtr<LNotification> recycled = freeList.Take();
    // Nobody else holds a notification taken from the list, so it is filled without a lock.
    // One that is still marked posted belongs to a queue: it is dropped, never handed out.
    if (recycled && !recycled->posted.load())
    {
        recycled->id = identity;
        recycled->param = param;
        return recycled;
    }
    return Allocate(identity, param);
}

RCPtr<LNotification> LNotification::Allocate(const wchar_t* name,
                                             const RCPtr<LRefCountedObject>& param)
{
    const wchar_t* identity = InternNotificationName(name);
    if (identity == nullptr)
    {
        return nullptr;
    }
    RCPtr<LNotification> notification(new LNotification());
    notification->id = identity;
    notification->param = param;
    return notification;
}

void LNotification::SetRecycling(bool on)
{
    // Released here, outside the list's lock: with recycling off they die.
    LNotificationFreeList::Instance().SetRecycling(on);
}

unsigned int LNotification::GetRecycledCount()
{
    return LNotificationFreeList::Instance().GetCount();
}

LONG LNotification::Release()
{
    if (releasing || GetRefCount() != 1)
    {
        return LRefCountedObject::Release();
    }
    // The last reference: the recycle step.
    if (posted.load())
    {
        // Released while a queue still counts it as queued (its queue was destroyed without
        // being cleared): it dies with its parameter rather than being handed out again.
        return LRefCountedObject::Release();
    }
    releasing = true;
    if (param)
    {
        RCPtr<LRefCountedObject> old = std::move(param);
    }
    // Cleared before the list may hand the notification to another thread.
    releasing = false;
    // The list keeps the last reference: the notification stays alive with a count of 1. (One
    // that the parameter's release has given a new holder is not the list's to keep.)
    if (GetRefCount() == 1 && LNotificationFreeList::Instance().Give(this))
    {
        return 1;
    }
    return LRefCountedObject::Release();
}
} // namespace Orv
