// A drop-down control that shows one entry of a list ("Framework.ComboBox",
// "Framework.ComboTextBox"). The entries live in the child "listBox" (a list box, required),
// which opens below or above the box on a press, Down or Return and closes on Escape, on a
// chosen entry, on the loss of the focus or when the optional "textBox" child takes the focus.
// With a text box, a validated text selects the entry of that text.
//
// Looks: 0 normal, 1 focused, 2 hovered, 3 hovered and focused, 4 open, 5 open and hovered,
// 6 disabled.
//
// The box keeps no copy of the entries: every query goes to the list. UI thread only.
#pragma once

#include "Controls/DropDownControl.h"
#include "Controls/ItemRecord.h"

namespace Orv
{
class LListBox;
class LTextBox;

class LComboBox : public LDropDownControl
{
public:
    static constexpr int kLookNormal = 0;
    static constexpr int kLookFocused = 1;
    static constexpr int kLookHover = 2;
    static constexpr int kLookHoverFocused = 3;
    static constexpr int kLookOpen = 4;
    static constexpr int kLookOpenHover = 5;
    static constexpr int kLookDisabled = 6;
    // The space kept between an open list and the window's edges.
    static constexpr int kEdgeMargin = 5;

    LComboBox(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LComboBox() override;

    // Cuts the list down to index entries; the selection is dropped when it was among the cut
    // ones; an open list is placed again. The list's result (the new count); E_FAIL without a
    // list.
    virtual ORVRESULT RemoveItemsFrom(int index);
    // Makes index the selection: the list selects it alone, the box (and its text box) shows its
    // text, and "NID_SELECTION_CHANGE" goes out when the selection changed. A negative index
    // clears the selection silently and keeps the text. The selected index afterwards.
    virtual int SetSelectedIndex(int index);
    // Picks the look from the enabled state, the open list, hover and focus.
    virtual void UpdateLook();

    // Applies the text; when it changed, the last entry of that text (ignoring case) becomes the
    // selection, or none. S_FALSE when the text did not change, else S_OK.
    ORVRESULT SetText(const WString& text) override;
    // The drop-down's reaction, then the look.
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;
    // Closed: Down or Return opens. Open: Escape closes. S_OK taken, S_FALSE not.
    ORVRESULT HandleUnusedKey(const RCPtr<LKeyParam>& param) override;
    // Escape closes the list; no key goes further. S_OK for Escape, else S_FALSE.
    ORVRESULT RouteSiblingKey(const RCPtr<LKeyParam>& param) override;
    // The drop-down's, the list (required, E_FAIL without), the subscriptions, the entries of
    // the string table and the initial selection.
    ORVRESULT Initialize() override;
    // "INITIAL_SELECTED_INDEX" (0 when absent).
    ORVRESULT ReadCreateParams() override;
    // Hides the list and completes its size from the box's width and the entries' height.
    void OnCreated() override;
    // The box's own text when it does not fit, else the ordinary tool tip.
    WString GetToolTipText() const override;
    // The list is visible with a positive size.
    bool IsDropDownShown() override;
    // Opens the list on the side with room (sending "NID_DROPDOWN_OPENING" first) or closes it.
    // E_FAIL without a list.
    ORVRESULT ShowDropDown(bool show) override;

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // Inserts an entry before index. The entry's index; E_INVALIDARG for null data, E_FAIL
    // without a list, or the list's failure.
    ORVRESULT InsertItem(int index, const ConstRCPtr<LTaggableObject>& data);
    ORVRESULT AddItem(const ConstRCPtr<LTaggableObject>& data);
    // The list's record, or the shared empty record without a list.
    const ItemRecord& GetItemRecord(int index) const;
    int GetItemCount() const;
    int GetSelectedIndex() const { return mSelectedIndex; }
    int GetInitialSelectedIndex() const { return mInitialSelectedIndex; }
    const RCPtr<LListBox>& GetListBox() const { return mListBox; }
    // The child "textBox"; null when there is none.
    RCPtr<LTextBox> GetTextBox() const;

    // The notification sent when the list is about to open.
    static const wchar_t* DropDownOpeningName();

protected:
    // The choice of look without the checked state: 0 to 6.
    int ChooseLook();

private:
    ORVRESULT OnListVisibility(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);
    ORVRESULT OnListItemActivated(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification);
    ORVRESULT OnTextValidating(const RCPtr<LNotificationDistributor>& source,
                               const RCPtr<LNotification>& notification);
    ORVRESULT OnTextValidated(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    ORVRESULT OnTextChange(const RCPtr<LNotificationDistributor>& source,
                           const RCPtr<LNotification>& notification);
    ORVRESULT OnTextFocus(const RCPtr<LNotificationDistributor>& source,
                          const RCPtr<LNotification>& notification);
    // The entry's text: its data's text form, or empty.
    WString EntryText(int index) const;

    RCPtr<LNotificationHandler<LComboBox>> mHandler;
    RCPtr<LListBox> mListBox;
    int mSelectedIndex = -1;
    int mInitialSelectedIndex = 0;
};
} // namespace Orv
