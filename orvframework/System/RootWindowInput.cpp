// The root window's input roads: which control receives each mouse and key event.
#include "System/RootWindow.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/Control.h"
#include "System/WindowOSServices.h"
#include "notification/MouseButtonParam.h"
#include "notification/MouseWheelParam.h"
#include "notification/PointWithModifiersParam.h"

namespace Orv
{
namespace
{
bool IsButton(DWORD button)
{
    return button == LRootWindow::kLeftButton || button == LRootWindow::kMiddleButton ||
           button == LRootWindow::kRightButton;
}
} // namespace

RCPtr<LControl> LRootWindow::GetControlAt(const PointT<LONG>& point, PointT<LONG>& local,
                                          bool updateHover)
{
    local = PointT<LONG>(0, 0);
    if (!mRootControl)
    {
        return nullptr;
    }
    const RCPtr<LControl> root = mRootControl;
    const RectT<double> rect = root->GetRect();
    const PointT<LONG> inRoot(point.x - RoundDoubleToLong(rect.x),
                              point.y - RoundDoubleToLong(rect.y));
    LONG level = LControl::kNoUnclippedLevel;
    const RCPtr<LControl> found = root->FindControlAt(inRoot, true, local, level);
    if (updateHover)
    {
        SetHoverControl(found);
    }
    return found;
}

PointT<LONG> LRootWindow::PointInCapture(const PointT<LONG>& point) const
{
    const PointT<double> origin = mCapture->GetRectInRoot();
    return PointT<LONG>(point.x - RoundDoubleToLong(origin.x),
                        point.y - RoundDoubleToLong(origin.y));
}

void LRootWindow::HandleMouseMove(const PointT<LONG>& point, DWORD modifiers,
                                  unsigned int pointerIndex)
{
    if (mServices == nullptr || !mServices->IsActive())
    {
        return;
    }
    PointT<LONG> local;
    if (mCapture)
    {
        GetControlAt(point, local, true);
        if (!mCapture)
        {
            return;
        }
        const RCPtr<LControl> capture = mCapture;
        capture->OnMouseMove(
            LPointWithModifiersParam::Create(PointInCapture(point), modifiers, pointerIndex));
        return;
    }
    const RCPtr<LControl> found = GetControlAt(point, local, true);
    if (found)
    {
        found->OnMouseMove(LPointWithModifiersParam::Create(local, modifiers, pointerIndex));
    }
}

void LRootWindow::HandleMouseButton(int action, DWORD button, DWORD modifiers,
                                    const PointT<LONG>& point, unsigned int pointerIndex)
{
    if (mServices == nullptr || !mServices->IsActive())
    {
        return;
    }
    const PointT<LONG> cursor = GetCursorPos();
    if (point.x != cursor.x || point.y != cursor.y)
    {
        HandleMouseMove(point, modifiers, pointerIndex);
    }
    HideToolTip();
    if (action == kRelease)
    {
        if (pointerIndex < kPointerCount)
        {
            mButtons[pointerIndex] &= ~button;
        }
        // Only the capture control hears of a release.
        if (!mCapture)
        {
            return;
        }
        const RCPtr<LControl> capture = mCapture;
        const bool doubleClick = (mDoubleClickBits & button) != 0;
        const RCPtr<LMouseButtonParam> param = LMouseButtonParam::Create(
            button, PointInCapture(point), modifiers, doubleClick, GetMouseButtons(), pointerIndex);
        mDoubleClickBits &= ~button;
        capture->OnMouseUp(param);
        return;
    }
    if (pointerIndex < kPointerCount)
    {
        mButtons[pointerIndex] |= button;
    }
    RCPtr<LControl> target;
    PointT<LONG> local;
    if (mCapture)
    {
        target = mCapture;
        local = PointInCapture(point);
    }
    else
    {
        target = GetControlAt(point, local, true);
    }
    if (!target)
    {
        return;
    }
    const bool doubleClick = action == kDoubleClick;
    const RCPtr<LMouseButtonParam> param = LMouseButtonParam::Create(
        button, local, modifiers, doubleClick, GetMouseButtons(), pointerIndex);
    if (doubleClick)
    {
        mDoubleClickBits |= button;
    }
    else
    {
        mDoubleClickBits &= ~button;
    }
    if (IsButton(button))
    {
        target->OnMouseDown(param);
    }
}

void LRootWindow::HandleMouseWheel(const PointT<LONG>& point, DWORD modifiers, int direction)
{
    if (mServices == nullptr || !mServices->IsActive())
    {
        return;
    }
    HideToolTip();
    RCPtr<LControl> target = mCapture;
    if (!target)
    {
        PointT<LONG> local;
        target = GetControlAt(point, local, true);
    }
    if (!target)
    {
        return;
    }
    const RCPtr<LMouseWheelParam> param = LMouseWheelParam::Create(point, modifiers, direction);
    const bool vertical = direction == kWheelDown || direction == kWheelUp;
    const ORVRESULT taken = vertical ? target->OnMouseWheel(param) : target->OnMouseHWheel(param);
    if (taken == S_FALSE && mFocus)
    {
        // A step nobody under the pointer takes goes to the focus control.
        const RCPtr<LControl> focus = mFocus;
        if (vertical)
        {
            focus->OnMouseWheel(param);
        }
        else
        {
            focus->OnMouseHWheel(param);
        }
    }
}

void LRootWindow::DeliverKey(const RCPtr<LKeyParam>& key)
{
    HideToolTip();
    if (mFocus)
    {
        const RCPtr<LControl> focus = mFocus;
        focus->OnKey(key);
    }
}

ORVRESULT LRootWindow::ProcessHotKey(const RCPtr<LKeyParam>& key)
{
    if (mHotKeys->ProcessKey(key) == S_OK)
    {
        return S_OK;
    }
    LFrameworkApp* application = GetFrameworkApp();
    const RCPtr<LGlobalHotKeyManager> global =
        application != nullptr ? application->GetHotKeyManager() : nullptr;
    return global ? global->ProcessKey(key) : S_FALSE;
}

bool LRootWindow::IsHotKeyNotification(const WString& nid)
{
    if (mHotKeys->IsHotKeyNotification(nid))
    {
        return true;
    }
    LFrameworkApp* application = GetFrameworkApp();
    const RCPtr<LGlobalHotKeyManager> global =
        application != nullptr ? application->GetHotKeyManager() : nullptr;
    return global && global->IsHotKeyNotification(nid);
}

RCPtr<LNotificationReceiver> LRootWindow::GetHotKeyReceiver(const WString& nid)
{
    return mHotKeys->IsHotKeyNotification(nid) ? mHotKeys->GetReceiver() : nullptr;
}
} // namespace Orv
