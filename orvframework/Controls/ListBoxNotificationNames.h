// The names of the notifications a list sends, interned once.
#pragma once

namespace Orv
{
struct ListBoxNotificationNames
{
    const wchar_t* selectionChange;          // "NID_SELECTION_CHANGE"
    const wchar_t* itemActivated;            // "NID_ITEM_ACTIVATED"
    const wchar_t* itemDoubleClicked;        // "NID_ITEM_DOUBLE_CLICKED"
    const wchar_t* itemRightClick;           // "NID_ITEM_RIGHT_CLICK"
    const wchar_t* itemHoverConditionChange; // "NID_ITEM_HOVER_CONDITION_CHANGE"
    const wchar_t* itemLeftDragConditionChange; // "NID_ITEM_LEFT_DRAG_CONDITION_CHANGE"

    static const ListBoxNotificationNames& Get();
};
} // namespace Orv
