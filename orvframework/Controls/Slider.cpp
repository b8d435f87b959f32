#include "Controls/Slider.h"

#include "Application/FrameworkApp.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/ControlNotificationNames.h"
#include "Controls/NotificationChain.h"
#include "Controls/SliderValueMapping.h"
#include "Controls/ValueControlKeys.h"
#include "ObjectBase/Holder.h"
#include "Utilities/Geometry/Geometry.h"
#include "notification/MouseButtonParam.h"
#include "notification/MouseWheelParam.h"
#include "notification/Notification.h"
#include "notification/ValueParam.h"
#include "platform/User32.h"

#include <cmath>

namespace Orv
{
namespace
{
const wchar_t* const kValueChangeCapture = L"NID_VALUE_CHANGE_CAPTURE";
const wchar_t* const kValueChangeKeyDown = L"NID_VALUE_CHANGE_KEY_DOWN";
const wchar_t* const kValueChangeKeyUp = L"NID_VALUE_CHANGE_KEY_UP";
const wchar_t* const kThumbName = L"thumb";
// The seconds clock adds up millisecond steps; a countdown within this of 0 has run out.
constexpr double kClockTolerance = 1e-6;
// The Ctrl bit of a mouse parameter's modifiers.
constexpr DWORD kMouseCtrl = 0x1;

double Distance(const PointT<double>& a, const PointT<double>& b)
{
    return std::hypot(b.x - a.x, b.y - a.y);
}

template <class T>
T* ParamOf(const RCPtr<LNotification>& notification)
{
    return notification ? dynamic_cast<T*>(notification->param.Get()) : nullptr;
}
} // namespace

LSlider::LSlider(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LPanel(parent, descriptor)
{
}

LSlider::LSlider(const RCPtr<LControl>& parent, const WString& name)
    : LPanel(parent, name)
{
}

LSlider::~LSlider()
{
    mSliderHandler = nullptr;
}

ORVRESULT LSlider::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LPanel>(*this, mSliderHandler, source, notification);
}

ORVRESULT LSlider::Unregister(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
{
    return UnregisterThroughChain<LPanel>(*this, mSliderHandler, source, name);
}

void LSlider::Send(const wchar_t* name, const RCPtr<LRefCountedObject>& param)
{
    const RCPtr<LControl> self(this);
    SendNotification(LNotification::Create(name, param));
}

double LSlider::Now() const
{
    const RCPtr<IRootWindow>& window = GetTreeRootWindow();
    return window ? window->GetElapsedSeconds() : 0;
}

// --- Creation ---

ORVRESULT LSlider::Initialize()
{
    if (FAILED(LPanel::Initialize()))
    {
        return E_FAIL;
    }
    mSliderHandler = new LNotificationHandler<LSlider>(this);
    mThumbEnd = FindChildControl(WString(L"thumbEnd"));
    mThumbStart = FindChildControl(WString(L"thumbStart"));
    if (const RCPtr<LControlDescriptor> descriptor = MakeThumbDescriptor())
    {
        RCPtr<LControl> made;
        const RCPtr<LControlFactory>& factory = GetControlFactory();
        if (factory)
        {
            factory->CreateControl(made, descriptor, RCPtr<LControl>(this));
        }
        AttachThumb(RCPtr<LButton>(dynamic_cast<LButton*>(made.Get())));
    }
    CheckClientExtent();
    SetValueRange(0.0, kDefaultMaximum, kLinearScale);
    return S_OK;
}

RCPtr<LControlDescriptor> LSlider::MakeThumbDescriptor() const
{
    if (!mThumbStart || !mThumbStart->GetDescriptor() || !mThumbStart->GetLayout())
    {
        return nullptr;
    }
    RCPtr<LLayoutDescriptor> layout;
    mThumbStart->GetLayout()->Clone(layout);
    for (LLayoutDescriptor::Axis& axis : layout->axes)
    {
        axis.docked = false;
        axis.anchor = 0;
        axis.position.rel = 0;
    }
    layout->tabStop = 0;
    layout->visible = true;
    RCPtr<LControlDescriptor> descriptor;
    LControlFactory::MakeControlDescriptor(descriptor, mThumbStart->GetDescriptor(), layout,
                                           WString(kThumbName));
    return descriptor;
}

void LSlider::AttachThumb(const RCPtr<LButton>& button)
{
    if (!button || button.Get() == mThumb.Get() || !mSliderHandler)
    {
        return;
    }
    mThumb = button;
    mThumb->SetVisible(true);
    const ControlNotificationNames& names = ControlNotificationNames::Get();
    const RCPtr<LNotificationDistributor> thumb(mThumb.Get());
    mSliderHandler->SubscribeHandler(&LSlider::OnThumbMouseMove, thumb, names.mouseMove);
    mSliderHandler->SubscribeHandler(&LSlider::OnThumbMouseDown, thumb, names.mouseDown);
    mSliderHandler->SubscribeHandler(&LSlider::OnThumbLeftClick, thumb, names.leftClick);
    mSliderHandler->SubscribeHandler(&LSlider::OnThumbDragConditionChange, thumb,
                                     names.leftDragChange);
    mThumb->SetKeepPressedLook(true);
}

ORVRESULT LSlider::AddChildControl(const RCPtr<LControl>& child,
                                   const RCPtr<LControlDescriptor>& descriptor)
{
    if (!descriptor && child && child->GetName() == WString(kThumbName))
    {
        const RCPtr<LControlDescriptor> made = MakeThumbDescriptor();
        const ORVRESULT result = LPanel::AddChildControl(child, made);
        child->SetVisible(true);
        return result;
    }
    return LPanel::AddChildControl(child, descriptor);
}

void LSlider::OnCreated()
{
    LPanel::OnCreated();
    // A new skin leaves only the skin's children in place: the thumb comes back.
    if (mThumb && mThumb->GetParent().Get() != this)
    {
        AddChildControl(RCPtr<LControl>(mThumb.Get()), nullptr);
    }
    for (const RCPtr<LControl>& marker : {mThumbEnd, mThumbStart})
    {
        if (marker)
        {
            marker->SetVisible(false);
        }
    }
    if (mThumbStart)
    {
        const RectT<double> start = mThumbStart->GetRect();
        mHotSpot =
            PointT<LONG>(RoundDoubleToLong(start.width / 2), RoundDoubleToLong(start.height / 2));
        AxisPlacement x;
        AxisPlacement y;
        if (mThumbStart->GetLayout())
        {
            mThumbStart->GetLayout()->GetAxisPlacement(0, x);
            mThumbStart->GetLayout()->GetAxisPlacement(1, y);
        }
        if (x.anchor != 0)
        {
            mHotSpot.x = RoundDoubleToLong(x.anchor * start.width);
        }
        if (y.anchor != 0)
        {
            mHotSpot.y = RoundDoubleToLong(y.anchor * start.height);
        }
    }
    CheckClientExtent();
}

void LSlider::CheckClientExtent()
{
    LPanel::CheckClientExtent();
    if (!mThumb && mSliderHandler)
    {
        AttachThumb(
            RCPtr<LButton>(dynamic_cast<LButton*>(FindChildControl(WString(kThumbName)).Get())));
    }
    UpdateThumbFromValue();
}

// --- Value and thumb ---

double LSlider::GetPosition() const
{
    return GetValue();
}

double LSlider::ApplyValue(double t)
{
    const RCPtr<LControl> self(this);
    LControl::SetValue(t);
    UpdateThumbFromValue();
    return GetPosition();
}

double LSlider::SetValue(double t)
{
    if (mDragging)
    {
        mPendingValue = t;
        return GetValue();
    }
    return ApplyValue(t);
}

void LSlider::SetValueFromThumb()
{
    if (mThumb)
    {
        const PointT<LONG> position = ThumbPosition();
        ApplyValue(ThumbPositionToNormalized(position.x, position.y));
    }
}

bool LSlider::MarkerPositions(PointT<double>& start, PointT<double>& end) const
{
    if (!mThumbStart)
    {
        return false;
    }
    const RectT<double> a = mThumbStart->GetRect();
    start = PointT<double>(std::round(a.x), std::round(a.y));
    end = start;
    if (mThumbEnd)
    {
        const RectT<double> b = mThumbEnd->GetRect();
        end = PointT<double>(std::round(b.x), std::round(b.y));
    }
    return true;
}

PointT<LONG> LSlider::ThumbPosition() const
{
    if (!mThumb)
    {
        return PointT<LONG>();
    }
    const RectT<double> rect = mThumb->GetRect();
    return PointT<LONG>(RoundDoubleToLong(rect.x), RoundDoubleToLong(rect.y));
}

void LSlider::MoveThumbTo(const PointT<LONG>& position)
{
    const RCPtr<LLayoutDescriptor>& layout = mThumb ? mThumb->GetLayout() : nullptr;
    if (!layout)
    {
        return;
    }
    const double at[2] = {static_cast<double>(position.x), static_cast<double>(position.y)};
    AxisPlacement placement[2];
    for (int axis = 0; axis < 2; ++axis)
    {
        layout->GetAxisPlacement(axis, placement[axis]);
        // The markers' rectangles are client coordinates: so is the thumb's position.
        placement[axis].anchor = 0;
        placement[axis].docked = false;
        placement[axis].position =
            LayoutSpec{LLayoutDescriptor::kPositionClient, WString(), 0, at[axis]};
    }
    mThumb->SetPlacement(placement[0], placement[1]);
}

void LSlider::UpdateThumbFromValue()
{
    PointT<double> start;
    PointT<double> end;
    if (mDragging || !mThumb || !MarkerPositions(start, end))
    {
        return;
    }
    double t = GetPosition();
    if (mSquaredResponse)
    {
        t = std::sqrt(t);
    }
    const PointT<LONG> target(RoundDoubleToLong(start.x) + RoundDoubleToLong((end.x - start.x) * t),
                              RoundDoubleToLong(start.y) +
                                  RoundDoubleToLong((end.y - start.y) * t));
    const PointT<LONG> current = ThumbPosition();
    if (target.x != current.x || target.y != current.y)
    {
        MoveThumbTo(target);
    }
}

double LSlider::ThumbPositionToNormalized(double x, double y) const
{
    PointT<double> start;
    PointT<double> end;
    if (!MarkerPositions(start, end))
    {
        return 0.0;
    }
    const double length = Distance(start, end);
    // Markers at one point leave no track to measure along.
    if (length == 0.0)
    {
        return 0.0;
    }
    const double ratio = Distance(start, PointT<double>(x, y)) / length;
    return mSquaredResponse ? ratio * ratio : ratio;
}

PointT<LONG> LSlider::ConstrainThumbPosition(LONG x, LONG y) const
{
    const PointT<LONG> current = ThumbPosition();
    PointT<double> start;
    PointT<double> end;
    if (!MarkerPositions(start, end))
    {
        return current;
    }
    const double px = static_cast<double>(x) - mGrabOffset.x;
    const double py = static_cast<double>(y) - mGrabOffset.y;
    double rx = 0;
    double ry = 0;
    if (start.x == end.x)
    {
        rx = current.x;
        ry = py;
    }
    else if (start.y == end.y)
    {
        rx = px;
        ry = current.y;
    }
    else
    {
        // The foot of the perpendicular from the pointer onto the track's line.
        const float m = static_cast<float>((end.y - start.y) / (end.x - start.x));
        const float b = static_cast<float>(start.y - start.x * m);
        rx = std::round((py + px / m - b) / (m + 1.0f / m));
        ry = std::round(m * rx + b);
    }
    rx = std::fmin(std::fmax(rx, std::fmin(start.x, end.x)), std::fmax(start.x, end.x));
    ry = std::fmin(std::fmax(ry, std::fmin(start.y, end.y)), std::fmax(start.y, end.y));
    return PointT<LONG>(RoundDoubleToLong(rx), RoundDoubleToLong(ry));
}

void LSlider::PageTowardPoint(const PointT<double>& point)
{
    const RCPtr<LControl> self(this);
    // The point of the thumb that sits on the track, in client coordinates.
    const RectT<double> client = GetClientRect();
    const PointT<double> p(point.x - client.x - mHotSpot.x, point.y - client.y - mHotSpot.y);
    const double target = ThumbPositionToNormalized(p.x, p.y);
    const double t = GetPosition();
    bool forward = t <= target;
    PointT<double> start;
    PointT<double> end;
    if (mThumb && MarkerPositions(start, end))
    {
        const PointT<LONG> thumb = ThumbPosition();
        forward = Distance(start, PointT<double>(thumb.x, thumb.y)) <= Distance(start, p);
    }
    ApplyValue(forward ? std::fmin(t + mPageStep, target) : std::fmax(t - mPageStep, target));
}

// --- Dragging the thumb ---

ORVRESULT LSlider::OnThumbDragConditionChange(const RCPtr<LNotificationDistributor>&,
                                              const RCPtr<LNotification>& notification)
{
    const LConditionsParam* param = ParamOf<LConditionsParam>(notification);
    if (param == nullptr || !mThumb)
    {
        return 1;
    }
    const RCPtr<LControl> self(this);
    const bool before = (param->oldConditions & kLeftDrag) != 0;
    const bool now = (param->newConditions & kLeftDrag) != 0;
    if (!before && now)
    {
        mDragging = true;
        const PointT<double> press = mThumb->GetPressPoint();
        const PointT<LONG> thumb = ThumbPosition();
        mGrabOffset = PointT<LONG>(RoundDoubleToLong(press.x - thumb.x),
                                   RoundDoubleToLong(press.y - thumb.y));
        mPendingValue = -1.0;
        Send(kValueChangeCapture, RCPtr<LRefCountedObject>(LHolder<bool>::Create(true).Get()));
    }
    else if (before && !now)
    {
        mDragging = false;
        const double pending = mPendingValue;
        mPendingValue = -1.0;
        if (mApplyPendingAtDragEnd && pending >= 0.0 && pending <= 1.0)
        {
            ApplyValue(pending);
        }
        Send(kValueChangeCapture, RCPtr<LRefCountedObject>(LHolder<bool>::Create(false).Get()));
        if (mSendValueAtDragEnd)
        {
            // As every value notification: t and its value in the range's units.
            const double t = GetPosition();
            Send(ControlNotificationNames::Get().valueChange,
                 RCPtr<LRefCountedObject>(
                     LValueParam::Create(t, NormalizedToUserValue(*this, t)).Get()));
        }
    }
    return 1;
}

ORVRESULT LSlider::OnThumbMouseMove(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification)
{
    const LPointWithModifiersParam* param = ParamOf<LPointWithModifiersParam>(notification);
    if (param == nullptr || !mDragging || !mThumb ||
        source.Get() != static_cast<LNotificationDistributor*>(mThumb.Get()))
    {
        return 0;
    }
    const RCPtr<LControl> self(this);
    // The pointer, from the thumb's coordinates into the slider's client coordinates.
    const PointT<LONG> thumb = ThumbPosition();
    const PointT<LONG> placed =
        ConstrainThumbPosition(param->point.x + thumb.x, param->point.y + thumb.y);
    if (placed.x != thumb.x || placed.y != thumb.y)
    {
        MoveThumbTo(placed);
        SetValueFromThumb();
    }
    return 0;
}

ORVRESULT LSlider::OnThumbMouseDown(const RCPtr<LNotificationDistributor>&,
                                    const RCPtr<LNotification>& notification)
{
    if (const LMouseButtonParam* param = ParamOf<LMouseButtonParam>(notification))
    {
        if (param->button == kLeftButton)
        {
            mDoublePress = param->pressed;
        }
    }
    return 0;
}

ORVRESULT LSlider::OnThumbLeftClick(const RCPtr<LNotificationDistributor>&,
                                    const RCPtr<LNotification>& notification)
{
    const LMouseButtonParam* param = ParamOf<LMouseButtonParam>(notification);
    if (mResetOnDoubleClick && (mDoublePress || (param && (param->modifiers & kMouseCtrl) != 0)))
    {
        ApplyValue(mDefaultValue);
    }
    return 0;
}

// --- The track ---

void LSlider::OnLeftButtonDown(const RCPtr<LMouseButtonParam>& param)
{
    LPanel::OnLeftButtonDown(param);
    if (param)
    {
        mDoublePress = param->pressed;
    }
}

void LSlider::OnLeftClickHook(const RCPtr<LMouseButtonParam>& param)
{
    LPanel::OnLeftClickHook(param);
    if (!param)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    PageTowardPoint(PointT<double>(param->point.x, param->point.y));
    if (mResetOnDoubleClick && (mDoublePress || (param->modifiers & kMouseCtrl) != 0))
    {
        ApplyValue(mDefaultValue);
    }
}

void LSlider::OnIdleTick()
{
    LPanel::OnIdleTick();
    if (!mRepeatActive || (GetConditions() & kHoverOrForced) == 0 || !IsEnabled(true))
    {
        return;
    }
    const RCPtr<IRootWindow>& window = GetTreeRootWindow();
    if (!window)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const double now = Now();
    mTimeToNextPage -= now - mLastTickTime;
    mLastTickTime = now;
    if (mTimeToNextPage <= kClockTolerance)
    {
        mTimeToNextPage = kPageInterval;
        const PointT<LONG> cursor = window->GetCursorPos();
        const PointT<double> origin = GetRectInRoot();
        PageTowardPoint(PointT<double>(cursor.x - origin.x, cursor.y - origin.y));
    }
}

void LSlider::StopRepeat()
{
    if (mRepeatActive)
    {
        mRepeatActive = false;
        UnsubscribeIdle();
    }
}

// --- Conditions ---

void LSlider::UpdateLook(DWORD conditions)
{
    if ((conditions & kEnabled) == 0)
    {
        SetActiveLook(kLookDisabled);
    }
    else
    {
        SetActiveLook((conditions & (kHasFocus | kContainsFocus)) != 0 ? kLookFocused
                                                                       : kLookNormal);
    }
}

void LSlider::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    LPanel::OnConditionsChange(param);
    if (!param)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const DWORD before = param->oldConditions;
    const DWORD now = param->newConditions;
    // The left button held on the track: pressed, and on while it drags.
    const DWORD held = kLeftDown | kLeftDrag;
    if ((before & held) == 0 && (now & held) != 0 && IsEnabled(true) && !mRepeatActive)
    {
        if (SubscribeIdle() == S_OK)
        {
            mRepeatActive = true;
            mLastTickTime = Now();
            mTimeToNextPage = kFirstPageDelay;
        }
    }
    else if ((before & held) != 0 && (now & held) == 0)
    {
        StopRepeat();
    }
    const DWORD focus = kHasFocus | kContainsFocus;
    if ((before & focus) == 0 && (now & focus) != 0)
    {
        UpdateLook(now);
    }
    else if ((before & focus) != 0 && (now & focus) == 0)
    {
        if (mKeySeriesActive)
        {
            EndKeySeries(nullptr);
        }
        UpdateLook(now);
    }
    if (((before ^ now) & kEnabled) != 0)
    {
        UpdateLook(now);
    }
}

// --- Keys and wheel ---

void LSlider::StepValue(double units)
{
    const RCPtr<LControl> self(this);
    SetValue(UserValueToNormalized(*this, NormalizedToUserValue(*this, GetPosition()) + units));
}

void LSlider::EndKeySeries(const RCPtr<LKeyParam>& param)
{
    mKeySeriesActive = false;
    Send(kValueChangeKeyUp, RCPtr<LRefCountedObject>(param.Get()));
}

ORVRESULT LSlider::HandleArrowKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    const int direction = ArrowPressDirection(param->key);
    if (direction != 0)
    {
        if (!mKeySeriesActive)
        {
            mKeySeriesActive = true;
            Send(kValueChangeKeyDown, RCPtr<LRefCountedObject>(param.Get()));
        }
        StepValue(direction);
        return S_OK;
    }
    if (IsArrowRelease(param->key))
    {
        EndKeySeries(param);
        return S_OK;
    }
    return S_FALSE;
}

ORVRESULT LSlider::RouteSiblingKey(const RCPtr<LKeyParam>& param)
{
    if (HandleArrowKey(param) == S_OK)
    {
        return S_OK;
    }
    return LPanel::RouteSiblingKey(param);
}

ORVRESULT LSlider::HandleUnusedKey(const RCPtr<LKeyParam>& param)
{
    if (HandleArrowKey(param) == S_OK)
    {
        return S_OK;
    }
    return LPanel::HandleUnusedKey(param);
}

ORVRESULT LSlider::OnWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (!param)
    {
        return S_FALSE;
    }
    StepValue(param->amount == kWheelUp ? 1.0 : -1.0);
    return S_OK;
}

ORVRESULT LSlider::OnHWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (!param)
    {
        return S_FALSE;
    }
    StepValue(param->amount == kWheelRight ? 1.0 : -1.0);
    return S_OK;
}
} // namespace Orv
