// Mouse input: hover, presses and releases with the capture, the drag threshold, clicks, and the
// routing of wheel steps.
#include "ControlBase/Control.h"

#include "ControlBase/ControlNotificationNames.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Orv
{
namespace
{
// A release this soon after the last move throws.
constexpr DWORD kThrowReleaseMs = 100;
} // namespace

namespace
{
constexpr double kCoordinateLimit = 4503599627370496.0;

// Sets the search-excluded flag of every listed control for one search.
class ExcludedWhileSearching
{
public:
    explicit ExcludedWhileSearching(const LControl::ControlList& controls)
        : mControls(controls)
    {
        Set(true);
    }
    ~ExcludedWhileSearching() { Set(false); }
    ExcludedWhileSearching(const ExcludedWhileSearching&) = delete;
    ExcludedWhileSearching& operator=(const ExcludedWhileSearching&) = delete;

private:
    void Set(bool excluded)
    {
        for (unsigned int i = 0; i < mControls.GetCount(); ++i)
        {
            mControls.GetConstElementPointer(i)->SetSearchExcluded(excluded);
        }
    }

    const LControl::ControlList& mControls;
};

// Whether the control or an ancestor does not clip to its parent.
bool Floats(const LControl& control)
{
    for (const LControl* c = &control; c != nullptr; c = c->GetParent().Get())
    {
        if (c->GetLayout() && !c->GetLayout()->clipToParent)
        {
            return true;
        }
    }
    return false;
}
} // namespace

int LControl::ButtonIndex(DWORD button)
{
    switch (button)
    {
        case kLeftButton:
            return 0;
        case kMiddleButton:
            return 1;
        case kRightButton:
            return 2;
        default:
            return -1;
    }
}

bool LControl::AcceptsInput() const
{
    return IsVisible(true) && IsEnabled(true);
}

ORVRESULT LControl::OnMouseEnter()
{
    mHover = true;
    DispatchConditionChanges();
    return S_OK;
}

ORVRESULT LControl::OnMouseLeave()
{
    mHover = false;
    DispatchConditionChanges();
    return S_OK;
}

ORVRESULT LControl::OnMouseDown(const RCPtr<LMouseButtonParam>& param)
{
    if (!param || ButtonIndex(param->button) < 0)
    {
        return E_INVALIDARG;
    }
    const bool hadCapture = mCapture;
    if (!hadCapture && !AcceptsInput())
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    if (!hadCapture)
    {
        if (!mNotFocusable && (!mParent || mFocusBoundary || !mParent->IsNotFocusable(true)))
        {
            SetFocus(true);
        }
        else if (mParent)
        {
            const RCPtr<LControl> parent = mParent;
            parent->TakeFocusFromClick(self);
        }
    }
    switch (param->button)
    {
        case kLeftButton:
            mLastPress = param;
            OnLeftButtonDown(param);
            break;
        case kMiddleButton:
            OnMiddleButtonDown(param);
            break;
        default:
            OnRightButtonDown(param);
            break;
    }
    SendNamed(ControlNotificationNames::Get().mouseDown, RCPtr<LRefCountedObject>(param.Get()));
    if (!hadCapture)
    {
        OnMouseButtonDown(param->button, param->point.x, param->point.y);
    }
    return S_OK;
}

ORVRESULT LControl::OnMouseButtonDown(DWORD button, LONG x, LONG y)
{
    if (!AcceptsInput() || mCapture)
    {
        return S_FALSE;
    }
    // Only a press of the left, middle or right button that the window reports held takes the
    // capture.
    const int index = ButtonIndex(button);
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    if (index < 0 || !window || (window->GetMouseButtons() & button) == 0)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    mPressPoint = PointT<double>(std::clamp<double>(x, -kCoordinateLimit, kCoordinateLimit) + mX,
                                 std::clamp<double>(y, -kCoordinateLimit, kCoordinateLimit) + mY);
    mDragCorrection = PointT<double>();
    StopAxisAnimation(0);
    StopAxisAnimation(1);

    mCapture = true;
    const DWORD now = window->GetTimeMs();
    mPressTime = now;
    mPreviousMoveTime = now;
    mDragVelocity = PointT<double>();
    window->SetCaptureControl(self);

    mButtonDown[index] = true;
    if (index == 0)
    {
        mDragMode = 0;
        // The press holds one idle request until the capture ends.
        if (mSubscribeIdleOnPress && !mPressHoldsIdle && SubscribeIdle() == S_OK)
        {
            mPressHoldsIdle = true;
        }
    }
    DispatchConditionChanges();
    if (mDragThreshold != 0)
    {
        return S_OK;
    }

    // Threshold 0: the press is a drag at once.
    mButtonDown[index] = false;
    mButtonDrag[index] = true;
    DispatchConditionChanges();
    if (mButtonDrag[0] && mDragMode != 0)
    {
        OnDrag(LPointWithModifiersParam::Create(PointT<LONG>(x, y), 0, 0));
    }
    return S_OK;
}

ORVRESULT LControl::OnMouseMove(const RCPtr<LPointWithModifiersParam>& param)
{
    if (!param)
    {
        return E_INVALIDARG;
    }
    const RCPtr<LControl> self(this);
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    mLastMoveTime = window ? window->GetTimeMs() : 0;

    if (mButtonDown[0] || mButtonDown[1] || mButtonDown[2])
    {
        const PointT<LONG> press =
            RoundDoublePointToLong(PointT<double>(mPressPoint.x - mX, mPressPoint.y - mY));
        const long long dx = std::llabs(static_cast<long long>(param->point.x) - press.x);
        const long long dy = std::llabs(static_cast<long long>(param->point.y) - press.y);
        if (std::max(dx, dy) >= mDragThreshold)
        {
            const int index = mButtonDown[0] ? 0 : (mButtonDown[1] ? 1 : 2);
            // The drag's first move starts at the press point; the down flags are cleared
            // before, so that move does not start the drag a second time.
            for (bool& down : mButtonDown)
            {
                down = false;
            }
            OnMouseMove(LPointWithModifiersParam::Create(press, param->modifiers, param->extra));
            mButtonDrag[index] = true;
            DispatchConditionChanges();
        }
    }

    OnMouseMoveHook(param);
    SendNamed(ControlNotificationNames::Get().mouseMove, RCPtr<LRefCountedObject>(param.Get()));
    if (mButtonDrag[0] && mDragMode != 0)
    {
        OnDrag(param);
    }
    mPreviousMoveTime = mLastMoveTime;
    return S_OK;
}

ORVRESULT LControl::OnMouseUp(const RCPtr<LMouseButtonParam>& param)
{
    if (!param || ButtonIndex(param->button) < 0)
    {
        return E_INVALIDARG;
    }
    if (!AcceptsInput() && !mCapture)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    const int index = ButtonIndex(param->button);
    switch (param->button)
    {
        case kLeftButton:
            OnLeftButtonUp(param);
            break;
        case kMiddleButton:
            OnMiddleButtonUp(param);
            break;
        default:
            OnRightButtonUp(param);
            break;
    }
    const bool click = mHover && (mButtonDown[index] || (mButtonDrag[index] && mDragMode == 0));
    if (index == 0 && mButtonDrag[0])
    {
        const RCPtr<IRootWindow> window = GetTreeRootWindow();
        mReleaseTime = window ? window->GetTimeMs() : 0;
        // A fast release goes on as a throw.
        if (mDragMode == kDragThrow && mReleaseTime - mLastMoveTime < kThrowReleaseMs)
        {
            StartThrow();
        }
    }
    SendNamed(ControlNotificationNames::Get().mouseUp, RCPtr<LRefCountedObject>(param.Get()));
    // The parameter's click data is the mask of the buttons still held.
    if (mCapture && param->clickData == 0)
    {
        OnCaptureLost();
    }
    if (click && (!mLayout || mLayout->enabled) && (!mParent || mParent->IsEnabled(true)))
    {
        OnClick(param);
    }
    return S_OK;
}

ORVRESULT LControl::OnCaptureLost()
{
    if (!mCapture)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    mCapture = false;
    for (int i = 0; i < 3; ++i)
    {
        mButtonDown[i] = false;
        mButtonDrag[i] = false;
    }
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    const ORVRESULT result = window ? window->ReleaseCaptureControl() : S_OK;
    if (mPressHoldsIdle)
    {
        mPressHoldsIdle = false;
        UnsubscribeIdle();
    }
    DispatchConditionChanges();
    mLastPress = nullptr;
    return result;
}

ORVRESULT LControl::OnMouseWheel(const RCPtr<LMouseWheelParam>& param)
{
    return RouteMouseWheel(param);
}

ORVRESULT LControl::OnMouseHWheel(const RCPtr<LMouseWheelParam>& param)
{
    return RouteMouseWheel(param);
}

bool LControl::CanReleaseFocus()
{
    return true;
}

ORVRESULT LControl::OnClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
    {
        return E_INVALIDARG;
    }
    switch (param->button)
    {
        case kLeftButton:
            return OnLeftClick(param);
        case kMiddleButton:
            return OnMiddleClick(param);
        case kRightButton:
            return OnRightClick(param);
        default:
            return E_INVALIDARG;
    }
}

