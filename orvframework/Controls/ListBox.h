// The framework's scrolling list ("Framework.ListBox", "Framework.listboxNoScroll"). It keeps
// every item as an ItemRecord and shows them through a small, fixed set of row controls
// (LListBoxItem), one per visible row, stacked from the top of its client area. Scrolling never
// moves the rows: it changes which item the top row shows and copies the visible records into
// the rows. Hidden items take no row.
//
// The rows come from the skin: a "templateItem" child is the pattern of every row (made as
// "ItemControl1", "ItemControl2", ... while the visible height needs more), or the children
// "item1", "item2", ... are the rows and, with their texts, the items.
//
// The list owns the selection (anchor, focus item, selected count), the keys, and its
// notifications ("NID_SELECTION_CHANGE", "NID_ITEM_ACTIVATED", "NID_ITEM_DOUBLE_CLICKED",
// "NID_ITEM_RIGHT_CLICK", "NID_ITEM_HOVER_CONDITION_CHANGE",
// "NID_ITEM_LEFT_DRAG_CONDITION_CHANGE"), sent synchronously from its own distributor. In
// size-to-content mode it behaves as a menu: the item under the mouse is selected, releasing
// over an item activates it and hides the list, and no selection change is sent.
//
// Indexes from callers are checked: readers answer the shared empty record, 0.0 or false beyond
// the end; simple setters answer 0 and change nothing; structural operations answer
// E_INVALIDARG.
//
// The code is split by concern: ListBox.cpp (creation, records), ListBoxRows.cpp (rows and
// geometry), ListBoxSelection.cpp, ListBoxInput.cpp (mouse, keys, notifications).
//
// UI thread only.
#pragma once

#include "ControlBase/StringTable.h"
#include "Controls/ItemRecord.h"
#include "Controls/ListBoxItem.h"
#include "Controls/ScrollView.h"
#include "Utilities/Storage/Array.h"
#include "notification/MouseButtonParam.h"
#include "notification/NotificationHandler.h"

#include <vector>

namespace Orv
{
class LListBox : public LScrollView
{
public:
    // The row height when the template gives none.
    static constexpr int kDefaultItemHeight = 14;
    // The looks of the list itself.
    static constexpr int kLookNormal = 0;
    static constexpr int kLookDisabled = 1;
    static constexpr int kLookFocused = 2;
    // Items that "ITEM.<n>" string-table entries may make at most.
    static constexpr int kMaxStringTableItems = 100000;

