#include "Controls/Button.h"

#include "ObjectBase/Exception.h"
#include "platform/User32.h"

namespace Orv
{
namespace
{
const wchar_t* const kSimulateClick = L"NID_SIMULATE_CLICK";
const wchar_t* const kAutoRepeat = L"NID_BUTTON_AUTOREPEAT";
// The seconds clock adds up millisecond steps; a countdown within this of 0 has run out.
constexpr double kClockTolerance = 1e-6;
} // namespace

LButton::LButton(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

LButton::LButton(const RCPtr<LControl>& parent, const WString& name)
    : LControl(parent, name)
{
}

LButton::~LButton() = default;

ORVRESULT LButton::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                       const RCPtr<LNotification>& notification)
{
    if (mButtonHandler && IsCreated())
    {
        const ORVRESULT result = mButtonHandler->Dispatch(source, notification);
        if (result != S_OK)
        {
            return result;
        }
    }
    return LControl::ReceiveNotification(source, notification);
}

ORVRESULT LButton::Unregister(const RCPtr<LNotificationDistributor>& source, const wchar_t* name)
{
    if (mButtonHandler)
    {
        mButtonHandler->RemoveHandler(source, name);
    }
    return LControl::Unregister(source, name);
}

ORVRESULT LButton::Initialize()
{
    const ORVRESULT result = LControl::Initialize();
    if (FAILED(result))
    {
        return result;
    }
    mButtonHandler = new LNotificationHandler<LButton>(this);
    ORV_REQUIRE_SUCCESS(mButtonHandler->AddHandler(&LButton::OnSimulateClick, kSimulateClick));
    const RCPtr<LControlDescriptor>& descriptor = GetDescriptor();
    if (descriptor && descriptor->GetCreateParams())
    {
        SetAutoValue(descriptor->GetCreateParamFlag(L"AUTO_VALUE_SET"));
        SetRadio(descriptor->GetCreateParamFlag(L"IS_RADIO"));
    }
    return S_OK;
}

ORVRESULT LButton::SetAutoValue(bool autoValue)
{
    mAutoValue = autoValue;
    return S_OK;
}

ORVRESULT LButton::SetRadio(bool radio)
{
    mRadio = radio;
    return S_OK;
}

bool LButton::SetChecked(bool checked)
{
    return SetValue(checked ? 1.0 : 0.0) >= 0.5;
}

void LButton::OnValueChangeHook()
{
    const RCPtr<LButton> self(this);
    if (mRadio && IsChecked())
    {
        if (const RCPtr<LControl> parent = GetParent())
        {
            ChildControlList& children = parent->GetChildren();
            for (unsigned int i = children.GetCount(); i-- > 0;)
            {
                if (i >= children.GetCount())
                {
                    continue;
                }
                const RCPtr<LControl> child = children.GetAt(i, kInsertionOrder);
                LButton* sibling = dynamic_cast<LButton*>(child.Get());
                if (sibling != nullptr && sibling != this && sibling->mRadio)
                {
                    sibling->SetValue(0.0);
                }
            }
        }
    }
    UpdateLook();
}

void LButton::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChange(param);
    if (!param)
    {
        return;
    }
    const RCPtr<LButton> self(this);
    const DWORD before = param->oldConditions;
    const DWORD now = param->newConditions;
    const auto cameOn = [before, now](DWORD bit)
    { return (before & bit) == 0 && (now & bit) != 0; };
    const auto wentOff = [before, now](DWORD bit)
    { return (before & bit) != 0 && (now & bit) == 0; };
    if (mAutoRepeat && !mRepeating && cameOn(kLeftDown) && IsEnabled(true))
    {
        mRepeating = true;
        mLastRepeatTick = Now();
        mTimeToNextRepeat = mFirstRepeatDelay;
        UpdateIdleRequest();
        SendAutoRepeat();
    }
    if (mRepeating && cameOn(kHoverOrForced))
    {
        // The time off the button does not count.
        mLastRepeatTick = Now();
    }
    if (mRepeating && wentOff(kCapture))
    {
        SetRepeating(false);
    }
    UpdateLook();
}

void LButton::SetRepeating(bool repeating)
{
    if (!repeating)
    {
        mRepeating = false;
        UpdateIdleRequest();
    }
}

ORVRESULT LButton::SetEnabled(bool enabled)
{
    const ORVRESULT result = LControl::SetEnabled(enabled);
    UpdateLook();
    return result;
}

void LButton::OnLeftClickHook(const RCPtr<LMouseButtonParam>& param)
{
    LControl::OnLeftClickHook(param);
    if (!mAutoValue)
    {
        return;
    }
    if (mRadio)
    {
        SetValue(1.0);
    }
    else
    {
        SetValue(IsChecked() ? 0.0 : 1.0);
    }
}

bool LButton::HitTest(const PointT<LONG>& point) const
{
    return !mPassive && LControl::HitTest(point);
}

