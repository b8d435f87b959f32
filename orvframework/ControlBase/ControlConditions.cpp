// The condition word of a control and the report of its changes.
#include "ControlBase/Control.h"

#include "ControlBase/ControlNotificationNames.h"
#include "notification/Notification.h"

namespace Orv
{
bool LControl::IsVisible(bool recursive) const
{
    for (const LControl* control = this; control != nullptr; control = control->mParent.Get())
    {
        const bool visible = !control->mLayout || control->mLayout->visible;
        if (!visible || !(control->mWidth > 0 && control->mHeight > 0))
        {
            return false;
        }
        if (!recursive)
        {
            break;
        }
    }
    return true;
}

bool LControl::IsEnabled(bool recursive) const
{
    for (const LControl* control = this; control != nullptr; control = control->mParent.Get())
    {
        if (control->mLayout && !control->mLayout->enabled)
        {
            return false;
        }
        if (!recursive)
        {
            break;
        }
    }
    return true;
}

DWORD LControl::GetConditions() const
{
    DWORD word = 0;
    const bool flags[] = {mHasFocus,      mContainsFocus, mHover,         mCapture,
                          mButtonDown[0], mButtonDown[1], mButtonDown[2], mButtonDrag[0],
                          mButtonDrag[1], mButtonDrag[2]};
    for (unsigned int i = 0; i < sizeof(flags) / sizeof(flags[0]); ++i)
    {
        if (flags[i])
        {
            word |= 1u << i;
        }
    }
    if ((!mLayout || mLayout->enabled) && (!mParent || mParent->IsEnabled(true)))
    {
        word |= kEnabled;
    }
    if (IsVisible(true))
    {
        word |= kVisible;
    }
    if (mHover || mForcedHover)
    {
        word |= kHoverOrForced;
    }
    return word;
}

void LControl::SendNamed(const wchar_t* name, const RCPtr<LRefCountedObject>& param)
{
    SendNotification(LNotification::Create(name, param));
}

void LControl::DispatchConditionChanges()
{
    const DWORD now = GetConditions();
    LConditionsParam& param = *mConditionsParam;
    if (now == param.newConditions)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const DWORD before = param.newConditions;
    param.oldConditions = before;
    param.newConditions = now;
    param.point = mPressPoint;
    const DWORD changed = before ^ now;
    auto cameOn = [changed, now](DWORD bit) { return (changed & bit) != 0 && (now & bit) != 0; };
    auto wentOff = [changed, now](DWORD bit) { return (changed & bit) != 0 && (now & bit) == 0; };
    const RCPtr<IRootWindow> window = GetTreeRootWindow();

    // The control's cursor shows while the pointer is over it, or while it holds the capture.
    if (mCursor != 0 && window)
    {
        if (cameOn(kHover) && !mCapture)
        {
            mPreviousCursor = window->SetCursor(mCursor);
        }
        else if (wentOff(kHover) && !mCapture)
        {
            window->SetCursor(mPreviousCursor);
        }
        else if (wentOff(kCapture) && !mHover)
        {
            window->SetCursor(mPreviousCursor);
        }
    }

    if (mDragMode != 0 && wentOff(kLeftDrag))
    {
        OnDragEnd();
    }

    OnConditionsChange(mConditionsParam);

    const ControlNotificationNames& names = ControlNotificationNames::Get();
    const RCPtr<LRefCountedObject> report(mConditionsParam.Get());
    SendNamed(names.conditionChange, report);
    const struct
    {
        DWORD bits;
        const wchar_t* name;
    } perBit[] = {
        {kHasFocus, names.hasFocusChange},
        {kContainsFocus, names.containsFocusChange},
        {kHoverOrForced, names.hoverChange},
        {kCapture, names.captureChange},
        {kLeftDown | kLeftDrag, names.leftDragChange},
        {kMiddleDown | kMiddleDrag, names.middleDragChange},
        {kRightDown | kRightDrag, names.rightDragChange},
        {kEnabled, names.enabledChange},
        {kVisible, names.visibilityChange},
    };
    for (const auto& entry : perBit)
    {
        if ((changed & entry.bits) != 0)
        {
            SendNamed(entry.name, report);
        }
    }

    // Read now: an OnConditionsChange that set the drag mode counts.
    if (mDragMode != 0 && cameOn(kLeftDrag))
    {
        OnDragStart();
    }

    // A hovered control that disappears, or a capture that ends away from the control: what is
    // under the pointer becomes the hover control.
    const bool hidden = mHover && (changed & kVisible) != 0 && !IsVisible(true) && !mCapture;
    const bool released = wentOff(kCapture) && !mHover;
    if (window && (hidden || released))
    {
        PointT<LONG> local;
        window->GetControlAt(window->GetCursorPos(), local, true);
    }

    // The children's enabled and visible bits follow this control's.
    if ((changed & (kEnabled | kVisible)) != 0)
    {
        for (unsigned int i = mChildren.GetCount(); i-- > 0;)
        {
            if (i < mChildren.GetCount())
            {
                const RCPtr<LControl> child = mChildren.children.GetConstElementPointer(i);
                child->DispatchConditionChanges();
            }
        }
    }
}

void LControl::SetForcedHover(bool forced)
{
    if (forced != mForcedHover)
    {
        mForcedHover = forced;
        DispatchConditionChanges();
    }
}

ORVRESULT LControl::SetEnabled(bool enabled)
{
    if (!mLayout)
    {
        return E_FAIL;
    }
    if (mLayout->enabled == enabled)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    mLayout->enabled = enabled;
    if (!enabled && (mHasFocus || mContainsFocus) && mParent)
    {
        const RCPtr<LControl> parent = mParent;
        parent->SetFocus(true);
    }
    if ((IsFocusable() || HasFocusableChild()) && mParent && mParent->mHasFocus)
    {
        SetFocus(true);
    }
    DispatchConditionChanges();
    InvalidateAll();
    return S_OK;
}

bool LControl::SetVisible(bool visible)
{
    if (!mLayout)
    {
        return IsVisible(true);
    }
    if (mLayout->visible != visible)
    {
        const RCPtr<LControl> self(this);
        if (!visible)
        {
            InvalidateAll();
        }
        mLayout->visible = visible;
        if (visible)
        {
            if ((IsFocusable() || HasFocusableChild()) && mParent && mParent->mHasFocus)
            {
                SetFocus(true);
            }
            InvalidateAll();
        }
        else if ((mHasFocus || mContainsFocus) && mParent)
        {
            const RCPtr<LControl> parent = mParent;
            parent->SetFocus(true);
        }
        DispatchConditionChanges();
    }
    return IsVisible(true);
}

bool LControl::HasFocusableChild() const
{
    if (!IsVisible(true) || !IsEnabled(true) || mNotFocusable)
    {
        return false;
    }
    for (unsigned int i = mChildren.GetCount(); i-- > 0;)
    {
        const LControl& child = *mChildren.children.GetConstElementPointer(i);
        if (child.IsFocusable() || child.HasFocusableChild())
        {
            return true;
        }
    }
    return false;
}

void LControl::OnConditionsChange(const RCPtr<LConditionsParam>&) {}
} // namespace Orv
