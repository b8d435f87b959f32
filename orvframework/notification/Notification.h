// A notification: an interned name and one parameter object, carried through one send or one
// post. Notifications are made at input rate, so released ones can be recycled through a
// process-wide free list (the last released is reused first) instead of going back to the heap.
// The free list is a stack linked through the notifications themselves, under a lock of its own
// held for a few instructions: taking from it and giving back allocate nothing.
#pragma once

#include "ObjectBase/RCPtr.h"
#include "ObjectBase/RefCountedObject.h"

#include <atomic>

namespace Orv
{
class LNotification : public virtual LRefCountedObject
{
public:
    // The only way notifications are made. With recycling on, the last released notification
    // is reused. Null for a null or empty name. name may already be an interned pointer.
    static RCPtr<LNotification> Create(const wchar_t* name,
                                       const RCPtr<LRefCountedObject>& param = nullptr);
    // Always builds a new notification; null for a null or empty name.
    static RCPtr<LNotification> Allocate(const wchar_t* name,
                                         const RCPtr<LRefCountedObject>& param = nullptr);
    // Switches recycling on or off; off empties the free list (its notifications die).
    static void SetRecycling(bool on);
    // The number of notifications waiting in the free list.
    static unsigned int GetRecycledCount();

    // At the last release the parameter is dropped, and with recycling on the notification goes
    // to the free list instead of dying. A notification still marked posted is never recycled.
    LONG Release() override;

    // The interned name.
    const wchar_t* id = nullptr;
    // The parameter object; may be null.
    RCPtr<LRefCountedObject> param;
    // Set from the moment a queue takes the notification until the queue has delivered it.
    std::atomic<bool> posted{false};
    // Guards the recycle step against re-entry on the releasing thread.
    bool releasing = false;

private:
    LNotification() = default;

    friend class LNotificationFreeList;
    // The next notification of the free list while this one is in it.
    LNotification* mNextFree = nullptr;
};
} // namespace Orv
