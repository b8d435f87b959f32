// The list box whose items carry a check state and an icon ("Framework.CheckedListBox",
// "Framework.ListBoxWithIcons"). Each row (LCheckedListBoxItem) shows its item's check state, or
// its icon, on its "checkBox" button. The list keeps CheckedItemRecords in place of the list
// box's records, counts the checked items and reports the check boxes' changes or clicks.
//
// A checked list box whose skin gives it four looks or more takes the images of its look 3's
// parts as shared icons: item i shows icon i modulo their number, and the check boxes ignore the
// mouse (they only hold the icons).
//
// Notifications, sent synchronously from the list's distributor, besides the list box's:
// "NID_ITEM_CHECK_CHANGE" when a check box changed its value (the default mode), or
// "NID_ITEM_CHECKBOX_CLICKED" when one was clicked (SetCheckNotifyMode(false)); both carry an
// LIndexedDataWithValueParam (no data, the item's index, the check box's value).
//
// The checked count is the number of checked records at all times: it changes only when a
// record's check really changes, and a removed checked item leaves it.
//
// It is the base of the popup menu and of the tree view. UI thread only.
#pragma once

#include "Controls/CheckedListBoxItem.h"
#include "Controls/IndexedDataParam.h"
#include "Controls/ListBox.h"

#include <vector>

namespace Orv
{
class LCheckedListBox : public LListBox
{
public:
    // The look whose parts are the shared icons.
    static constexpr int kIconLook = 3;

    LCheckedListBox(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LCheckedListBox(const RCPtr<LControl>& parent, const WString& name);
    ~LCheckedListBox() override;

    // "NID_ITEM_CHECK_CHANGE" and "NID_ITEM_CHECKBOX_CLICKED", interned.
    static const wchar_t* ItemCheckChangeName();
    static const wchar_t* ItemCheckBoxClickedName();

    // The list's handler table first (once created), then the list box's chain.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // The list box's, then the handler; a checked list box itself (not a class built on it)
    // with four looks or more takes its icons from look 3 and has its check boxes ignore the
    // mouse. The list box's result.
    ORVRESULT Initialize() override;

    // The record store, over the checked records.
    int GetItemCount() const override;
    ORVRESULT SwapItems(int first, int second) override;
    ItemRecord* GetItemRecordAt(int index) override;
    ORVRESULT InsertItemRecord(int index) override;
    // A checked record leaves the checked count with it.
    ORVRESULT RemoveItemRecord(int index) override;
    // The list box's, then RecountChecked.
    ORVRESULT SetItemCount(int n) override;
    // The list box's row, then its check box's mouse option, the follow-look setting and the
    // subscription the notify mode picks.
    ORVRESULT CreateItemControl() override;
    // The list box's refill, then the row's check box: its value from the check (without the
    // list hearing it), its image from the item's icon, hidden on a row past the last item.
    ORVRESULT UpdateItemControl(int index, int* row) override;

    // The operations the checked list box adds, in the order of their slots.

    // reportValues: the list follows each check box's "NID_VALUE_CHANGE"; else its
    // "NID_LEFT_CLICK". Every row switches. S_FALSE when the mode is the current one.
    virtual ORVRESULT SetCheckNotifyMode(bool reportValues);
    // The checked count from the records.
    virtual void RecountChecked();
    // The checked record at index; null out of range.
    virtual CheckedItemRecord* GetCheckedItemRecordAt(int index);

    const CheckedItemRecord* GetCheckedItemRecordAt(int index) const
    {
        return const_cast<LCheckedListBox*>(this)->GetCheckedItemRecordAt(index);
    }
    // False out of range.
    bool GetItemCheck(int index) const;
    // Stores the check and keeps the count; the row follows without a notification. S_FALSE
    // when out of range or unchanged.
    ORVRESULT SetItemCheck(int index, bool checked);
    int GetCheckedCount() const { return mCheckedCount; }
    // The shared icon at index modulo their number when there are shared icons; else the
    // record's own icon; null out of range.
    ConstRCPtr<LBitmap> GetItemIcon(int index) const;
    // The shared icons (look 3's images).
    const std::vector<ConstRCPtr<LBitmap>>& GetIcons() const { return mIcons; }
    // The row control, null out of range.
    RCPtr<LCheckedListBoxItem> GetItemControl(int row) const;
    // Every row's check box ignores the mouse (and keeps the look it is given); rows made later
    // too.
    void SetCheckBoxesIgnoreMouse(bool ignore);
    bool GetCheckBoxesIgnoreMouse() const { return mCheckBoxesIgnoreMouse; }
    // Copied into every row made later (LCheckedListBoxItem::SetCheckBoxFollowsLook).
    void SetCheckBoxFollowsLook(bool follows) { mCheckBoxFollowsLook = follows; }
    bool GetCheckBoxFollowsLook() const { return mCheckBoxFollowsLook; }
    bool GetCheckNotifyMode() const { return mCheckBoxesReportValues; }

    // The check boxes' handlers: the record's check follows the box, the item becomes the
    // selection, and the notification goes out. 1.
    ORVRESULT OnCheckBoxValueChange(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);
    ORVRESULT OnCheckBoxClick(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);

protected:
    // The notification a check box is followed by in the current mode.
    const wchar_t* CheckBoxNotification() const;
    // Subscribes (or, with subscribe false, drops) the current mode's notification of a row's
    // check box; a class with handlers of its own for the check boxes overrides it.
    virtual void FollowCheckBox(const RCPtr<LButton>& checkBox, bool subscribe);
    // Makes the handler table when there is none yet (rows are made during the list box's
    // Initialize).
    void EnsureCheckedHandler();
    // The item a check box's row shows; -1 when the sender is no check box of a row showing an
    // item.
    int ItemOfCheckBox(const RCPtr<LNotificationDistributor>& source, RCPtr<LButton>& checkBox);
    // Stores checked in the record and moves the count when the check changed. True when it
    // changed.
    bool StoreCheck(int index, bool checked);
    // The check box's value set by the list, unheard by the list's own handler.
    void SetCheckBoxValueQuietly(const RCPtr<LButton>& checkBox, double value);

    RCPtr<LNotificationHandler<LCheckedListBox>> mCheckedHandler;
    int mCheckedCount = 0;

private:
    // The shared icons from the parts of look 3.
    void CollectIcons();
    // The check box shows image (null: its own looks) in every look, and carries the has-icon
    // flag while it shows one.
    static void ShowImage(const RCPtr<LButton>& checkBox, const ConstRCPtr<LBitmap>& image);
    // The common part of the two handlers.
    ORVRESULT OnCheckBoxChange(const RCPtr<LNotificationDistributor>& source, const wchar_t* name);

    std::vector<CheckedItemRecord> mCheckedRecords;
    bool mCheckBoxFollowsLook = false;
    bool mCheckBoxesIgnoreMouse = false;
    bool mCheckBoxesReportValues = true;
    std::vector<ConstRCPtr<LBitmap>> mIcons;
};
} // namespace Orv
