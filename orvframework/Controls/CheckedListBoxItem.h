// The row control of the checked lists ("Framework.CheckedListBoxItem"): a list row with a child
// button "checkBox" that shows the item's check state, or its icon. The row keeps its hover look
// while the pointer is over its check box, and can give its check box the look it shows itself.
//
// It is the base of the menu's rows and of the tree view's rows.
//
// UI thread only.
#pragma once

#include "Controls/Button.h"
#include "Controls/ListBoxItem.h"

namespace Orv
{
class LCheckedListBoxItem : public LListBoxItem
{
public:
    LCheckedListBoxItem(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LCheckedListBoxItem(const RCPtr<LControl>& parent, const WString& name);
    ~LCheckedListBoxItem() override;

    // The row's handler table first (once created), then the list row's chain.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // The list row's Initialize, then the handler table. A check box has its hover changes
    // followed, is made not focusable and shows the row's tool tip. The list row's result.
    ORVRESULT Initialize() override;

    // The child "checkBox" when it is a button; null otherwise.
    RCPtr<LButton> GetCheckBox() const;

    // Shows look exclusively on the row; once the row is created and its check box follows the
    // look, on the check box too. True when the last of these succeeded.
    virtual bool SetItemLook(int look);
    // Once the row is created: the check box's SetActiveLook result (E_FAIL without a check box);
    // before: S_FALSE, nothing changed.
    ORVRESULT SetCheckBoxLook(int look);

    // Whether SetItemLook gives the check box the row's look (set by the list for every row).
    void SetCheckBoxFollowsLook(bool follows) { mCheckBoxFollowsLook = follows; }
    bool GetCheckBoxFollowsLook() const { return mCheckBoxFollowsLook; }

    // The check box's hover change: the row shows as hovered while the pointer is on its check
    // box. 1.
    ORVRESULT OnCheckBoxHoverChange(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);

private:
    RCPtr<LNotificationHandler<LCheckedListBoxItem>> mCheckedItemHandler;
    bool mCheckBoxFollowsLook = false;
};
} // namespace Orv
