// A combo box whose list is a checked list box ("Framework.CheckedComboBox",
// "Framework.ComboBoxWithIcons"): every entry has a check state and may have an icon. The
// optional "checkBox" child, a button, shows the selected entry's check state and icon, and
// follows later changes of that entry's check. The look tells whether any entry is checked:
//
//   state                 none checked   some checked
//   normal                0              7
//   focused               1              8
//   hovered               2              9
//   hovered and focused   3              10
//   list open             4              11
//   list open, hovered    5              12
//   disabled              6              13
//
// Each check change in the list is passed on as the box's own "NID_ITEM_CHECK_CHANGE" with the
// list's parameter. UI thread only.
#pragma once

#include "Controls/ComboBox.h"

namespace Orv
{
class LButton;
class LCheckedListBox;

class LCheckedComboBox : public LComboBox
{
public:
    // Added to the combo box's look while some entry is checked.
    static constexpr int kCheckedLookOffset = 7;

    LCheckedComboBox(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LCheckedComboBox() override;

    // The combo box's, with a checked list box required (E_FAIL otherwise); the "checkBox"
    // shows the box's tool tip; icon mode when the list has icons.
    ORVRESULT Initialize() override;
    // The selected entry's icon in the "checkBox", then the combo box's.
    void OnCreated() override;
    // The combo box's, then the look.
    ORVRESULT RemoveItemsFrom(int index) override;
    // The entry's check state and icon in the "checkBox", then the combo box's.
    int SetSelectedIndex(int index) override;
    // The combo box's look, plus 7 while some entry is checked.
    void UpdateLook() override;

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // The icon flag, passed to the "checkBox" when there is one.
    void SetIconMode(bool on);
    bool GetIconMode() const { return mIconMode; }
    const RCPtr<LCheckedListBox>& GetCheckedListBox() const { return mCheckedList; }
    // The child "checkBox"; null when there is none.
    RCPtr<LButton> GetCheckBox() const;

private:
    // Shows the entry's check state (when index is an entry) and icon in the "checkBox".
    void ShowEntry(int index, bool withCheck);
    ORVRESULT OnItemCheckChange(const RCPtr<LNotificationDistributor>& source,
                                const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LCheckedComboBox>> mCheckedHandler;
    RCPtr<LCheckedListBox> mCheckedList;
    bool mIconMode = false;
};
} // namespace Orv
