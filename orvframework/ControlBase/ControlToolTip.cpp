// The control's tool tip: its text, whether its own text is cut off, and the tool-tip child
// that shows it.
#include "ControlBase/Control.h"
#include "ControlBase/ControlFactory.h"
#include "ControlBase/ToolTipInterface.h"

namespace Orv
{
namespace
{
const wchar_t kToolTipName[] = L"toolTip";
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

bool LControl::MeasureTextWidth() const
{
    const int active = GetActiveLookIndex();
    if (active < 0)
    {
        return false;
    }
    const RCPtr<LLook>& look = GetLook(static_cast<unsigned int>(active));
    if (!look || !look->GetTextPart())
    {
        return false;
    }
    const RCPtr<LFontText>& text = look->GetTextPart();
    if (text->GetText().IsEmpty())
    {
        return false;
    }
    return text->MeasureWidestLine() > text->GetBoxWidth();
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
} // namespace Orv
