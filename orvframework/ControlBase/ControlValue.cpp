// The control's value: a fraction between 0 and 1 mapped onto a linear or logarithmic range;
// and the renaming of children.
#include "ControlBase/Control.h"
#include "ControlBase/ControlNotificationNames.h"
#include "notification/ValueParam.h"

#include <cmath>

namespace Orv
{
double LControl::SetValue(double value)
{
    // A value that is not a number has no place in the range: it is refused.
    if (std::isnan(value))
    {
        return mValue;
    }
    const double clamped = value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
    if (clamped == mValue)
    {
        return mValue;
    }
    const RCPtr<LControl> self(this);
    mValue = clamped;
    OnValueChangeHook();
    SendNamed(ControlNotificationNames::Get().valueChange,
              RCPtr<LRefCountedObject>(LValueParam::Create(mValue, GetMappedValue()).Get()));
    return mValue;
}

ORVRESULT LControl::SetValueRange(double minimum, double maximum, int scale)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum))
    {
        return E_INVALIDARG;
    }
    if (scale != kLinearScale && (scale != kLogarithmicScale || minimum <= 0.0 || maximum <= 0.0))
    {
        return E_INVALIDARG;
    }
    mMinimum = minimum;
    mMaximum = maximum;
    mScale = scale;
    return S_OK;
}

double LControl::GetMappedValue() const
{
    if (mScale == kLogarithmicScale)
    {
        return mMinimum * std::pow(mMaximum / mMinimum, mValue);
    }
    return mMinimum + (mMaximum - mMinimum) * mValue;
}

void LControl::OnValueChangeHook() {}

ORVRESULT LControl::SetChildControlName(const RCPtr<LControl>& child, const WString& name)
{
    if (!child)
    {
        return E_INVALIDARG;
    }
    if (child->mName == name)
    {
        return S_FALSE;
    }
    int position = -1;
    for (unsigned int i = mChildren.GetCount(); i-- > 0;)
    {
        const RCPtr<LControl>& other = mChildren.children.GetConstElementPointer(i);
        if (other.Get() == child.Get())
        {
            position = static_cast<int>(i);
        }
        else if (other->mName == name)
        {
            return E_FAIL;
        }
    }
    if (position < 0)
    {
        return E_INVALIDARG;
    }
    const WString old = child->mName;
    mChildren.byName.erase(std::wstring(old.GetBuffer()));
    mChildren.byName.emplace(std::wstring(name.GetBuffer()), child.Get());
    child->mName = name;
    // The later siblings' layouts refer to the child by its new name.
    for (unsigned int i = static_cast<unsigned int>(position) + 1; i < mChildren.GetCount(); ++i)
    {
        const RCPtr<LLayoutDescriptor>& layout =
            mChildren.children.GetConstElementPointer(i)->mLayout;
        if (!layout)
        {
            continue;
        }
        for (LLayoutDescriptor::Axis& axis : layout->axes)
        {
            for (LayoutSpec* spec : {&axis.position, &axis.size})
            {
                if (spec->reference == old)
                {
                    spec->reference = name;
                }
            }
        }
    }
    return S_OK;
}
} // namespace Orv