ORVRESULT LControl::OnLeftClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
    {
        return E_INVALIDARG;
    }
    OnLeftClickHook(param);
    SendNamed(ControlNotificationNames::Get().leftClick, RCPtr<LRefCountedObject>(param.Get()));
    return S_OK;
}

ORVRESULT LControl::OnMiddleClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
    {
        return E_INVALIDARG;
    }
    OnMiddleClickHook(param);
    SendNamed(ControlNotificationNames::Get().middleClick, RCPtr<LRefCountedObject>(param.Get()));
    return S_OK;
}

ORVRESULT LControl::OnRightClick(const RCPtr<LMouseButtonParam>& param)
{
    if (!param)
    {
        return E_INVALIDARG;
    }
    OnRightClickHook(param);
    SendNamed(ControlNotificationNames::Get().rightClick, RCPtr<LRefCountedObject>(param.Get()));
    if (const RCPtr<LMenuDescriptor> menu = GetContextMenu())
    {
        ShowContextMenu(menu);
    }
    return S_OK;
}

ORVRESULT LControl::TakeFocusFromClick(const RCPtr<LControl>&)
{
    const RCPtr<LControl> self(this);
    if (!mNotFocusable && (!mParent || mFocusBoundary || !mParent->IsNotFocusable(true)))
    {
        return SetFocus(true);
    }
    if (mParent)
    {
        const RCPtr<LControl> parent = mParent;
        return parent->TakeFocusFromClick(self);
    }
    return S_FALSE;
}

