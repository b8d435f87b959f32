#include "Controls/ComboSlider.h"

#include "ControlBase/ControlNotificationNames.h"
#include "Controls/ComboBox.h"
#include "Controls/NotificationChain.h"
#include "Controls/Panel.h"
#include "Controls/Slider.h"
#include "notification/Notification.h"
#include "notification/ValueParam.h"
#include "platform/User32.h"

#include <cstdio>

namespace Orv
{
namespace
{
const wchar_t kPanelName[] = L"dropDownPanel";
const wchar_t kSliderName[] = L"slider";

bool IsPlainKey(const RCPtr<LKeyParam>& param, int virtualKey)
{
    return param && param->key.code == KeyCode::FromVirtualKey(virtualKey, true, 0).code;
}
} // namespace

LComboSlider::LComboSlider(const RCPtr<LControl>& parent,
                           const RCPtr<LControlDescriptor>& descriptor)
    : LDropDownControl(parent, descriptor)
{
}

LComboSlider::~LComboSlider() = default;

ORVRESULT LComboSlider::ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                            const RCPtr<LNotification>& notification)
{
    return ReceiveThroughChain<LDropDownControl>(*this, mHandler, source, notification);
}

ORVRESULT LComboSlider::Unregister(const RCPtr<LNotificationDistributor>& source,
                                   const wchar_t* name)
{
    return UnregisterThroughChain<LDropDownControl>(*this, mHandler, source, name);
}

RCPtr<LSlider> LComboSlider::GetSlider() const
{
    return mPanel ? DynamicCast<LSlider>(mPanel->FindChildControl(WString(kSliderName)))
                  : RCPtr<LSlider>();
}

ORVRESULT LComboSlider::Initialize()
{
    if (FAILED(LDropDownControl::Initialize()))
    {
        return E_FAIL;
    }
    mPanel = DynamicCast<LPanel>(FindChildControl(WString(kPanelName)));
    if (!mPanel)
    {
        return S_OK;
    }
    mPanel->SetVisible(false);
    const RCPtr<LControlDescriptor>& descriptor = mPanel->GetDescriptor();
    if (descriptor && descriptor->GetLayout())
    {
        AxisPlacement placement;
        descriptor->GetLayout()->GetAxisPlacement(LLayoutDescriptor::kAxisX, placement);
        mPanelX = placement.position.abs;
    }
    mHandler = new LNotificationHandler<LComboSlider>(this);
    const RCPtr<LSlider> slider = GetSlider();
    if (slider)
    {
        mHandler->SubscribeHandler(&LComboSlider::OnSliderValueChange,
                                   RCPtr<LNotificationDistributor>(slider.Get()),
                                   ControlNotificationNames::Get().valueChange);
        slider->SetSendValueAtDragEnd(true);
    }
    return S_OK;
}

double LComboSlider::SetValue(double value)
{
    const RCPtr<LSlider> slider = GetSlider();
    if (slider)
    {
        slider->SetValue(value);
    }
    return LDropDownControl::SetValue(value);
}

void LComboSlider::OnValueChangeHook()
{
    const RCPtr<LSlider> slider = GetSlider();
    if (slider)
    {
        slider->SetValue(GetValue());
    }
    wchar_t text[64];
    std::swprintf(text, sizeof(text) / sizeof(text[0]), L"%0.0f", GetMappedValue());
    SetText(WString(text));
}

ORVRESULT LComboSlider::OnSliderValueChange(const RCPtr<LNotificationDistributor>&,
                                            const RCPtr<LNotification>&)
{
    const RCPtr<LComboSlider> self(this);
    const RCPtr<LSlider> slider = GetSlider();
    if (!slider)
    {
        return 1;
    }
    if (slider->GetValue() != GetValue())
    {
        LDropDownControl::SetValue(slider->GetValue());
    }
    else
    {
        // An echo or the end of a drag: the value once more, in both forms.
        SendNotification(LNotification::Create(
            ControlNotificationNames::Get().valueChange,
            RCPtr<LRefCountedObject>(LValueParam::Create(GetValue(), GetMappedValue()).Get())));
    }
    return 1;
}

bool LComboSlider::IsDropDownShown()
{
    if (!mPanel || !mPanel->GetLayout() || !mPanel->GetLayout()->visible)
    {
        return false;
    }
    const RectT<double> rect = mPanel->GetRect();
    return rect.width > 0 && rect.height > 0;
}

ORVRESULT LComboSlider::ShowDropDown(bool show)
{
    const RCPtr<LComboSlider> self(this);
    if (!mPanel)
    {
        return E_FAIL;
    }
    if (show)
    {
        PlaceDropDownPart(*mPanel, mPanelX);
    }
    mPanel->SetVisible(show);
    UpdateLook();
    return S_OK;
}

void LComboSlider::UpdateLook()
{
    int look = LComboBox::kLookNormal;
    const DWORD conditions = GetConditions();
    const bool hover = (conditions & kHover) != 0;
    const bool focus = (conditions & (kHasFocus | kContainsFocus)) != 0;
    if (!IsEnabled(true))
    {
        look = LComboBox::kLookDisabled;
    }
    else if (IsDropDownShown())
    {
        look = hover ? LComboBox::kLookOpenHover : LComboBox::kLookOpen;
    }
    else if (hover)
    {
        look = focus ? LComboBox::kLookHoverFocused : LComboBox::kLookHover;
    }
    else
    {
        look = focus ? LComboBox::kLookFocused : LComboBox::kLookNormal;
    }
    SetActiveLook(look);
}

void LComboSlider::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    const RCPtr<LComboSlider> self(this);
    LDropDownControl::OnConditionsChange(param);
    UpdateLook();
}

ORVRESULT LComboSlider::HandleUnusedKey(const RCPtr<LKeyParam>& param)
{
    if (!IsDropDownShown())
    {
        if (IsPlainKey(param, VK_DOWN) || IsPlainKey(param, VK_RETURN))
        {
            ShowDropDown(true);
            return S_OK;
        }
    }
    else if (IsPlainKey(param, VK_ESCAPE))
    {
        ShowDropDown(false);
        return S_OK;
    }
    return S_FALSE;
}

ORVRESULT LComboSlider::RouteSiblingKey(const RCPtr<LKeyParam>& param)
{
    if (IsPlainKey(param, VK_ESCAPE))
    {
        ShowDropDown(false);
        return S_OK;
    }
    return S_FALSE;
}
} // namespace Orv
