// The plain container ("Framework.Panel", and as "Framework.ScrollChannel",
// "Framework.ComboSlider.DropDownPanel" and "Framework.CenteredSliderBounds"): a scroll view
// that takes the keys its parent offers its children ("NID_SIBLING_KEY") and keeps the Tab walk
// inside itself until its last child, then hands it on to its parent. A key that no panel on
// the way up takes reaches the hot keys of the window and the application, once, from the
// top-most panel.
//
// Also the base of the slider, the tab control, the numeric up-down and the multi-column list
// box. UI thread only.
#pragma once

#include "Controls/ScrollView.h"

namespace Orv
{
class LPanel : public LScrollView
{
public:
    LPanel(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LPanel(const RCPtr<LControl>& parent, const WString& name);
    ~LPanel() override;

    // The panel's handler table first (once created), then the scroll view's chain.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // The scroll view's; a panel with a parent then subscribes the parent's "NID_SIBLING_KEY".
    // A failed subscription throws the "Failed Result" exception.
    ORVRESULT Initialize() override;

    // The control's search, except that a panel with a parent does not wrap: past its last
    // (first) child the result is null and the walk goes on in the parent.
    RCPtr<LControl> FindNextFocusable(const RCPtr<LControl>& start, bool backward) override;
    // The panel's children first; a key they leave goes to the parent's route, and from the
    // top-most panel to the hot keys. S_OK when something took it, else S_FALSE.
    ORVRESULT RouteSiblingKey(const RCPtr<LKeyParam>& param) override;
    // Tab (Shift: backward) from the last visited child to the next child that takes the focus;
    // past the last one, or with Ctrl, the walk continues in the parent. S_OK when the focus
    // was placed or handed on, S_FALSE when nothing took it; E_INVALIDARG for null.
    ORVRESULT MoveFocusByTab(const RCPtr<LKeyParam>& param) override;

private:
    // The parent's offer of a key: the panel's children get it; the sibling parameter's index
    // becomes 0 when one of them took it. 1.
    ORVRESULT OnParentSiblingKey(const RCPtr<LNotificationDistributor>& source,
                                 const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LPanel>> mPanelHandler;
};
} // namespace Orv