    LListBox(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    LListBox(const RCPtr<LControl>& parent, const WString& name);
    ~LListBox() override;

    // The list's handler table first (once created), then the scroll view's chain.
    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // --- Creation (ListBox.cpp) ---

    // The scroll view's, then the handler; the automatic extent off; the rows from
    // "templateItem" (and the items of the "ITEM.<n>" strings) or from "item1", "item2", ...
    ORVRESULT Initialize() override;
    // Without a control: a "templateItem" description is made, adopted as the template and
    // detached (S_OK); any other description E_FAIL. With a control: an "item<N>" row is
    // recorded for row N - 1 when the rows reach it, then the control's.
    ORVRESULT AddChildControl(const RCPtr<LControl>& child,
                              const RCPtr<LControlDescriptor>& descriptor) override;
    // The scroll view's, the template dropped, the rows made and refilled.
    ORVRESULT ApplyDescriptor(const RCPtr<LControlDescriptor>& descriptor) override;

    // --- Record store and items (ListBox.cpp) ---

    // The operations the list adds, in the order of their slots. The record store
    // (GetItemCount, SwapItems, GetItemRecordAt, InsertItemRecord, RemoveItemRecord) is
    // overridden by lists that keep records of their own kind.

    virtual int GetItemCount() const;
    // Removes items from the end or appends items without data until there are n. n when the
    // list then holds n items, else E_FAIL (also for a negative n).
    virtual ORVRESULT SetItemCount(int n);
    // The new count; E_INVALIDARG for an index out of range.
    virtual ORVRESULT RemoveItem(int index);
    // S_FALSE when the list is empty; E_FAIL when a removal failed (the rest stays); else S_OK.
    virtual ORVRESULT RemoveAllItems();
    // SortItems over every item.
    virtual ORVRESULT SortAll();
    // Takes the row pattern's measures: the base width (its width with no text), the item
    // height (its height with a text of ascent and descent; kDefaultItemHeight below 1).
    virtual ORVRESULT AdoptTemplateItem(const RCPtr<LControl>& item);
    // Hooks: the selection is about to be reported; an item is about to be activated. Empty.
    virtual void OnSelectionChanging();
    virtual void OnItemActivating(int index);
    // The item the row control shows; -1 when the control is no row.
    virtual int GetItemIndexOfControl(const LControl* control) const;
    // E_INVALIDARG out of range; S_FALSE when the flag has that state; else S_OK. Hiding
    // deselects the item.
    virtual ORVRESULT SetItemHidden(int index, bool hidden);
    // Makes the next row from the template descriptor.
    virtual ORVRESULT CreateItemControl();
    // Copies the record of index into its row (row: the row, -1 when it has none). S_OK when
    // the item has a row, S_FALSE when not.
    virtual ORVRESULT UpdateItemControl(int index, int* row);
    // The row that shows index; -1 when none does.
    virtual int GetItemRow(int index) const;
    // The base width plus the text's width in the first row's font; 0 without rows or out of
    // range.
    virtual int GetItemWidth(int index) const;
    // The item height times the number of items that are not hidden.
    virtual int GetContentHeight() const;
    // Whether the item may be selected and activated; always here.
    virtual bool CanSelectItem(int index) const;
    // Exchanges two records. E_INVALIDARG when either index is out of range.
    virtual ORVRESULT SwapItems(int first, int second);
    // Sorts n items from first by their texts, case-insensitively. S_FALSE for n = 0;
    // E_INVALIDARG for a range outside the items.
    virtual ORVRESULT SortItems(int first, int n);
    // The record at index; null out of range. The hidden flag is changed only through
    // SetItemHidden and the selection value only through SetItemValue: the list counts both.
    virtual ItemRecord* GetItemRecordAt(int index);
    // Inserts an empty record before index (index = count appends). E_INVALIDARG out of range.
    virtual ORVRESULT InsertItemRecord(int index);
    // E_INVALIDARG out of range.
    virtual ORVRESULT RemoveItemRecord(int index);

    const ItemRecord* GetItemRecordAt(int index) const
    {
        return const_cast<LListBox*>(this)->GetItemRecordAt(index);
    }
    // The record at index, or the shared empty record.
    const ItemRecord& GetItemRecord(int index) const;
    double GetItemValue(int index) const { return GetItemRecord(index).value; }
    bool IsItemSelected(int index) const { return GetItemRecord(index).IsSelected(); }
    bool GetItemHasSubMenu(int index) const { return GetItemRecord(index).hasSubMenu; }
    bool IsItemHidden(int index) const { return GetItemRecord(index).isHidden; }
    WString GetItemText(int index) const { return GetItemRecord(index).GetText(); }
    bool IsValidIndex(int index) const { return index >= 0 && index < GetItemCount(); }

    // Inserts an item with data at index (0 to the count). The index; E_INVALIDARG out of range.
    ORVRESULT InsertItem(int index, const ConstRCPtr<LTaggableObject>& data);
    // Appends an item; its index.
    ORVRESULT AddItem(const ConstRCPtr<LTaggableObject>& data);
    // Replaces the data. 1 when done, 0 out of range.
    int SetItem(int index, const ConstRCPtr<LTaggableObject>& data);
    // Sets data, value, sub-menu and separator at once. 1 when done, 0 out of range.
    int SetItemFields(int index, const ConstRCPtr<LTaggableObject>& data, double value,
                      bool hasSubMenu, bool isSeparator);
    // 1 when done, 0 out of range.
    int SetItemHasSubMenu(int index, bool hasSubMenu);
    int SetItemSeparator(int index, bool separator);
    // The items of the table's "ITEM.<n>" entries (n from 0 below kMaxStringTableItems; others
    // are ignored). E_INVALIDARG for a null table.
    ORVRESULT AddItemsFromStringTable(const RCPtr<LStringTable>& table);
    // The index of the last item whose text equals text; -1 when none.
    int FindItemByText(const WString& text, bool caseSensitive) const;
    // Selects the first item after start whose text equals text; its index, -1 when none.
    int SelectNextItemWithText(int start, const WString& text, bool caseSensitive);
    // The row refilled and the widest width kept.
    void RefreshItem(int index);
    // A text item's data.
    static ConstRCPtr<LTaggableObject> CreateStringItemData(const WString& text);

    // --- Selection (ListBoxSelection.cpp) ---

    // Stores the value, keeping the selected count; the row follows. 1 when done, 0 out of range.
    int SetItemValue(int index, double value);
    // Selects anchor..end (a negative end: anchor alone); exclusive deselects every other item.
    // The anchor; E_INVALIDARG when anchor is out of range.
    ORVRESULT SelectItemRange(int anchor, int end, bool exclusive);
    // S_FALSE when out of range or not selected; else S_OK.
    ORVRESULT DeselectItem(int index);
    // Deselects every item; anchor and focus -1.
    void ClearSelection();
    // The selected indexes, ascending.
    const Array<int>& CollectSelectedIndices();
    // OnSelectionChanging, then (not in size-to-content mode) "NID_SELECTION_CHANGE".
    void NotifySelectionChange();
    int GetAnchor() const { return mAnchor; }
    int GetFocusItem() const { return mFocus; }
    int GetSelectedCount() const { return mSelectedCount; }
    bool IsMultipleSelection() const { return mMultipleSelection; }
    // The first selected index (the focus when it is selected); -1 when none.
    int GetSelectedIndex() const;

    // --- Rows and geometry (ListBoxRows.cpp) ---

    // Makes rows until they fill the visible height. S_FALSE without a template.
    ORVRESULT EnsureItemControls();
    // Refills the rows from row on. S_FALSE when there are no rows or row is past the end.
    ORVRESULT UpdateItemControlsFrom(int row);
    // The row control, null out of range.
    RCPtr<LListBoxItem> GetItemControlAt(int row) const;
    int GetRowCount() const { return static_cast<int>(mRows.GetCount()); }
    // The rectangle of the row that shows the item; all zeros when it has none.
    RectT<double> GetItemRect(int index) const;
    // The item under point (list coordinates); -1 outside the client area or below the rows.
    int GetItemAtPoint(const PointT<LONG>& point) const;
    // The rows whose bottom lies within the client area.
    int GetVisibleRowCount() const;
    // Menu behaviour; the rows forward their presses.
    void SetSizeToContent(bool sizeToContent);
    bool IsSizeToContent() const { return mSizeToContent; }
    // The scroll extent: (widest width or 0, content height). S_FALSE during a bulk update.
    ORVRESULT UpdateClientExtent();
    // The list's fixed height (width) from the content's plus the non-client part. S_FALSE
    // during a bulk update.
    ORVRESULT SetContentHeight(int height);
    ORVRESULT SetContentWidth(int width);
    // S_FALSE during a bulk update or when unchanged.
    ORVRESULT SetWidestItemWidth(int width);
    ORVRESULT UpdateWidestItemWidth();
    int GetWidestItemWidth() const { return mWidestItemWidth; }
    // Scrolls as little as needed to show the item in a whole row. E_INVALIDARG out of range.
    ORVRESULT ScrollItemIntoView(int index);
    // The vertical size rules become whole rows.
    ORVRESULT SnapHeightToRows();
    // The row of this list that shows the item control shows sets the condition (or the look).
    void MirrorItemCondition(const RCPtr<LControl>& control, DWORD condition);
    void MirrorItemAction(const RCPtr<LControl>& control);
    int GetTopItem() const { return mTopItem; }
    int GetItemHeight() const { return mItemHeight; }
    int GetItemBaseWidth() const { return mItemBaseWidth; }
    bool IsTemplateAdopted() const { return mTemplateAdopted; }

    // Control and scroll-view operations the list takes part in.
    void CheckClientExtent() override;
    void InvalidateScrolledArea(const LControl* sender, const RectT<double>& rect) override;
    // The top item follows the vertical offset (in rows of items that are not hidden).
    void SetScrollOffset(const PointT<double>& oldOffset, const PointT<double>& newOffset) override;
    void OnChildRemoved(const RCPtr<LControl>& child, int position) override;

    // --- Input (ListBoxInput.cpp) ---

    // Activates an item: OnItemActivating, in size-to-content mode the list hides, then
    // "NID_ITEM_ACTIVATED" when the list has a parent.
    // Virtual: a popup menu chooses its items its own way (sub-menus, its target).
    virtual void ActivateItem(int index);
    // Up, Down (Shift too), Left, Right, Page Up, Page Down, Home, End and Enter; S_OK taken,
    // S_FALSE not.
    ORVRESULT HandleUnusedKey(const RCPtr<LKeyParam>& param) override;
    // Size-to-content mode: the held mouse selects the item under it.
    void OnMouseMoveHook(const RCPtr<LPointWithModifiersParam>& param) override;
    // Size-to-content mode: the release activates the item under it.
    void OnLeftButtonUp(const RCPtr<LMouseButtonParam>& param) override;
    // The list's look follows its enabled and focus conditions.
    void OnConditionsChange(const RCPtr<LConditionsParam>& param) override;

protected:
    // A horizontal bar shown with an "Expand" template: the list widens to the widest item.
    void OnScrollbarVisibilityChange(int axis) override;

    // Handlers of the rows' notifications.
    ORVRESULT OnItemMouseDown(const RCPtr<LNotificationDistributor>& source,
                              const RCPtr<LNotification>& notification);
    ORVRESULT OnItemMouseUp(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);
    ORVRESULT OnItemLeftDragConditionChange(const RCPtr<LNotificationDistributor>& source,
                                            const RCPtr<LNotification>& notification);
    ORVRESULT OnItemHoverConditionChange(const RCPtr<LNotificationDistributor>& source,
                                         const RCPtr<LNotification>& notification);
    // A left (right) press on a row, the point in the list's coordinates.
    virtual void OnItemPressed(const RCPtr<LControl>& row, const RCPtr<LMouseButtonParam>& param);
    virtual void OnItemRightPressed(const RCPtr<LControl>& row,
                                    const RCPtr<LMouseButtonParam>& param);

    // Subscribes the rows' four notifications and sets the row's flags; appends it.
    void AdoptRow(const RCPtr<LListBoxItem>& row);
    // Sends one of the list's notifications from its own distributor.
    void SendListNotification(const wchar_t* name, const RCPtr<LRefCountedObject>& param);

    RCPtr<LNotificationHandler<LListBox>> mListHandler;

private:
    // The item reached from the top item by steps items that are not hidden (past the end:
    // count + the steps left over).
    int ItemAfterTop(int steps) const;
    // The index of the position-th item that is not hidden; the last such item past the end;
    // -1 when there is none.
    int ItemOfVisiblePosition(int position) const;
    // The number of items before index that are not hidden.
    int VisiblePositionOf(int index) const;
    // The nearest item that is not hidden from index toward the end (step 1) or the start
    // (step -1); -1 when there is none.
    int NearestShown(int index, int step) const;
    // Moves the press on a row to the row that now shows the pressed item.
    void MovePressToItemRow(const RCPtr<LControl>& row, int index, DWORD button,
                            const PointT<LONG>& point);
    // The press point of a row's notification, in the list's coordinates.
    RCPtr<LMouseButtonParam> ToListPoint(const RCPtr<LControl>& row,
                                         const RCPtr<LMouseButtonParam>& param) const;
    void SendItemConditions(const RCPtr<LControl>& row, const RCPtr<LConditionsParam>& param,
                            const wchar_t* name);
    // The list's fixed size along the axis (LLayoutDescriptor::kAxisX or kAxisY): the content's
    // extent plus the non-client part on that axis. S_FALSE during a bulk update.
    ORVRESULT SetContentExtent(int axis, int extent);
    // The row of this list that shows the item that control, a row of another list, shows; null
    // when control is not a list's row or this list does not show the item.
    RCPtr<LListBoxItem> MirroredRow(const RCPtr<LControl>& control) const;
    // The template's horizontal text overflow is "Expand".
    bool TemplateExpands() const;
    // The template's horizontal size refers to another control by name.
    bool TemplateSizesByControl() const;
    // The list's height less its client part's bottom.
    double VerticalDecoration() const;
    // Counts the records that are hidden (kept with the flags).
    void AdjustHiddenCount(bool wasHidden, bool isHidden);
    // The vertical offset follows the top item after items before it came, went or changed
    // their hidden flag, so that the rows keep showing the same items.
    void KeepTopInView();

    int mItemBaseWidth = 0;
    int mWidestItemWidth = 0;
    std::vector<ItemRecord> mRecords;
    // The rows, top first, as positions in the child list.
    Array<int> mRows;
    RCPtr<LControlDescriptor> mTemplateDescriptor;
    int mAnchor = -1;
    int mFocus = -1;
    bool mMultipleSelection = false;
    int mSelectionMode = 1;
    int mPressedItem = -1;
    bool mSizeToContent = false;
    int mItemHeight = kDefaultItemHeight;
    Array<int> mSelectedIndexes;
    int mSelectedCount = 0;
    int mItemControlIndex = 1;
    int mTopItem = 0;
    bool mMakingRows = false;
    bool mApplyingDescriptor = false;
    bool mTemplateAdopted = false;
    bool mBulkUpdate = false;
    // How many records are hidden: with none, an item's index is its display position.
    int mHiddenCount = 0;
    // The template's layout and font, kept to make rows and measure texts.
    RCPtr<LLayoutDescriptor> mTemplateLayout;
};
} // namespace Orv
