#include "Controls/FileDropper.h"

namespace Orv
{
LFileDropper::LFileDropper(const RCPtr<LControl>& parent,
                           const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

void LFileDropper::OnDragEnd()
{
    const RCPtr<LControl> self(this);
    LControl::OnDragEnd();
    if (const RCPtr<LControl> parent = GetParent())
    {
        parent->RemoveChildControl(self);
    }
}

void LFileDropper::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChange(param);
    if (param && (param->oldConditions & kLeftDown) == 0 && (param->newConditions & kLeftDown) != 0)
    {
        SetDragMode(kDragMove, kDragAxisX | kDragAxisY);
        SetIndex(0);
    }
}

void LFileDropper::OnCreated()
{
    SetNotFocusable(true);
    SetVisible(true);
}
} // namespace Orv
