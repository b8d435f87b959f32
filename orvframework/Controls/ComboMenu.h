// One entry of a menu bar ("File"): a drop-down control whose drop-down part is its child
// "popupMenu", a popup menu. A press opens the popup below the entry (shifted left when it would
// pass the window's right edge); a press on the open entry, the loss of the focus or a chosen item
// closes it. While one entry of a bar is open, pointing at another entry of the same bar switches
// to that entry's menu.
//
// Looks (the only active look): 0 normal, 1 hovered, 2 open, 3 disabled.
//
// The popup is required: without a child "popupMenu" of the popup-menu class Initialize and
// ShowDropDown answer E_FAIL. UI thread only.
#pragma once

#include "Controls/DropDownControl.h"

namespace Orv
{
class LPopupMenu;

class LComboMenu : public LDropDownControl
{
public:
    enum Look
    {
        kLookNormal = 0,
        kLookHover = 1,
        kLookOpen = 2,
        kLookDisabled = 3,
    };

    LComboMenu(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LComboMenu() override;

    // The look, switching to this entry when another entry of the bar is open, the press point,
    // then the drop-down protocol.
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    // The drop-down's, then the subscriptions to the popup, which leaves its closing to the
    // entry. E_FAIL when the drop-down's failed or there is no popup.
    ORVRESULT Initialize() override;
    // Notes the popup's horizontal position from the skin.
    void OnCreated() override;
    // The popup is visible with a positive size.
    bool IsDropDownShown() override;
    // Opens (placed, focused, look 2, a held press passed on) or closes the popup. S_OK; E_FAIL
    // without a popup.
    ORVRESULT ShowDropDown(bool show) override;

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // The child "popupMenu"; null when there is none of the popup-menu class.
    RCPtr<LPopupMenu> GetPopupMenu() const;

private:
    // Look 2 when open, else 1 when hovered, else 0 (a disabled entry keeps look 3).
    void ShowStateLook();
    // The popup hides once an item was chosen. Returns 1.
    ORVRESULT OnItemActivated(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    // The popup's visibility changed. Returns 0.
    ORVRESULT OnPopupVisibility(const RCPtr<LNotificationDistributor>& source,
                                const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LComboMenu>> mHandler;
    double mPopupX = 0;
    PointT<double> mPressPoint;
};
} // namespace Orv
