// The base of the controls that open a drop-down part when they are pressed (the combo menu, the
// combo boxes, the combo slider). It owns the open and close protocol; what the drop-down part
// is, where it goes and how it shows are the subclass's (IsDropDownShown, ShowDropDown).
//
// - A left press on the control opens the drop-down.
// - A press on the control while it is open closes it, and the same press does not open it again:
//   the press first gives the control the focus, which closes the drop-down and marks
//   closedByFocus; the control's own "NID_MOUSE_DOWN" then marks pendingClose; the left-button
//   condition that follows clears the mark instead of opening.
// - Losing the focus closes it.
//
// The class is abstract and registers no type name of its own. UI thread only.
#pragma once

#include "ControlBase/Control.h"
#include "notification/NotificationHandler.h"

namespace Orv
{
class LDropDownControl : public LControl
{
public:
    LDropDownControl(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LDropDownControl() override;

    // The base's focus; a drop-down open at that moment is closed and closedByFocus set, else
    // closedByFocus cleared. The base's result.
    ORVRESULT SetFocus(bool forward) override;
    // The left button going down opens the drop-down unless a close is pending (the mark is then
    // cleared).
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    // The base's, then the handler table and the subscription to the control's own
    // "NID_MOUSE_DOWN". The base's result.
    ORVRESULT Initialize() override;
    // Closes the drop-down, then the base's.
    bool OnKillFocus() override;
    // The class's handler table, then LControl's.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // Whether the drop-down part is visible.
    virtual bool IsDropDownShown() = 0;
    // Shows or hides the drop-down part.
    virtual ORVRESULT ShowDropDown(bool show) = 0;

    bool IsClosedByFocus() const { return mClosedByFocus; }
    bool IsClosePending() const { return mPendingClose; }

protected:
    // Places the drop-down part at the skin's x (skinX, in this control's coordinates), shifted
    // left so as not to pass the right edge of the window's top-level control (never left of
    // its left edge); computed afresh each time. Nothing for a part without a layout.
    void PlaceDropDownPart(LControl& part, double skinX);

private:
    // The control's own "NID_MOUSE_DOWN": a press that came while the drop-down was being closed
    // by the focus must not open it again. Returns 0.
    ORVRESULT OnMouseDownNotification(const RCPtr<LNotificationDistributor>& source,
                                      const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LDropDownControl>> mHandler;
    bool mClosedByFocus = false;
    bool mPendingClose = false;
};
} // namespace Orv
