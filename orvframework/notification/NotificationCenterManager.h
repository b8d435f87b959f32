// The process-wide owner of the notification centers, by name, and their pump.
#pragma once

#include "Utilities/Storage/RCPtrArray.h"
#include "Utilities/Storage/StringT.h"
#include "Utilities/Threading/Mutex.h"
#include "notification/NotificationCenter.h"

namespace Orv
{
class LNotificationCenterManager : public virtual LRefCountedObject
{
public:
    LNotificationCenterManager() = default;
    ~LNotificationCenterManager() override = default;

    // The center of that name (compared case-sensitively), made when absent; the empty name
    // names the default center, which every control takes. Any thread may ask.
    RCPtr<LNotificationCenter> GetNotificationCenter(const WString& name);
    // The center of that name, or null.
    RCPtr<LNotificationCenter> FindNotificationCenter(const WString& name);
    // Drains the queue of every center, the last made first, each delivering only what was
    // queued when its pass began; with sendIdle each center then sends "NID_IDLE". Returns
    // whether any center still has queued notifications. Called on the pumping thread only.
    bool ProcessNotifications(bool sendIdle);

private:
    RCPtr<LNotificationCenter> FindLocked(const WString& name) const;

    // Guards the centers: workers look centers up while the UI thread may add one.
    mutable Mutex mLock;
    RCPtrArray<LNotificationCenter, 1, 0> mCenters;
};

// The process-wide manager, made on first use.
RCPtr<LNotificationCenterManager> GetNotificationCenterManager();
// Drops the process-wide reference to the manager (the application does so when it ends); the
// next GetNotificationCenterManager makes a new one.
void ReleaseNotificationCenterManager();
// The manager's center named "application", made on first use. The application fetches it
// before any worker thread starts; workers post to it.
RCPtr<LNotificationCenter> GetApplicationNotificationCenter();
} // namespace Orv
