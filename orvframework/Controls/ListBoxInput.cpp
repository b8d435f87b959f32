#include "Controls/ListBox.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/DropDownControl.h"
#include "Controls/ItemConditionsParam.h"
#include "Controls/ListBoxNotificationNames.h"
#include "ObjectBase/Holder.h"
#include "System/RootWindow.h"
#include "notification/Notification.h"
#include "notification/SiblingKeyParam.h"
#include "platform/User32.h"

#include <cmath>

namespace Orv
{
namespace
{
LONG PlainKey(int virtualKey)
{
    return KeyCode::FromVirtualKey(virtualKey, true, 0).code;
}

// Offers a key to a scroll bar as its parent's sibling key.
void PassToBar(LListBox& list, const RCPtr<LScrollbar>& bar, int virtualKey)
{
    if (!bar)
    {
        return;
    }
    const RCPtr<LSiblingKeyParam> param = LSiblingKeyParam::Create(
        KeyCode::FromVirtualKey(virtualKey, true, 0), RCPtr<LRefCountedObject>(bar.Get()));
    bar->ReceiveNotification(
        RCPtr<LNotificationDistributor>(&list),
        LNotification::Create(ControlNotificationNames::Get().siblingKey,
                              RCPtr<LRefCountedObject>(param.Get())));
}

RCPtr<LControl> SourceControl(const RCPtr<LNotificationDistributor>& source)
{
    return RCPtr<LControl>(dynamic_cast<LControl*>(source.Get()));
}
} // namespace

RCPtr<LMouseButtonParam> LListBox::ToListPoint(const RCPtr<LControl>& row,
                                               const RCPtr<LMouseButtonParam>& param) const
{
    const RectT<double> rect = row->GetRect();
    const RectT<double>& client = GetClientRect();
    const PointT<double> offset = GetContentOffset();
    const PointT<LONG> point(
        static_cast<LONG>(std::round(rect.x + client.x - offset.x)) + param->point.x,
        static_cast<LONG>(std::round(rect.y + client.y - offset.y)) + param->point.y);
    return LMouseButtonParam::Create(param->button, point, param->modifiers, param->pressed,
                                     param->clickData, param->extra);
}

ORVRESULT LListBox::OnItemMouseDown(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification)
{
    const RCPtr<LControl> row = SourceControl(source);
    const RCPtr<LMouseButtonParam> param =
        notification ? DynamicCast<LMouseButtonParam>(notification->param) : nullptr;
    if (!row || !param || (param->button != kLeftButton && param->button != kRightButton))
    {
        return 1;
    }
    if (mSizeToContent)
    {
        // Menu rows hand their presses to the list itself.
        return 1;
    }
    const RCPtr<LControl> self(this);
    const RCPtr<LMouseButtonParam> inList = ToListPoint(row, param);
    if (param->button == kLeftButton)
    {
        OnItemPressed(row, inList);
    }
    else
    {
        OnItemRightPressed(row, inList);
    }
    return 1;
}

ORVRESULT LListBox::OnItemMouseUp(const RCPtr<LNotificationDistributor>&,
                                  const RCPtr<LNotification>&)
{
    // Single selection has nothing to finish on the release.
    return 1;
}

void LListBox::MovePressToItemRow(const RCPtr<LControl>& row, int index, DWORD button,
                                  const PointT<LONG>& point)
{
    const RCPtr<LListBoxItem> target = GetItemControlAt(GetItemRow(index));
    if (!target || target.Get() == row.Get())
    {
        return;
    }
    if (LListBoxItem* pressed = dynamic_cast<LListBoxItem*>(row.Get()))
    {
        pressed->SetPressMovedAway();
    }
    const RectT<double> rect = target->GetRect();
    const RectT<double>& client = GetClientRect();
    const PointT<double> offset = GetContentOffset();
    target->OnMouseButtonDown(
        button, point.x - static_cast<LONG>(std::round(rect.x + client.x - offset.x)),
        point.y - static_cast<LONG>(std::round(rect.y + client.y - offset.y)));
    if (LRootWindow* window = dynamic_cast<LRootWindow*>(GetTreeRootWindow().Get()))
    {
        window->SetHoverControl(RCPtr<LControl>(target.Get()));
    }
}

void LListBox::OnItemPressed(const RCPtr<LControl>& row, const RCPtr<LMouseButtonParam>& param)
{
    const int index = GetItemIndexOfControl(row.Get());
    if (index < 0 || index >= GetItemCount() || !param)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    SelectItemRange(index, index, true);
    MovePressToItemRow(row, index, kLeftButton, param->point);
    if (param->pressed)
    {
        SendListNotification(ListBoxNotificationNames::Get().itemDoubleClicked, nullptr);
    }
}

void LListBox::OnItemRightPressed(const RCPtr<LControl>& row,
                                  const RCPtr<LMouseButtonParam>& param)
{
    const int index = GetItemIndexOfControl(row.Get());
    if (index < 0 || index >= GetItemCount() || !param)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    if (!param->pressed)
    {
        SendListNotification(ListBoxNotificationNames::Get().itemRightClick,
                             RCPtr<LRefCountedObject>(LHolder<int>::Create(index).Get()));
    }
    MovePressToItemRow(row, index, kRightButton, param->point);
}

void LListBox::SendItemConditions(const RCPtr<LControl>& row, const RCPtr<LConditionsParam>& param,
                                  const wchar_t* name)
{
    const RCPtr<LItemConditionsParam> item = LItemConditionsParam::Create(
        param->oldConditions, param->newConditions, param->point,
        GetItemIndexOfControl(row.Get()), row->GetActiveLookIndex(),
        (row->GetConditions() & kHover) != 0);
    SendListNotification(name, RCPtr<LRefCountedObject>(item.Get()));
}

ORVRESULT LListBox::OnItemHoverConditionChange(const RCPtr<LNotificationDistributor>& source,
                                               const RCPtr<LNotification>& notification)
{
    const RCPtr<LControl> row = SourceControl(source);
    const RCPtr<LConditionsParam> param =
        notification ? DynamicCast<LConditionsParam>(notification->param) : nullptr;
    if (!row || !param || !row->IsEnabled(true))
    {
        return 1;
    }
    const RCPtr<LControl> self(this);
    if (mSizeToContent && (param->newConditions & kHoverOrForced) != 0 &&
        (param->oldConditions & kHoverOrForced) == 0)
    {
        const int index = GetItemIndexOfControl(row.Get());
        if (index >= 0)
        {
            SelectItemRange(index, -1, true);
        }
    }
    SendItemConditions(row, param, ListBoxNotificationNames::Get().itemHoverConditionChange);
    return 1;
}

ORVRESULT LListBox::OnItemLeftDragConditionChange(const RCPtr<LNotificationDistributor>& source,
                                                  const RCPtr<LNotification>& notification)
{
    const RCPtr<LControl> row = SourceControl(source);
    const RCPtr<LConditionsParam> param =
        notification ? DynamicCast<LConditionsParam>(notification->param) : nullptr;
    if (!row || !param || !row->IsEnabled(true))
    {
        return 1;
    }
    const RCPtr<LControl> self(this);
    SendItemConditions(row, param, ListBoxNotificationNames::Get().itemLeftDragConditionChange);
    return 1;
}

void LListBox::ActivateItem(int index)
{
    if (!IsValidIndex(index) || !CanSelectItem(index))
    {
        return;
    }
    const RCPtr<LControl> self(this);
    OnItemActivating(index);
    if (mSizeToContent)
    {
        SetVisible(false);
    }
    if (GetParent())
    {
        SendListNotification(ListBoxNotificationNames::Get().itemActivated, nullptr);
    }
}

ORVRESULT LListBox::HandleUnusedKey(const RCPtr<LKeyParam>& param)
{
    if (!param || param->keyUp)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    const LONG code = param->key.code;
    const LONG up = PlainKey(VK_UP);
    const LONG down = PlainKey(VK_DOWN);
    // Up and Down match whole (Shift being their own entries); the other keys also with Ctrl
    // or Shift, never with Alt.
    if (code == up || code == (up | KeyCode::kShift))
    {
        if (IsValidIndex(mFocus - 1))
        {
            const int previous = NearestShown(mFocus - 1, -1);
            if (previous >= 0)
            {
                SelectItemRange(previous, -1, true);
            }
        }
        return S_OK;
    }
    if (code == down || code == (down | KeyCode::kShift))
    {
        const int from = mFocus < 0 ? 0 : mFocus + 1;
        const int next = IsValidIndex(from) ? NearestShown(from, 1) : -1;
        if (next >= 0)
        {
            SelectItemRange(next, -1, true);
        }
        return S_OK;
    }
    const LONG plain = code & ~(KeyCode::kCtrl | KeyCode::kShift);
    const int keys[] = {VK_LEFT, VK_RIGHT, VK_PRIOR, VK_NEXT, VK_HOME, VK_END, VK_RETURN};
    int key = 0;
    for (const int candidate : keys)
    {
        if (plain == PlainKey(candidate))
        {
            key = candidate;
            break;
        }
    }
    switch (key)
    {
        case VK_LEFT:
        case VK_RIGHT:
            PassToBar(*this, GetHBar(), key);
            return S_OK;
        case VK_PRIOR:
        case VK_NEXT:
            PassToBar(*this, GetVBar(), key);
            return S_OK;
        case VK_HOME:
        case VK_END:
            PassToBar(*this, GetHBar(), key);
            PassToBar(*this, GetVBar(), key);
            return S_OK;
        case VK_RETURN:
            if (mFocus >= 0)
            {
                ActivateItem(mFocus);
            }
            return S_OK;
        default:
            return S_FALSE;
    }
}

void LListBox::OnMouseMoveHook(const RCPtr<LPointWithModifiersParam>& param)
{
    LScrollView::OnMouseMoveHook(param);
    const DWORD held = kCapture | kLeftDrag;
    if (!mSizeToContent || !param || (GetConditions() & held) != held)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const int item = GetItemAtPoint(param->point);
    if (item < 0)
    {
        ClearSelection();
    }
    else if (CanSelectItem(item))
    {
        SelectItemRange(item, -1, true);
    }
}

void LListBox::OnLeftButtonUp(const RCPtr<LMouseButtonParam>& param)
{
    LScrollView::OnLeftButtonUp(param);
    if (!mSizeToContent || !param)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const RCPtr<LControl> parent = GetParent();
    const int item = GetItemAtPoint(param->point);
    if (item >= 0 && parent)
    {
        ActivateItem(item);
        return;
    }
    // A release off the items closes a drop-down list, unless it is over its owner.
    if (parent && dynamic_cast<LDropDownControl*>(parent.Get()) != nullptr)
    {
        const PointT<double> at = parent->ConvertPointFrom(
            this, PointT<double>(static_cast<double>(param->point.x),
                                 static_cast<double>(param->point.y)));
        const RectT<double> rect = parent->GetRect();
        if (at.x < 0 || at.x >= rect.width || at.y < 0 || at.y >= rect.height)
        {
            SetVisible(false);
        }
    }
}

void LListBox::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    LScrollView::OnConditionsChange(param);
    if (!param)
    {
        return;
    }
    const DWORD changed = param->oldConditions ^ param->newConditions;
    if ((changed & (kEnabled | kHasFocus)) == 0)
    {
        return;
    }
    int look = kLookNormal;
    if ((param->newConditions & kEnabled) == 0)
    {
        look = kLookDisabled;
    }
    else if ((param->newConditions & kHasFocus) != 0)
    {
        look = kLookFocused;
    }
    if (look >= static_cast<int>(GetLookCount()))
    {
        look = kLookNormal;
    }
    SetActiveLook(look);
}
} // namespace Orv
