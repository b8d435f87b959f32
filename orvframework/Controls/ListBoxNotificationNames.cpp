#include "Controls/ListBoxNotificationNames.h"

#include "notification/NotificationName.h"

namespace Orv
{
const ListBoxNotificationNames& ListBoxNotificationNames::Get()
{
    static const ListBoxNotificationNames names{
        InternNotificationName(L"NID_SELECTION_CHANGE"),
        InternNotificationName(L"NID_ITEM_ACTIVATED"),
        InternNotificationName(L"NID_ITEM_DOUBLE_CLICKED"),
        InternNotificationName(L"NID_ITEM_RIGHT_CLICK"),
        InternNotificationName(L"NID_ITEM_HOVER_CONDITION_CHANGE"),
        InternNotificationName(L"NID_ITEM_LEFT_DRAG_CONDITION_CHANGE"),
    };
    return names;
}
} // namespace Orv
