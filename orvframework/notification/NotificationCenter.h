// A named notification center: a distributor and a queue whose target is the center itself,
// so that what is posted to a center is later sent to the center's own clients.
#pragma once

#include "Utilities/Storage/StringT.h"
#include "notification/NotificationDistributor.h"
#include "notification/NotificationQueue.h"

namespace Orv
{
class LNotificationCenter : public LNotificationDistributor, public LNotificationQueue
{
public:
    // A new center whose queue delivers through the center itself.
    static RCPtr<LNotificationCenter> Create(const WString& name);

    const WString& GetName() const { return mName; }

    // When only the center's own references remain: every client is asked to unregister, the
    // queue is detached (dropping the center's references to itself), then the base check.
    ORVRESULT ReleaseInternalReferences() override;

private:
    explicit LNotificationCenter(const WString& name);

    WString mName;
};
} // namespace Orv
