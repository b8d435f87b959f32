// A table of list boxes side by side ("Framework.listbox2ColumnSortable"): the skin children
// "listboxNoScroll1", "listboxNoScroll2", ... are its columns and behave as one list of rows
// (row r is item r of every column), and the optional buttons "buttonColumnHeader1", ... above
// them sort all rows by one column's texts, ascending first and then each way in turn. The first
// column leads: its item count is the row count, and its row height, extent and offset govern
// the table.
//
// Horizontally the table scrolls as any scroll view, columns and headers together. Vertically
// the columns and headers are docked: the table hands its vertical offset to every column, and
// its vertical bar counts whole rows. Selection, hover and scrolling in any column are mirrored in
// the others; the table passes the columns' selection change, activation, double click and right
// click on as its own notifications, without parameter.
//
// A skin without columns gives an empty table that does nothing. UI thread only.
#pragma once

#include "Controls/Panel.h"

#include <vector>

namespace Orv
{
class LButton;
class LListBox;

class LMultiColumnListBox : public LPanel
{
public:
    LMultiColumnListBox(const RCPtr<LControl>& parent, const RCPtr<LControlDescriptor>& descriptor);
    ~LMultiColumnListBox() override;

    ORVRESULT ReceiveNotification(const RCPtr<LNotificationDistributor>& source,
                                  const RCPtr<LNotification>& notification) override;
    ORVRESULT Unregister(const RCPtr<LNotificationDistributor>& source,
                         const wchar_t* name) override;

    // The panel's, then the columns and header buttons found and wired. E_FAIL when there are
    // header buttons but not one per column; else the panel's result.
    ORVRESULT Initialize() override;
    // Only the first column takes the focus; the row height, the columns' size limits and the
    // extent. Nothing of this without columns.
    void OnCreated() override;
    // The rows' area: from the first column's place, the table's client width less the bar,
    // the first column's client height. Empty without columns.
    RectT<double> GetVisibleClientRect() const override;
    // Every column takes the new vertical offset, then the scroll view's.
    void SetScrollOffset(const PointT<double>& oldOffset, const PointT<double>& newOffset) override;
    // The last column moved or resized: the extent follows.
    void InvalidateScrolledArea(const LControl* sender, const RectT<double>& rect) override;

    // Sorts all rows by the texts of column (case-insensitively; ascending, then descending on
    // the next sort by the same column). The rows keep their cells together, and the rows that
    // were selected in that column stay selected. E_INVALIDARG for a column out of range.
    ORVRESULT PerformSort(int column);
    // The text of item row of column; empty out of range or without data.
    WString GetCellText(unsigned column, unsigned row) const;

    int GetColumnCount() const { return static_cast<int>(mColumns.size()); }
    RCPtr<LListBox> GetColumn(int index) const;
    int GetHeaderCount() const { return static_cast<int>(mHeaders.size()); }
    // Whether the next sort by column is ascending.
    bool IsNextSortAscending(int column) const;

private:
    void UpdateExtent();
    void ApplyColumnSizeLimits();
    int ColumnIndexOf(const LNotificationDistributor* source) const;

    ORVRESULT OnColumnItemHover(const RCPtr<LNotificationDistributor>& source,
                                const RCPtr<LNotification>& notification);
    ORVRESULT OnColumnSelectionChange(const RCPtr<LNotificationDistributor>& source,
                                      const RCPtr<LNotification>& notification);
    ORVRESULT OnColumnItemActivated(const RCPtr<LNotificationDistributor>& source,
                                    const RCPtr<LNotification>& notification);
    ORVRESULT OnColumnItemDoubleClicked(const RCPtr<LNotificationDistributor>& source,
                                        const RCPtr<LNotification>& notification);
    ORVRESULT OnColumnItemRightClick(const RCPtr<LNotificationDistributor>& source,
                                     const RCPtr<LNotification>& notification);
    ORVRESULT OnFirstColumnScrollOffsetChange(const RCPtr<LNotificationDistributor>& source,
                                              const RCPtr<LNotification>& notification);
    ORVRESULT OnFirstColumnClientExtentChange(const RCPtr<LNotificationDistributor>& source,
                                              const RCPtr<LNotification>& notification);
    ORVRESULT OnHeaderClick(const RCPtr<LNotificationDistributor>& source,
                            const RCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LMultiColumnListBox>> mHandler;
    std::vector<RCPtr<LListBox>> mColumns;
    std::vector<RCPtr<LButton>> mHeaders;
    // Per column: the next sort by it is ascending.
    std::vector<bool> mSortAscending;
};
} // namespace Orv
