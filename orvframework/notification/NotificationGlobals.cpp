// The notification system's globals that are made before main, at their row of the start-up
// order (Utilities/GlobalsOrder.h): the notification lock and the queue lock.
#include "Utilities/GlobalsOrder.h"
#include "notification/NotificationName.h"
#include "notification/NotificationQueue.h"

namespace Orv
{
Mutex& GetNotificationLock()
{
    // Never destroyed: a thread still posting while the process exits must not find it gone.
    static Mutex* lock = new Mutex();
    return *lock;
}

Mutex& GetNotificationQueueLock()
{
    // Never destroyed: a thread still posting while the process exits must not find it gone.
    static Mutex* lock = new Mutex();
    return *lock;
}

namespace
{
struct LocksStartup
{
    LocksStartup()
    {
        GetNotificationLock();
        GetNotificationQueueLock();
    }
};
ORV_GLOBALS_STARTUP(kGlobalsRowLocks, 0) const LocksStartup gLocksStartup;
} // namespace
} // namespace Orv
