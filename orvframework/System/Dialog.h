// A root control that is a dialog: closing it asks its listeners first ("NID_DIALOG_CLOSING" with
// an LCancelArgs any of them may set), then ends its window with the result and tells them
// ("NID_DIALOG_CLOSED").
#pragma once

#include "ControlBase/Control.h"

namespace Orv
{
class LDialog : public LControl
{
public:
    // The result of a dialog closed by its window (the close box).
    static constexpr int kCancel = 2;

    LDialog(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);

    // Stores result; unless a receiver of "NID_DIALOG_CLOSING" cancels, asks the root window to
    // close with it, sends "NID_DIALOG_CLOSED" and calls OnClosed. S_OK when the dialog closes,
    // S_FALSE when it was cancelled, E_FAIL when the dialog has no root window to close.
    virtual ORVRESULT Close(int result);
    int GetResult() const { return mResult; }

protected:
    // After the dialog closed; nothing in the base.
    virtual void OnClosed() {}

private:
    int mResult = 0;
};
} // namespace Orv
