// The floating piece of a drag-and-drop gesture ("Framework.Dropper"): a small control that the
// user drags freely with the left button and that takes itself away when the drag ends. It is
// created visible and never takes the keyboard focus; a press of the left button starts a free
// drag on both axes, and at the end of the drag the dropper leaves its parent (the removal
// finishes at the next idle pass).
//
// UI thread only.
#pragma once

#include "ControlBase/Control.h"

namespace Orv
{
class LDropper : public LControl
{
public:
    LDropper(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);

    // The base's end of the drag, then the dropper leaves its parent.
    void OnDragEnd() override;
    // The left button going down starts a free drag on both axes.
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    // Not focusable, and shown.
    void OnCreated() override;
};
} // namespace Orv
