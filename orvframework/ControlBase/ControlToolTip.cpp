// The control's tool tip: its text, the tool-tip child that shows it, and whether the control's
// text is cut off (a control may then show its text as its tool tip).
#include "ControlBase/Control.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/ToolTipInterface.h"

#include <algorithm>

namespace Orv
{
namespace
{
const wchar_t kToolTipName[] = L"toolTip";
// Text widths are compared as floats, the text area's width kept within their exact integers.
constexpr double kTextAreaWidthLimit = 8388608.0;
} // namespace

WString LControl::GetToolTipText() const
{
    // A part of a larger control shows the tool tip of the whole.
    if (mUseParentToolTip && mParent)
    {
        return mParent->GetToolTipText();
    }
    return mToolTipText;
}

ORVRESULT LControl::ShowToolTip(bool show)
{
    RCPtr<LControl> tip = FindChildControl(WString(kToolTipName));
    if (!show)
    {
        if (auto* toolTip = dynamic_cast<IToolTip*>(tip.Get()))
        {
            toolTip->Hide();
        }
        return S_OK;
    }
    const WString text = GetToolTipText();
    if (text.IsEmpty())
    {
        return S_OK;
    }
    const RCPtr<LControl> self(this);
    if (!tip)
    {
        // Made once, used again for every later show.
        const RCPtr<LControlFactory>& factory = GetControlFactory();
        if (!factory)
        {
            return E_FAIL;
        }
        const RCPtr<LControlDescriptor> descriptor =
            factory->FindControlDescriptor(WString(kToolTipName));
        if (!descriptor || FAILED(factory->CreateControl(tip, descriptor, self)))
        {
            return E_FAIL;
        }
    }
    auto* toolTip = dynamic_cast<IToolTip*>(tip.Get());
    if (toolTip == nullptr)
    {
        return E_FAIL;
    }
    tip->SetText(text);
    toolTip->BeginShow();
    return S_OK;
}

bool LControl::MeasureTextWidth() const
{
    const int active = GetActiveLookIndex();
    if (active < 0)
    {
        return false;
    }
    const RCPtr<LLook>& look = GetLook(static_cast<unsigned int>(active));
    const RCPtr<LFontText>& text = look ? look->GetTextPart() : nullptr;
    if (!text)
    {
        return !mText.IsEmpty();
    }
    const double area = std::clamp(static_cast<double>(look->GetTextBoxWidthAt(mWidth)),
                                   -kTextAreaWidthLimit, kTextAreaWidthLimit);
    const float textWidth =
        text->GetLineCount() > 0 ? text->GetLineRects().GetConstElementPointer(0).width : 0.0f;
    return textWidth > static_cast<float>(area);
}
} // namespace Orv
