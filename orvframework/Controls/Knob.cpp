#include "Controls/Knob.h"

#include "Application/FrameworkApp.h"
#include "Controls/SliderValueMapping.h"
#include "Controls/ValueControlKeys.h"
#include "ObjectBase/Holder.h"
#include "Utilities/Geometry/Geometry.h"
#include "notification/MouseWheelParam.h"
#include "notification/Notification.h"
#include "platform/User32.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Orv
{
namespace
{
const wchar_t* const kValueChangeCapture = L"NID_VALUE_CHANGE_CAPTURE";
const wchar_t* const kValueChangeKeyDown = L"NID_VALUE_CHANGE_KEY_DOWN";
const wchar_t* const kValueChangeKeyUp = L"NID_VALUE_CHANGE_KEY_UP";
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kDegreesPerRadian = 57.29577951308232;
// The smallest linear full range the step formula divides by (range - 1).
constexpr int kSmallestFullRange = 2;

// The text of a create parameter, narrow; empty when the descriptor has no such entry.
std::string CreateParamText(const LControlDescriptor* descriptor, const wchar_t* id)
{
    WString text;
    if (descriptor == nullptr || !descriptor->GetCreateParams() ||
        !descriptor->GetCreateParams()->Lookup(id, text))
    {
        return std::string();
    }
    return std::string(text.ToNarrow().GetBuffer());
}

} // namespace

LKnob::LKnob(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

LKnob::LKnob(const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LKnob::~LKnob() = default;

void LKnob::Send(const wchar_t* name, const RCPtr<LRefCountedObject>& param)
{
    const RCPtr<LControl> self(this);
    SendNotification(LNotification::Create(name, param));
}

double LKnob::NormalizeAngle(double degrees)
{
    if (!std::isfinite(degrees))
    {
        return 0.0;
    }
    double angle = std::fmod(degrees, 360.0);
    if (angle < 0.0)
    {
        angle += 360.0;
    }
    return angle >= 360.0 ? 0.0 : angle;
}

void LKnob::ToPolar(double x, double y, double& radius, double& angle)
{
    radius = std::sqrt(x * x + y * y);
    angle = std::atan2(y, x);
}

bool LKnob::IsCtrlDown()
{
    LFrameworkApp* application = GetFrameworkApp();
    BYTE down = 0;
    BYTE toggled = 0;
    return application != nullptr && application->GetKeyState(VK_CONTROL, down, toggled) == S_OK &&
           down != 0;
}

// --- Creation ---

ORVRESULT LKnob::Initialize()
{
    const ORVRESULT result = LControl::Initialize();
    if (FAILED(result))
    {
        return result;
    }
    const LControlDescriptor* descriptor = GetDescriptor().Get();
    mLinearFullRange = std::atoi(CreateParamText(descriptor, L"LINEAR_GESTURE_FULL_RANGE").c_str());
    mStartAngle = std::atof(CreateParamText(descriptor, L"RADIAL_GESTURE_START_ANGLE").c_str());
    mEndAngle = std::atof(CreateParamText(descriptor, L"RADIAL_GESTURE_END_ANGLE").c_str());
    mFineAdjustMultiplier =
        std::atof(CreateParamText(descriptor, L"FINE_ADJUST_MULTIPLIER").c_str());
    mRadial = mStartAngle != 0.0 || mEndAngle != 0.0;
    mStartAngle = NormalizeAngle(mStartAngle);
    mEndAngle = NormalizeAngle(mEndAngle);
    if (mFineAdjustMultiplier == 0.0 || !std::isfinite(mFineAdjustMultiplier))
    {
        mFineAdjustMultiplier = kDefaultFineAdjustMultiplier;
    }
    SetValueRange(0.0, kDefaultMaximum, kLinearScale);
    return S_OK;
}

void LKnob::OnCreated()
{
    LControl::OnCreated();
    const RCPtr<LControl> self(this);
    // The skin's look list marks the end of the frames with an empty entry; the control holds
    // only the looks that exist, so the overlays after the gap sit one place earlier.
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    const RCPtr<LSkinDescriptor> skin = descriptor ? descriptor->GetSkin() : nullptr;
    const RCPtr<LLookList> list = skin ? skin->GetLookList() : nullptr;
    mFocusOverlay = -1;
    mDisabledOverlay = -1;
    if (list)
    {
        const unsigned int count = list->GetCount();
        unsigned int frames = 0;
        while (frames < count && list->GetConstElementPointer(frames))
        {
            ++frames;
        }
        mFrameCount = std::min(frames, GetLookCount());
        int next = static_cast<int>(mFrameCount);
        if (frames + 1 < count && list->GetConstElementPointer(frames + 1))
        {
            mFocusOverlay = next++;
        }
        if (frames + 2 < count && list->GetConstElementPointer(frames + 2))
        {
            mDisabledOverlay = next;
        }
    }
    else
    {
        mFrameCount = GetLookCount();
    }
    if (mFocusOverlay >= static_cast<int>(GetLookCount()))
    {
        mFocusOverlay = -1;
    }
    if (mDisabledOverlay >= static_cast<int>(GetLookCount()))
    {
        mDisabledOverlay = -1;
    }
    if (mFocusOverlay >= 0 && (GetConditions() & kHasFocus) != 0)
    {
        LayOverlay(mFocusOverlay, true);
    }
    if (mDisabledOverlay >= 0 && !IsEnabled(true))
    {
        LayOverlay(mDisabledOverlay, true);
    }
    if (!mRadial && mLinearFullRange == 0)
    {
        if (mFrameCount == 0)
        {
            // No frames to divide the travel among.
            mLinearFullRange = kDefaultTravel;
        }
        else
        {
            const double perFrame = std::round(static_cast<double>(kDefaultTravel) / mFrameCount);
            mLinearFullRange = static_cast<int>(mFrameCount) * static_cast<int>(perFrame);
        }
    }
    const int active = GetActiveLookIndex();
    const RCPtr<LLook> look = active >= 0 ? GetLook(static_cast<unsigned int>(active)) : nullptr;
    const RectT<double> rect = GetRect();
    if (look)
    {
        const SizeT<LONG> size = look->GetSize();
        mGestureCentre = PointT<LONG>(size.width / 2, size.height / 2);
    }
    else
    {
        mGestureCentre =
            PointT<LONG>(static_cast<LONG>(rect.width / 2), static_cast<LONG>(rect.height / 2));
    }
    OnValueChangeHook();
}

// --- Value and frames ---

double LKnob::SetValue(double value)
{
    if ((GetConditions() & kLeftDrag) != 0)
    {
        mPendingValue = value;
        return GetValue();
    }
    return LControl::SetValue(value);
}

void LKnob::OnValueChangeHook()
{
    LControl::OnValueChangeHook();
    if (mFrameCount == 0)
    {
        return;
    }
    SetActiveLook(static_cast<int>(std::round((mFrameCount - 1) * GetValue())));
}

void LKnob::LayOverlay(int overlay, bool on)
{
    RCPtr<LVisualPart> part;
    if (on)
    {
        const RCPtr<LLook> look = GetLook(static_cast<unsigned int>(overlay));
        const RCPtr<LLookDescriptor> descriptor = look ? look->GetDescriptor() : nullptr;
        if (descriptor && descriptor->GetClientPart())
        {
            part = descriptor->GetClientPart()->GetVisualPart();
        }
        if (!part)
        {
            return;
        }
    }
    for (unsigned int frame = mFrameCount; frame-- > 0;)
    {
        if (const RCPtr<LLook> look = GetLook(frame))
        {
            look->SetOverrideClientPart(part, false);
        }
    }
    InvalidateAll();
}

// --- Conditions and gestures ---

void LKnob::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChange(param);
    if (!param)
    {
        return;
    }
    const RCPtr<LControl> self(this);
    const DWORD before = param->oldConditions;
    const DWORD now = param->newConditions;
    const DWORD changed = before ^ now;
    if ((changed & kLeftDrag) != 0 && (now & kLeftDrag) != 0)
    {
        // The condition's point is the press, in the parent's coordinates.
        const RectT<double> rect = GetRect();
        const PointT<LONG> point(RoundDoubleToLong(param->point.x - rect.x),
                                 RoundDoubleToLong(param->point.y - rect.y));
        mLastPoint = point;
        mPreviousPoint = point;
        if (mRadial)
        {
            ApplyRadialGesture(point.x, point.y);
        }
        mPendingValue = -1.0;
        Send(kValueChangeCapture, RCPtr<LRefCountedObject>(LHolder<bool>::Create(true).Get()));
    }
    else if ((changed & kLeftDrag) != 0)
    {
        const double pending = mPendingValue;
        mPendingValue = -1.0;
        if (pending >= 0.0 && pending <= 1.0)
        {
            LControl::SetValue(pending);
        }
        Send(kValueChangeCapture, RCPtr<LRefCountedObject>(LHolder<bool>::Create(false).Get()));
    }
    else if ((before & kHasFocus) != 0 && (now & kHasFocus) == 0 && mKeyHeld)
    {
        mKeyHeld = false;
        Send(kValueChangeKeyUp, nullptr);
    }
    if ((changed & kHasFocus) != 0 && mFocusOverlay >= 0)
    {
        LayOverlay(mFocusOverlay, (now & kHasFocus) != 0);
    }
    if ((changed & kEnabled) != 0 && mDisabledOverlay >= 0)
    {
        LayOverlay(mDisabledOverlay, (now & kEnabled) == 0);
    }
}

void LKnob::OnMouseMoveHook(const RCPtr<LPointWithModifiersParam>& param)
{
    LControl::OnMouseMoveHook(param);
    if (!param || (GetConditions() & kLeftDrag) == 0)
    {
        return;
    }
    if (mRadial)
    {
        ApplyRadialGesture(param->point.x, param->point.y);
    }
    else
    {
        ApplyLinearGesture(param->point);
    }
}

int LKnob::ApplyRadialGesture(double x, double y)
{
    const double dx = x - mGestureCentre.x;
    const double dy = y - mGestureCentre.y;
    if (dx == 0.0 && dy == 0.0)
    {
        return 1;
    }
    double radius = 0;
    double theta = 0;
    ToPolar(dx, dy, radius, theta);
    double a = NormalizeAngle((theta + kHalfPi) * kDegreesPerRadian);
    const double s = mStartAngle;
    double e = mEndAngle;
    if (s >= e)
    {
        e += 360.0;
    }
    if (s >= a)
    {
        a += 360.0;
    }
    if (s <= a && a <= e)
    {
        const double t = (a - s) / (e - s);
        if (t >= 0.0 && t <= 1.0)
        {
            LControl::SetValue(t);
        }
        return 0;
    }
    // The dead zone between the end and the start: the nearer end wins.
    const double middle = e + (s + 360.0 - e) * 0.5;
    LControl::SetValue(middle >= a ? 1.0 : 0.0);
    return 0;
}

void LKnob::ApplyLinearGesture(const PointT<LONG>& point)
{
    const bool fine = IsCtrlDown();
    double dx = static_cast<double>(point.x) - mLastPoint.x;
    double dy = static_cast<double>(point.y) - mLastPoint.y;
    const double travelX = static_cast<double>(point.x) - mPreviousPoint.x;
    const double travelY = static_cast<double>(point.y) - mPreviousPoint.y;
    // A diagonal move counts on one axis only.
    const double t = travelX - travelY;
    if (dx > 0 && dy > 0)
    {
        if (t > 0 && dy > dx)
        {
            dy = 0;
        }
        else if (t < 0 && dx > dy)
        {
            dx = 0;
        }
    }
    else if (dx < 0 && dy < 0)
    {
        if (t > 0 && dy > dx)
        {
            dx = 0;
        }
        else if (t < 0 && dx > dy)
        {
            dy = 0;
        }
    }
    const double range = std::max(mLinearFullRange, kSmallestFullRange);
    double step = (dx - dy) / (range - 1);
    if (fine)
    {
        step *= mFineAdjustMultiplier;
    }
    const double v = std::fmin(std::fmax(GetValue() + step, 0.0), 1.0);
    double positions = fine ? range / mFineAdjustMultiplier - 1 : range - 1;
    if (!(positions >= 1.0))
    {
        positions = 1.0;
    }
    LControl::SetValue(std::round(positions * v) / positions);
    mPreviousPoint = mLastPoint;
    mLastPoint = point;
}

// --- Keys and wheel ---

void LKnob::StepValue(double units)
{
    const RCPtr<LControl> self(this);
    SetValue(UserValueToNormalized(*this, NormalizedToUserValue(*this, GetValue()) + units));
}

ORVRESULT LKnob::HandleUnusedKey(const RCPtr<LKeyParam>& param)
{
    if (!param)
    {
        return S_FALSE;
    }
    const RCPtr<LControl> self(this);
    if (IsArrowRelease(param->key))
    {
        mKeyHeld = false;
        Send(kValueChangeKeyUp, RCPtr<LRefCountedObject>(param.Get()));
        return S_OK;
    }
    const int direction = ArrowPressDirection(param->key);
    if (direction == 0)
    {
        return LControl::HandleUnusedKey(param);
    }
    if (!mKeyHeld)
    {
        mKeyHeld = true;
        Send(kValueChangeKeyDown, RCPtr<LRefCountedObject>(param.Get()));
    }
    StepValue(direction);
    return S_OK;
}

ORVRESULT LKnob::OnWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (!param)
    {
        return S_FALSE;
    }
    StepValue(param->amount == kWheelUp ? 1.0 : -1.0);
    return S_OK;
}

ORVRESULT LKnob::OnHWheel(const RCPtr<LMouseWheelParam>& param)
{
    if (!param)
    {
        return S_FALSE;
    }
    StepValue(param->amount == kWheelRight ? 1.0 : -1.0);
    return S_OK;
}
} // namespace Orv
