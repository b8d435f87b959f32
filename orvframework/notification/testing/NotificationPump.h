// What the application's idle step does with the notification queues, for tests until the
// application framework exists: one pass of the process-wide manager delivers, center by
// center, only what was queued when that center's pass began.
#pragma once

#include "notification/NotificationCenterManager.h"

#include <chrono>
#include <thread>

namespace OrvTest
{
// One idle pass over every center; true when notifications are still queued.
inline bool PumpNotifications(bool sendIdle = false)
{
    return Orv::GetNotificationCenterManager()->ProcessNotifications(sendIdle);
}

// Pumps pass after pass until condition holds; false when it does not within five seconds.
template <class Condition>
bool PumpUntil(Condition condition)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > end)
        {
            return false;
        }
        if (!PumpNotifications())
        {
            std::this_thread::yield();
        }
    }
    return true;
}
} // namespace OrvTest
