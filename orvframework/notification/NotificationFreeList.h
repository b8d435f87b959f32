// The process-wide free list of recycled notifications: a stack (the last given back is taken
// first) linked through the notifications themselves. The list holds one counted reference to
// each notification in it, the one that was the notification's last: giving back and taking out
// change no count and allocate nothing. Its lock is held only for the few instructions of a push
// or a pop, so it is a spin lock rather than a critical section.
#pragma once

#include "ObjectBase/RCPtr.h"

#include <atomic>
#include <vector>

namespace Orv
{
class LNotification;

class LNotificationFreeList
{
public:
    // The list of the process, made on first use and never destroyed.
    static LNotificationFreeList& Instance();

    LNotificationFreeList(const LNotificationFreeList&) = delete;
    LNotificationFreeList& operator=(const LNotificationFreeList&) = delete;

    // Takes the notification given back last, with the list's reference; null when the list is
    // empty.
    RCPtr<LNotification> Take();
    // Keeps notification, with the caller's last reference, when recycling is on: true. False
    // when it is off (the caller still holds its reference).
    bool Give(LNotification* notification);
    // Switches recycling on or off. Off empties the list: its notifications are returned, for
    // the caller to release.
    std::vector<RCPtr<LNotification>> SetRecycling(bool on);
    bool IsRecycling() const { return mRecycling.load(std::memory_order_relaxed); }
    // The number of notifications in the list.
    unsigned int GetCount();

private:
    LNotificationFreeList() = default;
    ~LNotificationFreeList() = default;

    class Guard;

    std::atomic<bool> mLocked{false};
    std::atomic<bool> mRecycling{false};
    // Guarded by mLocked.
    LNotification* mTop = nullptr;
    unsigned int mCount = 0;
};
} // namespace Orv
