#include "notification/Notification.h"

#include "Utilities/Storage/RCPtrArray.h"
#include "Utilities/Threading/ScopedLock.h"
#include "notification/NotificationName.h"

#include <utility>
#include <vector>

namespace Orv
{
namespace
{
std::atomic<bool> gRecycling{false};

// Made on first use and never destroyed (see the name table); guarded by the notification lock.
RCPtrArray<LNotification, 1, 0>& GetFreeList()
{
    static auto* list = new RCPtrArray<LNotification, 1, 0>();
    return *list;
}
} // namespace

RCPtr<LNotification> LNotification::Create(const wchar_t* name,
                                           const RCPtr<LRefCountedObject>& param)
{
    if (!gRecycling.load())
    {
        return Allocate(name, param);
    }
    const wchar_t* identity = nullptr;
    RCPtr<LNotification> recycled;
    {
        // Interning takes the same lock: one pass through it for both.
        ScopedLock<Mutex> lock(GetNotificationLock());
        identity = InternNotificationName(name);
        if (identity == nullptr)
        {
            return nullptr;
        }
        RCPtrArray<LNotification, 1, 0>& list = GetFreeList();
        if (list.GetCount() != 0)
        {
            list.RemoveLastItem(recycled);
        }
    }
    // Nobody else holds a notification taken from the list, so it is filled without the lock.
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
    std::vector<RCPtr<LNotification>> dropped;
    {
        ScopedLock<Mutex> lock(GetNotificationLock());
        gRecycling.store(on);
        if (!on)
        {
            RCPtrArray<LNotification, 1, 0>& list = GetFreeList();
            dropped.reserve(list.GetCount());
            while (list.GetCount() != 0)
            {
                RCPtr<LNotification> item;
                list.RemoveLastItem(item);
                dropped.push_back(std::move(item));
            }
        }
    }
    // Released outside the lock: with recycling off they die.
}

unsigned int LNotification::GetRecycledCount()
{
    ScopedLock<Mutex> lock(GetNotificationLock());
    return GetFreeList().GetCount();
}

LONG LNotification::Release()
{
    if (releasing || GetRefCount() != 1)
    {
        return LRefCountedObject::Release();
    }
    // The last reference: the recycle step.
    releasing = true;
    if (posted.load())
    {
        // Released while a queue still counts it as queued (its queue was destroyed without
        // being cleared): it dies with its parameter rather than being handed out again.
        releasing = false;
        return LRefCountedObject::Release();
    }
    if (param)
    {
        RCPtr<LRefCountedObject> old = std::move(param);
    }
    if (gRecycling.load())
    {
        ScopedLock<Mutex> lock(GetNotificationLock());
        // Checked again under the lock, so that nothing joins a list that SetRecycling has
        // emptied. The list's reference keeps the object alive, and no other thread can take
        // it out before this one has finished with it and left the lock.
        if (gRecycling.load())
        {
            GetFreeList().AddItem(RCPtr<LNotification>(this));
            releasing = false;
            return LRefCountedObject::Release();
        }
    }
    releasing = false;
    return LRefCountedObject::Release();
}
} // namespace Orv
