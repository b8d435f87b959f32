#include "Controls/Label.h"

namespace Orv
{
LLabel::LLabel(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

void LLabel::OnCreated()
{
    SetNotFocusable(true);
}

WString LLabel::GetToolTipText() const
{
    if (MeasureTextWidth())
    {
        return GetText();
    }
    return LControl::GetToolTipText();
}
} // namespace Orv
