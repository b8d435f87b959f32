// The static text (or image) control: the window's information labels, the progress bar's
// percentage and time texts, a scroll view's corner, a menu row's hot-key text. It draws its looks
// and text through LControl and adds two behaviours: it never takes the keyboard focus, and when
// its text does not fit its text area its tool tip shows the whole text.
//
// UI thread only.
#pragma once

#include "ControlBase/Control.h"

namespace Orv
{
class LLabel : public LControl
{
public:
    LLabel(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);

    // Not focusable, whatever the skin's tab stop says.
    void OnCreated() override;
    // The label's own text when it is cut off (wider than the active look's text area), else
    // the base's tool-tip text.
    WString GetToolTipText() const override;
};
} // namespace Orv