bool LControl::IsNotFocusable(bool recursive) const
{
    if (!recursive)
    {
        return mNotFocusable;
    }
    for (const LControl* control = this;; control = control->mParent.Get())
    {
        if (control->mNotFocusable)
        {
            return true;
        }
        if (control->mFocusBoundary || !control->mParent)
        {
            return false;
        }
    }
}

void LControl::SetCursor(int cursor)
{
    const int shown = mCursor;
    mCursor = cursor;
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    if (mHover && window)
    {
        const int previous = window->SetCursor(cursor);
        if (shown == 0)
        {
            // The cursor the control's own replaced, for the restore when the pointer leaves.
            mPreviousCursor = previous;
        }
    }
}

ORVRESULT LControl::RouteMouseWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (!param)
    {
        return -1;
    }
    const RCPtr<IRootWindow> window = GetTreeRootWindow();
    // The wheel parameter's amount carries the direction.
    const bool horizontal = param->amount != kWheelDown && param->amount != kWheelUp;
    ControlList passed;
    RCPtr<LControl> current(this);
    while (current)
    {
        const ORVRESULT result = horizontal ? current->OnHWheel(param) : current->OnWheel(param);
        if (result != S_FALSE)
        {
            return result;
        }
        if (!Floats(*current))
        {
            current = current->mParent;
            continue;
        }
        // A floating control hands the step to what lies beneath the pointer without it and
        // every control passed over before.
        passed.AddItem(current);
        RCPtr<LControl> found;
        if (window)
        {
            const ExcludedWhileSearching excluded(passed);
            PointT<LONG> local;
            found = window->GetControlAt(param->point, local, true);
        }
        if (found && passed.Find(found.Get()) >= 0)
        {
            break;
        }
        current = found;
    }
    return S_FALSE;
}

ORVRESULT LControl::OnWheel(const RCPtr<LMouseWheelParam>&)
{
    return S_FALSE;
}

ORVRESULT LControl::OnHWheel(const RCPtr<LMouseWheelParam>&)
{
    return S_FALSE;
}

ORVRESULT LControl::SetDragThreshold(LONG pixels)
{
    if (pixels < 0)
    {
        return E_INVALIDARG;
    }
    mDragThreshold = pixels;
    return S_OK;
}

ORVRESULT LControl::SetDragMode(int mode, DWORD argument)
{
    mDragMode = mode;
    mDragArgument = argument;
    return S_OK;
}

void LControl::OnLeftButtonDown(const RCPtr<LMouseButtonParam>&) {}
void LControl::OnLeftButtonUp(const RCPtr<LMouseButtonParam>&) {}
void LControl::OnMiddleButtonDown(const RCPtr<LMouseButtonParam>&) {}
void LControl::OnMiddleButtonUp(const RCPtr<LMouseButtonParam>&) {}
void LControl::OnRightButtonDown(const RCPtr<LMouseButtonParam>&) {}
void LControl::OnRightButtonUp(const RCPtr<LMouseButtonParam>&) {}
void LControl::OnMouseMoveHook(const RCPtr<LPointWithModifiersParam>&) {}
void LControl::OnLeftClickHook(const RCPtr<LMouseButtonParam>&) {}
void LControl::OnMiddleClickHook(const RCPtr<LMouseButtonParam>&) {}
void LControl::OnRightClickHook(const RCPtr<LMouseButtonParam>&) {}
} // namespace Orv
