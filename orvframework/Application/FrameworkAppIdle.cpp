// The idle pass: every posted notification and every queued key is delivered here, on the UI
// thread, whenever a message loop (the main one or a modal one) runs out of messages.
#include "Application/FrameworkApp.h"

#include "System/RootWindow.h"
#include "notification/NotificationCenterManager.h"

namespace Orv
{
bool LFrameworkApp::ProcessIdle(bool sendIdle)
{
    bool more = GetNotificationCenterManager()->ProcessNotifications(sendIdle);
    for (unsigned int i = mRootWindows.GetCount(); i-- > 0;)
    {
        // A window's queue may close windows before it in the list.
        if (i >= mRootWindows.GetCount())
        {
            continue;
        }
        const RCPtr<LRootWindow> window = mRootWindows.GetConstElementPointer(i);
        if (window->ProcessQueues(sendIdle))
        {
            more = true;
        }
    }
    return more;
}

bool LFrameworkApp::RunIdlePeriodPass(LONG count)
{
    const bool more = ProcessIdle(count == 0);
    return more && count < kIdlePassesPerPeriod - 1;
}

bool LFrameworkApp::OnMessageLoopIdle(LONG count)
{
    LFrameworkApp* application = GetFrameworkApp();
    if (application == nullptr || application->IsExiting())
    {
        return false;
    }
    return application->RunIdlePeriodPass(count);
}
} // namespace Orv
