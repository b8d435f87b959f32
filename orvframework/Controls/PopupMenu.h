// A popup menu ("Framework.PopupMenu"): one level of a menu descriptor tree shown as a vertical
// list of rows, with the next level opened as a child popup "submenu" (a cascade). It serves
// the context menu of any control (ShowMenu, then PlaceInRoot), the combo menus of a menu bar
// (which place and close it themselves) and its own sub-menus.
//
// Each item is one row of the checked list box it is built on; a row control is made from the
// skin's "templateItem" (an LMenuListBoxItem with the children "checkBox" and "hotKeyLabel").
// A chosen item sends "NID_ITEM_ACTIVATED" from the popup's own distributor, then hands a
// notification named by the item's notification name, with an LMenuActivationParam (the shown
// menu, the item's index), to the notification target: the queue a menu bar gives
// (SetNotificationTarget), else the nearest ancestor that is not a popup menu.
//
// Moving onto a sub-menu row with the mouse opens its sub-menu once more than 250 ms of the
// application clock have passed; moving onto a plain row closes an open sub-menu after the same
// delay. Keys: Up, Down, Page Up, Page Down, Home, End move, Enter chooses, Right opens a
// sub-menu, Left closes this sub-menu, Escape closes the chain. A press held and dragged moves
// to whatever popup of the same chain lies under the pointer.
//
// UI thread only; the idle tick is subscribed only while the sub-menu timer runs.
#pragma once

#include "ControlBase/MenuItemDescriptor.h"
#include "ControlBase/PopupMenuInterface.h"
#include "Controls/CheckedListBox.h"
#include "notification/NotificationQueue.h"

namespace Orv
{
class LMenuListBoxItem;

class LPopupMenu : public LCheckedListBox, public IPopupMenu
{
public:
    // The delay before a sub-menu opens or closes, on the application clock.
    static constexpr DWORD kSubMenuDelayMs = 250;
    // The space between the check box and the hot-key text of a row.
    static constexpr int kHotKeyGap = 20;
    // Looks of a row's check box.
    static constexpr int kCheckLookOff = 0;
    static constexpr int kCheckLookOn = 7;
    static constexpr int kCheckLookOnHover = 8;

