#include "Controls/ListBox.h"

#include "Controls/ListBoxNotificationNames.h"
#include "notification/Notification.h"

#include <algorithm>

namespace Orv
{
int LListBox::SetItemValue(int index, double value)
{
    ItemRecord* record = GetItemRecordAt(index);
    if (record == nullptr)
    {
        return 0;
    }
    const bool was = record->IsSelected();
    record->value = value;
    const bool now = record->IsSelected();
    if (was != now)
    {
        mSelectedCount += now ? 1 : -1;
    }
    UpdateItemControl(index, nullptr);
    return 1;
}

ORVRESULT LListBox::SelectItemRange(int anchor, int end, bool exclusive)
{
    const int count = GetItemCount();
    if (anchor < 0 || anchor >= count)
    {
        return E_INVALIDARG;
    }
    if (end < 0)
    {
        end = anchor;
    }
    if (end >= count)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    if (anchor == end && IsItemSelected(anchor) && (!exclusive || mSelectedCount == 1))
    {
        ScrollItemIntoView(anchor);
        return anchor;
    }
    const int oldLow = std::min(mAnchor, mFocus);
    const int oldHigh = std::max(mAnchor, mFocus);
    mAnchor = anchor;
    mFocus = end;
    bool changed = false;
    if (exclusive)
    {
        const int low = std::min(anchor, end);
        const int high = std::max(anchor, end);
        int outside = mSelectedCount;
        for (int i = high; i >= low; --i)
        {
            if (IsItemSelected(i))
            {
                --outside;
            }
            else
            {
                SetItemValue(i, 1.0);
                changed = true;
            }
        }
        // The selected items outside the range: first where the last range lay, then, when
        // some remain, anywhere.
        auto deselectIn = [&](int from, int to)
        {
            for (int i = to; i >= from && outside > 0; --i)
            {
                if ((i < low || i > high) && IsItemSelected(i))
                {
                    SetItemValue(i, 0.0);
                    --outside;
                    changed = true;
                }
            }
        };
        if (oldLow >= 0 && oldHigh < count)
        {
            deselectIn(oldLow, oldHigh);
        }
        if (outside > 0)
        {
            deselectIn(0, count - 1);
        }
    }
    else
    {
        const int step = end >= anchor ? 1 : -1;
        for (int i = anchor;; i += step)
        {
            if (!IsItemSelected(i))
            {
                SetItemValue(i, 1.0);
                changed = true;
            }
            if (i == end)
            {
                break;
            }
        }
    }
    ScrollItemIntoView(mFocus);
    if (changed)
    {
        NotifySelectionChange();
    }
    return anchor;
}

ORVRESULT LListBox::DeselectItem(int index)
{
    if (!IsValidIndex(index) || !IsItemSelected(index))
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    SetItemValue(index, 0.0);
    if (mSelectedCount == 0)
    {
        mAnchor = -1;
        mFocus = -1;
    }
    else if (index == mFocus)
    {
        const bool anchorFollows = mAnchor == mFocus;
        int focus = -1;
        if (IsItemSelected(index + 1))
        {
            focus = index + 1;
        }
        else if (IsItemSelected(index - 1))
        {
            focus = index - 1;
        }
        else if (mAnchor != index && mAnchor >= 0 && mAnchor < GetItemCount())
        {
            focus = mAnchor;
        }
        else
        {
            for (int i = GetItemCount() - 1; i >= 0; --i)
            {
                if (IsItemSelected(i))
                {
                    focus = i;
                    break;
                }
            }
            mAnchor = focus;
        }
        mFocus = focus;
        if (anchorFollows)
        {
            mAnchor = focus;
        }
    }
    else if (index == mAnchor)
    {
        if (IsItemSelected(index + 1))
        {
            mAnchor = index + 1;
        }
        else if (IsItemSelected(index - 1))
        {
            mAnchor = index - 1;
        }
        else
        {
            mAnchor = -1;
        }
    }
    NotifySelectionChange();
    return S_OK;
}

void LListBox::ClearSelection()
{
    const RCPtr<LControl> self(this);
    const int count = GetItemCount();
    bool changed = false;
    auto clearIn = [&](int from, int to)
    {
        for (int i = to; i >= from && mSelectedCount > 0; --i)
        {
            if (IsItemSelected(i))
            {
                SetItemValue(i, 0.0);
                changed = true;
            }
        }
    };
    const int low = std::min(mAnchor, mFocus);
    const int high = std::max(mAnchor, mFocus);
    if (low >= 0 && high < count)
    {
        clearIn(low, high);
    }
    if (mSelectedCount > 0)
    {
        clearIn(0, count - 1);
    }
    mAnchor = -1;
    mFocus = -1;
    if (changed)
    {
        NotifySelectionChange();
    }
}

const Array<int>& LListBox::CollectSelectedIndices()
{
    mSelectedIndexes.SetCount(0);
    for (int i = 0; i < GetItemCount(); ++i)
    {
        if (IsItemSelected(i))
        {
            mSelectedIndexes.InsertItem(mSelectedIndexes.GetCount(), i);
        }
    }
    return mSelectedIndexes;
}

int LListBox::GetSelectedIndex() const
{
    if (IsItemSelected(mFocus))
    {
        return mFocus;
    }
    if (mSelectedCount == 0)
    {
        return -1;
    }
    for (int i = 0; i < GetItemCount(); ++i)
    {
        if (IsItemSelected(i))
        {
            return i;
        }
    }
    return -1;
}

void LListBox::NotifySelectionChange()
{
    const RCPtr<LControl> self(this);
    OnSelectionChanging();
    if (!mSizeToContent)
    {
        SendListNotification(ListBoxNotificationNames::Get().selectionChange, nullptr);
    }
}

void LListBox::SendListNotification(const wchar_t* name, const RCPtr<LRefCountedObject>& param)
{
    SendNotification(LNotification::Create(name, param));
}
} // namespace Orv
