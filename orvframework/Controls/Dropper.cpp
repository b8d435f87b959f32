#include "Controls/Dropper.h"

namespace Orv
{
LDropper::LDropper(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor)
    : LControl(parent, descriptor)
{
}

void LDropper::OnDragEnd()
{
    const RCPtr<LControl> self(this);
    LControl::OnDragEnd();
    if (const RCPtr<LControl> parent = GetParent())
    {
        parent->RemoveChildControl(self);
    }
}

void LDropper::OnConditionsChange(const RCPtr<LConditionsParam>& param)
{
    LControl::OnConditionsChange(param);
    if (param && (param->oldConditions & kLeftDown) == 0 && (param->newConditions & kLeftDown) != 0)
    {
        SetDragMode(kDragMove, kDragAxisX | kDragAxisY);
        SetIndex(0);
    }
}

void LDropper::OnCreated()
{
    SetNotFocusable(true);
    SetVisible(true);
}
} // namespace Orv
