#include "notification/NotificationCenterManager.h"

#include "Utilities/Threading/ScopedLock.h"

#include <utility>
#include <vector>

namespace Orv
{
namespace
{
// The process-wide reference to the manager. Made on first use and never destroyed: the
// application releases the manager itself when it ends.
struct ManagerSlot
{
    Mutex lock;
    RCPtr<LNotificationCenterManager> manager;
};

ManagerSlot& GetManagerSlot()
{
    static auto* slot = new ManagerSlot();
    return *slot;
}
} // namespace

RCPtr<LNotificationCenter> LNotificationCenterManager::GetNotificationCenter(const WString& name)
{
    ScopedLock<Mutex> lock(mLock);
    RCPtr<LNotificationCenter> center = FindLocked(name);
    if (!center)
    {
        center = LNotificationCenter::Create(name);
        mCenters.AddItem(center);
    }
    return center;
}

RCPtr<LNotificationCenter> LNotificationCenterManager::FindNotificationCenter(const WString& name)
{
    ScopedLock<Mutex> lock(mLock);
    return FindLocked(name);
}

bool LNotificationCenterManager::ProcessNotifications(bool sendIdle)
{
    // The centers as they are when the pass begins. A program has a few; they are held here
    // without allocating, beyond that in a vector.
    constexpr unsigned int kHeld = 8;
    RCPtr<LNotificationCenter> held[kHeld];
    std::vector<RCPtr<LNotificationCenter>> more;
    unsigned int count = 0;
    {
        ScopedLock<Mutex> lock(mLock);
        count = mCenters.GetCount();
        for (unsigned int i = 0; i < count; ++i)
        {
            const RCPtr<LNotificationCenter>& center = mCenters.GetConstElementPointer(i);
            if (i < kHeld)
            {
                held[i] = center;
            }
            else
            {
                more.push_back(center);
            }
        }
    }
    bool pending = false;
    for (unsigned int i = count; i-- > 0;)
    {
        const RCPtr<LNotificationCenter>& center = i < kHeld ? held[i] : more[i - kHeld];
        if (center->ProcessNotifications(sendIdle))
        {
            pending = true;
        }
    }
    return pending;
}

RCPtr<LNotificationCenter> LNotificationCenterManager::FindLocked(const WString& name) const
{
    for (unsigned int i = 0; i < mCenters.GetCount(); ++i)
    {
        const RCPtr<LNotificationCenter>& center = mCenters.GetConstElementPointer(i);
        if (center->GetName() == name)
        {
            return center;
        }
    }
    return nullptr;
}

RCPtr<LNotificationCenterManager> GetNotificationCenterManager()
{
    ManagerSlot& slot = GetManagerSlot();
    ScopedLock<Mutex> lock(slot.lock);
    if (!slot.manager)
    {
        slot.manager = new LNotificationCenterManager();
    }
    return slot.manager;
}

void ReleaseNotificationCenterManager()
{
    RCPtr<LNotificationCenterManager> released;
    {
        ManagerSlot& slot = GetManagerSlot();
        ScopedLock<Mutex> lock(slot.lock);
        released = std::move(slot.manager);
    }
    // The centers die with the manager, outside the lock.
}

RCPtr<LNotificationCenter> GetApplicationNotificationCenter()
{
    return GetNotificationCenterManager()->GetNotificationCenter(WString(L"application"));
}
} // namespace Orv