ORVRESULT LButton::HandleUnusedKey(const RCPtr<LKeyParam>& param)
{
    if (param && param->key.code == KeyCode::FromVirtualKey(VK_RETURN, true, 0).code)
    {
        SimulateClick();
        return S_OK;
    }
    return S_FALSE;
}

void LButton::UpdateLook()
{
    if (mPassive || mSimulatingClick)
    {
        return;
    }
    int look = kLookNormal;
    if (!IsEnabled(true))
    {
        look = kLookDisabled;
    }
    else
    {
        const DWORD conditions = GetConditions();
        const bool captured = (conditions & kCapture) != 0;
        const bool pressed = captured && (conditions & (kLeftDown | kLeftDrag)) != 0;
        const bool hovered = (conditions & kHoverOrForced) != 0;
        if (pressed)
        {
            look = hovered || mKeepPressedLook ? kLookPressed : kLookHover;
        }
        else if (hovered && !captured)
        {
            look = kLookHover;
        }
        if ((conditions & kHasFocus) != 0)
        {
            look += kLookNormalFocused - kLookNormal;
        }
    }
    SetActiveLook(IsChecked() ? look + kCheckedLooks : look);
}

void LButton::SimulateClick()
{
    if (!IsEnabled(true))
    {
        return;
    }
    const RCPtr<LButton> self(this);
    if (mSimulatingClick)
    {
        // The click still running lands now; the press starts again.
        FinishSimulatedClick();
    }
    mSimulatingClick = true;
    SetFocus(true);
    UpdateIdleRequest();
    mSimulatedClickStart = Now();
    SetActiveLook(IsChecked() ? kLookPressed + kCheckedLooks : kLookPressed);
    InvalidateAll();
}

void LButton::OnIdleTick()
{
    LControl::OnIdleTick();
    const RCPtr<LButton> self(this);
    if (mRepeating && (GetConditions() & kHover) != 0 && IsEnabled(true))
    {
        const double now = Now();
        mTimeToNextRepeat -= now - mLastRepeatTick;
        mLastRepeatTick = now;
        if (mTimeToNextRepeat <= kClockTolerance)
        {
            mTimeToNextRepeat = mRepeatInterval;
            SendAutoRepeat();
        }
    }
    if (mSimulatingClick && Now() - mSimulatedClickStart >= mSimulatedClickTime - kClockTolerance)
    {
        mSimulatingClick = false;
        UpdateIdleRequest();
        mSimulatedClickStart = 0;
        UpdateLook();
        FinishSimulatedClick();
    }
}

WString LButton::GetToolTipText() const
{
    const int index = GetActiveLookIndex();
    const RCPtr<LLook> look =
        index >= 0 ? GetLook(static_cast<unsigned int>(index)) : RCPtr<LLook>();
    if (!look)
    {
        return LControl::GetToolTipText();
    }
    const WString& text = GetText();
    if (text.IsEmpty())
    {
        return LControl::GetToolTipText();
    }
    ConstRCPtr<LFont> font;
    if (const RCPtr<LFontText>& part = look->GetTextPart())
    {
        font = part->GetFont();
    }
    if (!font)
    {
        font = GetFont();
    }
    if (!font)
    {
        // Without a font the text cannot be shown whole.
        return text;
    }
    const RCPtr<LFontText> measured(new LFontText());
    measured->SetText(text);
    measured->SetFont(font);
    const LONG area = look->GetTextBoxWidthAt(GetRect().width);
    return measured->MeasureWidestLine() > area ? text : LControl::GetToolTipText();
}

ORVRESULT LButton::OnSimulateClick(const RCPtr<LNotificationDistributor>&,
                                   const RCPtr<LNotification>&)
{
    if (IsEnabled(true))
    {
        SimulateClick();
    }
    return S_OK;
}

double LButton::Now() const
{
    const RCPtr<IRootWindow>& window = GetTreeRootWindow();
    return window ? window->GetElapsedSeconds() : 0;
}

void LButton::SendAutoRepeat()
{
    SendNotification(LNotification::Create(kAutoRepeat, nullptr));
}

void LButton::FinishSimulatedClick()
{
    if (mAutoRepeat)
    {
        SendAutoRepeat();
    }
    const RCPtr<IRootWindow>& window = GetTreeRootWindow();
    const DWORD buttons = window ? window->GetMouseButtons() : 0;
    OnLeftClick(LMouseButtonParam::Create(kLeftButton, PointT<LONG>(0, 0), 0,
                                          (buttons & kLeftButton) != 0, buttons, 0));
}

void LButton::UpdateIdleRequest()
{
    const bool wanted = mRepeating || mSimulatingClick;
    if (wanted && !mHoldsIdle)
    {
        mHoldsIdle = SubscribeIdle() == S_OK;
    }
    else if (!wanted && mHoldsIdle)
    {
        mHoldsIdle = false;
        UnsubscribeIdle();
    }
}
} // namespace Orv
