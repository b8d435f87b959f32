// A control's value with its range, and the create parameters every control reads.
#include "ControlBase/Control.h"

#include "ControlBase/ControlNotificationNames.h"
#include "notification/ValueParam.h"

#include <cmath>
#include <cwchar>

namespace Orv
{
double LControl::SetValue(double value)
{
    // Not a number would pass both bounds and stick; it counts as 0.
    if (std::isnan(value) || value < 0.0)
    {
        value = 0.0;
    }
    else if (value > 1.0)
    {
        value = 1.0;
    }
    if (value == mValue)
    {
        return mValue;
    }
    const RCPtr<LControl> self(this);
    mValue = value;
    OnValueChangeHook();
    const RCPtr<LValueParam> param = LValueParam::Create(mValue, GetMappedValue());
    SendNamed(ControlNotificationNames::Get().valueChange, RCPtr<LRefCountedObject>(param.Get()));
    return mValue;
}

ORVRESULT LControl::SetValueRange(double minimum, double maximum, int scale)
{
    const bool linear = scale == kLinearScale;
    const bool logarithmic = scale == kLogarithmicScale && minimum > 0 && maximum > 0;
    if (!linear && !logarithmic)
    {
        return E_INVALIDARG;
    }
    mMinimum = minimum;
    mMaximum = maximum;
    mScale = scale;
    return S_OK;
}

void LControl::OnValueChangeHook() {}

double LControl::GetMappedValue() const
{
    if (mScale == kLogarithmicScale)
    {
        return mMinimum * std::pow(mMaximum / mMinimum, mValue);
    }
    return mMinimum + (mMaximum - mMinimum) * mValue;
}

ORVRESULT LControl::ReadCreateParams()
{
    const RCPtr<LStringTable> params = mDescriptor ? mDescriptor->GetCreateParams() : nullptr;
    const bool negativeTabStop = mLayout && mLayout->tabStop < 0;
    if (!params)
    {
        SetNotFocusable(negativeTabStop);
        return S_OK;
    }
    WString text;
    if (params->Lookup(L"INITIAL_VALUE", text))
    {
        SetValue(std::wcstod(text.GetBuffer(), nullptr));
    }
    if (params->Lookup(L"NOT_FOCUSABLE", text))
    {
        SetNotFocusable(mDescriptor->GetCreateParamFlag(L"NOT_FOCUSABLE"));
    }
    else
    {
        SetNotFocusable(negativeTabStop);
    }
    if (params->Lookup(L"USE_PARENT_TOOLTIP", text))
    {
        mUseParentToolTip = mDescriptor->GetCreateParamFlag(L"USE_PARENT_TOOLTIP");
    }
    if (params->Lookup(L"WANTS_TAB", text))
    {
        mWantsTab = mDescriptor->GetCreateParamFlag(L"WANTS_TAB");
    }
    return S_OK;
}
} // namespace Orv
