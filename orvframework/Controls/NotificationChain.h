// The two notification entries of a control class that keeps a handler table of its own: the
// class's table first, then its base class's chain, down to the table LControl keeps.
//
// A class T derived from Base (LControl or a class that already follows this shape) holds
// `RCPtr<LNotificationHandler<T>> mHandler...`, created in its Initialize, and overrides both
// entries with one line each:
//
//     ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
//                                   const RCPtr<LNotification>& notification) override
//     {
//         return ReceiveThroughChain<Base>(*this, mTable, source, notification);
//     }
//     ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
//                          const wchar_t* name) override
//     {
//         return UnregisterThroughChain<Base>(*this, mTable, source, name);
//     }
#pragma once

#include "ControlBase/Control.h"
#include "notification/NotificationHandler.h"

#include <type_traits>

namespace Orv
{
// Offers the notification to T's own table, but only once the control's creation sequence has
// ended; a non-zero result there ends the delivery. Otherwise (no table yet, not created, no
// entry, or an entry that returned 0) the base class's receive entry continues. A notification
// no table of the chain knows gives 0.
template <class Base, class T>
ORVRESULT ReceiveThroughChain(T& self, const RCPtr<LNotificationHandler<T>>& table,
                              const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification)
{
    static_assert(std::is_base_of_v<Base, T> && std::is_base_of_v<LControl, Base>,
                  "a chain continues in a control base class of the class");
    if (table && self.IsCreated())
    {
        const ORVRESULT result = table->Dispatch(source, notification);
        if (result != 0)
        {
            return result;
        }
    }
    return self.Base::ReceiveNotification(source, notification);
}

// A distributor that drops its clients takes back the registration for name: the entry of
// (source, name) leaves T's own table, then every table below it (LControl's the last), and
// the notification client's own entry ends the registration. Its result is returned.
template <class Base, class T>
ORVRESULT UnregisterThroughChain(T& self, const RCPtr<LNotificationHandler<T>>& table,
                                 const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
{
    static_assert(std::is_base_of_v<Base, T> && std::is_base_of_v<LControl, Base>,
                  "a chain continues in a control base class of the class");
    if (table)
    {
        table->RemoveHandler(source, name);
    }
    if constexpr (std::is_same_v<Base, LControl>)
    {
        // LControl keeps the last table of every chain; its second entry is the client's own.
        if (self.GetHandler())
        {
            self.GetHandler()->RemoveHandler(source, name);
        }
    }
    return self.Base::Unregister(source, name);
}
} // namespace Orv
