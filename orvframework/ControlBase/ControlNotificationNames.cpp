#include "ControlBase/ControlNotificationNames.h"

#include "notification/NotificationName.h"

namespace Orv
{
const ControlNotificationNames& ControlNotificationNames::Get()
{
    static const ControlNotificationNames names{
        InternNotificationName(L"NID_CONDITION_CHANGE"),
        InternNotificationName(L"NID_HAS_FOCUS_CONDITION_CHANGE"),
        InternNotificationName(L"NID_CONTAINS_FOCUS_CONDITION_CHANGE"),
        InternNotificationName(L"NID_HOVER_CONDITION_CHANGE"),
        InternNotificationName(L"NID_CAPTURE_CONDITION_CHANGE"),
        InternNotificationName(L"NID_LEFT_DRAG_CONDITION_CHANGE"),
        InternNotificationName(L"NID_MIDDLE_DRAG_CONDITION_CHANGE"),
        InternNotificationName(L"NID_RIGHT_DRAG_CONDITION_CHANGE"),
        InternNotificationName(L"NID_ENABLED_CONDITION_CHANGE"),
        // The name is spelled so.
        InternNotificationName(L"NID_VISIBLITY_CONDITION_CHANGE"),
        InternNotificationName(L"NID_MOUSE_DOWN"),
        InternNotificationName(L"NID_MOUSE_UP"),
        InternNotificationName(L"NID_MOUSE_MOVE"),
        InternNotificationName(L"NID_LEFT_CLICK"),
        InternNotificationName(L"NID_MIDDLE_CLICK"),
        InternNotificationName(L"NID_RIGHT_CLICK"),
        InternNotificationName(L"NID_VALUE_CHANGE"),
    };
    return names;
}
} // namespace Orv
