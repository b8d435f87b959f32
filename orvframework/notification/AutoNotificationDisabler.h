// A scope guard that keeps an object from hearing one notification of one source while it
// changes that source itself: the constructor takes the handler of (source, name) out of the
// object's handler table and unregisters the object at the source; the destructor subscribes the
// same handler again (flags 0).
#pragma once

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "notification/NotificationHandler.h"

namespace Orv
{
template <class T>
class CAutoNotificationDisabler
{
public:
    // Throws the "Failed Result" exception when the table has no handler for the pair or the
    // owner is not registered for it at source; nothing is changed then.
    CAutoNotificationDisabler(const RCPtr<LNotificationHandler<T>>& table,
                              const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
        : mTable(table)
        , mSource(source)
        , mName(name)
    {
        const ORVRESULT result =
            mTable ? mTable->SuspendHandler(mSource, mName, mHandler) : E_INVALIDARG;
        ORV_REQUIRE_SUCCESS(result);
    }

    // A destructor cannot report a failure to its caller: a handler that cannot be subscribed
    // again is reported in the debug output.
    ~CAutoNotificationDisabler()
    {
        if (!mTable->RemovePending(mSource, mName))
        {
            // Given back by other means meanwhile: nothing to restore.
            return;
        }
        if (FAILED(mTable->SubscribeHandler(mHandler, mSource, mName, 0)))
        {
            GetDebugOutput().Narrow() << "CAutoNotificationDisabler: the handler of "
                                      << WString(mName).ToNarrow().GetBuffer()
                                      << " could not be subscribed again" << std::endl;
        }
    }

    CAutoNotificationDisabler(const CAutoNotificationDisabler&) = delete;
    CAutoNotificationDisabler& operator=(const CAutoNotificationDisabler&) = delete;

private:
    RCPtr<LNotificationHandler<T>> mTable;
    RCPtr<LNotificationDistributor> mSource;
    const wchar_t* mName;
    typename LNotificationHandler<T>::Handler mHandler = nullptr;
};
} // namespace Orv