    LPopupMenu(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LPopupMenu() override;

    // "NID_ITEM_ACTIVATED", interned.
    static const wchar_t* ItemActivatedName();

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // --- The menu ---

    // Shows a clone of menu as the rows (open sub-menus close, hot-key texts filled in).
    // E_INVALIDARG for null; else the rebuild's result. Neither shows nor places the popup.
    ORVRESULT ShowMenu(const ConstRCPtr<LMenuDescriptor>& menu) override;
    // The menu shown (the clone); null before ShowMenu.
    const RCPtr<LMenuDescriptor>& GetMenu() const { return mMenu; }
    // Chosen items are handed to the queue's posting receiver. E_INVALIDARG for null; E_FAIL
    // when a target is set already.
    ORVRESULT SetNotificationTarget(const RCPtr<LNotificationQueue>& queue);
    // The target set, else the default target: the nearest ancestor that is not a popup menu.
    RCPtr<LNotificationReceiver> GetNotificationTarget() const;
    // The updater that brings items up to date before the popup shows.
    void SetMenuItemUpdater(const RCPtr<LMenuItemUpdater>& updater) { mItemUpdater = updater; }
    const RCPtr<LMenuItemUpdater>& GetItemUpdater() const { return mItemUpdater; }
    // False: the owner (a combo menu) hides the popup; the popup never closes itself.
    void SetClosesItself(bool closes) { mClosesItself = closes; }
    bool ClosesItself() const { return mClosesItself; }

    // --- Sub-menus and closing ---

    // Opens the sub-menu of item index as the child "submenu", beside the item's row.
    // E_INVALIDARG when the item has no sub-menu; E_FAIL when it could not be made.
    ORVRESULT OpenSubMenu(int index);
    // Closes the open sub-menu, its own sub-menus first, and stops the timer.
    void CloseSubMenus();
    // Closes the whole chain from its first popup, which leaves its parent.
    void Close();
    // The open sub-menu; null when none is.
    const RCPtr<LPopupMenu>& GetOpenSubMenu() const { return mSubMenu; }
    // Loads the rows from item index of the parent popup's menu (used by a sub-menu on itself).
    // E_INVALIDARG unless the parent is a popup and the item has a sub-menu.
    ORVRESULT LoadFromParentItem(int index);
    // Whether popup is this one, an open sub-menu of it at any depth, or one of its parent
    // popups.
    bool IsInMenuChain(const RCPtr<LPopupMenu>& popup) const;
    // Whether the sub-menu timer runs.
    bool IsSubMenuTimerRunning() const { return mTimerRunning; }

    // --- Item states ---

    // Takes the enabled, checked and label fields of info for item index. E_INVALIDARG past
    // the rows; S_OK.
    ORVRESULT UpdateItemState(int index, const MenuItemInfo& info);
    // Has the item updater's control bring every plain item up to date.
    void RefreshItemStates();

    // --- Placement ---

    // Places the popup at the pointer inside the root window, shows it and gives it the focus.
    void PlaceInRoot() override;

    // --- Control and list operations ---

    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    ORVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;
    void OnMouseMoveHook(const RCPtr<LPointWithModifiersParam>& param) override;
    ORVRESULT HandleUnusedKey(const RCPtr<LKeyParam>& param) override;
    void OnIdleTick() override;
    ORVRESULT Initialize() override;
    void OnCreated() override;
    void OnSelectionChanging() override;
    // Chooses item index (a click or Enter): opens its sub-menu, or activates it.
    void ActivateItem(int index) override;
    ORVRESULT CreateItemControl() override;
    ORVRESULT UpdateItemControl(int index, int* row) override;
    int GetContentHeight() const override;
    bool CanSelectItem(int index) const override;
    int GetItemWidth(int index) const override;

    // The item of a row; null out of range.
    RCPtr<LMenuItemDescriptor> GetMenuItem(int index) const;

private:
    // Re-reads the size limits from the layout where a minimum or maximum is 0.
    void ApplySizeLimits();
    // Rows for the menu's items; the widest row sets the width.
    ORVRESULT RebuildRows();
    // The hot-key texts of the items without one, from the keys bound to their notifications.
    ORVRESULT FillHotKeyTexts();
    void FillHotKeyTexts(const RCPtr<LMenuDescriptor>& menu, const RCPtr<LControl>& control,
                         const RCPtr<IRootWindow>& window, bool windowKeys);
    // Sends and posts the chosen item's notifications.
    void ActivateItemAt(int index);
    void StartTimer();
    void StopTimer();
    // The parent as a popup; null for the first popup of a chain.
    RCPtr<LPopupMenu> GetParentPopup() const;
    // The nearest ancestor that is not a popup menu.
    RCPtr<LControl> GetDefaultTargetControl() const;
    // A row control's hover changed: the item's status text goes to the status bar.
    ORVRESULT OnRowHoverChange(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);
    // Selects the first row of the open sub-menu.
    void SelectFirstRowOfSubMenu();
    DWORD Now() const;

    RCPtr<LNotificationHandler<LPopupMenu>> mHandler;
    RCPtr<LMenuDescriptor> mMenu;
    RCPtr<LPopupMenu> mSubMenu;
    RCPtr<LMenuItemDescriptor> mSubMenuItem;
    RCPtr<LNotificationReceiver> mTarget;
    bool mTargetIsRootQueue = false;
    RCPtr<LMenuItemUpdater> mItemUpdater;
    bool mTimerRunning = false;
    DWORD mTimerStart = 0;
    bool mClosesItself = true;
    bool mClosing = false;
    int mSeparatorHeight = 0;
    int mSeparatorCount = 0;
    int mHotKeyColumn = -1;
    int mWidestRow = 0;
};
} // namespace Orv
